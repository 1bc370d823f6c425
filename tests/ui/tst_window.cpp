#include "commands/catalogue.h"
#include "timecal/timezone.h"
#include "ui/form1.h"
#include "ui/layout.h"
#include "ui/platform.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
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

// The part of `w` that can be seen: its rectangle clipped by every ancestor.
QRect visibleRect(QWidget* w) {
    QRect r(w->mapTo(w->window(), QPoint(0, 0)), w->size());
    for (QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        r &= QRect(p->mapTo(p->window(), QPoint(0, 0)), p->size());
    }
    return r;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    FixedClock clock;
    FixedZone zone;
    QStringList dialled;
    std::unique_ptr<ui::Form1> form;

    QLineEdit* edit(const char* name) {
        return qobject_cast<QLineEdit*>(form->control(QString(name)));
    }

private slots:
    void initTestCase() { ui::RegisterWindowFonts(); }

    void init() {
        dialled.clear();
        clock = FixedClock();
        zone = FixedZone();
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[this](const QString& c) { dialled << c; }, &clock, &zone,
                               QLocale(QLocale::English, QLocale::UnitedKingdom)});
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    void windowFrame() {
        QCOMPARE(form->windowTitle(), QString("KESTREL DTMF Dialer  public (VELMO)"));
        QCOMPARE(form->unknownControls(), QStringList());
        QCOMPARE(form->size(), QSize(483, 187));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->Timer1.isActive());
        QCOMPARE(form->Timer1.interval(), 1000);
        QCOMPARE(QApplication::focusWidget(), form->control(u"txtNum"));
    }

    void fonts_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        QTest::newRow("window font on a button") << "Command1(12)"
                                                 << "Tahoma" << 9.75 << true;
        QTest::newRow("frame caption") << "Frame2"
                                       << "MS Sans Serif" << 8.25 << false;
        QTest::newRow("last sent") << "Text11"
                                   << "Courier New" << 9.0 << false;
    }
    void fonts() {
        QFETCH(QString, control);
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(bool, bold);
        const QFont f = form->control(control)->font();
        QCOMPARE(f.family(), family);
        QCOMPARE(f.pointSizeF(), points);
        QCOMPARE(f.bold(), bold);
        if (QFile::exists("/usr/share/wine/fonts/tahoma.ttf") && family != "Courier New") {
            // The registered face is matched exactly.
            QCOMPARE(QFontInfo(f).family(), family);
        }
    }

    void initialContents_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("last sent") << "Text11"
                                   << "last sent: ";
        QTest::newRow("Text10") << "Text10"
                                << "Text10";
        QTest::newRow("label of index 19") << "Label24"
                                           << "SET OLE";
        QTest::newRow("reset") << "Command3"
                               << "C";
        QTest::newRow("age empty") << "Label25"
                                   << "";
    }
    void initialContents() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QCOMPARE(form->text(control), text);
    }

    void everyCatalogueButtonAndLabel() {
        for (const auto& entry : commands::Catalogue()) {
            QCOMPARE(form->Command1(entry.index)->text(), entry.caption.toString());
            auto* frame = qobject_cast<QGroupBox*>(form->Command1(entry.index)->parentWidget());
            QVERIFY(frame != nullptr);
            QCOMPARE(frame->title(), entry.group.toString());
        }
    }

    void onlySevenButtonsCanBeSeen() {
        const QRect client = form->rect();
        QList<int> shown;
        for (const auto& entry : commands::Catalogue()) {
            const QRect seen = visibleRect(form->Command1(entry.index));
            const QRect whole(form->Command1(entry.index)->mapTo(form.get(), QPoint(0, 0)),
                              form->Command1(entry.index)->size());
            if (seen == whole && client.contains(whole)) {
                shown << entry.index;
            } else {
                QVERIFY2(seen.isEmpty(),
                         qPrintable(QString("button %1 half shown").arg(entry.index)));
            }
        }
        QCOMPARE(shown, (QList<int>{12, 11, 10, 9, 4, 5, 22}));
    }

    void tabOnceThenSpaceDialsHiddenButton() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->Command1(7));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(dialled, QStringList{"**31##"});
        QCOMPARE(form->text(u"Text11"), QString("last sent: **31##"));
    }

    void clickingVisibleButtons_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("sent");
        QTest::newRow("12") << 12 << "**13#200#";
        QTest::newRow("11") << 11 << "**14#200#";
        QTest::newRow("10") << 10 << "**15#178#";
        QTest::newRow("9") << 9 << "**16#170#";
        QTest::newRow("4") << 4 << "**35##";
        QTest::newRow("5") << 5 << "**36##";
        QTest::newRow("22") << 22 << "**60##";
    }
    void clickingVisibleButtons() {
        QFETCH(int, index);
        QFETCH(QString, sent);
        QTest::mouseClick(form->Command1(index), Qt::LeftButton);
        QCOMPARE(dialled, QStringList{sent});
    }

    void clicksOutsideTheClientAreaReachNothing() {
        // A click where the hidden "System" frame would be lands on nothing.
        QTest::mouseClick(form.get(), Qt::LeftButton, {}, QPoint(480, 30));
        QVERIFY(dialled.isEmpty());
    }

    void typingIntoHiddenBoxThroughFocus() {
        form->control(u"Text1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "150");
        QTest::mouseClick(form->Command1(12), Qt::LeftButton);
        QCOMPARE(dialled, QStringList{"**13#150#"});
        QCOMPARE(form->Command1(12)->text(), QString("**13#200#"));
    }

    void typedLengthLimits_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("kept");
        QTest::newRow("threshold") << "Text2"
                                   << "123";
        QTest::newRow("packet") << "Text6"
                                << "12345";
        QTest::newRow("free text") << "Text13"
                                   << "1234567890";
        QTest::newRow("unused box") << "txtNum"
                                    << "1234567890";
    }
    void typedLengthLimits() {
        QFETCH(QString, box);
        QFETCH(QString, kept);
        auto* e = qobject_cast<QLineEdit*>(form->control(box));
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, "1234567890");
        QCOMPARE(e->text(), kept);
    }

    void longPasteDialsWhole() {
        // Beyond any 16-bit length, and beyond Qt's default typing limit.
        const QString command = QString("**1#").repeated(10000);
        edit("Text13")->insert(command);
        QTest::mouseClick(form->Command1(21), Qt::LeftButton);
        QCOMPARE(dialled, QStringList{command});
    }

    void elementSetBoxTakesLines() {
        auto* box = qobject_cast<QPlainTextEdit*>(form->control(u"Text9"));
        box->setFocus();
        QTest::keyClicks(box, "line one");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, "line two");
        QCOMPARE(box->toPlainText(), QString("line one\nline two"));
        // Tab leaves the box instead of typing a tab.
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->control(u"Text10"));
    }

    void tabOrderWalksAllAndWraps() {
        QStringList walked;
        for (int i = 0; i <= 44; ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QStringList expected;
        for (QStringView name : ui::TabOrder()) {
            expected << name.toString();
        }
        QCOMPARE(expected.size(), 44);
        QCOMPARE(walked, expected + QStringList{"txtNum"});
    }

    void eachPressReplacesLastSent() {
        QTest::mouseClick(form->Command1(12), Qt::LeftButton);
        QTest::mouseClick(form->Command1(4), Qt::LeftButton);
        QCOMPARE(form->text(u"Text11"), QString("last sent: **35##"));
    }

    void noInputWhileDialling() {
        // Input arriving while a command dials changes nothing, not even the
        // focus, and is not run afterwards. It is sent through the window, as
        // the window system delivers it.
        QStringList inner;
        QWindow* window = nullptr;
        const auto clickAt = [&](QWidget* w) {
            QTest::mouseClick(window, Qt::LeftButton, {}, w->mapTo(form.get(), w->rect().center()));
        };
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[&](const QString& c) {
                                   inner << c;
                                   QVERIFY(form->isDialling());
                                   clickAt(form->Command1(12));
                                   QTest::keyClick(window, Qt::Key_Tab);
                                   QTest::keyClick(window, Qt::Key_Space);
                                   QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
                                   QCoreApplication::processEvents();
                               },
                               &clock, &zone, QLocale::c()});
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        window = form->windowHandle();
        form->Command1(7)->setFocus();
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(inner, QStringList{"**31##"});
        QVERIFY(!form->isDialling());
        QCOMPARE(QApplication::focusWidget(), form->Command1(7));
        // And afterwards the window answers again, from where the focus was.
        QTest::keyClick(window, Qt::Key_Space);
        clickAt(form->Command1(4));
        QCOMPARE(inner, (QStringList{"**31##", "**31##", "**35##"}));
    }

    void packetRows_data() {
        QTest::addColumn<QStringList>("typing"); // "box=text" in order
        QTest::addColumn<QString>("pointer");    // colour of Text5/Text6: grey, green, red
        QTest::addColumn<QString>("resend");     // colour of Text7/Text8
        QTest::newRow("untouched") << QStringList{} << "grey"
                                   << "grey";
        QTest::newRow("in above out") << QStringList{"Text6=00050", "Text5=00100"} << "green"
                                      << "grey";
        QTest::newRow("in below out") << QStringList{"Text6=00050", "Text5=00020"} << "red"
                                      << "grey";
        QTest::newRow("four characters") << QStringList{"Text6=00050", "Text5=0010"} << "red"
                                         << "grey";
        QTest::newRow("equal") << QStringList{"Text5=00500", "Text6=00500"} << "green"
                               << "grey";
        QTest::newRow("start below stop") << QStringList{"Text8=00200", "Text7=00100"} << "grey"
                                          << "green";
        QTest::newRow("start above stop") << QStringList{"Text8=00200", "Text7=00300"} << "grey"
                                          << "red";
        QTest::newRow("stop raised")
            << QStringList{"Text8=00200", "Text7=00300", "Text8=00400"} << "grey"
            << "green";
        QTest::newRow("only the changed box's length")
            << QStringList{"Text6=12", "Text5=00050"} << "green"
            << "grey";
        QTest::newRow("characters counted, not digits")
            << QStringList{"Text6=00010", "Text5=12a45"} << "green"
            << "grey";
        QTest::newRow("blank inside a number")
            << QStringList{"Text6=00050", "Text5=0 100"} << "green"
            << "grey";
        QTest::newRow("exponent but short") << QStringList{"Text7=1E3"} << "grey"
                                            << "red";
        QTest::newRow("emptied") << QStringList{"Text5="} << "red"
                                 << "grey";
        QTest::newRow("beyond double range") << QStringList{"Text5=9E999"} << "red"
                                             << "grey";
        QTest::newRow("rows apart") << QStringList{"Text5=0001", "Text8=00009"} << "red"
                                    << "green";
        QTest::newRow("pointer reset")
            << QStringList{"Text5=00100", "Text6=00400", "Text8=00300", "Text7=00400", "Command2"}
            << "green"
            << "red";
        QTest::newRow("resend reset")
            << QStringList{"Text7=00400", "Text8=00300", "Command3"} << "grey"
            << "green";
    }
    void packetRows() {
        QFETCH(QStringList, typing);
        QFETCH(QString, pointer);
        QFETCH(QString, resend);
        for (const QString& step : typing) {
            if (step.startsWith("Command")) {
                QTest::mouseClick(qobject_cast<QPushButton*>(form->control(step)), Qt::LeftButton);
                continue;
            }
            const QString box = step.section('=', 0, 0);
            form->setText(box, step.section('=', 1));
        }
        const QHash<QString, QColor> named{{"grey", QColor(224, 224, 224)},
                                           {"green", QColor(192, 255, 192)},
                                           {"red", QColor(255, 192, 192)}};
        const auto base = [&](const char* box) {
            return form->control(QString(box))->palette().color(QPalette::Base);
        };
        QCOMPARE(base("Text5"), named[pointer]);
        QCOMPARE(base("Text6"), named[pointer]);
        QCOMPARE(base("Text7"), named[resend]);
        QCOMPARE(base("Text8"), named[resend]);
        if (typing.contains("Command2")) {
            QCOMPARE(form->text(u"Text5"), QString("00000"));
            QCOMPARE(form->text(u"Text6"), QString("00000"));
            QCOMPARE(form->text(u"Text7"), QString("00400"));
        }
    }

    void clockDisplay_data() {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<int>("bias");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTC") << rt::MakeDateTime(2026, 12, 6, 23, 30, 5) << 0 << false
                             << "Sunday, 6 December 2026 23:30:05";
        QTest::newRow("an hour east, across UTC midnight")
            << rt::MakeDateTime(2026, 12, 7, 0, 30, 5) << -60 << false
            << "Sunday, 6 December 2026 23:30:05";
        QTest::newRow("summer time counts twice") << rt::MakeDateTime(2026, 7, 1, 12, 0, 0) << -60
                                                  << true << "Wednesday, 1 July 2026 10:00:00";
        QTest::newRow("west, into the next year")
            << rt::MakeDateTime(2026, 12, 31, 20, 15, 59) << 300 << false
            << "Friday, 1 January 2027 01:15:59";
    }
    void clockDisplay() {
        QFETCH(QDateTime, local);
        QFETCH(int, bias);
        QFETCH(bool, daylight);
        QFETCH(QString, shown);
        clock.now = local;
        zone.record = {bias, 0, -60};
        zone.state = daylight ? timecal::ZoneState::Daylight : timecal::ZoneState::Standard;
        form->setText(u"Text12", "typed over");
        // The first tick comes one interval after the window opened.
        QTRY_COMPARE_WITH_TIMEOUT(form->text(u"Text12"), shown, 3000);
    }

    void elementSetAge_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("age");
        const QString set = "ISS (ZARYA)\r\n" + kLine1 + "\r\n" + kLine2 + "\r\n";
        QTest::newRow("two days") << set << rt::MakeDateTime(2012, 3, 1) << "TLE is 2 days old";
        QTest::newRow("years old")
            << set << rt::MakeDateTime(2026, 12, 6) << "TLE is 5395 days old";
        QTest::newRow("from last December") << "1 25544U 98067A   25360.50000000"
                                            << rt::MakeDateTime(2026, 1, 5) << "TLE is 10 days old";
        QTest::newRow("same day") << "1 25544U 98067A   26001.00000000"
                                  << rt::MakeDateTime(2026, 1, 1, 23, 59, 59)
                                  << "TLE is 0 days old";
        QTest::newRow("epoch in the future")
            << "1 25544U 98067A   26010.0" << rt::MakeDateTime(2026, 1, 5) << "TLE is -5 days old";
        QTest::newRow("no element set") << "hello" << rt::MakeDateTime(2026, 12, 6) << "";
        QTest::newRow("short line")
            << "1 25544U 98067A   2601" << rt::MakeDateTime(2026, 12, 6) << "";
        QTest::newRow("typo in the day")
            << "1 25544U 98067A   26O01.0" << rt::MakeDateTime(2026, 12, 6) << "";
    }
    void elementSetAge() {
        QFETCH(QString, pasted);
        QFETCH(QDateTime, local);
        QFETCH(QString, age);
        clock.now = local;
        form->setText(u"Text9", pasted);
        QCOMPARE(form->text(u"Label25"), age);
    }

    void ageUsesTheLocalDate() {
        // Local 7 December 00:30 is still 6 December in UTC: the age counts from
        // the local date.
        clock.now = rt::MakeDateTime(2026, 12, 7, 0, 30);
        zone.record = {-60, 0, -60};
        form->setText(u"Text9", kLine1 + "\n" + kLine2);
        QCOMPARE(form->text(u"Label25"), QString("TLE is 5396 days old"));
    }

    void ageChangesOnlyWithTheBox() {
        clock.now = rt::MakeDateTime(2012, 3, 1);
        form->setText(u"Text9", kLine1 + "\n" + kLine2);
        clock.now = rt::MakeDateTime(2012, 3, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!form->text(u"Text12").isEmpty(), 3000);
        QCOMPARE(form->text(u"Label25"), QString("TLE is 2 days old"));
        auto* box = qobject_cast<QPlainTextEdit*>(form->control(u"Text9"));
        box->moveCursor(QTextCursor::End);
        box->insertPlainText("\n");
        QCOMPARE(form->text(u"Label25"), QString("TLE is 3 days old"));
    }

    void elementsCommandFromTheBox() {
        form->setText(u"Text9", "ISS\n" + kLine1 + "\n" + kLine2);
        QTest::mouseClick(form->Command1(19), Qt::LeftButton);
        QCOMPARE(dialled, QStringList{"**11#2059A517825280A00016717010270B3051A6415279A4564001048"
                                      "3281A6924180A123415A584612342#"});
        form->setText(u"Text9", "");
        QTest::mouseClick(form->Command1(19), Qt::LeftButton);
        QCOMPARE(dialled.last(), QString("**11#A0ABAAAAA#"));
    }

    void timeCommandFromTheClock() {
        clock.now = rt::MakeDateTime(2012, 2, 28, 19, 23, 17);
        zone.record = {-60, 0, -60};
        QTest::mouseClick(form->Command1(20), Qt::LeftButton);
        QCOMPARE(dialled, QStringList{"**10#1123182280212#"});
    }

    void toneErrorBox() {
        // The real box: modal for the whole application, warning icon, one OK.
        ui::QtMessageBox messages;
        messages.setParent(form.get());
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::WindowModality modality = Qt::NonModal;
        qsizetype buttons = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            modality = box->windowModality();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        messages.showWarning("Error playing DTMF tone", "Error");
        QCOMPARE(text, QString("Error playing DTMF tone"));
        QCOMPARE(title, QString("Error"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(modality, Qt::ApplicationModal);
        QCOMPARE(buttons, 1);
    }

    void dayOfYearThroughTheWindow() {
        QCOMPARE(ui::Form1::DayOfYear(rt::MakeDateTime(2024, 12, 31)), 366);
        QCOMPARE(form->DayOfYear(rt::MakeDateTime(2026, 12, 6, 23, 59, 59)), 340);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
