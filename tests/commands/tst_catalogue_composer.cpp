#include "commands/catalogue.h"
#include "commands/composer.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// The window's boxes as a plain map, with the window's initial texts.
class Boxes : public commands::ControlAccess {
public:
    QHash<QString, QString> texts{{"Text1", "200"},   {"Text2", "200"},   {"Text3", "178"},
                                  {"Text4", "170"},   {"Text5", "00000"}, {"Text6", "00000"},
                                  {"Text7", "00000"}, {"Text8", "00000"}, {"Text13", ""}};
    QString text(QStringView control) const override { return texts.value(control.toString()); }
    void setText(QStringView control, const QString& text) override {
        texts[control.toString()] = text;
    }
};

} // namespace

class CatalogueComposer : public QObject {
    Q_OBJECT

    Boxes boxes;
    QStringList dialled;
    QStringList lastSentWhenDialled;
    commands::Composer composer{boxes,
                                [this](const QString& command) {
                                    dialled << command;
                                    lastSentWhenDialled << boxes.texts.value("Text11");
                                },
                                [] { return QStringLiteral("ELEMENTS"); },
                                [] { return QStringLiteral("TIME"); }};

private slots:
    void init() {
        boxes = Boxes();
        dialled.clear();
        lastSentWhenDialled.clear();
    }

    void catalogueIsComplete() {
        const auto all = commands::Catalogue();
        QCOMPARE(qsizetype(all.size()), qsizetype(commands::kCommandCount));
        QSet<int> indexes;
        QSet<QString> numbers;
        int verbatim = 0;
        const QRegularExpression sixSymbols("^\\*\\*\\d\\d##$");
        for (const auto& e : all) {
            indexes.insert(e.index);
            QVERIFY2(e.caption.startsWith(u"**") || e.caption == u"send",
                     qPrintable(e.caption.toString()));
            if (e.caption != u"send") {
                const QString number = e.caption.mid(2, 2).toString();
                QVERIFY2(!numbers.contains(number), qPrintable("duplicate command " + number));
                numbers.insert(number);
            }
            if (e.sent == commands::Sent::Caption) {
                ++verbatim;
                QVERIFY2(sixSymbols.match(e.caption.toString()).hasMatch(),
                         qPrintable(e.caption.toString()));
            }
            QCOMPARE(commands::FindCommand(e.index), &e);
        }
        QCOMPARE(verbatim, 19);
        QCOMPARE(indexes.size(), 28);
        QCOMPARE(*std::min_element(indexes.begin(), indexes.end()), 0);
        QCOMPARE(*std::max_element(indexes.begin(), indexes.end()), 27);
        QCOMPARE(commands::FindCommand(28), nullptr);
        QCOMPARE(commands::FindCommand(-1), nullptr);
    }

    void sends_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("sent");
        QTest::newRow("fixed 7") << 7 << ""
                                 << ""
                                 << "**31##";
        QTest::newRow("fixed 16") << 16 << ""
                                  << ""
                                  << "**41##";
        QTest::newRow("fixed 0") << 0 << ""
                                 << ""
                                 << "**47##";
        QTest::newRow("fixed 27") << 27 << ""
                                  << ""
                                  << "**66##";
        QTest::newRow("threshold default") << 12 << ""
                                           << ""
                                           << "**13#200#";
        QTest::newRow("threshold changed, caption not used") << 12 << "Text1"
                                                             << "150"
                                                             << "**13#150#";
        QTest::newRow("threshold with blank kept") << 12 << "Text1"
                                                   << "2 0"
                                                   << "**13#2 0#";
        QTest::newRow("threshold empty") << 12 << "Text1"
                                         << ""
                                         << "**13##";
        QTest::newRow("threshold 11") << 11 << "Text2"
                                      << "201"
                                      << "**14#201#";
        QTest::newRow("threshold 10") << 10 << ""
                                      << ""
                                      << "**15#178#";
        QTest::newRow("threshold 9") << 9 << "Text4"
                                     << "9"
                                     << "**16#9#";
        QTest::newRow("pointer") << 17 << "Text5"
                                 << "00012"
                                 << "**39#0001200000#";
        QTest::newRow("resend") << 18 << "Text8"
                                << "00200"
                                << "**40#0000000200#";
        QTest::newRow("free text") << 21 << "Text13"
                                   << " *1a# "
                                   << " *1a# ";
        QTest::newRow("free text empty") << 21 << ""
                                         << ""
                                         << "";
        QTest::newRow("elements") << 19 << ""
                                  << ""
                                  << "ELEMENTS";
        QTest::newRow("time") << 20 << ""
                              << ""
                              << "TIME";
    }
    void sends() {
        QFETCH(int, index);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, sent);
        if (!box.isEmpty()) {
            boxes.texts[box] = value;
        }
        composer.SendCommand(qint16(index));
        QCOMPARE(dialled, QStringList{sent});
        // The display shows the command before the first tone.
        QCOMPARE(lastSentWhenDialled, QStringList{"last sent: " + sent});
        QCOMPARE(boxes.texts.value("Text11"), "last sent: " + sent);
        QVERIFY(!sent.contains("[]") && sent != "send");
    }

    void packetNumbersJoinedWithoutSeparator() {
        boxes.texts["Text5"] = "00012";
        boxes.texts["Text6"] = "00034";
        boxes.texts["Text7"] = "00100";
        boxes.texts["Text8"] = "00200";
        composer.SendCommand(17);
        composer.SendCommand(18);
        QCOMPARE(dialled, (QStringList{"**39#0001200034#", "**40#0010000200#"}));
    }

    void eachPressReplacesLastSent() {
        boxes.texts["Text11"] = "last sent: **11#2059A5178#";
        composer.SendCommand(4);
        QCOMPARE(boxes.texts.value("Text11"), QString("last sent: **35##"));
    }

    void unknownIndexDoesNothing() {
        composer.SendCommand(28);
        composer.SendCommand(-1);
        QVERIFY(dialled.isEmpty());
        QVERIFY(!boxes.texts.contains("Text11"));
    }
};

QTEST_GUILESS_MAIN(CatalogueComposer)
#include "tst_catalogue_composer.moc"
