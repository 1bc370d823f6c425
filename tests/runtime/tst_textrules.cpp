#include "runtime/dates.h"
#include "runtime/textrules.h"

#include <QTest>

using namespace rt;
using Values = QList<double>;

template <typename... Texts> QString all(const Texts&... texts) {
    return QStringList{texts...}.join(u'|');
}

class TextRules : public QObject {
    Q_OBJECT
private slots:
    // Texts separated by "|", and the value of each.
    void val_data() {
        QTest::addColumn<QString>("texts");
        QTest::addColumn<Values>("values");
        const QString zeros(400, u'0');
        // clang-format off
        QTest::newRow("blanks, tabs, line feeds anywhere") << "\t- 1\n2 .\t5 E\n+ 1x| &h F\tf" << Values{-125, 255};
        QTest::newRow("signs, points, stops") << "|+0042|12a45|-|.5.3|1\r2" << Values{0, 42, 12, 0, 0.5, 1};
        QTest::newRow("exponents") << "25E-1|2d2|7e+x" << Values{2.5, 200, 7};
        // U+0665, Arabic-Indic five, taken for a digit and narrowed to a byte, reads as "e".
        QTest::newRow("only ASCII digits") << "1\u06655|&H1\uFF11F" << Values{1, 1};
        QTest::newRow("octal") << "&o178|&O19" << Values{15, 1};
        QTest::newRow("out of range") << "1E-999|0." + zeros + "1e+5|-9D999|1" + zeros + "e-5" << Values{0, 0, -qInf(), qInf()};
        // clang-format on
    }
    void val() {
        QFETCH(QString, texts);
        QFETCH(Values, values);
        const QStringList split = texts.split(u'|');
        QCOMPARE(split.size(), values.size());
        for (qsizetype i = 0; i < split.size(); ++i)
            QCOMPARE(Val(split[i]), values[i]);
    }

    // The other rules give text: what the calls gave, and what they must give.
    void text_data() {
        QTest::addColumn<QString>("got");
        QTest::addColumn<QString>("expected");
        qputenv("TZ", "Europe/Berlin"); // naive values must not shift at daylight-saving changes
        const DateTime t = MakeDateTime(2009, 3, 5, 7, 8, 9);
        const QLocale uk(QLocale::English, QLocale::UnitedKingdom);
        const auto iso = [](const DateTime& d) { return FormatDate(d, u"yyyy-mm-dd hh:nn:ss"); };
        const QString s = "abcdef";
        // clang-format off
        QTest::newRow("Mid") << all(Mid(s, 2, 3), Mid(s, 6, 8), Mid(s, 7, 1), Mid(s, 0, 2), Mid(s, 1, -1)) << "bcd|f|||";
        QTest::newRow("Right") << all(Right(s, 2), Right(s, 9), Right(s, -1)) << "ef|abcdef|";
        QTest::newRow("FormatWhole") << all(FormatWhole(-340), FormatWhole(1234567), FormatWhole(-0.2), FormatWhole(qInf())) << "-340|1234567|0|";
        QTest::newRow("FormatWhole halves") << all(FormatWhole(2.5), FormatWhole(-2.5), FormatWhole(0.49999999999999994)) << "3|-3|0";
        QTest::newRow("FormatDate codes") << FormatDate(t, u"yyyy YY mm DD nn SS hh", uk) << "2009 09 03 05 08 09 07";
        QTest::newRow("mm after an hour") << FormatDate(t, u"HH:mm hh mm hhmm", uk) << "07:08 07 08 0708";
        QTest::newRow("mm as month") << FormatDate(t, u"dd mm hh-mm hh x mm", uk) << "05 03 07-03 07 x 03";
        QTest::newRow("long date") << FormatDate(t, u"dddddd", uk) << "Thursday, 5 March 2009";
        QTest::newRow("year 987") << FormatDate(MakeDateTime(987, 6, 5), u"yyyy/yy") << "0987/87";
        QTest::newRow("over year end") << iso(DateAdd(u"s", -6, MakeDateTime(2013, 1, 1, 0, 0, 5))) << "2012-12-31 23:59:59";
        QTest::newRow("into leap day") << iso(DateAdd(u"S", -6, MakeDateTime(2012, 3, 1, 0, 0, 3))) << "2012-02-29 23:59:57";
        QTest::newRow("over a DST night") << iso(DateAdd(u"n", 90, MakeDateTime(2026, 3, 29, 1, 30))) << "2026-03-29 03:00:00";
        QTest::newRow("over month end") << iso(DateAdd(u"h", 25, MakeDateTime(2026, 4, 30, 23))) << "2026-05-02 00:00:00";
        QTest::newRow("days to leap day") << iso(DateAdd(u"D", 365, MakeDateTime(2023, 3, 1))) << "2024-02-29 00:00:00";
        QTest::newRow("other interval") << iso(DateAdd(u"m", 5, t)) << "2009-03-05 07:08:09";
        QTest::newRow("midnights") << QString::number(DateDiffDays(MakeDateTime(2024, 1, 1, 23), MakeDateTime(2024, 1, 2))) << "1";
        QTest::newRow("midnights back") << QString::number(DateDiffDays(MakeDateTime(2025, 1, 1), MakeDateTime(2024, 1, 1, 23))) << "-366";
        // clang-format on
    }
    void text() {
        QFETCH(QString, got);
        QFETCH(QString, expected);
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TextRules)
#include "tst_textrules.moc"
