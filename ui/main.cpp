// The dialer: one window, whose command buttons dial their DTMF commands
// through the sound output, from the tone files beside this program.

#include "runtime/services.h"
#include "timecal/timezone.h"
#include "tones/portaudiooutput.h"
#include "tones/toneplayer.h"
#include "ui/form1.h"
#include "ui/platform.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::RegisterWindowFonts();

    tones::PortAudioOutput output;
    ui::QtMessageBox messages;
    tones::TonePlayer player(rt::ProgramFolder(), output, messages);
    const rt::SystemClock clock;
    const timecal::SystemTimeZone zone;

    ui::Form1 window({[&player](const QString& command) { player.PlayCommandTones(command); },
                      &clock, &zone, QLocale::system()});
    messages.setParent(&window);
    // Repaint and answer the window system while tones are going out.
    output.setIdleHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
    window.show();

    // Starting the audio system takes a moment: do it once the window is up.
    QTimer::singleShot(0, &window, [&output] { output.initialize(); });
    return app.exec();
}
