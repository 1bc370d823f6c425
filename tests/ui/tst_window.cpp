// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialerwindow.h"
#include "ui/platform.h"
#include "ui_dialerwindow.h"

#include <QTest>

// A clock that says what the test sets.
struct FixedClock : timecal::Clock {
    QDateTime utc{QDate(2012, 2, 28), QTime(18, 23, 17), Qt::UTC};
    QDate today{2012, 2, 28};
    QDateTime utcNow() const override { return utc; }
    QDate localToday() const override { return today; }
};

// Notes each box shown; the test closes it.
struct HeldWarnings : ui::WarningBox {
    QStringList shown; // "title: text"
    std::function<void()> close;
    void show(const QString& text, const QString& title, std::function<void()> closed) override {
        shown << title + ": " + text;
        close = std::move(closed);
    }
};

const QString kLine1 = "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9007";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123457";

class WindowTest : public QObject {
    Q_OBJECT

    FixedClock clock;
    HeldWarnings warnings;
    QStringList dialled; // each command asked for, if the last-sent display showed it then
    bool finishAtOnce = true;
    std::unique_ptr<ui::DialerWindow> window;

    const Ui::DialerWindow& form() const { return window->form(); }
    void tick() { QMetaObject::invokeMethod(window->findChild<QTimer*>(), "timeout"); }
    // Runs the event loop until `done` holds; if it never does, ctest's timeout ends the test.
    template <typename Done> void until(Done done) {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

private slots:
    void init() {
        dialled.clear();
        finishAtOnce = true;
        clock = FixedClock();
        warnings = HeldWarnings();
        window = std::make_unique<ui::DialerWindow>(
            clock, warnings, QLocale(QLocale::English, QLocale::UnitedKingdom));
        connect(window.get(), &ui::DialerWindow::dialRequested, this, [this](const QString& c) {
            dialled << (form().lastSent->text() == "last sent: " + c ? c : "not shown: " + c);
            if (finishAtOnce)
                window->dialFinished();
        });
        window->show();
        until([this] { return window->isActiveWindow(); });
    }

    void layout() {
        QCOMPARE(window->minimumSize(), QSize(483, 187));
        QCOMPARE(window->maximumSize(), QSize(483, 187));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->windowTitle(), "KESTREL DTMF Dialer  public (VELMO)");
        // Of the 28 buttons, 4, 5, 9 to 12 and 22 can be seen whole, the rest not at all;
        // each shows its caption, and its name label and group come from the catalogue.
        QString seen;
        for (int index = 0; index < 28; ++index) {
            const QAbstractButton* button = window->commandButton(index);
            const commands::CatalogueEntry* entry = commands::findCommand(index);
            QCOMPARE(button->text(), entry->caption);
            QCOMPARE(qobject_cast<QGroupBox*>(button->parentWidget())->title(), entry->group);
            const QRegion shown = button->visibleRegion();
            seen += shown.isEmpty() ? '.' : shown == button->rect() ? 'O' : '?';
        }
        QCOMPARE(seen, "....OO...OOOO.........O.....");
    }

    void tabOrder() {
        // Tab walks every control and wraps; "Button" is left off the buttons' names.
        // clang-format off
        const QStringList expected = QString(
            "unusedNumber msk2k4 afsk1k2 fmDisable fmEnable msk4k8 setCritBatt setLowBatt setOkTemp "
            "setLowTemp lowTempValue critBattValue lowBattValue okTempValue setSafe setControl setGps "
            "setReset packetPointer pointerIn pointerOut packetResend resendStart resendStop utcClock "
            "setTime setOle elementSet unusedText hkNew sysData imageNew gpsData adcsXhk adcsAlm "
            "xhkErase deployOff lastSent freeText sendFreeText pointerReset resendReset testBeacon "
            "testPacket unusedNumber").split(' ');
        // clang-format on
        for (const QString& name : expected) {
            QCOMPARE(QApplication::focusWidget()->objectName().remove("Button"), name);
            QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        }
    }

