#include "ui/app.h"

#include "runtime/services.h"
#include "timecal/timezone.h"
#include "tones/diallock.h"
#include "tones/portaudiooutput.h"
#include "tones/toneplayer.h"
#include "ui/form1.h"
#include "ui/platform.h"

#include <QApplication>
#include <QEvent>
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

    tones::PortAudioOutput output;
    QtMessageBox messages;
    tones::TonePlayer player(rt::ProgramFolder(), output, messages);
    const rt::SystemClock clock;
    const timecal::SystemTimeZone zone;

    // Repaint and answer the window system while tones are going out, or while
    // another dialer's tones are.
    const auto idle = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); };
    output.setIdleHook(idle);
    tones::DialLock dialLock;
    const auto dial = [&](const QString& command) {
        const bool locked = dialLock.lock(idle);
        player.PlayCommandTones(command);
        if (locked) {
            dialLock.unlock();
        }
    };
    Form1 window({dial, &clock, &zone, QLocale::system()});
    messages.setParent(&window);

    // Starting the audio system takes a tenth of a second: do it once the window
    // has been painted, so that the operator sees the window at once.
    FirstPaint firstPaint(window, [&] {
        if (hooks.firstPaint) {
            hooks.firstPaint(window);
        }
        output.initialize();
    });
    window.show();
    return app.exec();
}

} // namespace ui
