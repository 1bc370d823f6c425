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
// raised-cosine fades, between 20 ms of silence either side.
tones::Samples sound(QList<double> hz, double ms = 100, double dbfs = -6, int rate = 48000,
                     int channels = 1, double fadeMs = 5, double (*wave)(double) = nullptr) {
    const int lead = rate / 50;
    const int n = int(std::lround(ms * rate / 1000));
    const double fade = std::max(1.0, fadeMs * rate / 1000);
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

tones::Samples sum(tones::Samples a, const tones::Samples& b) {
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        a.frames[i] += b.frames[i];
    }
    return a;
}

tones::Samples join(tones::Samples a, const tones::Samples& b) {
    a.frames.insert(a.frames.end(), b.frames.begin(), b.frames.end());
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
        QTest::newRow("right pair") << sound({770, 1336}) << QChar('5') << true;
        QTest::newRow("another key's pair") << sound({852, 1477}) << QChar('5') << false;
        QTest::newRow("column missing") << sound({770}) << QChar('5') << false;
        QTest::newRow("row 3 % high") << sound({770 * 1.03, 1336}) << QChar('5') << false;
        QTest::newRow("column 3 % low") << sound({697, 1633 * 0.97}) << QChar('A') << false;
        QTest::newRow("both 1.5 % off") << sound({697 * 1.015, 1633 * 0.985}) << QChar('A') << true;
        QTest::newRow("pure tone") << sound({1000}) << QChar('5') << false;
        QTest::newRow("white noise")
            << sound({}, 300, 0, 48000, 1, 5, noise) << QChar('5') << false;
        QTest::newRow("silence") << sound({}) << QChar('5') << false;
        // Its harmonics at 840 and 1200 Hz lie within 1.5 % of the pair of 7.
        QTest::newRow("voice") << sound({}, 300, 0, 48000, 1, 5, voice) << QChar('7') << false;
        QTest::newRow("-30 dBFS") << sound({941, 1209}, 100, -30) << QChar('*') << true;
        QTest::newRow("8 kHz") << sound({941, 1633}, 100, -6, 8000) << QChar('d') << true;
        QTest::newRow("stereo") << sound({852, 1336}, 100, -6, 44100, 2) << QChar('8') << true;
        QTest::newRow("30 ms") << sound({770, 1336}, 30, -6, 48000, 1, 0) << QChar('5') << false;
        QTest::newRow("40 ms all fade, 8 kHz")
            << sound({770, 1336}, 40, -6, 8000, 1, 20) << QChar('5') << true;
        QTest::newRow("column 12 dB down")
            << sum(sound({770}, 100, -6), sound({1336}, 100, -18)) << QChar('5') << false;
        QTest::newRow("second row beside") << sound({770, 852, 1336}, 100) << QChar('5') << false;
        QTest::newRow("under a louder 2 kHz hum")
            << sum(sound({770, 1336}), sound({2000}, 100, -3)) << QChar('5') << false;
        QTest::newRow("then another key")
            << join(sound({770, 1336}), sound({770, 1477})) << QChar('5') << false;
        QTest::newRow("not a key") << sound({770, 1336}) << QChar('E') << false;
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
