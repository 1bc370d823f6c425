// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commandline.h"

#include <QCoreApplication>

namespace ui {
namespace {

const QCommandLineOption kOutput(QStringLiteral("output"),
                                 QStringLiteral("The sound output the tones go to, by its sink "
                                                "name or description (this run only)."),
                                 QStringLiteral("name"));
const QCommandLineOption kListOutputs(QStringLiteral("list-outputs"),
                                      QStringLiteral("Print the sound outputs, one a line."));
const QCommandLineOption kPttType(QStringLiteral("ptt-type"),
                                  QStringLiteral("How the transmitter is keyed: NONE, RIG, DTR, "
                                                 "RTS, CM108 or GPIO."),
                                  QStringLiteral("type"));
const QCommandLineOption kRigModel(QStringLiteral("rig-model"),
                                   QStringLiteral("Hamlib's rig model number (2: a running "
                                                  "rigctld)."),
                                   QStringLiteral("n"));
const QCommandLineOption kRigFile(QStringLiteral("rig-file"),
                                  QStringLiteral("The rig's port, or HOST:PORT of rigctld."),
                                  QStringLiteral("path"));
const QCommandLineOption kPttFile(QStringLiteral("ptt-file"),
                                  QStringLiteral("The serial port or device keyed by DTR, RTS, "
                                                 "CM108 or GPIO."),
                                  QStringLiteral("path"));
const QCommandLineOption kLead(QStringLiteral("ptt-lead-ms"),
                               QStringLiteral("Keyed this long before the first tone (default "
                                              "250)."),
                               QStringLiteral("ms"));
const QCommandLineOption kTail(QStringLiteral("ptt-tail-ms"),
                               QStringLiteral("Released this long after the last tone (default "
                                              "100)."),
                               QStringLiteral("ms"));

const QCommandLineOption kSend(QStringLiteral("send"),
                               QStringLiteral("Dial one command without a window and exit: a "
                                              "command's name with its values (SET_LOW_TEMP=205, "
                                              "PACKET_POINTER=00012,00010, SET_TIME), or a DTMF "
                                              "string sent as it stands ('**31##')."),
                               QStringLiteral("what"));
const QCommandLineOption kElements(QStringLiteral("elements"),
                                   QStringLiteral("The element set that SET_OLE sends, from a "
                                                  "file (- for standard input)."),
                                   QStringLiteral("file"));
const QCommandLineOption kList(QStringLiteral("list"),
                               QStringLiteral("Print the commands: name, what it sends, what "
                                              "values it takes."));
const QCommandLineOption kLog(QStringLiteral("log"),
                              QStringLiteral("The uplink log (default "
                                             "$XDG_STATE_HOME/dtmf-dialer/uplink.jsonl)."),
                              QStringLiteral("file"));

// A whole number from `lowest` to `highest`, or a usage error naming the option.
bool readWhole(const QCommandLineParser& parser, const QCommandLineOption& option, int lowest,
               int highest, int& value, QString& error) {
    if (!parser.isSet(option)) {
        return true;
    }
    const QString text = parser.value(option);
    bool ok = false;
    const int read = text.toInt(&ok);
    if (!ok || read < lowest || read > highest) {
        error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                    .arg(option.names().constFirst())
                    .arg(lowest)
                    .arg(highest)
                    .arg(text);
        return false;
    }
    value = read;
    return true;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, tones::StationSettings& station) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Dials the ground station's DTMF telecommands into the radio uplink."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({kSend, kElements, kList, kLog, kOutput, kListOutputs, kPttType, kRigModel,
                       kRigFile, kPttFile, kLead, kTail});

    CommandLine line;
    auto usageError = [&line](const QString& error) {
        line.action = CommandLine::Action::UsageError;
        line.error = error;
        return line;
    };
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unexpected argument \"%1\"")
                              .arg(parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.help = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                              QStringLiteral("dtmf-dialer"));
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }
    tones::StationSettings given = station;
    if (parser.isSet(kOutput)) {
        given.output = parser.value(kOutput);
    }
    if (parser.isSet(kPttType)) {
        const QString type = parser.value(kPttType).toUpper();
        if (!tones::kPttTypes.contains(type)) {
            return usageError(
                QStringLiteral("--ptt-type takes one of %1, not \"%2\"")
                    .arg(tones::kPttTypes.join(QStringLiteral(", ")), parser.value(kPttType)));
        }
        given.ptt.type = type;
    }
    if (parser.isSet(kRigFile)) {
        given.ptt.rigFile = parser.value(kRigFile);
    }
    if (parser.isSet(kPttFile)) {
        given.ptt.pttFile = parser.value(kPttFile);
    }
    QString error;
    if (!readWhole(parser, kRigModel, 1, 99999, given.ptt.rigModel, error) ||
        !readWhole(parser, kLead, 0, 10000, given.ptt.leadMs, error) ||
        !readWhole(parser, kTail, 0, 10000, given.ptt.tailMs, error)) {
        return usageError(error);
    }
    station = given;
    line.logFile = parser.value(kLog);
    line.elements = parser.value(kElements);
    if (parser.isSet(kElements) && !parser.isSet(kSend)) {
        return usageError(QStringLiteral("--elements goes with --send SET_OLE"));
    }
    if (parser.isSet(kSend)) {
        line.action = CommandLine::Action::Send;
        line.send = parser.value(kSend);
    } else if (parser.isSet(kList)) {
        line.action = CommandLine::Action::List;
    } else if (parser.isSet(kListOutputs)) {
        line.action = CommandLine::Action::ListOutputs;
    }
    return line;
}

} // namespace ui
