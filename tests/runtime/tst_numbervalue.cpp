// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/numbervalue.h"

#include <QTest>

using Values = QList<double>;

class NumberValue : public QObject {
    Q_OBJECT
private slots:
    // Texts separated by "|", and the value of each.
    void values_data() {
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
    void values() {
        QFETCH(QString, texts);
        QFETCH(Values, values);
        const QStringList split = texts.split(u'|');
        QCOMPARE(split.size(), values.size());
        for (qsizetype i = 0; i < split.size(); ++i)
            QCOMPARE(runtime::numberValue(split[i]), values[i]);
    }
};

QTEST_GUILESS_MAIN(NumberValue)
#include "tst_numbervalue.moc"
