#include "runtime/dates.h"
#include "runtime/textrules.h"

#include <QTest>
#include <cmath>

class TextRules : public QObject {
    Q_OBJECT
private slots:
    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "00100" << 100.0;
        QTest::newRow("blanks inside") << "0 100" << 100.0;
        QTest::newRow("tabs and line feeds") << "\t1\n2 3" << 123.0;
        QTest::newRow("stops at letter") << "12a45" << 12.0;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("D exponent") << "2d2" << 200.0;
        QTest::newRow("negative exponent") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "7E" << 7.0;
        QTest::newRow("exponent sign without digits") << "7e+x" << 7.0;
        QTest::newRow("sign") << "-42" << -42.0;
        QTest::newRow("plus") << "+42" << 42.0;
        QTest::newRow("fraction") << "3.25x" << 3.25;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower") << "&hff" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("ampersand alone") << "&" << 0.0;
        QTest::newRow("carriage return stops") << "1\r2" << 1.0;
        QTest::newRow("non-ascii digit stops") << QString::fromUtf8("1\u0663") << 1.0;
        QTest::newRow("tiny") << "1E-999" << 0.0;
        QTest::newRow("tiny without exponent") << "0." + QString(400, u'0') + "1" << 0.0;
        QTest::newRow("tiny with a positive exponent") << "0." + QString(400, u'0') + "1e+5" << 0.0;
        QTest::newRow("hex stops at a non-ascii digit") << QString::fromUtf8("&H\u0663") << 0.0;
        QTest::newRow("hex stops at a fullwidth digit") << QString::fromUtf8("&H1\uFF11F") << 1.0;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(rt::Val(text), value);
    }

    void valBeyondDoubleRange() {
        QVERIFY(std::isinf(rt::Val("9E999")) && rt::Val("9E999") > 0);
        QVERIFY(std::isinf(rt::Val("-9E999")) && rt::Val("-9E999") < 0);
        const QString manyDigits = "1" + QString(400, u'0');
        QVERIFY(std::isinf(rt::Val(manyDigits)));
        QVERIFY(std::isinf(rt::Val(manyDigits + "e-5")));
    }

    void substrings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("mid");
        QTest::newRow("inside") << "abcdef" << 2 << 3 << "bcd";
        QTest::newRow("runs past end") << "abcdef" << 5 << 8 << "ef";
        QTest::newRow("start at end") << "abcdef" << 6 << 1 << "f";
        QTest::newRow("start beyond end") << "abcdef" << 7 << 1 << "";
        QTest::newRow("empty text") << "" << 1 << 3 << "";
        QTest::newRow("zero count") << "abc" << 1 << 0 << "";
    }
    void substrings() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(QString, mid);
        QCOMPARE(rt::Mid(text, start, count), mid);
    }

    void right() {
        QCOMPARE(rt::Right("abc", 1), QString("c"));
        QCOMPARE(rt::Right("", 1), QString());
    }

    void wholeNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -340.0 << "-340";
        QTest::newRow("large") << 5395.0 << "5395";
        QTest::newRow("half up") << 2.5 << "3";
        QTest::newRow("negative half") << -2.5 << "-3";
        QTest::newRow("negative zero") << -0.2 << "0";
    }
    void wholeNumber() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(rt::FormatWhole(value), text);
    }

    void formatDate_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        // 5 March 2009, 07:08:09
        QTest::newRow("year4") << "yyyy"
                               << "2009";
        QTest::newRow("year2 upper") << "YY"
                                     << "09";
        QTest::newRow("month") << "mm"
                               << "03";
        QTest::newRow("month upper") << "MM"
                                     << "03";
        QTest::newRow("minutes nn") << "nn"
                                    << "08";
        QTest::newRow("minutes after hour") << "hh:mm:ss"
                                            << "07:08:09";
        QTest::newRow("minutes after hour and blank") << "HH mm"
                                                      << "07 08";
        QTest::newRow("month after date") << "dd mm"
                                          << "05 03";
        QTest::newRow("month after hour and letter") << "hh x mm"
                                                     << "07 x 03";
        QTest::newRow("day") << "DD"
                             << "05";
        QTest::newRow("seconds") << "ss"
                                 << "09";
        QTest::newRow("long date and time") << "dddddd hh:mm:ss"
                                            << "Thursday, 5 March 2009 07:08:09";
    }
    void formatDate() {
        QFETCH(QString, format);
        QFETCH(QString, text);
        const QLocale locale(QLocale::English, QLocale::UnitedKingdom);
        QCOMPARE(rt::FormatDate(rt::MakeDateTime(2009, 3, 5, 7, 8, 9), format, locale), text);
    }

    void dateArithmetic_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::newRow("seconds back over year end")
            << "s" << -6 << rt::MakeDateTime(2013, 1, 1, 0, 0, 5)
            << rt::MakeDateTime(2012, 12, 31, 23, 59, 59);
        QTest::newRow("seconds back into leap day")
            << "s" << -6 << rt::MakeDateTime(2012, 3, 1, 0, 0, 3)
            << rt::MakeDateTime(2012, 2, 29, 23, 59, 57);
        QTest::newRow("minutes forward over month end")
            << "n" << 90 << rt::MakeDateTime(2026, 11, 30, 23, 0, 15)
            << rt::MakeDateTime(2026, 12, 1, 0, 30, 15);
        // A naive value crosses a daylight-saving change without a shift.
        QTest::newRow("across a daylight-saving night")
            << "n" << 60 << rt::MakeDateTime(2026, 3, 29, 1, 30, 0)
            << rt::MakeDateTime(2026, 3, 29, 2, 30, 0);
    }
    void dateArithmetic() {
        QFETCH(QString, interval);
        QFETCH(int, count);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        qputenv("TZ", "Europe/Berlin");
        QCOMPARE(rt::DateAdd(interval, count, from), to);
        qunsetenv("TZ");
    }

    void midnightsBetween() {
        QCOMPARE(
            rt::DateDiffDays(rt::MakeDateTime(2024, 1, 1), rt::MakeDateTime(2024, 12, 31, 23, 59)),
            365);
        QCOMPARE(
            rt::DateDiffDays(rt::MakeDateTime(2024, 1, 1, 23, 0), rt::MakeDateTime(2024, 1, 2)), 1);
        QCOMPARE(rt::DateDiffDays(rt::MakeDateTime(2024, 1, 2), rt::MakeDateTime(2024, 1, 1)), -1);
    }
};

QTEST_GUILESS_MAIN(TextRules)
#include "tst_textrules.moc"
