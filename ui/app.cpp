#include "ui/app.h"

#include "runtime/services.h"
#include "timecal/timezone.h"
#include "tones/dialer.h"
#include "tones/toneplayer.h"
#include "ui/form1.h"
#include "ui/inputblock.h"
#include "ui/platform.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
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

int RunDialer(int argc, char** argv, const RunHooks& hooks) {
    QApplication app(argc, argv);
    RegisterWindowFonts();

    const rt::SystemClock clock;
    const timecal::SystemTimeZone zone;

    // Dialling runs on a thread of its own; the window asks for it and hears
    // back by signals.
    QThread diallingThread;
    tones::Dialer dialer(rt::ProgramFolder());
    dialer.moveToThread(&diallingThread);
    diallingThread.start();

    std::unique_ptr<InputBlock> whileDialling;
    const auto dial = [&](const QString& command) {
        // No input reaches the window until the command has gone out.
        whileDialling->hold();
        QMetaObject::invokeMethod(&dialer, [&dialer, command] { dialer.dial(command); });
    };
    Form1 window({dial, &clock, &zone, QLocale::system()});
    whileDialling = std::make_unique<InputBlock>(window);
    QObject::connect(&dialer, &tones::Dialer::dialFinished, &window,
                     [&] { whileDialling->release(); });
    QObject::connect(&dialer, &tones::Dialer::toneFailed, &window, [&](const QString&) {
        auto* box = new QMessageBox(QMessageBox::Warning, tones::kToneErrorTitle.toString(),
                                    tones::kToneErrorText.toString(), QMessageBox::Ok, &window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        // Straight from this thread: the dialling thread waits for it.
        QObject::connect(box, &QMessageBox::finished, &window,
                         [&] { dialer.acknowledgeFailure(); });
        box->open();
    });

    // Starting the audio system takes a tenth of a second: do it once the window
    // has been painted, so that the operator sees the window at once.
    FirstPaint firstPaint(window, [&] {
        if (hooks.firstPaint) {
            hooks.firstPaint(window);
        }
        QMetaObject::invokeMethod(&dialer, &tones::Dialer::startAudio);
    });
    window.show();
    const int exitCode = app.exec();
    dialer.prepareForShutdown();
    diallingThread.quit();
    diallingThread.wait();
    return exitCode;
}

} // namespace ui
