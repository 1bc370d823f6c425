#include "ui/form1.h"
#include "ui/platform.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

// A local clock and a time zone that say what the test sets.
struct FixedTime : rt::Clock, timecal::TimeZoneSource {
    rt::DateTime now = rt::MakeDateTime(2012, 2, 28, 19, 23, 17);
    timecal::TimeZoneRecord record{-60, 0, -60};
    timecal::ZoneState state = timecal::ZoneState::Standard;
    rt::DateTime localNow() const override { return now; }
    timecal::ZoneState query(timecal::TimeZoneRecord& r) const override {
        r = record;
        return state;
    }
};

const QString kLine1 = "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9005";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123456";

class WindowTest : public QObject {
    Q_OBJECT

    FixedTime time;
    QStringList dialled;
    std::function<void(const QString&)> dial;
    std::unique_ptr<ui::Form1> form;

    void tick() { QMetaObject::invokeMethod(&form->Timer1, "timeout"); }

private slots:
    void initTestCase() { ui::RegisterWindowFonts(); }
    void init() {
        dialled.clear();
        dial = [this](const QString& command) { dialled << command; };
        time = FixedTime();
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[this](const QString& command) { dial(command); }, &time, &time,
                               QLocale(QLocale::English, QLocale::UnitedKingdom)});
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    void windowButtonsAndTabOrder() {
        QCOMPARE(form->unknownControls(), QStringList());
        QCOMPARE(form->minimumSize(), QSize(483, 187));
        QCOMPARE(form->maximumSize(), QSize(483, 187));
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->Timer1.interval(), 1000);
        QVERIFY(form->Timer1.isActive());
        // Of the 28 buttons, 4, 5, 9 to 12 and 22 can be seen whole, the rest not at all.
        QString seen;
        for (int index = 0; index < 28; ++index) {
            const QRegion shown = form->Command1(index)->visibleRegion();
            seen += shown.isEmpty() ? '.' : shown == form->Command1(index)->rect() ? 'O' : '?';
        }
        QCOMPARE(seen, "....OO...OOOO.........O.....");
        // Tab walks all the controls and wraps; Command1(n) is given as n.
        // clang-format off
        const QStringList expected = QString(
            "txtNum 7 6 3 2 8 9 10 11 12 Text1 Text4 Text3 Text2 13 14 15 16 17 Text5 Text6 18 "
            "Text7 Text8 Text12 20 19 Text9 Text10 22 23 24 25 26 27 0 1 Text11 Text13 21 "
            "Command2 Command3 4 5 txtNum").split(' ');
        // clang-format on
        for (const QString& name : expected) {
            QCOMPARE(form->focusWidget()->objectName().remove("Command1(").remove(')'), name);
            QTest::keyClick(form->windowHandle(), Qt::Key_Tab);
        }
    }

    // Typing "box=text" (within the box's typing limit, as typed or pasted) and
    // pressing buttons, in order: the command sent, shown as last sent, and the
    // packet rows' colours, of Text5 to Text8.
    void entries_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("colours");
        // clang-format off
        QTest::newRow("fixed, visible") << QStringList{"Command1(4)"} << "**35##" << "grey grey grey grey";
        QTest::newRow("fixed, hidden") << QStringList{"Command1(7)"} << "**31##" << "grey grey grey grey";
        QTest::newRow("threshold default") << QStringList{"Command1(12)"} << "**13#200#" << "grey grey grey grey";
        QTest::newRow("SET_LOW_BATT default") << QStringList{"Command1(10)"} << "**15#178#" << "grey grey grey grey";
        QTest::newRow("SET_CRIT_BATT default") << QStringList{"Command1(9)"} << "**16#170#" << "grey grey grey grey";
        QTest::newRow("threshold typed, 3 kept") << QStringList{"Text3=1234", "Command1(10)"} << "**15#123#" << "grey grey grey grey";
        QTest::newRow("pointer pair, 5 kept") << QStringList{"Text6=0004567", "Command1(17)"} << "**39#0000000045#" << "red red grey grey";
        QTest::newRow("resend pair") << QStringList{"Text7=12", "Command1(18)"} << "**40#1200000#" << "grey grey red red";
        QTest::newRow("free text, any length") << QStringList{"Text13=" + QString("**1#").repeated(10000), "Command1(21)"} << QString("**1#").repeated(10000) << "grey grey grey grey";
        QTest::newRow("free text as it stands") << QStringList{"Text13=1 2x", "Command1(21)"} << "1 2x" << "grey grey grey grey";
        QTest::newRow("element set") << QStringList{"Text9=ISS\r\n" + kLine1 + "\r\n" + kLine2, "Command1(19)"} << "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A123415A584612342#" << "grey grey grey grey";
        QTest::newRow("no element set") << QStringList{"Text9=", "Command1(19)"} << "**11#A0ABAAAAA#" << "grey grey grey grey";
        // UTC from the fixed clock, an hour east.
        QTest::newRow("time") << QStringList{"Command1(20)"} << "**10#1123182280212#" << "grey grey grey grey";
        QTest::newRow("in above out") << QStringList{"Text6=00050", "Text5=00100"} << "" << "green green grey grey";
        QTest::newRow("in below out") << QStringList{"Text6=00050", "Text5=00020"} << "" << "red red grey grey";
        QTest::newRow("equal") << QStringList{"Text5=00500", "Text6=00500"} << "" << "green green grey grey";
        QTest::newRow("four characters") << QStringList{"Text6=00050", "Text5=0100"} << "" << "red red grey grey";
        QTest::newRow("start above stop") << QStringList{"Text8=00200", "Text7=00300"} << "" << "grey grey red red";
        QTest::newRow("stop raised") << QStringList{"Text7=00300", "Text8=00400"} << "" << "grey grey green green";
        QTest::newRow("only the changed box's length") << QStringList{"Text6=12", "Text5=00050"} << "" << "green green grey grey";
        QTest::newRow("right box changed last") << QStringList{"Text5=12", "Text6=00001"} << "" << "green green grey grey";
        QTest::newRow("characters, not digits") << QStringList{"Text6=00010", "Text5=12a45"} << "" << "green green grey grey";
        QTest::newRow("blank inside") << QStringList{"Text6=00050", "Text5=0 100"} << "" << "green green grey grey";
        QTest::newRow("beyond double range") << QStringList{"Text5=9E999"} << "" << "red red grey grey";
        QTest::newRow("pointer reset") << QStringList{"Text5=00100", "Text6=00400", "Command2", "Command1(17)"} << "**39#0000000000#" << "green green grey grey";
        QTest::newRow("resend reset") << QStringList{"Text7=00400", "Text8=00300", "Command3", "Command1(18)"} << "**40#0000000000#" << "grey grey green green";
        // clang-format on
    }
    void entries() {
        QFETCH(QStringList, steps);
        QFETCH(QString, sent);
        QFETCH(QString, colours);
        for (const QString& step : steps) {
            if (step.startsWith("Command")) {
                static_cast<QPushButton*>(form->control(step))->click();
            } else { // a box takes no more than it would take typed
                form->setText(step.section('=', 0, 0), step.section('=', 1));
            }
        }
        QCOMPARE(dialled, QStringList(sent.isEmpty() ? 0 : 1, sent));
        QCOMPARE(form->text(u"Text11"), "last sent: " + sent);
        const QHash<QString, QString> named{
            {"#e0e0e0", "grey"}, {"#c0ffc0", "green"}, {"#ffc0c0", "red"}};
        QStringList seen;
        for (const char* box : {"Text5", "Text6", "Text7", "Text8"}) {
            seen << named.value(
                form->control(QString(box))->palette().color(QPalette::Base).name());
        }
        QCOMPARE(seen.join(' '), colours);
    }

    void noInputWhileDialling() {
        // Input arriving while a command dials changes nothing, not even the
        // focus, and is not run afterwards; the clock stands still. It is sent
        // through the window, as the window system delivers it.
        QWindow* window = form->windowHandle();
        dial = [&](const QString& command) {
            dialled << command;
            QTest::mouseClick(window, Qt::LeftButton, {},
                              form->Command1(12)->mapTo(form.get(), QPoint(9, 9)));
            QTest::keyClick(window, Qt::Key_Tab);
            QTest::keyClick(window, Qt::Key_Space);
            QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
            tick();
            QCoreApplication::processEvents();
        };
        form->Command1(7)->setFocus();
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(dialled, QStringList{"**31##"});
        QCOMPARE(QApplication::focusWidget(), form->Command1(7));
        QCOMPARE(form->text(u"Text12"), QString());
        // Afterwards the window answers again, from where the focus was.
        dial = [this](const QString& command) { dialled << command; };
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(dialled, (QStringList{"**31##", "**31##"}));
    }

    void statusDisplays_data() {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<int>("bias");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QString>("elementSet");
        QTest::addColumn<QString>("shows"); // the clock | the element set's age
        // clang-format off
        QTest::newRow("UTC") << rt::MakeDateTime(2012, 3, 1, 23, 30, 5) << 0 << false << kLine1 + "\n" + kLine2 << "Thursday, 1 March 2012 23:30:05 | TLE is 2 days old";
        QTest::newRow("east, over UTC midnight: age from the local date") << rt::MakeDateTime(2012, 3, 2, 0, 30, 5) << -60 << false << kLine1 + "\n" + kLine2 << "Thursday, 1 March 2012 23:30:05 | TLE is 3 days old";
        QTest::newRow("summer time counts twice") << rt::MakeDateTime(2026, 7, 1, 12, 0, 0) << -60 << true << "1 25544U 98067A   26010.0" << "Wednesday, 1 July 2026 10:00:00 | TLE is 172 days old";
        QTest::newRow("west, into the next year") << rt::MakeDateTime(2026, 12, 31, 20, 15, 59) << 300 << false << "1 25544U 98067A   25360.5" << "Friday, 1 January 2027 01:15:59 | TLE is 370 days old";
        QTest::newRow("epoch ahead") << rt::MakeDateTime(2026, 1, 5) << 0 << false << "1 25544U 98067A   26010.0" << "Monday, 5 January 2026 00:00:00 | TLE is -5 days old";
        QTest::newRow("no epoch") << rt::MakeDateTime(2026, 1, 5) << 0 << false << "1 25544U 98067A   26O01.0" << "Monday, 5 January 2026 00:00:00 | ";
        // clang-format on
    }
    void statusDisplays() {
        QFETCH(QDateTime, local);
        QFETCH(int, bias);
        QFETCH(bool, daylight);
        QFETCH(QString, elementSet);
        QFETCH(QString, shows);
        time.now = local;
        time.record = {bias, 0, -60};
        time.state = daylight ? timecal::ZoneState::Daylight : timecal::ZoneState::Standard;
        form->setText(u"Text9", elementSet);
        tick();
        QCOMPARE(form->text(u"Text12") + " | " + form->text(u"Label25"), shows);
        // The age changes with the box only, not with the clock.
        time.now = local.addDays(1);
        tick();
        QCOMPARE(form->text(u"Label25"), shows.section(" | ", 1));
    }

    void toneErrorBox() {
        ui::QtMessageBox messages;
        messages.setParent(form.get());
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            seen = QString("%1|%2|%3|%4|%5").arg(box->windowTitle(), box->text());
            seen = seen.arg(box->icon()).arg(box->windowModality()).arg(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        messages.showWarning("Error playing DTMF tone", "Error");
        // A warning icon (2), modal for the whole application (2), one button.
        QCOMPARE(seen, "Error|Error playing DTMF tone|2|2|1");
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
