#include "tones/tonecheck.h"

#include <QDir>
#include <QTest>
#include <cmath>
#include <numbers>

// `ms` of the frequencies at equal level (their summed peak at `dbfs`), with
// raised-cosine fades, and `wave` added, between 4 ms of silence either side.
tones::Samples sound(const QList<double>& hz, double ms = 100, double dbfs = -6, int rate = 48000,
                     int channels = 1, double fadeMs = 5, double (*wave)(double) = nullptr) {
    const int lead = rate / 250;
    const int n = int(std::lround(ms * rate / 1000));
    tones::Samples s{{rate, channels}, std::vector<float>(std::size_t(n + 2 * lead) * channels)};
    for (int i = 0; i < n * channels; ++i) {
        const int frame = i / channels;
        const double t = double(frame) / rate;
        // 0 to 1 through the fade; a fade of 0 ms (0 / 0) is no fade.
        const double fade = std::min(1.0, std::min(frame, n - 1 - frame) / (fadeMs * rate / 1000));
        double value = wave ? wave(t) : 0;
        for (double f : hz) {
            value += std::sin(2 * std::numbers::pi * f * t) / hz.size();
        }
        s.frames[std::size_t(lead) * channels + i] = float(
            std::pow(10, dbfs / 20) * std::pow(std::sin(std::numbers::pi / 2 * fade), 2) * value);
    }
    return s;
}

// b added to a, or after it.
tones::Samples mix(tones::Samples a, const tones::Samples& b, bool after = false) {
    a.frames.resize(after ? a.frames.size() + b.frames.size() : a.frames.size());
    for (std::size_t i = 0; i < b.frames.size(); ++i) {
        a.frames[after ? a.frames.size() - b.frames.size() + i : i] += b.frames[i];
    }
    return a;
}

// A fixed hash of the time: white noise.
double noise(double t) {
    return std::fmod(std::sin(t * 1e6) * 43758.5453, 1.0);
}

// A 120 Hz voice in syllables four times a second: a sawtooth, its harmonics
// falling as 1/k.
double voice(double t) {
    return (0.5 - std::fmod(120 * t, 1.0)) * (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 4 * t));
}

