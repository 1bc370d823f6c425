#include "commands/composer.h"

#include <QTest>

// Every box holds its own name between blanks; the last-sent display is noted.
struct Boxes : commands::ControlAccess {
    QString shown;
    QString text(QStringView control) const override { return u' ' + control.toString() + u' '; }
    void setText(QStringView control, const QString& text) override {
        QCOMPARE(control, commands::kLastSentBox);
        shown = text;
    }
};

class CatalogueComposer : public QObject {
    Q_OBJECT
private slots:
    // Buttons pressed one after the other, and the commands dialled, joined by "|".
    void press_data() {
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QString>("dialled");
        // clang-format off
        QTest::newRow("system") << QList<int>{0, 1, 2, 3, 6, 7, 8} << "**47##|**38##|**33##|**34##|**30##|**31##|**32##";
        QTest::newRow("request data") << QList<int>{4, 5, 22, 23, 24, 25, 26, 27} << "**35##|**36##|**60##|**61##|**62##|**64##|**65##|**66##";
        QTest::newRow("ADCS") << QList<int>{13, 14, 15, 16} << "**42##|**44##|**46##|**41##";
        QTest::newRow("thresholds from their boxes") << QList<int>{12, 11, 10, 9} << "**13# Text1 #|**14# Text2 #|**15# Text3 #|**16# Text4 #";
        QTest::newRow("packet pairs joined") << QList<int>{17, 18} << "**39# Text5  Text6 #|**40# Text7  Text8 #";
        QTest::newRow("free text unchanged") << QList<int>{21} << " Text13 ";
        QTest::newRow("elements and time") << QList<int>{19, 20} << "ELEMENTS|TIME";
        QTest::newRow("unknown buttons") << QList<int>{-1, 28} << "";
        // clang-format on
    }
    void press() {
        QFETCH(QList<int>, buttons);
        QFETCH(QString, dialled);
        Boxes boxes;
        QStringList sent;
        commands::Composer composer(
            boxes,
            [&](const QString& command) {
                QCOMPARE(boxes.shown, "last sent: " + command); // shown before the first tone
                sent << command;
            },
            [] { return QStringLiteral("ELEMENTS"); }, [] { return QStringLiteral("TIME"); });
        for (int button : buttons)
            composer.SendCommand(qint16(button));
        QCOMPARE(sent.join(u'|'), dialled);
        QCOMPARE(boxes.shown.isEmpty(), sent.isEmpty()); // an unknown button shows nothing
    }
};

QTEST_GUILESS_MAIN(CatalogueComposer)
#include "tst_catalogue_composer.moc"
