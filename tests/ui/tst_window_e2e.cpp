#include "support/fakes.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"
#include "tones/toneplayer.h"
#include "ui/form1.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class WindowEndToEnd : public QObject {
    Q_OBJECT

    testing::NullSinkServer server;
    std::unique_ptr<tones::PortAudioOutput> output;
    testing::CountingMessages messages;
    QTemporaryDir work;
    rt::SystemClock clock;
    timecal::SystemTimeZone zone;

private slots:
    void initTestCase() {
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        output = std::make_unique<tones::PortAudioOutput>();
        QVERIFY(output->initialize());
    }
    void cleanupTestCase() {
        output.reset();
        server.stop();
    }

    void typedElementSetDialsWhatIsShown() {
        tones::TonePlayer player(TONE_DIR, *output, messages);
        ui::Form1 form(
            {[&](const QString& c) { player.PlayCommandTones(c); }, &clock, &zone, QLocale::c()});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        // Type the element set into the hidden box, as an operator would.
        auto* box = qobject_cast<QPlainTextEdit*>(form.control(u"Text9"));
        box->setFocus();
        const QStringList lines{
            "ISS (ZARYA)", "1 25544U 98067A   24001.50000000  .00016717  00000-0  30306-3 0  9995",
            "2 25544  51.6416 208.9163 0002034  83.3064  46.6843 15.49815350432340"};
        for (const QString& line : lines) {
            QTest::keyClicks(box, line);
            QTest::keyClick(box, Qt::Key_Return);
        }
        // Back one step in the tab order is the button of index 19.
        QTest::keyClick(box, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), form.Command1(19));

        const QString wav = work.filePath("elements.wav");
        QCOMPARE(server.startRecording(wav), QString());
        QTest::keyClick(form.Command1(19), Qt::Key_Space);
        server.stopRecording();

        const QString shown = form.text(u"Text11");
        QVERIFY(shown.startsWith("last sent: "));
        const QString command = shown.mid(11);
        QCOMPARE(command.size(), 88);
        QCOMPARE(testing::NullSinkServer::decode(wav), command);
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(WindowEndToEnd)
#include "tst_window_e2e.moc"
