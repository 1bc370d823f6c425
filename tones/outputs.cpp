// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/outputs.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>

#include <chrono>
#include <dlfcn.h>
#include <memory>

namespace {

// What the sound server shows for the program: its client, as the desktop's
// mixer names it, the client's icon, and its stream.
constexpr char kClientName[] = "DTMF Dialer";
constexpr char kIconName[] = "dtmf-dialer";
constexpr char kStreamName[] = "Uplink";

} // namespace

// How the program shows in the sound server (pavucontrol, GNOME's settings,
// `pactl list sink-inputs`). PortAudio plays through ALSA's pulse plugin, which
// names its client "ALSA plug-in [dtmf-dialer]" and its stream "ALSA Playback"
// and has no setting for either, nor does libpulse read the stream's name from
// the environment. So these two, and pa_stream_connect_playback below, stand
// in for libpulse's own: the executable exports them (tones/CMakeLists.txt),
// and the dynamic linker looks in the executable before libpulse when the
// plugin asks for them.
// (The parameters have libpulse's names.)
extern "C" pa_context* pa_context_new(pa_mainloop_api* mainloop, const char* /*name*/) {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kIconName);
    pa_context* context = pa_context_new_with_proplist(mainloop, kClientName, properties);
    pa_proplist_free(properties);
    return context;
}

// The program plays into nothing but the uplink.
extern "C" pa_stream* pa_stream_new(pa_context* c, const char* /*name*/, const pa_sample_spec* ss,
                                    const pa_channel_map* map) {
    return pa_stream_new_with_proplist(c, kStreamName, ss, map, nullptr);
}

// A stream into a sink chosen by name stays there: should that sink go, the
// server ends the stream, and the tones that did not sound are reported,
// where it would otherwise move it to the default output and the rest of the
// command would play there unnoticed. Into the default output (no device
// named), the stream goes wherever the server's default goes, as before. No
// other entry point does this, so libpulse's own is looked up behind this one.
extern "C" int pa_stream_connect_playback(pa_stream* s, const char* dev, const pa_buffer_attr* attr,
                                          pa_stream_flags_t flags, const pa_cvolume* volume,
                                          pa_stream* sync_stream) {
    using Connect = int (*)(pa_stream*, const char*, const pa_buffer_attr*, pa_stream_flags_t,
                            const pa_cvolume*, pa_stream*);
    static const auto libpulse =
        reinterpret_cast<Connect>(dlsym(RTLD_NEXT, "pa_stream_connect_playback"));
    if (libpulse == nullptr) {
        return -PA_ERR_NOTIMPLEMENTED;
    }
    if (dev != nullptr) {
        flags = pa_stream_flags_t(flags | PA_STREAM_DONT_MOVE);
    }
    return libpulse(s, dev, attr, flags, volume, sync_stream);
}

namespace tones {
namespace {

// However the server behaves, the answer comes within this.
constexpr std::chrono::seconds kAnswerWithin{3};

struct Listing {
    QList<OutputInfo> outputs;
    bool complete = false;
};

void addSink(pa_context* /*context*/, const pa_sink_info* info, int last, void* data) {
    auto* listing = static_cast<Listing*>(data);
    if (last != 0) {
        listing->complete = last > 0;
        return;
    }
    listing->outputs.append(
        {QString::fromUtf8(info->name),
         info->description != nullptr ? QString::fromUtf8(info->description) : QString()});
}

struct Disconnect {
    void operator()(pa_context* context) const {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};

} // namespace

std::optional<QList<OutputInfo>> listOutputs(QString* error) {
    const std::unique_ptr<pa_mainloop, decltype(&pa_mainloop_free)> loop(pa_mainloop_new(),
                                                                         &pa_mainloop_free);
    const std::unique_ptr<pa_context, Disconnect> context(
        loop ? pa_context_new(pa_mainloop_get_api(loop.get()), kClientName) : nullptr);
    const auto failed = [&](const char* call) {
        if (error != nullptr) {
            *error = QStringLiteral("%1: %2").arg(
                QLatin1String(call),
                QString::fromUtf8(
                    pa_strerror(context ? pa_context_errno(context.get()) : PA_ERR_INTERNAL)));
        }
        return std::nullopt;
    };
    if (!context) {
        return failed("pa_context_new");
    }
    // The session's server only: one started here would be the machine's own
    // cards, not the desktop's outputs.
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return failed("pa_context_connect");
    }
    // Runs the loop once, waiting no longer than the deadline; false once it
    // has passed, or when the loop fails.
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWithin;
    const auto step = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        return left.count() > 0 && pa_mainloop_prepare(loop.get(), int(left.count())) >= 0 &&
               pa_mainloop_poll(loop.get()) >= 0 && pa_mainloop_dispatch(loop.get()) >= 0;
    };
    const auto timedOut = [error] {
        if (error != nullptr) {
            *error = QStringLiteral("the sound server did not answer within %1 s")
                         .arg(kAnswerWithin.count());
        }
        return std::nullopt;
    };
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (state == PA_CONTEXT_READY) {
            break;
        }
        if (!PA_CONTEXT_IS_GOOD(state)) {
            return failed("pa_context_connect");
        }
        if (!step()) {
            return timedOut();
        }
    }
    Listing listing;
    pa_operation* operation = pa_context_get_sink_info_list(context.get(), &addSink, &listing);
    if (operation == nullptr) {
        return failed("pa_context_get_sink_info_list");
    }
    bool answered = true;
    while (answered && pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        answered = step();
    }
    if (!answered) {
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    if (!answered) {
        return timedOut();
    }
    if (!listing.complete) {
        return failed("pa_context_get_sink_info_list");
    }
    return listing.outputs;
}

QStringList resolveOutput(const QString& given, const QList<OutputInfo>& outputs) {
    const QString wanted = given.trimmed();
    QStringList described;
    for (const OutputInfo& output : outputs) {
        if (output.name == wanted) {
            return {output.name};
        }
        if (output.description == wanted) {
            described << output.name;
        }
    }
    return wanted.isEmpty() ? QStringList() : described;
}

} // namespace tones
