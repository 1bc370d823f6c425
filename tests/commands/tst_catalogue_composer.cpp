#include "commands/composer.h"

#include <QTest>

using namespace commands;

class CatalogueComposer : public QObject {
    Q_OBJECT
private slots:
    // Buttons pressed one after the other, and the commands they send, joined by
    // "|". Every value holds its own name between blanks.
    void press_data() {
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QString>("sent");
        // clang-format off
        QTest::newRow("system") << QList<int>{0, 1, 2, 3, 6, 7, 8} << "**47##|**38##|**33##|**34##|**30##|**31##|**32##";
        QTest::newRow("request data") << QList<int>{4, 5, 22, 23, 24, 25, 26, 27} << "**35##|**36##|**60##|**61##|**62##|**64##|**65##|**66##";
        QTest::newRow("ADCS") << QList<int>{13, 14, 15, 16} << "**42##|**44##|**46##|**41##";
        QTest::newRow("thresholds") << QList<int>{12, 11, 10, 9} << "**13# lowTemp #|**14# okTemp #|**15# lowBatt #|**16# critBatt #";
        QTest::newRow("packet pairs joined") << QList<int>{17, 18} << "**39# pointerIn  pointerOut #|**40# resendStart  resendStop #";
        QTest::newRow("free text unchanged") << QList<int>{21} << " freeText ";
        QTest::newRow("elements and time") << QList<int>{19, 20} << "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A123415A584612342#|**10#1123182280212#";
        // clang-format on
    }
    void press() {
        QFETCH(QList<int>, buttons);
        QFETCH(QString, sent);
        const CommandValues values{
            " lowTemp ",
            " okTemp ",
            " lowBatt ",
            " critBatt ",
            " pointerIn ",
            " pointerOut ",
            " resendStart ",
            " resendStop ",
            " freeText ",
            "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9007\n"
            "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123457",
            QDateTime(QDate(2012, 2, 28), QTime(18, 23, 17), Qt::UTC),
        };
        QStringList commands;
        for (int button : buttons)
            commands << composeCommand(*findCommand(button), values).command;
        QCOMPARE(commands.join(u'|'), sent);
    }

    void refusedElementSet() {
        // A corrupt element set sends nothing and says why; nothing else is checked.
        CommandValues values;
        values.elementSet = "1 99999U";
        const ComposedCommand elements = composeCommand(*findCommand(19), values);
        QCOMPARE(elements.command, QString());
        QCOMPARE(elements.refusal, "The element set was not sent: expected line 2, beginning "
                                   "with \"2 \", after line 1.");
        values.lowTemp = "2x0";
        QCOMPARE(composeCommand(*findCommand(12), values).refusal, QString());
    }

    void catalogue() {
        // 28 buttons, indexes 0 to 27 without a gap; nothing outside.
        QList<int> indexes;
        for (const CatalogueEntry& entry : commands::catalogue())
            indexes << entry.index;
        std::sort(indexes.begin(), indexes.end());
        QCOMPARE(indexes.size(), 28);
        QCOMPARE(indexes.front(), 0);
        QCOMPARE(indexes.back(), 27);
        QCOMPARE(std::adjacent_find(indexes.begin(), indexes.end()), indexes.end());
        QVERIFY(!findCommand(-1) && !findCommand(28));
        QCOMPARE(lastSentText(""), "last sent: ");
        QCOMPARE(lastSentText("**31##"), "last sent: **31##");
    }
};

QTEST_GUILESS_MAIN(CatalogueComposer)
#include "tst_catalogue_composer.moc"
