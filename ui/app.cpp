// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app.h"

#include "commands/composer.h"
#include "commands/request.h"
#include "timecal/clock.h"
#include "tones/dialer.h"
#include "tones/outputs.h"
#include "tones/transmitter.h"
#include "ui/commandline.h"
#include "ui/dialerwindow.h"
#include "ui/platform.h"
#include "ui/stationdialog.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

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

// SIGINT and SIGTERM run `then` on the GUI thread: a signal handler only writes
// a byte into a socket that the event loop watches.
class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(std::function<void()> then) : then_(std::move(then)) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets_) != 0) {
            qWarning("SIGINT and SIGTERM end the program at once: no socket pair");
            return;
        }
        writeEnd_ = sockets_[0];
        notifier_ = new QSocketNotifier(sockets_[1], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            char byte = 0;
            if (::read(sockets_[1], &byte, 1) == 1) {
                then_();
            }
        });
        struct sigaction action {};
        action.sa_handler = &TerminationSignals::caught;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    ~TerminationSignals() override {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        writeEnd_ = -1;
        if (notifier_ != nullptr) {
            ::close(sockets_[0]);
            ::close(sockets_[1]);
        }
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static void caught(int) {
        const char byte = 1;
        if (writeEnd_ >= 0) {
            [[maybe_unused]] const auto written = ::write(writeEnd_, &byte, 1);
        }
    }

    static inline volatile sig_atomic_t writeEnd_ = -1;
    std::function<void()> then_;
    int sockets_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

// The dialer on a thread of its own, as the window and --send use it: started
// by start(); stop() (or the destructor) lets a dial in hand end without
// waiting on anyone's OK and waits for it.
class DialerThread final {
public:
    DialerThread(const tones::StationSettings& station, const QString& logFile)
        : dialer(QCoreApplication::applicationDirPath()) {
        thread_.setObjectName(QStringLiteral("dialer"));
        dialer.setStation(station);
        dialer.setLogFile(logFile);
        dialer.moveToThread(&thread_);
    }
    ~DialerThread() { stop(); }
    DialerThread(const DialerThread&) = delete;
    DialerThread& operator=(const DialerThread&) = delete;

    void start() { thread_.start(); }
    void stop() {
        dialer.prepareForShutdown();
        thread_.quit();
        thread_.wait();
    }

    tones::Dialer dialer;

private:
    QThread thread_;
};

// Prints the sound server's outputs, "name<TAB>description" a line.
int listOutputs(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    QString error;
    const auto outputs = tones::listOutputs(&error);
    if (!outputs) {
        std::fprintf(stderr, "dtmf-dialer: %s\n", qPrintable(error));
        return 1;
    }
    for (const tones::OutputInfo& output : *outputs) {
        std::printf("%s\t%s\n", qPrintable(output.name), qPrintable(output.description));
    }
    return 0;
}

// Dials one command without a window and returns the exit status: 0 when every
// symbol sounded, 1 when some did not, 2 when the request was wrong (nothing
// dialled).
int sendCommand(int argc, char** argv, const CommandLine& line,
                const tones::StationSettings& station, const QString& logFile) {
    const QCoreApplication app(argc, argv);
    const auto usageError = [](const QString& error) {
        std::fprintf(stderr, "dtmf-dialer: %s\n", qPrintable(error));
        return 2;
    };
    std::optional<QString> elementSet;
    if (!line.elements.isEmpty()) {
        QFile file(line.elements);
        const bool opened = line.elements == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                                  : file.open(QIODevice::ReadOnly);
        const QByteArray text = opened ? file.readAll() : QByteArray();
        if (!opened || file.error() != QFileDevice::NoError) {
            return usageError(QStringLiteral("%1: %2").arg(line.elements, file.errorString()));
        }
        elementSet = QString::fromUtf8(text);
    }
    const timecal::SystemClock clock;
    const commands::CommandRequest request =
        commands::requestCommand(line.send, elementSet, clock.utcNow());
    if (request.entry == nullptr) {
        return usageError(request.error);
    }
    const commands::ComposedCommand composed =
        commands::composeCommand(*request.entry, request.values);
    if (!composed.refusal.isEmpty()) {
        return usageError(composed.refusal);
    }
    std::printf("%s\n", qPrintable(composed.command));
    std::fflush(stdout);

    DialerThread dialerThread(station, logFile);
    tones::Dialer& dialer = dialerThread.dialer;
    int status = 0;
    const auto complain = [&status](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        status = 1;
    };
    // Each tone that did not go out: a line, and the dial goes on at once.
    QObject::connect(
        &dialer, &tones::Dialer::toneFailed, &dialer,
        [&](const QString& reason) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(tones::kToneErrorText.toString()),
                         qPrintable(reason));
            status = 1;
            dialer.acknowledgeFailure();
        },
        Qt::DirectConnection);
    QObject::connect(&dialer, &tones::Dialer::dialRefused, &app, complain);
    QObject::connect(&dialer, &tones::Dialer::logFailed, &app, [](const QString& reason) {
        std::fprintf(stderr,
                     "dtmf-dialer: the uplink log cannot be written (%s); the command "
                     "is sent all the same\n",
                     qPrintable(reason));
    });
    QObject::connect(&dialer, &tones::Dialer::dialStopped, &app,
                     [&complain](int sent, int symbols, const QString& notSent) {
                         complain(QStringLiteral("stopped: %1 of %2 symbols went out; not sent: %3")
                                      .arg(sent)
                                      .arg(symbols)
                                      .arg(notSent));
                     });
    QObject::connect(&dialer, &tones::Dialer::dialFinished, &app, &QCoreApplication::quit);
    const TerminationSignals terminationSignals([&dialer] { dialer.requestStop(); });
    dialerThread.start();
    const QString name = request.entry->name.isEmpty() ? QString() : request.entry->name.toString();
    QMetaObject::invokeMethod(&dialer, [&dialer, command = composed.command, name] {
        dialer.dial(command, name, QStringLiteral("command-line"));
    });
    QCoreApplication::exec();
    dialerThread.stop();
    return status;
}

