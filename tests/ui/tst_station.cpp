// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commandline.h"
#include "ui/stationdialog.h"
#include "ui_stationdialog.h"

#include <QTemporaryDir>
#include <QTest>

// The station settings: as the settings file holds them, as the command line
// lays options over them, and as the dialog shows and returns them.
class StationTest : public QObject {
    Q_OBJECT

    // "output|type|model|rig file|ptt file|lead|tail"
    static QString flat(const tones::StationSettings& s) {
        return QStringList{s.output,
                           s.ptt.type,
                           QString::number(s.ptt.rigModel),
                           s.ptt.rigFile,
                           s.ptt.pttFile,
                           QString::number(s.ptt.leadMs),
                           QString::number(s.ptt.tailMs)}
            .join('|');
    }

private slots:
    // A settings file, and what is read from it: what is missing or malformed
    // keeps its default.
    void settingsFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("read");
        // clang-format off
        QTest::newRow("empty") << "" << "|NONE|1|||250|100";
        QTest::newRow("every key") << "[uplink]\noutput=USB Audio Device\n[transmitter]\nptt-type=rts\nrig-model=2\nrig-file=localhost:4532\nptt-file=/dev/ttyUSB0\nptt-lead-ms=0\nptt-tail-ms=40\n"
                                   << "USB Audio Device|RTS|2|localhost:4532|/dev/ttyUSB0|0|40";
        QTest::newRow("malformed") << "[transmitter]\nptt-type=VOX\nrig-model=0\nptt-lead-ms=-5\nptt-tail-ms=x\n" << "|NONE|1|||250|100";
        // clang-format on
    }
    void settingsFile() {
        QFETCH(QString, file);
        QFETCH(QString, read);
        const QTemporaryDir dir;
        QFile ini(dir.filePath("dtmf-dialer.conf"));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(file.toUtf8()) == file.size());
        ini.close();
        QSettings settings(ini.fileName(), QSettings::IniFormat);
        const tones::StationSettings station = tones::loadStation(settings);
        QCOMPARE(flat(station), read);
        QSettings saved(dir.filePath("saved.conf"), QSettings::IniFormat);
        tones::saveStation(saved, station);
        QCOMPARE(flat(tones::loadStation(saved)), read);
    }

    // Options over the settings "speakers, RIG 2 at localhost:4532": what the
    // run uses, or the usage error.
    void options_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("used");
        // clang-format off
        QTest::newRow("none") << "" << "speakers|RIG|2|localhost:4532||250|100";
        QTest::newRow("every one") << "--output uplink --ptt-type dtr --rig-model 1 --rig-file /dev/ttyS0 --ptt-file /dev/ttyS1 --ptt-lead-ms 0 --ptt-tail-ms 10000"
                                   << "uplink|DTR|1|/dev/ttyS0|/dev/ttyS1|0|10000";
        QTest::newRow("unknown type") << "--ptt-type VOX" << "error: --ptt-type takes one of";
        QTest::newRow("lead not a number") << "--ptt-lead-ms 1s" << "error: --ptt-lead-ms takes a whole number";
        QTest::newRow("tail too long") << "--ptt-tail-ms 10001" << "error: --ptt-tail-ms takes a whole number";
        QTest::newRow("model 0") << "--rig-model 0" << "error: --rig-model takes a whole number";
        QTest::newRow("a word too many") << "--output uplink now" << "error: unexpected argument \"now\"";
        QTest::newRow("elements alone") << "--elements set.tle" << "error: --elements goes with --send";
        // clang-format on
    }
    void options() {
        QFETCH(QString, arguments);
        QFETCH(QString, used);
        tones::StationSettings station;
        station.output = "speakers";
        station.ptt.type = "RIG";
        station.ptt.rigModel = 2;
        station.ptt.rigFile = "localhost:4532";
        const ui::CommandLine line = ui::parseCommandLine(
            QStringList{"dtmf-dialer"} + arguments.split(' ', Qt::SkipEmptyParts), station);
        const QString got = line.action == ui::CommandLine::Action::UsageError
                                ? "error: " + line.error
                                : flat(station);
        QVERIFY2(got.startsWith(used), qPrintable(got));
    }

    // The dialog returns what it was given, an output not there now included,
    // and takes a rig model typed as a number.
    void dialog() {
        tones::StationSettings given;
        given.output = "usb-radio";
        given.ptt = {"CM108", 2, "localhost:4532", "/dev/hidraw0", 300, 50};
        ui::StationDialog dialog(given,
                                 {{"1", "Hamlib Dummy (1)"}, {"2", "Hamlib NET rigctl (2)"}});
        dialog.showOutputs({{"speakers", "Speakers (speakers)"}}, {});
        QCOMPARE(flat(dialog.settings()), flat(given));
        QCOMPARE(dialog.form().outputChoice->currentText(), "usb-radio (not there now)");
        dialog.form().rigModelChoice->setEditText("3073");
        dialog.form().outputChoice->setCurrentIndex(0);
        QCOMPARE(flat(dialog.settings()), "|CM108|3073|localhost:4532|/dev/hidraw0|300|50");
    }

    // The outputs arrive after the dialog shows: what is chosen when they come
    // (given, or picked by the operator meanwhile) stays chosen, and the list
    // is the server's, once.
    void outputsArriveLater_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<int>("pickedMeanwhile"); // -1: none
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("shownBefore");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QString>("chosen");
        // clang-format off
        QTest::newRow("default") << "" << -1 << "" << "Default output" << "Default output" << "";
        QTest::newRow("there") << "uplink" << -1 << "" << "uplink (looking for it...)" << "Radio uplink (uplink)" << "uplink";
        QTest::newRow("gone") << "usb" << -1 << "" << "usb (looking for it...)" << "usb (not there now)" << "usb";
        QTest::newRow("default picked") << "uplink" << 0 << "" << "Default output" << "Default output" << "";
        QTest::newRow("no answer") << "uplink" << -1 << "no answer within 3 s" << "uplink (looking for it...)" << "uplink (not listed: no answer within 3 s)" << "uplink";
        // clang-format on
    }
    void outputsArriveLater() {
        QFETCH(QString, given);
        QFETCH(int, pickedMeanwhile);
        QFETCH(QString, error);
        QFETCH(QString, shownBefore);
        QFETCH(QString, shownAfter);
        QFETCH(QString, chosen);
        tones::StationSettings station;
        station.output = given;
        ui::StationDialog dialog(station, {});
        QComboBox& output = *dialog.form().outputChoice;
        if (pickedMeanwhile >= 0) {
            output.setCurrentIndex(pickedMeanwhile);
        }
        QCOMPARE(output.currentText(), shownBefore);
        QList<ui::StationDialog::Choice> listed;
        if (error.isEmpty()) {
            listed = {{"speakers", "Desk speakers (speakers)"},
                      {"uplink", "Radio uplink (uplink)"}};
        }
        dialog.showOutputs(listed, error);
        dialog.showOutputs(listed, error);
        QCOMPARE(output.currentText(), shownAfter);
        QCOMPARE(dialog.settings().output, chosen);
        QCOMPARE(output.count(), 1 + listed.size() + (output.findData(chosen) > listed.size()));
    }
};

QTEST_MAIN(StationTest)
#include "tst_station.moc"
