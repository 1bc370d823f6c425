// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/portaudiooutput.h"

#include "tones/soundlog.h"

#include <QThread>

#include <algorithm>
#include <alsa/error.h>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <jack/jack.h>
#include <mutex>
#include <pa_linux_alsa.h>
#include <portaudio.h>
#include <vector>

namespace tones {
namespace {

// Latency asked of the device: the queue ahead of it. A dialer stopped for a
// second (a busy machine, a debugger, SIGSTOP) must not let the device run dry.
constexpr double kSuggestedLatency = 1.5;
// The device's queue is cut into periods this long: the device reports its
// progress a period at a time (under PipeWire a graph cycle, 43 ms, at the
// least). PortAudio's ALSA host cuts it in four (384 ms steps with the queue
// above), too coarse to stop between two tones or to tell what was heard.
constexpr int kPeriodMs = 20;
// How often the device is asked for room and progress while the dialer waits.
constexpr int kPollMs = 5;
// Silence at the end of a command, which stopping the stream may drop.
constexpr int kTailMs = 100;

// "Pa_WriteStream: <PortAudio's text> (<the host's text>)".
QString describe(const char* call, PaError error) {
    QString text = QString::fromUtf8(Pa_GetErrorText(error));
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
        if (host != nullptr && host->errorText != nullptr && *host->errorText != '\0') {
            text += QStringLiteral(" (%1)").arg(QString::fromUtf8(host->errorText));
        }
    }
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(call), text);
}

// Logs a failed call that nobody is told about otherwise.
void logFailure(const char* call, PaError error) {
    qCWarning(lcSound).noquote() << describe(call, error);
}

// ALSA's name of a sink of the sound server: the pulse plugin's device, with
// the name quoted as ALSA's configuration quotes strings.
QByteArray alsaDeviceString(const QString& sinkName) {
    QByteArray quoted = sinkName.toUtf8();
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return "pulse:\"" + quoted + '"';
}

// While PortAudio looks through every device that ALSA and JACK might offer,
// they write to stderr about each they do not find (dozens of lines on a
// desktop without JACK, or without a sound card). None of that is a failure of
// the output: what fails reaches PortAudio's own error, which is logged. Their
// words go to the debug lines. (JACK_NO_START_SERVER would not do for JACK: it
// is the attempt to connect that it reports.)
void alsaMessage(const char* file, int line, const char* function, int error, const char* format,
                 ...) {
    if (!lcSound().isDebugEnabled()) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    QString text = QString::vasprintf(format, arguments);
    va_end(arguments);
    if (error != 0) {
        text += QStringLiteral(": ") + QString::fromUtf8(snd_strerror(error));
    }
    qCDebug(lcSound).noquote() << QStringLiteral("ALSA %1:%2 (%3): %4")
                                      .arg(QString::fromUtf8(file))
                                      .arg(line)
                                      .arg(QString::fromUtf8(function), text);
}

void jackMessage(const char* text) {
    qCDebug(lcSound).noquote() << "JACK:" << text;
}

void routeLibraryMessages() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&alsaMessage);
        jack_set_error_function(&jackMessage);
        jack_set_info_function(&jackMessage);
    });
}

} // namespace

PortAudioOutput::PortAudioOutput() = default;

PortAudioOutput::~PortAudioOutput() {
    close();
    if (initialized_) {
        Pa_Terminate();
    }
}

bool PortAudioOutput::initialize() {
    if (initialized_ && Pa_GetDefaultOutputDevice() != paNoDevice) {
        return true;
    }
    // No device at the last look (no sound server yet, or none at all): look again.
    if (initialized_) {
        Pa_Terminate();
        initialized_ = false;
    }
    routeLibraryMessages();
    if (const PaError error = Pa_Initialize(); error != paNoError) {
        error_ = describe("Pa_Initialize", error);
        qCWarning(lcSound).noquote() << error_;
        return false;
    }
    initialized_ = true;
    if (Pa_GetDefaultOutputDevice() == paNoDevice) {
        error_ = QStringLiteral("Pa_GetDefaultOutputDevice: no sound output device");
        qCWarning(lcSound).noquote() << error_;
        return false;
    }
    return true;
}