class ToneCheckTest : public QObject {
    Q_OBJECT

private slots:
    // The standard keypad, written out: each symbol's row and column and the
    // file that holds its tone ("-": no key).
    void keys_data() {
        QTest::addColumn<QChar>("symbol");
        QTest::addColumn<QString>("key");
        const auto row = [](QChar symbol, const char* key) {
            QTest::addRow("U+%04x", symbol.unicode()) << symbol << QString(key);
        };
        for (const char* key :
             {"1 697 1209 1.wav", "2 697 1336 2.wav", "3 697 1477 3.wav", "4 770 1209 4.wav",
              "5 770 1336 5.wav", "6 770 1477 6.wav", "7 852 1209 7.wav", "8 852 1336 8.wav",
              "9 852 1477 9.wav", "0 941 1336 10.wav", "* 941 1209 11.wav", "# 941 1477 12.wav",
              "A 697 1633 13.wav", "B 770 1633 14.wav", "C 852 1633 15.wav", "D 941 1633 16.wav",
              "a 697 1633 13.wav", "d 941 1633 16.wav"}) {
            row(QChar(key[0]), key + 2);
        }
        // Not keys: other letters, an Arabic-Indic one, a full-width one, NUL.
        for (const char16_t symbol : {u'E', u'e', u'@', u'\u0661', u'\uff11', u'\0'}) {
            row(QChar(symbol), "-");
        }
    }
    void keys() {
        QFETCH(QChar, symbol);
        QFETCH(QString, key);
        const auto found = tones::dtmfKey(symbol.unicode());
        QCOMPARE(found ? QString("%1 %2 %3")
                             .arg(found->rowHz())
                             .arg(found->columnHz())
                             .arg(QString::fromStdString(tones::toneFileName(*found)))
                       : "-",
                 key);
        if (found) {
            // The file's name leads back to the key.
            QCOMPARE(tones::dtmfKeyOfFileName(tones::toneFileName(*found)), found);
        }
    }
    // Only the files' own names stand for keys.
    void otherFileNames_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"0.wav", "17.wav", "05.wav", "5.WAV", "5.wav.bak", "a.wav", ".wav",
                                 "5", "-5.wav", "+5.wav", "5 .wav", "100.wav"}) {
            QTest::newRow(name) << QString(name);
        }
    }
    void otherFileNames() {
        QFETCH(QString, name);
        QCOMPARE(tones::dtmfKeyOfFileName(name.toStdString()), std::nullopt);
    }

    void verdicts_data() {
        QTest::addColumn<tones::Samples>("tone");
        QTest::addColumn<QChar>("symbol");
        QTest::addColumn<bool>("carries");
        // clang-format off
        QTest::newRow("right pair") << sound({770, 1336}) << QChar('5') << true;
        QTest::newRow("another key's pair") << sound({852, 1477}) << QChar('5') << false;
        QTest::newRow("column missing") << sound({770}) << QChar('5') << false;
        QTest::newRow("row 3 % low") << sound({770 * 0.97, 1336}) << QChar('5') << false;
        QTest::newRow("row 3 % high") << sound({770 * 1.03, 1336}) << QChar('5') << false;
        QTest::newRow("column 3 % low") << sound({697, 1633 * 0.97}) << QChar('A') << false;
        QTest::newRow("column 3 % high") << sound({697, 1633 * 1.03}) << QChar('A') << false;
        QTest::newRow("both 1.5 % off") << sound({697 * 1.015, 1633 * 0.985}) << QChar('A') << true;
        QTest::newRow("both 2 % off") << sound({697 * 1.02, 1633 * 0.98}) << QChar('A') << true;
        QTest::newRow("pure tone") << sound({1000}) << QChar('5') << false;
        QTest::newRow("white noise") << sound({}, 300, 0, 48000, 1, 5, noise) << QChar('5') << false;
        QTest::newRow("silence") << sound({}) << QChar('5') << false;
        // Its harmonics at 840 and 1200 Hz lie within 1.5 % of the pair of 7.
        QTest::newRow("voice") << sound({}, 300, 0, 48000, 1, 5, voice) << QChar('7') << false;
        QTest::newRow("-90 dBFS") << sound({770, 1336}, 100, -90) << QChar('5') << false;
        QTest::newRow("-30 dBFS") << sound({941, 1209}, 100, -30) << QChar('*') << true;
        QTest::newRow("8 kHz") << sound({941, 1633}, 100, -6, 8000) << QChar('d') << true;
        QTest::newRow("stereo") << sound({852, 1336}, 100, -6, 44100, 2) << QChar('8') << true;
        QTest::newRow("30 ms") << sound({770, 1336}, 30, -6, 48000, 1, 0) << QChar('5') << false;
        QTest::newRow("40 ms all fade, 8 kHz") << sound({770, 1336}, 40, -6, 8000, 1, 20) << QChar('5') << true;
        QTest::newRow("column 10 dB down") << mix(sound({770}, 100, -6), sound({1336}, 100, -16)) << QChar('5') << false;
        QTest::newRow("second row 6 dB down") << mix(sound({770, 1336}), sound({852}, 100, -18)) << QChar('5') << false;
        QTest::newRow("under a 2 kHz hum as loud") << mix(sound({770, 1336}), sound({2000})) << QChar('5') << false;
        QTest::newRow("straight on into 6") << mix(sound({770, 1336}), sound({770, 1477}), true) << QChar('5') << false;
        QTest::newRow("6 after a pause") << mix(mix(sound({770, 1336}), sound({}), true), sound({770, 1477}), true) << QChar('5') << false;
        // clang-format on
        // The files the build writes carry their own key and no other.
        for (const tones::DtmfKey& own : tones::kDtmfKeys) {
            const auto file = tones::readSoundFile(
                QDir(TONE_DIR).filePath(QString::fromStdString(tones::toneFileName(own))));
            for (const tones::DtmfKey& key : tones::kDtmfKeys) {
                QTest::addRow("file of %c, key %c", own.symbol, key.symbol)
                    << file.value_or(tones::Samples{}) << QChar(key.symbol) << (key == own);
            }
        }
    }
    void verdicts() {
        QFETCH(tones::Samples, tone);
        QFETCH(QChar, symbol);
        QFETCH(bool, carries);
        QCOMPARE(tones::carriesDtmfPair(tone, tones::dtmfKey(symbol.unicode()).value()), carries);
    }
};

QTEST_GUILESS_MAIN(ToneCheckTest)
#include "tst_tonecheck.moc"