// "Station settings", from the window's context menu and with Ctrl+Comma; OK
// saves them, and the next press uses them.
void addStationSettings(QWidget& window, tones::Dialer& dialer) {
    auto* action = new QAction(QObject::tr("Station settings..."), &window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(action, &QAction::triggered, &window, [&window, &dialer] {
        QList<StationDialog::Choice> models;
        for (const tones::RigModelInfo& rig : tones::rigModels()) {
            models.append({QString::number(rig.model),
                           QStringLiteral("%1 %2 (%3)").arg(rig.maker, rig.name).arg(rig.model)});
        }
        auto* dialog = new StationDialog(dialer.station(), models, &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // The outputs are asked for on the dialer's thread: a sound server that
        // does not answer holds it for seconds, not the window.
        QMetaObject::invokeMethod(&dialer, [dialog = QPointer<StationDialog>(dialog)] {
            QString error;
            QList<StationDialog::Choice> outputs;
            for (const tones::OutputInfo& output :
                 tones::listOutputs(&error).value_or(QList<tones::OutputInfo>{})) {
                outputs.append({output.name, output.description.isEmpty()
                                                 ? output.name
                                                 : QStringLiteral("%1 (%2)").arg(output.description,
                                                                                 output.name)});
            }
            QMetaObject::invokeMethod(qApp, [dialog, outputs, error] {
                if (dialog) {
                    dialog->showOutputs(outputs, error);
                }
            });
        });
        // "Key for 1 s": on the dialer's thread, in turn with the dials.
        QObject::connect(
            dialog, &StationDialog::keyTestRequested, &dialer,
            [&dialer](const tones::StationSettings& station) { dialer.testKeying(station.ptt); });
        QObject::connect(&dialer, &tones::Dialer::keyingTested, dialog,
                         &StationDialog::showKeyTestResult);
        QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, &dialer] {
            QSettings settings;
            tones::saveStation(settings, dialog->settings());
            dialer.setStation(dialog->settings());
        });
        dialog->open();
    });
}

} // namespace