bool PortAudioOutput::open(const AudioFormat& wanted) {
    close();
    if (!initialize()) {
        return false;
    }
    PaStreamParameters params{};
    params.channelCount = std::max(1, wanted.channels);
    params.sampleFormat = paFloat32;
    params.suggestedLatency = kSuggestedLatency;
    double deviceRate = wanted.sampleRate;
    bool alsa = true;
    PaAlsaStreamInfo chosen{};
    const QByteArray deviceString = alsaDeviceString(sinkName_);
    if (sinkName_.isEmpty()) {
        params.device = Pa_GetDefaultOutputDevice();
        const PaDeviceInfo* info = Pa_GetDeviceInfo(params.device);
        if (info == nullptr || info->maxOutputChannels < 1) {
            return fail(QStringLiteral("Pa_GetDeviceInfo: the default device has no output"));
        }
        params.channelCount = std::clamp(wanted.channels, 1, info->maxOutputChannels);
        params.suggestedLatency = std::max(kSuggestedLatency, info->defaultLowOutputLatency);
        deviceRate = info->defaultSampleRate;
        const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
        alsa = host != nullptr && host->type == paALSA;
    } else {
        // The chosen sink by its name, through PortAudio's ALSA host, whatever
        // the default output is.
        if (Pa_HostApiTypeIdToHostApiIndex(paALSA) < 0) {
            return fail(QStringLiteral("Pa_HostApiTypeIdToHostApiIndex: PortAudio has no ALSA "
                                       "host to play into \"%1\"")
                            .arg(sinkName_));
        }
        PaAlsa_InitializeStreamInfo(&chosen);
        chosen.deviceString = deviceString.constData();
        params.device = paUseHostApiSpecificDeviceSpecification;
        params.hostApiSpecificStreamInfo = &chosen;
    }
    if (alsa) {
        PaAlsa_SetNumPeriods(int(params.suggestedLatency * 1000 / kPeriodMs));
    }

    // A device that refuses the file's rate gets its own rate, and the tones are
    // converted to it.
    double rate = wanted.sampleRate;
    if (Pa_IsFormatSupported(nullptr, &params, rate) != paFormatIsSupported) {
        rate = deviceRate;
    }
    PaStream* stream = nullptr;
    if (const PaError error = Pa_OpenStream(&stream, nullptr, &params, rate,
                                            static_cast<unsigned long>(rate * kPeriodMs / 1000),
                                            paClipOff, nullptr, nullptr);
        error != paNoError) {
        return fail(describe("Pa_OpenStream", error));
    }
    stream_ = stream;
    format_ = {int(rate), params.channelCount};
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
    outputLatency_ = streamInfo != nullptr ? streamInfo->outputLatency : kSuggestedLatency;
    if (!ensureStarted()) {
        close();
        return false;
    }
    return true;
}

bool PortAudioOutput::ensureStarted() {
    if (started_) {
        return true;
    }
    if (const PaError error = Pa_StartStream(stream_); error != paNoError) {
        return fail(describe("Pa_StartStream", error));
    }
    started_ = true;
    written_ = 0;
    playedAtFailure_ = -1;
    reportedAt_ = lastLook_ = std::chrono::steady_clock::now();
    // The stream starts empty: the room it offers now is all it queues.
    const long room = Pa_GetStreamWriteAvailable(stream_);
    capacity_ = room > 0 ? room : qint64(std::ceil(outputLatency_ * format_.sampleRate));
    queued_ = 0;
    return true;
}

long PortAudioOutput::measureRoom() {
    const long room = Pa_GetStreamWriteAvailable(stream_);
    if (room >= 0) {
        const qint64 playedBefore = framesPlayed();
        queued_ = std::max<qint64>(0, capacity_ - room);
        lastLook_ = std::chrono::steady_clock::now();
        if (framesPlayed() > playedBefore) {
            reportedAt_ = lastLook_;
        }
    }
    return room;
}

bool PortAudioOutput::pollAgain(qint64& waitedMs, bool progressed, const char* doing) {
    waitedMs = progressed ? 0 : waitedMs;
    const int stallLimitMs = stallLimitMs_;
    if (waitedMs > stallLimitMs) {
        return fail(QStringLiteral("the sound device %1 nothing for %2 ms")
                        .arg(QLatin1String(doing))
                        .arg(stallLimitMs));
    }
    QThread::msleep(kPollMs);
    waitedMs += kPollMs;
    return true;
}

