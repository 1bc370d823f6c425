// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/station.h"

namespace tones {
namespace {

int whole(const QSettings& settings, const QString& key, int fallback, int lowest) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= lowest ? value : fallback;
}

} // namespace

StationSettings loadStation(QSettings& settings) {
    StationSettings station;
    const PttSettings defaults;
    station.output = settings.value(QStringLiteral("uplink/output")).toString();
    PttSettings& ptt = station.ptt;
    const QString type =
        settings.value(QStringLiteral("transmitter/ptt-type")).toString().toUpper();
    ptt.type = kPttTypes.contains(type) ? type : defaults.type;
    ptt.rigModel = whole(settings, QStringLiteral("transmitter/rig-model"), defaults.rigModel, 1);
    ptt.rigFile = settings.value(QStringLiteral("transmitter/rig-file")).toString();
    ptt.pttFile = settings.value(QStringLiteral("transmitter/ptt-file")).toString();
    ptt.leadMs = whole(settings, QStringLiteral("transmitter/ptt-lead-ms"), defaults.leadMs, 0);
    ptt.tailMs = whole(settings, QStringLiteral("transmitter/ptt-tail-ms"), defaults.tailMs, 0);
    return station;
}

void saveStation(QSettings& settings, const StationSettings& station) {
    settings.setValue(QStringLiteral("uplink/output"), station.output);
    settings.setValue(QStringLiteral("transmitter/ptt-type"), station.ptt.type);
    settings.setValue(QStringLiteral("transmitter/rig-model"), station.ptt.rigModel);
    settings.setValue(QStringLiteral("transmitter/rig-file"), station.ptt.rigFile);
    settings.setValue(QStringLiteral("transmitter/ptt-file"), station.ptt.pttFile);
    settings.setValue(QStringLiteral("transmitter/ptt-lead-ms"), station.ptt.leadMs);
    settings.setValue(QStringLiteral("transmitter/ptt-tail-ms"), station.ptt.tailMs);
}

} // namespace tones
