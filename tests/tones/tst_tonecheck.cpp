#include "tones/tonecheck.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <numbers>

Q_DECLARE_METATYPE(tones::Samples)

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// `ms` of the frequencies at equal level (their summed peak at `dbfs`) with
// raised-cosine fades, between 4 ms of silence either side.
tones::Samples sound(QList<double> hz, double ms = 100, double dbfs = -6, int rate = 48000,
                     int channels = 1, double fadeMs = 5, double (*wave)(double) = nullptr) {
    const int lead = rate / 250;
    const int n = int(std::lround(ms * rate / 1000));
    const double fade = fadeMs * rate / 1000;
    tones::Samples s{{rate, channels}, std::vector<float>(std::size_t(n + 2 * lead) * channels)};
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double edge = std::min(i, n - 1 - i);
        const double envelope =
            edge < fade ? 0.5 - 0.5 * std::cos(std::numbers::pi * edge / fade) : 1;
        double value = wave ? wave(t) : 0;
        for (double f : hz) {
            value += std::sin(kTwoPi * f * t) / hz.size();
        }
        for (int c = 0; c < channels; ++c) {
            s.frames[std::size_t(lead + i) * channels + c] =
                float(std::pow(10, dbfs / 20) * envelope * value);
        }
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

double noise(double) {
    static QRandomGenerator random(7);
    return random.generateDouble() - 0.5;
}

// Harmonics of a 120 Hz voice, falling in level, in syllables four times a second.
double voice(double t) {
    double v = 0;
    for (int k = 1; k <= 25; ++k) {
        v += std::sin(kTwoPi * 120 * k * t) / k;
    }
    return v * (0.6 + 0.4 * std::sin(kTwoPi * 4 * t)) / 3;
}

} // namespace

class ToneCheckTest : public QObject {
    Q_OBJECT

private slots:
    void verdicts_data() {
        QTest::addColumn<tones::Samples>("tone");
        QTest::addColumn<QChar>("symbol");
        QTest::addColumn<bool>("carries");
        const auto row = [](const char* name, const tones::Samples& tone, char key, bool carries) {
            QTest::newRow(name) << tone << QChar(key) << carries;
        };
        row("right pair", sound({770, 1336}), '5', true);
        row("another key's pair", sound({852, 1477}), '5', false);
        row("column missing", sound({770}), '5', false);
        row("row 3 % low", sound({770 * 0.97, 1336}), '5', false);
        row("row 3 % high", sound({770 * 1.03, 1336}), '5', false);
        row("column 3 % low", sound({697, 1633 * 0.97}), 'A', false);
        row("column 3 % high", sound({697, 1633 * 1.03}), 'A', false);
        row("both 1.5 % off", sound({697 * 1.015, 1633 * 0.985}), 'A', true);
        row("both 2 % off", sound({697 * 1.02, 1633 * 0.98}), 'A', true);
        row("pure tone", sound({1000}), '5', false);
        row("white noise", sound({}, 300, 0, 48000, 1, 5, noise), '5', false);
        row("silence", sound({}), '5', false);
        // Its harmonics at 840 and 1200 Hz lie within 1.5 % of the pair of 7.
        row("voice", sound({}, 300, 0, 48000, 1, 5, voice), '7', false);
        row("-90 dBFS", sound({770, 1336}, 100, -90), '5', false);
        row("-30 dBFS", sound({941, 1209}, 100, -30), '*', true);
        row("8 kHz", sound({941, 1633}, 100, -6, 8000), 'd', true);
        row("stereo", sound({852, 1336}, 100, -6, 44100, 2), '8', true);
        row("30 ms", sound({770, 1336}, 30, -6, 48000, 1, 0), '5', false);
        row("40 ms all fade, 8 kHz", sound({770, 1336}, 40, -6, 8000, 1, 20), '5', true);
        row("column 10 dB down", mix(sound({770}, 100, -6), sound({1336}, 100, -16)), '5', false);
        row("second row 6 dB down", mix(sound({770, 1336}), sound({852}, 100, -18)), '5', false);
        row("under a 2 kHz hum as loud", mix(sound({770, 1336}), sound({2000})), '5', false);
        const tones::Samples five = sound({770, 1336});
        row("straight on into 6", mix(five, sound({770, 1477}), true), '5', false);
        row("6 after a pause", mix(mix(five, sound({}), true), sound({770, 1477}), true), '5',
            false);
        row("not a key", five, 'E', false);
    }
    void verdicts() {
        QFETCH(tones::Samples, tone);
        QFETCH(QChar, symbol);
        QFETCH(bool, carries);
        QCOMPARE(tones::CarriesDtmfPair(tone, symbol), carries);
    }

    // The files the build writes carry their own key and no other.
    void generatedFiles() {
        const QString keys = "1234567890*#ABCD";
        for (int n = 1; n <= 16; ++n) {
            const auto tone =
                tones::ReadToneFile(QDir(TONE_DIR).filePath(QString("%1.wav").arg(n)));
            QVERIFY(tone);
            for (const QChar key : keys) {
                QCOMPARE(tones::CarriesDtmfPair(*tone, key), key == keys.at(n - 1));
            }
        }
    }
};

QTEST_GUILESS_MAIN(ToneCheckTest)
#include "tst_tonecheck.moc"