bool PortAudioOutput::write(const float* frames, qint64 frameCount) {
    if (stream_ == nullptr || !ensureStarted()) {
        return false;
    }
    // A block (a tone) is handed over whole, once the device has room for all
    // of it: a dialer stopped while handing one over in pieces lets the device
    // run dry inside the tone, and the rest sounds later as a second press. Run
    // dry between two tones, the device only makes a longer pause. Only a block
    // longer than half the queue goes in pieces.
    //
    // Nothing is handed over beyond the device's room: PortAudio's ALSA host
    // would wait for ever on a device that takes nothing, and cannot be woken.
    qint64 waitedMs = 0; // while the dialer ran and the device took nothing
    long lastRoom = -1;
    for (qint64 done = 0; done < frameCount;) {
        const long room = measureRoom();
        if (room < 0) {
            return fail(describe("Pa_GetStreamWriteAvailable", PaError(room)));
        }
        const qint64 count = std::min(frameCount - done, std::max<qint64>(1, capacity_ / 2));
        if (room < count) {
            if (done == 0 && stopAsked()) {
                return false; // a block goes whole or not at all
            }
            // Only the time asked for counts against the device; a dialer
            // stopped meanwhile sleeps longer, and that is not the device's
            // fault.
            const bool progressed = room > lastRoom;
            lastRoom = room;
            if (!pollAgain(waitedMs, progressed, "took")) {
                return false;
            }
            continue;
        }
        const PaError error = Pa_WriteStream(stream_, frames + done * format_.channels,
                                             static_cast<unsigned long>(count));
        // An underflow means the device ran dry for a moment before this block,
        // between two blocks; this one still plays whole.
        if (error == paOutputUnderflowed) {
            qCDebug(lcSound) << "the device ran dry before frame" << written_;
        } else if (error != paNoError) {
            return fail(describe("Pa_WriteStream", error));
        }
        written_ += count;
        queued_ += count;
        done += count;
        waitedMs = 0;
        lastRoom = -1;
    }
    return true;
}

bool PortAudioOutput::drain() {
    if (stream_ == nullptr) {
        return false;
    }
    if (!started_) {
        return true;
    }
    // Stopping drops what the device still queues (so PortAudio's ALSA host does
    // through the PulseAudio plugin): a tail of silence goes last, and the
    // stream is stopped once no more than half of it is left.
    const qint64 tail = format_.sampleRate * kTailMs / 1000;
    const std::vector<float> silence(std::size_t(tail * format_.channels), 0.0F);
    if (!write(silence.data(), tail)) {
        return false;
    }
    qint64 waitedMs = 0;
    for (;;) {
        const qint64 before = queued_;
        const long room = measureRoom();
        if (room < 0) {
            return fail(describe("Pa_GetStreamWriteAvailable", PaError(room)));
        }
        if (queued_ <= format_.sampleRate * kTailMs / 2000) {
            break;
        }
        if (stopAsked()) {
            return false;
        }
        if (!pollAgain(waitedMs, queued_ < before, "played")) {
            return false;
        }
    }
    const PaError error = Pa_StopStream(stream_);
    started_ = false;
    if (error != paNoError) {
        return fail(describe("Pa_StopStream", error));
    }
    return true;
}

qint64 PortAudioOutput::playPosition() {
    if (started_ && playedAtFailure_ < 0) {
        measureRoom();
    }
    return framesPlayed();
}

qint64 PortAudioOutput::framesPlayed() const {
    if (playedAtFailure_ >= 0) {
        return playedAtFailure_;
    }
    if (!started_) {
        return 0;
    }
    // All that was written but what the device still held at its last report:
    // a device that stalls or goes away has played nothing of that.
    return std::clamp<qint64>(written_ - queued_, 0, written_);
}

bool PortAudioOutput::fail(const QString& reason) {
    // The device reports its progress a period at a time, after the sound
    // server has taken it: at the last look it had played on since its last
    // report, for up to a period.
    const qint64 sinceReport =
        std::chrono::duration_cast<std::chrono::milliseconds>(lastLook_ - reportedAt_).count();
    const qint64 playedOn = std::min<qint64>(sinceReport, kPeriodMs) * format_.sampleRate / 1000;
    playedAtFailure_ = -1;
    playedAtFailure_ = started_ ? std::min(written_, framesPlayed() + playedOn) : framesPlayed();
    error_ = reason;
    qCWarning(lcSound).noquote() << reason;
    return false;
}

void PortAudioOutput::close() {
    if (stream_ != nullptr) {
        if (started_) {
            if (const PaError error = Pa_AbortStream(stream_);
                error != paNoError && error != paStreamIsStopped) {
                logFailure("Pa_AbortStream", error);
            }
        }
        if (const PaError error = Pa_CloseStream(stream_); error != paNoError) {
            logFailure("Pa_CloseStream", error);
        }
        stream_ = nullptr;
    }
    started_ = false;
}

} // namespace tones
