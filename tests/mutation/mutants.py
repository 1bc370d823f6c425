# SPDX-License-Identifier: GPL-3.0-or-later
"""Deliberately broken builds of the dialer: faults the test suite must catch.

Each mutant is one textual change: `old` must occur exactly once in `file`
(run.py asserts this before it builds anything; `run.py --check` checks only).
Paths are relative to the tree's root.

M01-M59 keep the ids and meanings of the faults run against the code before
the redesign. Where the code a fault lived in is gone because Qt now does the
work, the mutant is the closest fault in the code that took its place, and its
description says what it stands in for ("for: ..."). M60 on are faults in what
the redesign added.

Ids with no mutant, because nothing of the dialer's own is left where the
fault could be made (see README.md):
  M27  daylight saving: Qt's and the C library's zone code alone decide it.
"""

_DTMF_DIGITS = (
    "    {'1', 0, 0},\n"
    "    {'2', 0, 1},\n"
    "    {'3', 0, 2},\n"
    "    {'4', 1, 0},\n"
    "    {'5', 1, 1},\n"
    "    {'6', 1, 2},\n"
    "    {'7', 2, 0},\n"
    "    {'8', 2, 1},\n"
    "    {'9', 2, 2},\n"
)

_CLOCK_BODY = (
    "\n"
    "namespace timecal {\n"
    "\n"
    "QDateTime SystemClock::utcNow() const {\n"
    "    return QDateTime::currentDateTimeUtc();\n"
    "}\n"
    "\n"
    "QDate SystemClock::localToday() const {\n"
    "    ::tzset(); // the C library reads TZ once unless told to look again\n"
)

_PLAY_SYMBOL = (
    "        reportFailures(key ? queueTone(symbol, *key,\n"
    "                                       folder.filePath(QString::fromStdString(toneFileName(*key))))\n"
    "                           : QStringList{symbolFailed(symbol, QStringLiteral(\"not a DTMF symbol\"))},\n"
    "                       onFailure);\n"
)

