// Fuzzes dialling a command string: the tone player with a recording output and
// a counting message box, playing from a folder of 16 tiny marker tone files.
//
// File n ("n.wav") holds 4 frames of the value n/32 at 8000 Hz, mono, 16-bit, so
// every written block tells which file it came from. The input bytes are the
// command (UTF-8). Checked for every command:
//  - one block per DTMF symbol (0-9, *, #, A-D, a-d), in the command's order,
//    each the whole file of its symbol ("1234567890*#ABCD" are files 1 to 16);
//  - one warning per character that is neither a DTMF symbol nor a blank or a
//    tab, with the tone error text and title, in its place among the tones and
//    only once the tones before it have played out;
//  - blanks and tabs give neither a block nor a warning;
//  - one stream, opened only when there is a tone, drained before it is closed
//    and closed when the call returns.

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
constexpr int kWarning = -1;

std::unique_ptr<QTemporaryDir> toneFolder;

void writeToneFiles() {
    toneFolder = std::make_unique<QTemporaryDir>();
    for (int n = 1; n <= 16; ++n) {
        SF_INFO info{0, 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        const QString path = toneFolder->filePath(QStringLiteral("%1.wav").arg(n));
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        const std::vector<float> frames(kFramesPerFile, float(n) / 32);
        if (file == nullptr ||
            sf_writef_float(file, frames.data(), kFramesPerFile) != kFramesPerFile) {
            std::fprintf(stderr, "fuzz_toneplayer: cannot write the tone files\n");
            std::abort();
        }
        sf_close(file);
    }
}

// What the player did: the marker file of each block (0 for a block that is no
// whole marker file) and kWarning for each warning, in order.
struct Log {
    std::vector<int> played;
    bool queued = false;   // a block written and not yet drained
    bool cutShort = false; // a warning or a close while a block was queued
};

class Output : public testing::RecordingOutput {
public:
    Log* log = nullptr;

    bool write(const float* frames, qint64 count) override {
        int file = count == kFramesPerFile ? qRound(frames[0] * 32) : 0;
        for (qint64 i = 0; i < count; ++i) {
            file = frames[i] == float(file) / 32 ? file : 0;
        }
        log->played.push_back(file);
        log->queued = true;
        return RecordingOutput::write(frames, count);
    }
    bool drain() override {
        log->queued = false;
        return RecordingOutput::drain();
    }
    void close() override {
        log->cutShort = log->cutShort || log->queued;
        RecordingOutput::close();
    }
};

class Messages : public testing::CountingMessages {
public:
    Log* log = nullptr;

    void showWarning(const QString& text, const QString& title) override {
        log->played.push_back(kWarning);
        log->cutShort = log->cutShort || log->queued;
        CountingMessages::showWarning(text, title);
    }
};

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
    Log log;
    Output output;
    output.log = &log;
    Messages messages;
    messages.log = &log;
    tones::TonePlayer(toneFolder->path(), output, messages).PlayCommandTones(command);

    std::vector<int> expected;
    int tones = 0;
    for (const QChar c : command) {
        const bool lower = c >= u'a' && c <= u'd';
        const int file = int(QStringView(u"1234567890*#ABCD").indexOf(lower ? c.toUpper() : c)) + 1;
        if (file > 0) {
            expected.push_back(file);
            ++tones;
        } else if (c != u' ' && c != u'\t') {
            expected.push_back(kWarning);
        }
    }

    const auto what = [&] {
        return QStringLiteral("command \"%1\"").arg(fuzzing::visible(command.left(200)));
    };
    FUZZ_CHECK(log.played == expected, what());
    FUZZ_CHECK(!log.cutShort, what());
    FUZZ_CHECK(output.opens == (tones > 0 ? 1 : 0) && !output.isOpen(), what());
    for (const QString& shown : messages.shown) {
        FUZZ_CHECK(shown == QStringLiteral("Error: Error playing DTMF tone"), what());
    }
    return 0;
}
