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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FixedClock : public rt::Clock {
public:
    rt::DateTime now = rt::MakeDateTime(2026, 12, 6, 23, 30, 5);
    rt::DateTime localNow() const override { return now; }
};

class FixedZone : public timecal::TimeZoneSource {
public:
    timecal::ZoneState query(timecal::TimeZoneRecord&) const override {
        return timecal::ZoneState::Standard;
    }
};

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
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[this](const QString& c) { dialled << c; }, &clock, &zone,
                               QLocale(QLocale::English, QLocale::UnitedKingdom)});
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    void windowFrame() {
        QCOMPARE(form->windowTitle(), QString("KESTREL DTMF Dialer  public (VELMO)"));
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
        QTest::newRow("window font on a label") << "Label10"
                                                << "Tahoma" << 9.75 << true;
        QTest::newRow("frame caption") << "Frame2"
                                       << "MS Sans Serif" << 8.25 << false;
        QTest::newRow("small label") << "Label19"
                                     << "Tahoma" << 8.25 << false;
        QTest::newRow("reset button") << "Command2"
                                      << "MS Sans Serif" << 8.25 << false;
        QTest::newRow("last sent") << "Text11"
                                   << "Courier New" << 9.0 << false;
        QTest::newRow("element set box") << "Text9"
                                         << "Courier New" << 9.75 << false;
        QTest::newRow("age") << "Label25"
                             << "MS Sans Serif" << 8.25 << false;
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
        QTest::newRow("threshold 1") << "Text1"
                                     << "200";
        QTest::newRow("threshold 2") << "Text2"
                                     << "200";
        QTest::newRow("threshold 3") << "Text3"
                                     << "178";
        QTest::newRow("threshold 4") << "Text4"
                                     << "170";
        QTest::newRow("packet") << "Text8"
                                << "00000";
        QTest::newRow("last sent") << "Text11"
                                   << "last sent: ";
        QTest::newRow("Text10") << "Text10"
                                << "Text10";
        QTest::newRow("manual frame") << "Frame8"
                                      << "manual ";
        QTest::newRow("thresholds frame") << "Frame2"
                                          << "Tresholds";
        QTest::newRow("label of index 19") << "Label24"
                                           << "SET OLE";
        QTest::newRow("reset") << "Command3"
                               << "C";
        QTest::newRow("button 21") << "Command1(21)"
                                   << "send";
        QTest::newRow("button 20") << "Command1(20)"
                                   << "**10#[]#";
        QTest::newRow("age empty") << "Label25"
                                   << "";
        QTest::newRow("clock before first tick") << "Text12"
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
        // Input arriving while a command dials is dropped, not run afterwards.
        QStringList inner;
        form = std::make_unique<ui::Form1>(
            ui::WindowServices{[&](const QString& c) {
                                   inner << c;
                                   QVERIFY(form->isDialling());
                                   QTest::mouseClick(form->Command1(4), Qt::LeftButton);
                                   form->Command1(5)->setFocus();
                                   QTest::keyClick(form->Command1(5), Qt::Key_Space);
                                   QCoreApplication::processEvents();
                               },
                               &clock, &zone, QLocale::c()});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTest::mouseClick(form->Command1(22), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(inner, QStringList{"**60##"});
        QVERIFY(!form->isDialling());
        // And afterwards the window answers again.
        QTest::mouseClick(form->Command1(4), Qt::LeftButton);
        QCOMPARE(inner, (QStringList{"**60##", "**35##"}));
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
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