    // Typing "box=text" (within the box's typing limit, as typed or pasted) and
    // pressing buttons (by name, or a number: the command button of that index), in order:
    // the command sent, shown as last sent, and the packet rows' colours.
    void entries_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("colours");
        // clang-format off
        QTest::newRow("thresholds' defaults") << QStringList{"12", "11", "10", "9"} << "**13#200#|**14#200#|**15#178#|**16#170#" << "grey grey grey grey";
        QTest::newRow("threshold typed, 3 kept") << QStringList{"lowBattValue=1234", "10"} << "**15#123#" << "grey grey grey grey";
        QTest::newRow("pointer pair, 5 kept") << QStringList{"pointerOut=0004567", "17"} << "**39#0000000045#" << "red red grey grey";
        QTest::newRow("resend pair") << QStringList{"resendStart=12", "18"} << "**40#1200000#" << "grey grey red red";
        QTest::newRow("free text, any length") << QStringList{"freeText=" + QString("**1#").repeated(10000), "21"} << QString("**1#").repeated(10000) << "grey grey grey grey";
        QTest::newRow("element set") << QStringList{"elementSet=ISS\r\n" + kLine1 + "\r\n" + kLine2, "19"} << "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A123415A584612342#" << "grey grey grey grey";
        QTest::newRow("corrupt element set: nothing sent") << QStringList{"4", "elementSet=" + kLine1, "19"} << "**35##" << "grey grey grey grey";
        QTest::newRow("time") << QStringList{"20"} << "**10#1123182280212#" << "grey grey grey grey";
        QTest::newRow("in above out") << QStringList{"pointerOut=00050", "pointerIn=00100"} << "" << "green green grey grey";
        QTest::newRow("in below out") << QStringList{"pointerOut=00050", "pointerIn=00020"} << "" << "red red grey grey";
        QTest::newRow("equal") << QStringList{"pointerIn=00500", "pointerOut=00500"} << "" << "green green grey grey";
        QTest::newRow("four characters") << QStringList{"pointerOut=00050", "pointerIn=0100"} << "" << "red red grey grey";
        QTest::newRow("start above stop") << QStringList{"resendStop=00200", "resendStart=00300"} << "" << "grey grey red red";
        QTest::newRow("stop raised") << QStringList{"resendStart=00300", "resendStop=00400"} << "" << "grey grey green green";
        QTest::newRow("only the changed box's length") << QStringList{"pointerOut=12", "pointerIn=00050"} << "" << "green green grey grey";
        QTest::newRow("right box changed last") << QStringList{"pointerIn=12", "pointerOut=00001"} << "" << "green green grey grey";
        QTest::newRow("beyond double range") << QStringList{"pointerIn=9E999"} << "" << "red red grey grey";
        QTest::newRow("pointer reset") << QStringList{"pointerIn=00100", "pointerOut=00400", "pointerReset", "17"} << "**39#0000000000#" << "green green grey grey";
        QTest::newRow("resend reset") << QStringList{"resendStart=00400", "resendStop=00300", "resendReset", "18"} << "**40#0000000000#" << "grey grey green green";
        // clang-format on
    }
    void entries() {
        QFETCH(QStringList, steps);
        QFETCH(QString, sent);
        QFETCH(QString, colours);
        for (const QString& step : steps) {
            const QString name = step.section('=', 0, 0);
            bool isIndex = false;
            if (const int index = step.toInt(&isIndex); isIndex) {
                window->commandButton(index)->click();
                until([this] { return !window->isDialling(); });
            } else if (name == "elementSet") {
                form().elementSet->setPlainText(step.section('=', 1));
            } else if (auto* box = window->findChild<QLineEdit*>(name)) {
                box->setText(step.section('=', 1)); // no more than it would take typed
            } else {
                window->findChild<QAbstractButton*>(name)->click();
            }
        }
        QCOMPARE(dialled.join('|'), sent);
        QCOMPARE(form().lastSent->text(), "last sent: " + dialled.value(dialled.size() - 1));
        const QHash<QString, QString> named{
            {"#e0e0e0", "grey"}, {"#c0ffc0", "green"}, {"#ffc0c0", "red"}};
        QStringList seen;
        for (const QLineEdit* box :
             {form().pointerIn, form().pointerOut, form().resendStart, form().resendStop})
            seen << named.value(box->palette().color(QPalette::Base).name());
        QCOMPARE(seen.join(' '), colours);
    }

    void noInputWhileDialling() {
        // Input arriving while a command dials changes nothing, not even the
        // focus, and is not run afterwards; a close request is refused, and the
        // clock stands still. Input is sent through the window, as the window
        // system delivers it. A tone that failed meanwhile is one box, and the
        // dial goes on once it is closed.
        finishAtOnce = false;
        int acknowledged = 0;
        connect(window.get(), &ui::DialerWindow::toneFailureAcknowledged, this,
                [&] { ++acknowledged; });
        QWindow* handle = window->windowHandle();
        form().msk2k4Button->setFocus();
        QTest::keyClick(handle, Qt::Key_Space);
        QCOMPARE(dialled, QStringList{"**31##"});
        QVERIFY(window->isDialling());
        window->showToneFailure("'3': 3.wav: no such file");
        QTest::mouseClick(handle, Qt::LeftButton, {},
                          form().setLowTempButton->mapTo(window.get(), QPoint(9, 9)));
        QTest::keyClick(handle, Qt::Key_Tab);
        QTest::keyClick(handle, Qt::Key_Space);
        QTest::keyClick(handle, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!window->close());
        tick();
        QCoreApplication::processEvents();
        QVERIFY(window->isVisible());
        QCOMPARE(dialled, QStringList{"**31##"});
        QCOMPARE(QApplication::focusWidget(), form().msk2k4Button);
        QCOMPARE(form().utcClock->text(), QString());
        QCOMPARE(warnings.shown, QStringList{"Error: Error playing DTMF tone"});
        QCOMPARE(acknowledged, 0);
        warnings.close();
        QCOMPARE(acknowledged, 1);
        // Escape is the one key that counts: it asks for the dial to stop, and
        // what was not sent is told.
        int stops = 0;
        connect(window.get(), &ui::DialerWindow::stopRequested, this, [&] { ++stops; });
        QTest::keyClick(handle, Qt::Key_Escape);
        QCOMPARE(stops, 1);
        window->showDialStopped(3, 6, "1##");
        window->showDialRefusal("no folder for the lock");
        QCOMPARE(warnings.shown.mid(1),
                 (QStringList{"Dialling stopped: Dialling stopped: 3 of 6 symbols went out; not "
                              "sent: 1##\nThe spacecraft takes no command without its final \"#\".",
                              "Nothing sent: Nothing was sent: no folder for the lock"}));
        // Once the dial has finished the window answers again, from where the focus was.
        window->dialFinished();
        until([this] { return !window->isDialling(); });
        finishAtOnce = true;
        QTest::keyClick(handle, Qt::Key_Space);
        QCOMPARE(dialled, (QStringList{"**31##", "**31##"}));
        tick();
        QVERIFY(!form().utcClock->text().isEmpty());
    }

    void statusDisplays_data() {
        QTest::addColumn<QDateTime>("local"); // the computer's time, in its zone
        QTest::addColumn<QString>("elementSet");
        QTest::addColumn<QString>("shows"); // the clock | the element set's age
        // clang-format off
        QTest::newRow("same day") << QDateTime(QDate(2012, 3, 1), QTime(23, 30, 5), Qt::UTC) << kLine1 + "\n" + kLine2 << "Thursday, 1 March 2012 23:30:05 | TLE is 2 days old";
        QTest::newRow("local date a day ahead") << QDateTime(QDate(2012, 3, 2), QTime(0, 30, 5), Qt::OffsetFromUTC, 3600) << kLine1 + "\n" + kLine2 << "Thursday, 1 March 2012 23:30:05 | TLE is 3 days old";
        QTest::newRow("into the next year") << QDateTime(QDate(2026, 12, 31), QTime(23, 15, 59), Qt::OffsetFromUTC, -7200) << "1 25544U 98067A   25360.5" << "Friday, 1 January 2027 01:15:59 | TLE is 370 days old";
        QTest::newRow("epoch ahead") << QDateTime(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC) << "1 25544U 98067A   26010.0" << "Monday, 5 January 2026 00:00:00 | TLE is -5 days old";
        QTest::newRow("no epoch") << QDateTime(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC) << "1 25544U 98067A   26O01.0" << "Monday, 5 January 2026 00:00:00 | ";
        // clang-format on
    }
    void statusDisplays() {
        QFETCH(QDateTime, local);
        QFETCH(QString, elementSet);
        QFETCH(QString, shows);
        clock.utc = local.toUTC();
        clock.today = local.date();
        form().elementSet->setPlainText(elementSet);
        tick();
        QCOMPARE(form().utcClock->text() + " | " + form().elementSetAge->text(), shows);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
