// Fuzzes dialling a command string: the tone player with a recording output and
// a counting message box, playing from a folder of 16 tiny marker tone files.
//
// File n ("n.wav") holds 4 frames of the value n/32 at 8000 Hz, mono, 16-bit, so
// every written block tells which file it came from. The input bytes are the
// command (UTF-8). Checked for every command:
//  - one block per DTMF symbol (0-9, *, #, A-D, a-d), in the command's order,
//    each the whole file of its symbol ("1234567890*#ABCD" are files 1 to 16);
//  - one warning per character that is neither a DTMF symbol nor a blank or a
//    tab, with the tone error text and title, shown after every tone before it
//    has played out and before any tone after it is written;
//  - blanks and tabs give neither a block nor a warning;
//  - one stream per command: opened once before the first tone (never when
//    there is none), drained after the last tone, closed when the call returns.

#include "fuzzcheck.h"
#include "support/fakes.h"
#include "tones/toneplayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int kFramesPerFile = 4;
constexpr QStringView kKeys = u"1234567890*#ABCD";

std::unique_ptr<QTemporaryDir> toneFolder;

[[noreturn]] void initFailed(const char* what) {
    std::fprintf(stderr, "fuzz_toneplayer: start-up failed: %s\n", what);
    std::abort();
}

void writeToneFiles() {
    toneFolder = std::make_unique<QTemporaryDir>();
    if (!toneFolder->isValid()) {
        initFailed("no temporary folder");
    }
    for (int n = 1; n <= 16; ++n) {
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        const QString path = toneFolder->filePath(QStringLiteral("%1.wav").arg(n));
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        if (file == nullptr) {
            initFailed("cannot write a tone file");
        }
        const std::vector<float> frames(kFramesPerFile, float(n) / 32);
        if (sf_writef_float(file, frames.data(), kFramesPerFile) != kFramesPerFile) {
            initFailed("short tone file");
        }
        sf_close(file);
    }
}

// Everything the player does to the output and the message box, in order.
struct Event {
    enum Kind { Open, Write, Drain, Close, Warning } kind;
    int file = 0; // of a write: which marker file the block came from, 0 if none
};

class Output : public testing::RecordingOutput {
public:
    std::vector<Event>* events = nullptr;

    bool open(const tones::AudioFormat& wanted) override {
        events->push_back({Event::Open});
        return RecordingOutput::open(wanted);
    }
    bool write(const float* frames, qint64 count) override {
        const bool ok = RecordingOutput::write(frames, count);
        int file = 0;
        if (ok && count == kFramesPerFile && blocks.back().size() == kFramesPerFile) {
            const std::vector<float>& block = blocks.back();
            for (int n = 1; n <= 16 && file == 0; ++n) {
                file = block.front() == float(n) / 32 ? n : 0;
            }
            for (const float v : block) {
                file = v == block.front() ? file : 0;
            }
        }
        events->push_back({Event::Write, file});
        return ok;
    }
    bool drain() override {
        events->push_back({Event::Drain});
        return RecordingOutput::drain();
    }
    void close() override {
        events->push_back({Event::Close});
        RecordingOutput::close();
    }
};

class Messages : public testing::CountingMessages {
public:
    std::vector<Event>* events = nullptr;

    void showWarning(const QString& text, const QString& title) override {
        events->push_back({Event::Warning});
        CountingMessages::showWarning(text, title);
    }
};

bool isBlankOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}

// The marker file of a DTMF symbol, 0 for any other character.
int fileOf(QChar c) {
    if (c >= u'a' && c <= u'd') {
        c = QChar(c.unicode() - u'a' + u'A');
    }
    return int(kKeys.indexOf(c) + 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    writeToneFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString command = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (command.size() > 4096) {
        return -1;
    }

    std::vector<Event> events;
    Output output;
    output.events = &events;
    Messages messages;
    messages.events = &events;
    tones::TonePlayer player(toneFolder->path(), output, messages);
    player.PlayCommandTones(command);

    // What the command should give, character by character: a tone, a warning
    // or nothing.
    std::vector<Event> expected;
    for (const QChar c : command) {
        if (const int file = fileOf(c); file > 0) {
            expected.push_back({Event::Write, file});
        } else if (!isBlankOrTab(c)) {
            expected.push_back({Event::Warning});
        }
    }

    const auto what = [&] {
        return QStringLiteral("command \"%1\"").arg(fuzzing::visible(command.left(200)));
    };
    std::vector<Event> got;
    bool open = false;
    bool queued = false; // written and not yet drained
    int opens = 0;
    for (const Event& e : events) {
        switch (e.kind) {
        case Event::Open:
            FUZZ_CHECK(!open, what());
            open = true;
            ++opens;
            break;
        case Event::Write:
            FUZZ_CHECK(open, what());
            queued = true;
            got.push_back(e);
            break;
        case Event::Drain:
            FUZZ_CHECK(open, what());
            queued = false;
            break;
        case Event::Close:
            FUZZ_CHECK(!queued, what()); // nothing dropped unplayed
            open = false;
            break;
        case Event::Warning:
            FUZZ_CHECK(!queued, what()); // the tones before it have sounded
            got.push_back(e);
            break;
        }
    }
    FUZZ_CHECK(!open && !output.isOpen(), what());

    int toneCount = 0;
    for (const Event& e : expected) {
        toneCount += e.kind == Event::Write ? 1 : 0;
    }
    FUZZ_CHECK(opens == (toneCount > 0 ? 1 : 0), what());
    FUZZ_CHECK(int(output.blocks.size()) == toneCount, what());
    FUZZ_CHECK(messages.shown.size() == qsizetype(expected.size()) - toneCount, what());
    for (const QString& shown : messages.shown) {
        FUZZ_CHECK(shown == tones::kToneErrorTitle.toString() + QStringLiteral(": ") +
                                tones::kToneErrorText.toString(),
                   what());
    }

    FUZZ_CHECK(got.size() == expected.size(), what());
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(got[i].kind == expected[i].kind,
                   what() + QStringLiteral(": event %1 of the wrong kind").arg(i));
        FUZZ_CHECK(got[i].file == expected[i].file,
                   what() + QStringLiteral(": event %1 plays file %2, not %3")
                                .arg(i)
                                .arg(got[i].file)
                                .arg(expected[i].file));
    }
    return 0;
}
