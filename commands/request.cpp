// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/request.h"

#include <QRegularExpression>

namespace commands {
namespace {

int valueCount(const CatalogueEntry& entry) {
    return entry.composition == Composition::Threshold    ? 1
           : entry.composition == Composition::PacketPair ? 2
                                                          : 0;
}

const CatalogueEntry& freeTextEntry() {
    for (const CatalogueEntry& entry : catalogue()) {
        if (entry.composition == Composition::FreeText) {
            return entry;
        }
    }
    Q_UNREACHABLE();
}

// The name a script gives: the label's, with "_" for a blank.
QString scriptName(const CatalogueEntry& entry) {
    return entry.name.toString().replace(u' ', u'_');
}

} // namespace

CommandRequest requestCommand(const QString& what, const std::optional<QString>& elementSet,
                              const QDateTime& utcNow) {
    CommandRequest request;
    request.values.utcNow = utcNow;
    const auto refuse = [&request](const QString& error) {
        request.error = error;
        return request;
    };
    const qsizetype equals = what.indexOf(u'=');
    const QString name = what.left(equals);
    const CatalogueEntry* entry = name.isEmpty() ? nullptr : findCommand(QStringView(name));
    if (entry == nullptr) {
        static const QRegularExpression dtmf(
            QStringLiteral("^[0-9*#A-Da-d \\t]*[0-9*#A-Da-d][0-9*#A-Da-d \\t]*$"));
        if (!dtmf.match(what).hasMatch()) {
            return refuse(QStringLiteral("\"%1\" is neither a command's name (see --list) nor a "
                                         "string of DTMF symbols 0-9 * # A-D")
                              .arg(what));
        }
        request.entry = &freeTextEntry();
        request.values.*request.entry->firstValue = what;
        return request;
    }
    const int wanted = valueCount(*entry);
    const QStringList values =
        equals < 0 ? QStringList() : what.mid(equals + 1).split(u',', Qt::KeepEmptyParts);
    if (wanted == 0 && equals >= 0) {
        return refuse(QStringLiteral("%1 takes no value").arg(name));
    }
    if (values.size() != wanted || values.contains(QString())) {
        return refuse(wanted == 1
                          ? QStringLiteral("%1 takes one value: %1=VALUE").arg(name)
                          : QStringLiteral("%1 takes two values: %1=FIRST,SECOND").arg(name));
    }
    for (const QString& value : values) {
        if (value.size() > entry->valueLength) {
            return refuse(QStringLiteral("the value \"%1\" of %2 is longer than its box holds "
                                         "(%3 characters)")
                              .arg(value, name)
                              .arg(entry->valueLength));
        }
    }
    if (wanted >= 1) {
        request.values.*entry->firstValue = values.at(0);
    }
    if (wanted == 2) {
        request.values.*entry->secondValue = values.at(1);
    }
    if (entry->composition == Composition::Elements) {
        if (!elementSet) {
            return refuse(QStringLiteral("%1 takes an element set: --elements FILE").arg(name));
        }
        request.values.elementSet = *elementSet;
    }
    request.entry = entry;
    return request;
}

QString describeCatalogue() {
    QString text;
    const auto line = [&text](const QString& name, const QString& sends, const QString& takes) {
        text += QStringLiteral("%1 %2 %3\n").arg(name, -16).arg(sends, -22).arg(takes);
    };
    for (const CatalogueEntry& entry : catalogue()) {
        const QString head = entry.caption.left(5).toString();
        const QString length = QString::number(entry.valueLength);
        switch (entry.composition) {
        case Composition::Caption:
            line(scriptName(entry), entry.caption.toString(), QStringLiteral("no value"));
            break;
        case Composition::Threshold:
            line(scriptName(entry), head + QStringLiteral("VALUE#"),
                 QStringLiteral("%1=VALUE, up to %2 characters").arg(scriptName(entry), length));
            break;
        case Composition::PacketPair:
            line(scriptName(entry), head + QStringLiteral("FIRSTSECOND#"),
                 QStringLiteral("%1=FIRST,SECOND, up to %2 characters each")
                     .arg(scriptName(entry), length));
            break;
        case Composition::Elements:
            line(scriptName(entry), head + QStringLiteral("...#"),
                 QStringLiteral("an element set: --elements FILE (- for standard input)"));
            break;
        case Composition::Time:
            line(scriptName(entry), head + QStringLiteral("ssmmhhwddmmyy#"),
                 QStringLiteral("no value: the UTC time 6 s ago"));
            break;
        case Composition::FreeText:
            line(QStringLiteral("'DTMF'"), QStringLiteral("DTMF, as it stands"),
                 QStringLiteral("any string of 0-9 * # A-D, e.g. '**31##'"));
            break;
        }
    }
    return text;
}

} // namespace commands