int runDialer(int argc, char** argv, const RunHooks& hooks) {
    // The settings file: ~/.config/dtmf-dialer/dtmf-dialer.conf.
    QCoreApplication::setOrganizationName(QStringLiteral("dtmf-dialer"));
    QCoreApplication::setApplicationName(QStringLiteral("dtmf-dialer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIALER_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    tones::StationSettings station;
    QString logFile;
    {
        QSettings settings;
        station = tones::loadStation(settings);
        logFile = settings.value(QStringLiteral("log/file")).toString();
    }
    const CommandLine line = parseCommandLine(arguments, station);
    if (!line.logFile.isEmpty()) {
        logFile = line.logFile;
    }
    switch (line.action) {
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "dtmf-dialer: %s\nTry 'dtmf-dialer --help'.\n",
                     qPrintable(line.error));
        return 2;
    case CommandLine::Action::Help:
        std::fputs(qPrintable(line.help), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("dtmf-dialer %s\n", DIALER_VERSION);
        return 0;
    case CommandLine::Action::ListOutputs:
        return listOutputs(argc, argv);
    case CommandLine::Action::List:
        std::fputs(qPrintable(commands::describeCatalogue()), stdout);
        return 0;
    case CommandLine::Action::Send:
        return sendCommand(argc, argv, line, station, logFile);
    case CommandLine::Action::Window:
        break;
    }

    QApplication app(argc, argv);
    registerWindowFonts();

    // The dial path: the window asks, the dialer on its own thread waits for
    // its turn, sends the tones and reports back. The window stays painted
    // meanwhile and takes no input.
    DialerThread dialerThread(station, logFile);
    tones::Dialer& dialer = dialerThread.dialer;

    const timecal::SystemClock clock;
    QtWarningBox warnings;
    DialerWindow window(clock, warnings);
    warnings.setParent(&window);
    addStationSettings(window, dialer);
    QObject::connect(&window, &DialerWindow::dialRequested, &dialer,
                     [&dialer](const QString& command, const QString& name) {
                         dialer.dial(command, name, QStringLiteral("window"));
                     });
    // The dial goes out all the same; the operator is told once.
    QObject::connect(&dialer, &tones::Dialer::logFailed, &window, [&warnings](const QString& why) {
        warnings.show(QStringLiteral("The uplink log cannot be written: %1\n\nCommands are sent "
                                     "all the same, but not logged.")
                          .arg(why),
                      QStringLiteral("Uplink log"), {});
    });
    QObject::connect(&dialer, &tones::Dialer::toneFailed, &window, &DialerWindow::showToneFailure);
    // The dialer waits on the operator's OK: it is told directly, not through
    // its own (busy) thread's queue.
    QObject::connect(&window, &DialerWindow::toneFailureAcknowledged, &dialer,
                     &tones::Dialer::acknowledgeFailure, Qt::DirectConnection);
    QObject::connect(&dialer, &tones::Dialer::dialRefused, &window, &DialerWindow::showDialRefusal);
    QObject::connect(&dialer, &tones::Dialer::dialStopped, &window, &DialerWindow::showDialStopped);
    QObject::connect(&dialer, &tones::Dialer::dialFinished, &window, &DialerWindow::dialFinished);
    // Escape stops a dial at the next silence between tones; the dialer is told
    // at once, not through its busy thread's queue.
    QObject::connect(&window, &DialerWindow::stopRequested, &dialer, &tones::Dialer::requestStop,
                     Qt::DirectConnection);
    // SIGINT and SIGTERM do the same and end the program: once the event loop
    // has ended, the wait for the dialer's thread lasts until the dial has
    // stopped, so no tone is cut and the dial lock is left free.
    const TerminationSignals terminationSignals([&] {
        dialer.requestStop();
        // exit(), not quit(): quit() asks the window to close, which it
        // refuses while a command dials.
        QCoreApplication::exit(0);
    });
    dialerThread.start();

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
    dialerThread.stop();
    return status;
}

} // namespace ui
