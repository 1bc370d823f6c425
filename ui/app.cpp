#include "ui/app.h"

#include "timecal/clock.h"
#include "tones/dialer.h"
#include "ui/dialerwindow.h"
#include "ui/platform.h"

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace ui {
namespace {

// Runs `then` once, after the watched window's first paint.
class FirstPaint final : public QObject {
public:
    FirstPaint(QWidget& window, std::function<void()> then)
        : window_(window), then_(std::move(then)) {
        window_.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint) {
            window_.removeEventFilter(this);
            // Let the paint finish first.
            QTimer::singleShot(0, &window_, then_);
        }
        return false;
    }

private:
    QWidget& window_;
    std::function<void()> then_;
};

} // namespace

int runDialer(int argc, char** argv, const RunHooks& hooks) {
    QApplication app(argc, argv);
    registerWindowFonts();

    // The dial path: the window asks, the dialer on its own thread waits for
    // its turn, sends the tones and reports back. The window stays painted
    // meanwhile and takes no input.
    QThread dialThread;
    dialThread.setObjectName(QStringLiteral("dialer"));
    tones::Dialer dialer(QCoreApplication::applicationDirPath());
    dialer.moveToThread(&dialThread);

    const timecal::SystemClock clock;
    QtWarningBox warnings;
    DialerWindow window(clock, warnings);
    warnings.setParent(&window);
    QObject::connect(&window, &DialerWindow::dialRequested, &dialer, &tones::Dialer::dial);
    QObject::connect(&dialer, &tones::Dialer::toneFailed, &window, &DialerWindow::showToneFailure);
    // The dialer waits on the operator's OK: it is told directly, not through
    // its own (busy) thread's queue.
    QObject::connect(&window, &DialerWindow::toneFailureAcknowledged, &dialer,
                     &tones::Dialer::acknowledgeFailure, Qt::DirectConnection);
    QObject::connect(&dialer, &tones::Dialer::dialFinished, &window, &DialerWindow::dialFinished);
    dialThread.start();

    // Starting the audio system takes a tenth of a second of the dialer's
    // thread: once the window has been painted, so that the window comes first.
    FirstPaint firstPaint(window, [&] {
        if (hooks.firstPaint) {
            hooks.firstPaint(window);
        }
        QMetaObject::invokeMethod(&dialer, &tones::Dialer::startAudio, Qt::QueuedConnection);
    });
    window.show();
    const int status = app.exec();
    dialer.prepareForShutdown();
    dialThread.quit();
    dialThread.wait();
    return status;
}

} // namespace ui
