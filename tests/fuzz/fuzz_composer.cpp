// Fuzzes a press of a command button: the composer with the window's boxes held
// in a hash.
//
// Input: a button index, then the texts of Text1 to Text13 and the strings the
// elements and time builders return, separated by NUL bytes (UTF-8). A first
// byte below 0xF0 picks an index from -2 to 29 (mostly real buttons); otherwise
// the next two bytes are the index, any qint16 at all.
//
// Checked for every press:
//  - an index outside 0-27 dials nothing, writes no box and builds nothing;
//  - otherwise exactly one dial, and exactly one box written: Text11, holding
//    "last sent: " and the dialled string, already when the dial starts;
//  - the dialled string follows the button: "**13#" to "**16#" + Text1 to Text4
//    + "#" for the thresholds (12 to 9), "**39#" + Text5 + Text6 + "#" and
//    "**40#" + Text7 + Text8 + "#" for the packet pointer and resend (17, 18),
//    the builders' strings for the elements (19) and time (20) commands, Text13
//    as it stands (21), the button's caption for every other;
//  - each builder runs only for its own button;
//  - composing the same press again gives the same string and has no effect.

#include "commands/catalogue.h"
#include "commands/composer.h"
#include "fuzzcheck.h"

#include <QHash>
#include <QList>
#include <array>
#include <cstdint>
#include <utility>

namespace {

class Boxes : public commands::ControlAccess {
public:
    QHash<QString, QString> texts;
    QList<std::pair<QString, QString>> writes;

    QString text(QStringView control) const override { return texts.value(control.toString()); }
    void setText(QStringView control, const QString& text) override {
        writes.append({control.toString(), text});
        texts[control.toString()] = text;
    }
};

// The string a press of a button must dial, from the index alone.
QString expectedCommand(qint16 index, const Boxes& boxes, const QStringList& built) {
    const auto box = [&](int n) { return boxes.texts.value(QStringLiteral("Text%1").arg(n)); };
    if (index >= 9 && index <= 12) {
        return QStringLiteral("**1%1#").arg(15 - index) + box(13 - index) + u'#';
    }
    switch (index) {
    case 17:
        return QStringLiteral("**39#") + box(5) + box(6) + u'#';
    case 18:
        return QStringLiteral("**40#") + box(7) + box(8) + u'#';
    case 19:
        return built.at(0);
    case 20:
        return built.at(1);
    case 21:
        return box(13);
    default:
        return commands::FindCommand(index)->caption.toString();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) {
        return -1;
    }
    qint16 index = -1;
    size_t used = size;
    if (size >= 1 && data[0] < 0xF0) {
        index = qint16(data[0] % 32 - 2);
        used = 1;
    } else if (size >= 3) {
        index = qint16(uint16_t(data[1]) | uint16_t(data[2]) << 8);
        used = 3;
    }
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data + used), qsizetype(size - used)).split('\0');
    Boxes boxes;
    for (qsizetype i = 0; i < parts.size() && i < 13; ++i) {
        boxes.texts.insert(QStringLiteral("Text%1").arg(i + 1), QString::fromUtf8(parts.at(i)));
    }
    const QStringList built{QString::fromUtf8(parts.value(13)), QString::fromUtf8(parts.value(14))};
    const Boxes before = boxes;

    QStringList dialled;
    QStringList lastSentAtDial;
    std::array<int, 2> builds{}; // runs of the elements and the time builder
    const auto builder = [&](int which) {
        return [&, which] {
            ++builds.at(which);
            return built.at(which);
        };
    };
    commands::Composer composer(
        boxes,
        [&](const QString& command) {
            dialled << command;
            lastSentAtDial << boxes.texts.value(QStringLiteral("Text11"));
        },
        builder(0), builder(1));
    composer.SendCommand(index);

    const auto what = [&] {
        return QStringLiteral("index %1: dialled \"%2\"")
            .arg(index)
            .arg(fuzzing::visible(dialled.join(u'|').left(200)));
    };
    if (index < 0 || index > 27) {
        FUZZ_CHECK(commands::FindCommand(index) == nullptr, what());
        FUZZ_CHECK(dialled.isEmpty() && boxes.writes.isEmpty(), what());
        FUZZ_CHECK(builds == (std::array<int, 2>{0, 0}), what());
        FUZZ_CHECK(composer.ComposeCommand(index).isEmpty(), what());
        return 0;
    }
    FUZZ_CHECK(dialled.size() == 1, what());
    const QString shown = QStringLiteral("last sent: ") + dialled.first();
    FUZZ_CHECK(boxes.writes.size() == 1, what());
    FUZZ_CHECK(boxes.writes.first() == std::make_pair(QStringLiteral("Text11"), shown), what());
    FUZZ_CHECK(lastSentAtDial.first() == shown, what());
    FUZZ_CHECK(builds == (std::array<int, 2>{index == 19, index == 20}), what());
    FUZZ_CHECK(dialled.first() == expectedCommand(index, before, built), what());

    FUZZ_CHECK(composer.ComposeCommand(index) == dialled.first(), what());
    FUZZ_CHECK(dialled.size() == 1 && boxes.writes.size() == 1, what());
    return 0;
}