MUTANTS = [
    # ---- runtime: the packet rows' number reader, and what replaced the
    # ---- old text helpers -------------------------------------------------
    dict(id="M01", area="runtime",
         desc="Number reader: &O octal accepts the digits 8 and 9",
         file="runtime/numbervalue.cpp",
         old="if (digit < 0 || digit >= radix) {",
         new="if (digit < 0 || digit >= std::max(radix, 10)) {"),
    dict(id="M02", area="runtime",
         desc="Number reader: lower-case prefix &h / &o not recognised (reads 0)",
         file="runtime/numbervalue.cpp",
         old="const QChar kind = text.at(pos + 1).toUpper();",
         new="const QChar kind = text.at(pos + 1);"),
    dict(id="M03", area="runtime",
         desc="Number reader: line feeds no longer skipped (only blanks and tabs)",
         file="runtime/numbervalue.cpp",
         old="return c == u' ' || c == u'\\t' || c == u'\\n';",
         new="return c == u' ' || c == u'\\t';"),
    dict(id="M04", area="runtime",
         desc="Element columns: column numbers taken as 0-based, one to the right "
              "(for: Mid's start taken as 0-based)",
         file="commands/elements.cpp",
         old=".mid(piece.column - 1, piece.count);",
         new=".mid(piece.column, piece.count);"),
    dict(id="M05", area="runtime",
         desc="Line reading: the text's last character counts as beyond its end, so a last "
              "line without a line break loses it (for: Mid, a start on the last character "
              "counted as beyond the end)",
         file="commands/elements.cpp",
         old="while (pos < text.size() && text.at(pos) != u'\\r'",
         new="while (pos + 1 < text.size() && text.at(pos) != u'\\r'"),
    dict(id="M06", area="runtime",
         desc="Epoch: day of year from the right two characters, not three "
              "(for: Right one character short)",
         file="commands/elements.cpp",
         old="const int day = epoch.mid(2).toInt();",
         new="const int day = epoch.right(2).toInt();"),
    dict(id="M07", area="runtime",
         desc="Element-set age: every negative age shown as 0 "
              "(for: FormatWhole's '-0' fix turning every negative number into '0')",
         file="ui/displays.cpp",
         old=".arg(epoch->daysTo(today));",
         new=".arg(std::max<qint64>(0, epoch->daysTo(today)));"),
    dict(id="M08", area="runtime",
         desc="Clock display: 'HH:MM:ss', the month where the minutes go "
              "(for: FormatDate's 'hh:mm' giving the month)",
         file="ui/displays.cpp",
         old='utc.toString(u"HH:mm:ss")',
         new='utc.toString(u"HH:MM:ss")'),
    dict(id="M09", area="runtime",
         desc="Time-set command: date codes in upper case ('DDMMYY'), which Qt copies as text "
              "(for: FormatDate's codes case-sensitive)",
         file="commands/timecommand.cpp",
         old='t.toString(u"ddMMyy")',
         new='t.toString(u"DDMMYY")'),

    # ---- commands ----------------------------------------------------------
    dict(id="M10", area="commands",
         desc="Composer: command head cut from the caption one character short",
         file="commands/composer.cpp",
         old="entry.caption.left(5)",
         new="entry.caption.left(4)"),
    dict(id="M11", area="commands",
         desc="Composer: last-sent display without the 'last sent: ' prefix",
         file="commands/composer.cpp",
         old='return QStringLiteral("last sent: ") + command;',
         new="return command;"),
    dict(id="M12", area="commands",
         desc="Window: last-sent display written after the dial is asked for instead of before",
         file="ui/dialerwindow.cpp",
         old="    form_->lastSent->setText(commands::lastSentText(composed.command));\n"
             "    // From here until the dial has finished, input to the window is dropped, not\n"
             "    // queued for later; the window keeps painting.\n"
             "    input_.hold();\n"
             "    emit dialRequested(composed.command,\n"
             "                       entry->name.isEmpty() ? QString() : entry->name.toString());\n",
         new="    // From here until the dial has finished, input to the window is dropped, not\n"
             "    // queued for later; the window keeps painting.\n"
             "    input_.hold();\n"
             "    emit dialRequested(composed.command,\n"
             "                       entry->name.isEmpty() ? QString() : entry->name.toString());\n"
             "    form_->lastSent->setText(commands::lastSentText(composed.command));\n"),
    dict(id="M13", area="commands",
         desc="Catalogue: PACKET_POINTER joins its boxes in the wrong order (OUT before IN)",
         file="commands/catalogue.cpp",
         old="&V::pointerIn, &V::pointerOut, 5}",
         new="&V::pointerOut, &V::pointerIn, 5}"),
    dict(id="M14", area="commands",
         desc="Catalogue: SET_TIME marked as a fixed caption (sends '**10#[]#')",
         file="commands/catalogue.cpp",
         old='u"**10#[]#", Time}',
         new='u"**10#[]#", Caption}'),
    dict(id="M15", area="commands",
         desc="Elements: epoch piece starts one column early (column 19, not 20)",
         file="commands/elements.cpp",
         old="{{}, 1, 20, 4}",
         new="{{}, 1, 19, 4}"),
    dict(id="M16", area="commands",
         desc="Elements: eccentricity copied with 6 columns instead of 7",
         file="commands/elements.cpp",
         old="{{}, 2, 27, 7}",
         new="{{}, 2, 27, 6}"),
    dict(id="M17", area="commands",
         desc="Elements: blanks in a column removed instead of sent as '0'",
         file="commands/elements.cpp",
         old="command += columns.replace(u' ', u'0');",
         new="command += columns.remove(u' ');"),
    dict(id="M18", area="commands",
         desc="Element-set intake: line 1 is any line starting with '1' (title '1KUNS' taken)",
         file="commands/elements.cpp",
         old='if (line.startsWith(u"1 ")) {',
         new='if (line.startsWith(u"1")) {'),
    dict(id="M19", area="commands",
         desc="Element-set intake: lines not trimmed (leading/trailing blanks kept)",
         file="commands/elements.cpp",
         old="QString line = text.mid(start, pos - start).trimmed();",
         new="QString line = text.mid(start, pos - start);"),
    dict(id="M20", area="commands",
         desc="Epoch: two-digit year 57 read as 2057 (pivot off by one)",
         file="commands/elements.cpp",
         old="yy >= 57 ? 1900 + yy",
         new="yy > 57 ? 1900 + yy"),
    dict(id="M21", area="commands",
         desc="Time-set command: six seconds ahead instead of back",
         file="commands/timecommand.cpp",
         old="addSecs(-6)",
         new="addSecs(6)"),
    dict(id="M22", area="commands",
         desc="Time-set command: weekday digit after the day instead of before it",
         file="commands/timecommand.cpp",
         old='t.toString(u"ssmmHH") + weekday + t.toString(u"ddMMyy")',
         new='t.toString(u"ssmmHHdd") + weekday + t.toString(u"MMyy")'),
    dict(id="M23", area="commands",
         desc="Time-set command: four-digit year",
         file="commands/timecommand.cpp",
         old='u"ddMMyy")',
         new='u"ddMMyyyy")'),
    dict(id="M24", area="commands",
         desc="Time-set command: weekday digit of the time before the 6 s step back",
         file="commands/timecommand.cpp",
         old="t.date().dayOfWeek()",
         new="utcNow.toUTC().date().dayOfWeek()"),
    dict(id="M25", area="commands",
         desc="Time-set command: 'ssMMHH', the month where the minutes go "
              "(for: minutes written with 'mm', the month, instead of 'nn')",
         file="commands/timecommand.cpp",
         old='u"ssmmHH"',
         new='u"ssMMHH"'),

    # ---- timecal: the clock (Qt's UTC and the system's local date) --------
    dict(id="M26", area="timecal",
         desc="Clock: UTC now read as local time "
              "(for: the zone bias's sign not turned, 'UTC' off by the zone's offset)",
         file="timecal/clock.cpp",
         old="return QDateTime::currentDateTimeUtc();",
         new="return QDateTime::currentDateTime();"),
    # M27 (daylight bias omitted in daylight time): no mutant, see the top.
    dict(id="M28", area="timecal",
         desc="Clock: local date from Qt's zone database by the zone's name; a zone given "
              "as a file's path is not understood "
              "(for: no fall-back to the C library where Qt cannot name the zone)",
         file="timecal/clock.cpp",
         # One change from the includes to the line: the line needs the header.
         old="#include <ctime>\n" + _CLOCK_BODY + "    return QDate::currentDate();\n",
         new="#include <QTimeZone>\n#include <ctime>\n" + _CLOCK_BODY
             + "    return QDateTime::currentDateTimeUtc()"
               ".toTimeZone(QTimeZone::systemTimeZone()).date();\n"),
    dict(id="M29", area="timecal",
         desc="Clock: the local date taken as the UTC date "
              "(for: the C library's offset with the wrong sign)",
         file="timecal/clock.cpp",
         old="return QDate::currentDate();",
         new="return QDateTime::currentDateTimeUtc().date();"),
    dict(id="M30", area="timecal",
         desc="Clock: the local date of the first call kept for every later one "
              "(for: the zone record kept between calls)",
         file="timecal/clock.cpp",
         old="return QDate::currentDate();",
         new="static const QDate first = QDate::currentDate();\n    return first;"),
    dict(id="M31", area="timecal",
         desc="Clock: the local wall-clock time labelled as UTC "
              "(for: UTC now from a local clock read apart from the zone)",
         file="timecal/clock.cpp",
         old="return QDateTime::currentDateTimeUtc();",
         new="return QDateTime(QDate::currentDate(), QTime::currentTime(), Qt::UTC);"),
    dict(id="M32", area="timecal",
         desc="Time-set command: weekday digit 7 on Sundays instead of 0 "
              "(for: the weekday formula's December key typo)",
         file="commands/timecommand.cpp",
         old="dayOfWeek() % 7",
         new="dayOfWeek()"),
    dict(id="M33", area="timecal",
         desc="Time-set command: weekday digit counted from Monday = 0, one off every day "
              "(for: the weekday formula's leap-year correction in January only)",
         file="commands/timecommand.cpp",
         old="t.date().dayOfWeek() % 7",
         new="(t.date().dayOfWeek() + 6) % 7"),
    dict(id="M34", area="timecal",
         desc="Epoch: day of year counted from 0 (1 January = day 0) "
              "(for: DayOfYear 0-based)",
         file="commands/elements.cpp",
         old="return first.addDays(day - 1);",
         new="return first.addDays(day);"),

    # ---- tones ---------------------------------------------------------------
    dict(id="M35", area="tones",
         desc="DTMF table: '0' first, so '0' -> 1.wav, '1' -> 2.wav ... "
              "(for: the symbol->file table starting at '0')",
         file="tones/dtmf.h",
         old=_DTMF_DIGITS + "    {'0', 3, 1},\n",
         new="    {'0', 3, 1},\n" + _DTMF_DIGITS),
    dict(id="M36", area="tones",
         desc="DTMF table: lower-case letters a-d not mapped",
         file="tones/dtmf.h",
         old="        symbol -= U'a' - U'A';\n",
         new=""),
    dict(id="M37", area="tones",
         desc="Dialling: tab no longer skipped (reported as a bad symbol)",
         file="tones/toneplayer.cpp",
         old="if (symbol == u' ' || symbol == u'\\t') {",
         new="if (symbol == u' ') {"),
    dict(id="M38", area="tones",
         desc="Dialling: characters that are no DTMF symbol silently dropped, not reported",
         file="tones/toneplayer.cpp",
         old=': NotSentList{symbolFailed(symbol, position, QStringLiteral("not a DTMF symbol"))};',
         new=": NotSentList{};"),
    dict(id="M39", area="tones",
         desc="Tone error message: text and title swapped",
         file="ui/dialerwindow.cpp",
         old="warnings_.show(tones::kToneErrorText.toString(), tones::kToneErrorTitle.toString(),",
         new="warnings_.show(tones::kToneErrorTitle.toString(), tones::kToneErrorText.toString(),"),
    dict(id="M40", area="tones",
         desc="Dialling stops at the first failed symbol (one message per command)",
         file="tones/toneplayer.cpp",
         old="        reportFailures(std::move(reasons), onFailure);\n",
         new="        const bool failed = !reasons.isEmpty();\n"
             "        reportFailures(std::move(reasons), onFailure);\n"
             "        if (failed) {\n"
             "            break;\n"
             "        }\n"),
    dict(id="M41", area="tones",
         desc="Tone file: truncated-file check not applied (a cut-off tone plays in part)",
         file="tones/soundfile.cpp",
         old="width > 0 && promised && *promised > held",
         new="false && promised && *promised > held"),
    dict(id="M42", area="tones",
         desc="Tone player: stream opened anew for every tone (drops what is queued)",
         file="tones/toneplayer.cpp",
         old="if (!output_.isOpen() && !output_.open(tone->format)) {",
         new="if (!output_.open(tone->format)) {"),
    dict(id="M43", area="tones",
         desc="Device fault: a failed device is not closed, so it is never reopened",
         file="tones/toneplayer.cpp",
         old="    // Closed, so that the next tone tries the device afresh.\n"
             "    output_.close();\n",
         new="    // Closed, so that the next tone tries the device afresh.\n"),
    dict(id="M44", area="tones",
         desc="Device fault: stall timer restarted at every poll, the stall limit never triggers",
         file="tones/portaudiooutput.cpp",
         old='    waitedMs += kPollMs;\n    return true;',
         new='    waitedMs = 0;\n    return true;'),
    dict(id="M45", area="tones",
         desc="No device: audio system not started again once a device may have appeared",
         file="tones/portaudiooutput.cpp",
         old="    if (initialized_ && Pa_GetDefaultOutputDevice() != paNoDevice) {\n"
             "        return true;\n",
         new="    if (initialized_) {\n"
             "        return Pa_GetDefaultOutputDevice() != paNoDevice;\n"),

    # ---- ui ----------------------------------------------------------------
    dict(id="M46", area="ui",
         desc="Packet rows: pointer row wants IN <= OUT (comparison direction reversed)",
         file="ui/displays.cpp",
         old="leftAtLeastRight ? l >= r : l <= r;",
         new="leftAtLeastRight ? l <= r : l <= r;"),
    dict(id="M47", area="ui",
         desc="Packet rows: resend row wants START < STOP (equal numbers invalid)",
         file="ui/displays.cpp",
         old="leftAtLeastRight ? l >= r : l <= r;",
         new="leftAtLeastRight ? l >= r : l < r;"),
    dict(id="M48", area="ui",
         desc="Packet rows: five-character rule lets shorter entries pass",
         file="ui/displays.cpp",
         old="changed.size() == 5",
         new="changed.size() <= 5"),
    dict(id="M49", area="ui",
         desc="Packet rows: the left box's length counted instead of the changed box's",
         file="ui/dialerwindow.cpp",
         old="packetRowValid(box->text(), left->text(), right->text(), pointerRow)",
         new="packetRowValid(left->text(), left->text(), right->text(), pointerRow)"),
    dict(id="M50", area="ui",
         desc="Packet rows: resend reset clears the pointer's IN instead of START",
         file="ui/dialerwindow.cpp",
         old='form_->resendStart->setText(QStringLiteral("00000"));',
         new='form_->pointerIn->setText(QStringLiteral("00000"));'),
    dict(id="M51", area="ui",
         desc="Element-set age: day difference with the wrong sign",
         file="ui/displays.cpp",
         old="epoch->daysTo(today)",
         new="today.daysTo(*epoch)"),
    dict(id="M52", area="ui",
         desc="Element-set age: no epoch read as today ('TLE is 0 days old' instead of empty)",
         file="ui/displays.cpp",
         old="commands::epochDate(line1);",
         new="commands::epochDate(line1).value_or(today);"),
    dict(id="M53", area="ui",
         desc="Element-set age: counted to the UTC date instead of the local date",
         file="ui/dialerwindow.cpp",
         old="elementSetAgeText(set.line1, clock_.localToday())",
         new="elementSetAgeText(set.line1, clock_.utcNow().date())"),
    dict(id="M54", area="ui",
         desc="Clock text: short numeric date instead of the long date",
         file="ui/displays.cpp",
         old="QLocale::LongFormat",
         new="QLocale::ShortFormat"),
    dict(id="M55", area="ui",
         desc="Clock: keeps ticking while a command is dialled",
         file="ui/dialerwindow.cpp",
         old="    if (!input_.isHeld()) {\n        form_->utcClock->setText(",
         new="    {\n        form_->utcClock->setText("),
    dict(id="M56", area="ui",
         desc="Input while dialling: event filter never installed (typing reaches boxes)",
         file="ui/inputblock.cpp",
         old="        QCoreApplication::instance()->installEventFilter(this);\n",
         new=""),
    dict(id="M57", area="ui",
         desc="Input while dialling: key presses not dropped",
         file="ui/inputblock.cpp",
         old="    case QEvent::KeyPress:\n",
         new=""),
    dict(id="M58", area="ui",
         desc="Input while dialling: Close not dropped (window closes mid-command)",
         file="ui/inputblock.cpp",
         old="    case QEvent::Close:\n",
         new=""),
    dict(id="M59", area="ui",
         desc="Threshold value: SET_LOW_BATT box starts at 170 instead of 178",
         file="ui/dialerwindow.ui",
         old="<string>178</string>",
         new="<string>170</string>"),

    # ---- what the redesign added -------------------------------------------
    dict(id="M60", area="commands",
         desc="Element-set check: checksum one too high",
         file="commands/elements.cpp",
         old="return sum % 10;",
         new="return (sum + 1) % 10;"),
    dict(id="M61", area="commands",
         desc="Element-set check: a minus sign not counted in the checksum",
         file="commands/elements.cpp",
         old="c.unicode() - u'0' : c == u'-' ? 1 : 0;",
         new="c.unicode() - u'0' : 0;"),
    dict(id="M62", area="commands",
         desc="Element-set check: padding blanks accepted in a field's last column too "
              "(an all-blank field passes)",
         file="commands/elements.cpp",
         old="column < piece.paddedTo",
         new="column <= piece.paddedTo"),
    dict(id="M63", area="commands",
         desc="Element-set check: the satellite numbers of the two lines not compared",
         file="commands/elements.cpp",
         old="if (set.line1.mid(2, 5) != set.line2.mid(2, 5)) {",
         new="if (set.line1.mid(2, 5) != set.line1.mid(2, 5)) {"),
    dict(id="M64", area="commands",
         desc="Element-set check: a second element set accepted (the first one is sent)",
         file="commands/elements.cpp",
         old="    if (first + 2 < lines.size()) {\n"
             "        return QStringLiteral(\"the box holds more than one element set; paste only the one to \"\n"
             "                              \"send.\");\n"
             "    }\n",
         new=""),
    dict(id="M65", area="commands",
         desc="Composer: refuses nothing, a corrupt element set is sent",
         file="commands/composer.cpp",
         old="        if (const auto problem = elementSetProblem(values.elementSet)) {\n"
             "            return {{}, QStringLiteral(\"The element set was not sent: \") + *problem};\n"
             "        }\n",
         new=""),
    dict(id="M66", area="tones",
         desc="Dialer: does not wait for the operator's acknowledgement of a failure",
         file="tones/dialer.cpp",
         old="    while (awaitingAcknowledgement_) {\n"
             "        acknowledged_.wait(&mutex_);\n"
             "    }\n",
         new=""),
    dict(id="M67", area="tones",
         desc="Dialer: the one-dial lock not taken (two dialers' commands mix)",
         file="tones/dialer.cpp",
         old='const QString noLock = lock_.lock([this] { return !stopRequested_; });',
         new='const QString noLock;'),
    dict(id="M68", area="tones",
         desc="Dialer: dialFinished before the command's tones (the window takes input "
              "while it still sounds)",
         file="tones/dialer.cpp",
         old='    emit dialStarted(command);\n',
         new='    emit dialStarted(command);\n    emit dialFinished();\n'),
    dict(id="M69", area="tones",
         desc="Tone player: a failed device reports every queued tone, also those already heard",
         file="tones/toneplayer.cpp",
         old="if (tone.soundEnd > played) {",
         new="if (tone.soundEnd > 0) {"),
    dict(id="M70", area="tones",
         desc="DTMF table: '*' and '#' with each other's pair",
         file="tones/dtmf.h",
         old="    {'*', 3, 0},\n    {'#', 3, 2},\n",
         new="    {'*', 3, 2},\n    {'#', 3, 0},\n"),
    dict(id="M71", area="ui",
         desc="Input while dialling: a close request dropped but not refused (the window "
              "still closes)",
         file="ui/inputblock.cpp",
         old="        if (event->type() == QEvent::Close) {\n"
             "            event->ignore();\n"
             "        }\n",
         new=""),
    dict(id="M72", area="ui",
         desc="Window: a refused command is dialled all the same (an empty command)",
         file="ui/dialerwindow.cpp",
         old="        warnings_.show(composed.refusal, QStringLiteral(\"Nothing sent\"), {});\n"
             "        return;\n",
         new="        warnings_.show(composed.refusal, QStringLiteral(\"Nothing sent\"), {});\n"),
    dict(id="M73", area="ui",
         desc="Window: the last-sent display written on a refusal too ('last sent: ')",
         file="ui/dialerwindow.cpp",
         old="    if (!composed.refusal.isEmpty()) {\n",
         new="    form_->lastSent->setText(commands::lastSentText(composed.command));\n"
             "    if (!composed.refusal.isEmpty()) {\n"),
    dict(id="M74", area="tones",
         desc="PortAudio output: stall limit taken in seconds where it is milliseconds "
              "(a device whose queue is merely full counts as failed)",
         file="tones/portaudiooutput.cpp",
         old='    if (waitedMs > stallLimitMs) {',
         new='    if (waitedMs > stallLimitMs / 1000) {'),
    dict(id="M75", area="tones",
         desc="Tone player: the tone check not applied (a file of another key is sent)",
         file="tones/toneplayer.cpp",
         old="    if (!carriesDtmfPair(*tone, key)) {\n",
         new="    if (false && !carriesDtmfPair(*tone, key)) {\n"),
    dict(id="M76", area="tones",
         desc="Tone check: a sound one analysis block long (28 ms) counts as a digit, not "
              "33 ms",
         file="tones/tonecheck.cpp",
         old="double(length) >= kMinToneSeconds * rate",
         new="double(length) >= kBlockSeconds * rate"),
    dict(id="M77", area="tones",
         desc="Dialer: closing the program does not wake a failure that waits for the "
              "operator (the program hangs)",
         file="tones/dialer.cpp",
         old="    shuttingDown_ = true;\n"
             "    awaitingAcknowledgement_ = false;\n"
             "    acknowledged_.wakeAll();\n",
         new="    shuttingDown_ = true;\n"),
    dict(id="M78", area="tones",
         desc="Tone check: the twist limit taken on amplitudes, not on power (a column "
              "6 dB down fails)",
         file="tones/tonecheck.cpp",
         old="std::pow(10.0, kMaxTwistDb / 10)",
         new="std::pow(10.0, kMaxTwistDb / 20)"),
    dict(id="M79", area="tones",
         desc="Tone check: the other columns not looked at (a second column as loud "
              "passes)",
         file="tones/tonecheck.cpp",
         old="(k != column_ && other * p[4 + std::size_t(k)] > column)",
         new="(false)"),
    dict(id="M80", area="tones",
         desc="Tone player: a drain that fails is not counted as lost tones",
         file="tones/toneplayer.cpp",
         old="return output_.stopAsked() ? NotSentList{} : dropFailedDevice();",
         new="return NotSentList{};"),
    dict(id="M81", area="tones",
         desc="Tone player: a tone counted lost unless its trailing silence played too "
              "(a false box when the server dies in a silence)",
         file="tones/toneplayer.cpp",
         old="queuedFrames_ + sound});",
         new="queuedFrames_ + fitted.frameCount()});"),
    # Keying the transmitter (PTT). Ids of their own, apart from the numbered
    # run, each checked by hand against the tests named in results.tsv.
    dict(id="PTT01", area="tones",
         desc="Tone player: after a failure the transmitter is keyed again before its message, "
              "not before the next tone (keyed while the message waits)",
         file="tones/toneplayer.cpp",
         old="    for (const NotSent& failed : reasons) {\n"
             "        qCWarning(lcSound).noquote() << \"not sent:\" << failed.reason;\n",
         new="    if (keying_ != nullptr && !keyed_ && keying_->key().isEmpty()) {\n"
             "        keyed_ = true;\n"
             "        keyedAt_.start();\n"
             "    }\n"
             "    for (const NotSent& failed : reasons) {\n"
             "        qCWarning(lcSound).noquote() << \"not sent:\" << failed.reason;\n"),
    dict(id="PTT02", area="tones",
         desc="Tone player: no lead queued (the first tone as soon as the stream is open)",
         file="tones/toneplayer.cpp",
         old="        if (leadNs > 0 && !queueSilence(",
         new="        if (false && leadNs > 0 && !queueSilence("),
    dict(id="PTT03", area="tones",
         desc="Tone player: the lead counted twice",
         file="tones/toneplayer.cpp",
         old="qint64(keying_->leadMs + kLeadExtraMs)",
         new="qint64(2 * keying_->leadMs + kLeadExtraMs)"),
    dict(id="PTT04", area="tones",
         desc="Tone player: released once the last tone is queued, not after its sound and the "
              "tail",
         file="tones/toneplayer.cpp",
         old="        if (at + playedOn * rate / 1000 >= until) {",
         new="        if (true) {"),
    dict(id="PTT05", area="tones",
         desc="Tone player: the tail counted from the end of the last file, its trailing "
              "silence included, not from the end of its sound",
         file="tones/toneplayer.cpp",
         old="queued_.back().soundEnd + rate * (keying_->tailMs",
         new="queuedFrames_ + rate * (keying_->tailMs"),
    dict(id="PTT06", area="tones",
         desc="Tone player: each tone played out and the transmitter released after it (keyed "
              "once per tone)",
         file="tones/toneplayer.cpp",
         old="        reportFailures(std::move(reasons), onFailure);\n    }\n",
         new="        reportFailures(std::move(reasons), onFailure);\n"
             "        finishQueuedTones();\n    }\n"),
    dict(id="PTT07", area="tones",
         desc="Dialer: a stop does not release the transmitter (left keyed)",
         file="tones/dialer.cpp",
         old="    if (std::exchange(keyed_, false)) {",
         new="    if (std::exchange(keyed_, false) && !stopRequested_) {"),
    dict(id="PTT08", area="tones",
         desc="Dialer: a transmitter that cannot be opened or keyed does not stop the dial "
              "(the tones go out unkeyed)",
         file="tones/dialer.cpp",
         old="        if (!failure.isEmpty() || stopRequested_) {",
         new="        if (stopRequested_) {"),
    dict(id="PTT09", area="tones",
         desc="Transmitter: Hamlib's tracing left on stderr",
         file="tones/transmitter.cpp",
         old="        rig_set_debug_callback(&hamlibChatter, nullptr);\n"
             "        rig_set_debug(lcPtt().isDebugEnabled() ? RIG_DEBUG_VERBOSE : RIG_DEBUG_NONE);\n",
         new="        rig_set_debug(RIG_DEBUG_VERBOSE);\n"),
    dict(id="PTT10", area="tones",
         desc="Transmitter: a failure says which call failed, not Hamlib's reason",
         file="tones/transmitter.cpp",
         old='    error_ = QStringLiteral("%1: %2 (%3)").arg(call, reason, rigName_);',
         new="    error_ = call;"),
    dict(id="PTT11", area="tones",
         desc="Transmitter: the rig models in Hamlib's order, not by maker and name",
         file="tones/transmitter.cpp",
         old="    std::sort(models.begin(), models.end(),",
         new="    std::stable_sort(models.end(), models.end(),"),
    dict(id="PTT12", area="tones",
         desc="Dialer: the keying test does not wait for the dial lock (keys during another "
              "dialer's command)",
         file="tones/dialer.cpp",
         old="    QString failure = ptt.keys() ? lock_.lock([this] { return !stopRequested_; })",
         new="    QString failure = ptt.keys() ? QString()"),
    dict(id="PTT13", area="tones",
         desc="Dialer: the sound output opened only for the first tone, after the keying (the "
              "lead waits for the stream to open)",
         file="tones/dialer.cpp",
         old="        player_.openAhead(command);\n",
         new=""),
    dict(id="ST01", area="ui",
         desc="Station settings: the outputs' list resets the output to the one given, over "
              "what the operator picked while it came",
         file="ui/stationdialog.cpp",
         old="    const QString chosen = output.currentData().toString();",
         new="    const QString chosen = output.itemData(output.count() - 1).toString();"),
    dict(id="ST02", area="ui",
         desc="Station settings: a second list of outputs is added to the first",
         file="ui/stationdialog.cpp",
         old="    while (output.count() > 1) {",
         new="    while (false && output.count() > 1) {"),
]

