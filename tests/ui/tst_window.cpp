#include "timecal/timezone.h"
#include "ui/form1.h"
#include "ui/platform.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

class FixedClock : public rt::Clock {
public:
    rt::DateTime now = rt::MakeDateTime(2026, 12, 6, 23, 30, 5);
    rt::DateTime localNow() const override { return now; }
};

class FixedZone : public timecal::TimeZoneSource {
public:
    timecal::TimeZoneRecord record;
    timecal::ZoneState state = timecal::ZoneState::Standard;
    timecal::ZoneState query(timecal::TimeZoneRecord& r) const override {
        r = record;
        return state;
    }
};

const QString kLine1 = "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9005";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123456";

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    FixedClock clock;
    FixedZone zone;
    QStringList dialled;
    std::function<void()> duringDial;
    std::unique_ptr<ui::Form1> form;

    void tick() { QMetaObject::invokeMethod(&form->Timer1, "timeout"); }
    QPoint centreOf(QWidget* w) { return w->mapTo(form.get(), w->rect().center()); }

private slots:
    void initTestCase() { ui::RegisterWindowFonts(); }
    void init() {
        dialled.clear();
        duringDial = nullptr;
        clock = FixedClock();
        zone = FixedZone();
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[this](const QString& c) {
                                   dialled << c;
                                   if (duringDial) {
                                       duringDial();
                                   }
                               },
                               &clock, &zone, QLocale(QLocale::English, QLocale::UnitedKingdom)});
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    void windowAndControls() {
        QCOMPARE(form->unknownControls(), QStringList());
        QCOMPARE(form->size(), QSize(483, 187));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->Timer1.interval(), 1000);
        QVERIFY(form->Timer1.isActive());
    }

    void onlySevenButtonsCanBeSeen() {
        QList<int> seen;
        for (int index = 0; index < 28; ++index) {
            QWidget* button = form->Command1(index);
            QRect r(button->mapTo(form.get(), QPoint(0, 0)), button->size());
            for (QWidget* p = button->parentWidget(); p != nullptr; p = p->parentWidget()) {
                r &= QRect(p->mapTo(form.get(), QPoint(0, 0)), p->size());
            }
            QVERIFY2(r.isEmpty() || r.size() == button->size(), qPrintable(button->objectName()));
            if (!r.isEmpty()) {
                seen << index;
            }
        }
        QCOMPARE(seen, (QList<int>{4, 5, 9, 10, 11, 12, 22}));
    }

    void tabOrderWalksAllAndWraps() {
        // clang-format off
        const QStringList expected{
            "txtNum", "Command1(7)", "Command1(6)", "Command1(3)", "Command1(2)", "Command1(8)",
            "Command1(9)", "Command1(10)", "Command1(11)", "Command1(12)", "Text1", "Text4",
            "Text3", "Text2", "Command1(13)", "Command1(14)", "Command1(15)", "Command1(16)",
            "Command1(17)", "Text5", "Text6", "Command1(18)", "Text7", "Text8", "Text12",
            "Command1(20)", "Command1(19)", "Text9", "Text10", "Command1(22)", "Command1(23)",
            "Command1(24)", "Command1(25)", "Command1(26)", "Command1(27)", "Command1(0)",
            "Command1(1)", "Text11", "Text13", "Command1(21)", "Command2", "Command3",
            "Command1(4)", "Command1(5)", "txtNum"};
        // clang-format on
        QStringList walked;
        for (int i = 0; i < expected.size(); ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(form->windowHandle(), Qt::Key_Tab);
        }
        QCOMPARE(walked, expected);
    }

    void presses_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("sent");
        const QString set = "ISS\r\n" + kLine1 + "\r\n" + kLine2;
        const QString elements = "**11#2059A517825280A00016717010270B3051A6415279A4564001048"
                                 "3281A6924180A123415A584612342#";
        const QString longText = QString("**1#").repeated(10000);
        // clang-format off
        QTest::newRow("fixed, visible") << "" << "" << 4 << "**35##";
        QTest::newRow("fixed, hidden") << "" << "" << 7 << "**31##";
        QTest::newRow("threshold default") << "" << "" << 12 << "**13#200#";
        QTest::newRow("threshold typed, 3 kept") << "Text3" << "1234" << 10 << "**15#123#";
        QTest::newRow("pointer pair, 5 kept") << "Text6" << "0004567" << 17 << "**39#0000000045#";
        QTest::newRow("resend pair") << "Text7" << "12" << 18 << "**40#1200000#";
        QTest::newRow("free text, any length") << "Text13" << longText << 21 << longText;
        QTest::newRow("free text as it stands") << "Text13" << "1 2x" << 21 << "1 2x";
        QTest::newRow("element set") << "Text9" << set << 19 << elements;
        QTest::newRow("no element set") << "Text9" << "" << 19 << "**11#A0ABAAAAA#";
        // clang-format on
    }
    void presses() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, index);
        QFETCH(QString, sent);
        if (auto* edit =
                qobject_cast<QLineEdit*>(form->control(box.isEmpty() ? QString("txtNum") : box))) {
            edit->selectAll();
            edit->insert(typed); // as typed or pasted: within the box's typing limit
        } else {
            form->setText(box, typed);
        }
        form->Command1(index)->click();
        QCOMPARE(dialled.last(), sent);
        QCOMPARE(form->text(u"Text11"), "last sent: " + sent);
    }

    void timeCommandFromTheClock() {
        clock.now = rt::MakeDateTime(2012, 2, 28, 19, 23, 17);
        zone.record = {-60, 0, -60};
        form->Command1(20)->click();
        QCOMPARE(dialled, QStringList{"**10#1123182280212#"});
    }

    void noInputWhileDialling() {
        // Input arriving while a command dials changes nothing, not even the
        // focus, and is not run afterwards; the clock stands still. It is sent
        // through the window, as the window system delivers it.
        QWindow* window = form->windowHandle();
        duringDial = [&] {
            QVERIFY(form->isDialling());
            QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(form->Command1(12)));
            QTest::keyClick(window, Qt::Key_Tab);
            QTest::keyClick(window, Qt::Key_Space);
            QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
            tick();
            QCoreApplication::processEvents();
        };
        form->Command1(7)->setFocus();
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(dialled, QStringList{"**31##"});
        QVERIFY(!form->isDialling());
        QCOMPARE(QApplication::focusWidget(), form->Command1(7));
        QCOMPARE(form->text(u"Text12"), QString());
        // Afterwards the window answers again, from where the focus was.
        duringDial = nullptr;
        QTest::keyClick(window, Qt::Key_Space);
        QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(form->Command1(4)));
        QCOMPARE(dialled, (QStringList{"**31##", "**31##", "**35##"}));
    }

    void packetRows_data() {
        QTest::addColumn<QStringList>("steps"); // "box=text" or a reset button, in order
        QTest::addColumn<QString>("colours");   // of Text5 to Text8: grey, green, red
        // clang-format off
        QTest::newRow("untouched") << QStringList{} << "grey grey grey grey";
        QTest::newRow("in above out") << QStringList{"Text6=00050", "Text5=00100"} << "green green grey grey";
        QTest::newRow("in below out") << QStringList{"Text6=00050", "Text5=00020"} << "red red grey grey";
        QTest::newRow("equal") << QStringList{"Text5=00500", "Text6=00500"} << "green green grey grey";
        QTest::newRow("four characters") << QStringList{"Text6=00050", "Text5=0010"} << "red red grey grey";
        QTest::newRow("start above stop") << QStringList{"Text8=00200", "Text7=00300"} << "grey grey red red";
        QTest::newRow("stop raised") << QStringList{"Text7=00300", "Text8=00400"} << "grey grey green green";
        QTest::newRow("only the changed box's length") << QStringList{"Text6=12", "Text5=00050"} << "green green grey grey";
        QTest::newRow("right box changed last") << QStringList{"Text5=12", "Text6=00001"} << "green green grey grey";
        QTest::newRow("characters, not digits") << QStringList{"Text6=00010", "Text5=12a45"} << "green green grey grey";
        QTest::newRow("blank inside") << QStringList{"Text6=00050", "Text5=0 100"} << "green green grey grey";
        QTest::newRow("beyond double range") << QStringList{"Text5=9E999"} << "red red grey grey";
        QTest::newRow("pointer reset") << QStringList{"Text5=00100", "Text6=00400", "Command2"} << "green green grey grey";
        QTest::newRow("resend reset") << QStringList{"Text7=00400", "Text8=00300", "Command3"} << "grey grey green green";
        // clang-format on
    }
    void packetRows() {
        QFETCH(QStringList, steps);
        QFETCH(QString, colours);
        for (const QString& step : steps) {
            if (step.startsWith("Command")) {
                static_cast<QPushButton*>(form->control(step))->click();
            } else {
                form->setText(step.section('=', 0, 0), step.section('=', 1));
            }
        }
        const QHash<QRgb, QString> named{{qRgb(224, 224, 224), "grey"},
                                         {qRgb(192, 255, 192), "green"},
                                         {qRgb(255, 192, 192), "red"}};
        QStringList seen;
        for (const char* box : {"Text5", "Text6", "Text7", "Text8"}) {
            seen << named.value(form->control(QString(box))->palette().color(QPalette::Base).rgb(),
                                "?");
        }
        QCOMPARE(seen.join(' '), colours);
        if (steps.contains("Command2")) {
            QCOMPARE(form->text(u"Text5") + form->text(u"Text6"), QString("0000000000"));
        }
    }

    void statusDisplays_data() {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<int>("bias");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QString>("elementSet");
        QTest::addColumn<QString>("clockShows");
        QTest::addColumn<QString>("ageShows");
        const QString set = kLine1 + "\n" + kLine2;
        // clang-format off
        QTest::newRow("UTC") << rt::MakeDateTime(2012, 3, 1, 23, 30, 5) << 0 << false << set << "Thursday, 1 March 2012 23:30:05" << "TLE is 2 days old";
        QTest::newRow("east, over UTC midnight: age from the local date") << rt::MakeDateTime(2012, 3, 2, 0, 30, 5) << -60 << false << set << "Thursday, 1 March 2012 23:30:05" << "TLE is 3 days old";
        QTest::newRow("summer time counts twice") << rt::MakeDateTime(2026, 7, 1, 12, 0, 0) << -60 << true << "1 25544U 98067A   26010.0" << "Wednesday, 1 July 2026 10:00:00" << "TLE is 172 days old";
        QTest::newRow("west, into the next year") << rt::MakeDateTime(2026, 12, 31, 20, 15, 59) << 300 << false << "1 25544U 98067A   25360.5" << "Friday, 1 January 2027 01:15:59" << "TLE is 370 days old";
        QTest::newRow("epoch ahead") << rt::MakeDateTime(2026, 1, 5) << 0 << false << "1 25544U 98067A   26010.0" << "Monday, 5 January 2026 00:00:00" << "TLE is -5 days old";
        QTest::newRow("no epoch") << rt::MakeDateTime(2026, 1, 5) << 0 << false << "1 25544U 98067A   26O01.0" << "Monday, 5 January 2026 00:00:00" << "";
        // clang-format on
    }
    void statusDisplays() {
        QFETCH(QDateTime, local);
        QFETCH(int, bias);
        QFETCH(bool, daylight);
        QFETCH(QString, elementSet);
        QFETCH(QString, clockShows);
        QFETCH(QString, ageShows);
        clock.now = local;
        zone.record = {bias, 0, -60};
        zone.state = daylight ? timecal::ZoneState::Daylight : timecal::ZoneState::Standard;
        form->setText(u"Text9", elementSet);
        tick();
        QCOMPARE(form->text(u"Text12"), clockShows);
        QCOMPARE(form->text(u"Label25"), ageShows);
        // The age changes with the box only, not with the clock.
        clock.now = local.addDays(1);
        tick();
        QCOMPARE(form->text(u"Label25"), ageShows);
    }

    void toneErrorBox() {
        ui::QtMessageBox messages;
        messages.setParent(form.get());
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << QString::number(box->windowModality())
                 << QString::number(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        messages.showWarning("Error playing DTMF tone", "Error");
        QCOMPARE(seen, (QStringList{"Error", "Error playing DTMF tone",
                                    QString::number(QMessageBox::Warning),
                                    QString::number(Qt::ApplicationModal), "1"}));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
