// Fuzzes a press of a command button: the composer with the window's boxes held
// in a hash.
//
// Input: a button index, then the texts of Text1 to Text13 and the strings the
// elements and time builders return, separated by NUL bytes (UTF-8). A first
// byte below 0xF0 picks an index from -2 to 29 (mostly real buttons); otherwise
// the next two bytes are the index, any qint16 at all.
//
// Checked for every press:
//  - an index without a button dials nothing and writes no box at all;
//  - otherwise exactly one dial, and exactly one box written: Text11, holding
//    "last sent: " and the dialled string, already when the dial starts;
//  - the dialled string follows the button's kind: the catalogue caption for
//    fixed commands, "**1x#" + box + "#" for thresholds (9-12), "**39#" / "**40#"
//    + two boxes + "#" for the packet pointer / resend (17, 18), the free-text
//    box as it stands (21), the builders' strings for the elements (19) and the
//    time (20) commands;
//  - composing the same press again gives the same string and has no effect.

#include "commands/catalogue.h"
#include "commands/composer.h"
#include "fuzzcheck.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <cstdint>
#include <utility>

using commands::CatalogueEntry;
using commands::Sent;

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

struct Press {
    qint16 index = 0;
    QHash<QString, QString> boxes;
    QString elements;
    QString time;
};

Press parse(const uint8_t* data, size_t size) {
    Press press;
    size_t used = 0;
    if (size >= 1 && data[0] < 0xF0) {
        press.index = qint16(data[0] % 32 - 2);
        used = 1;
    } else if (size >= 3) {
        press.index = qint16(uint16_t(data[1]) | uint16_t(data[2]) << 8);
        used = 3;
    } else {
        press.index = -1;
        used = size;
    }
    const QByteArray rest(reinterpret_cast<const char*>(data + used), qsizetype(size - used));
    const QList<QByteArray> parts = rest.split('\0');
    for (qsizetype i = 0; i < parts.size() && i < 13; ++i) {
        press.boxes.insert(QStringLiteral("Text%1").arg(i + 1), QString::fromUtf8(parts.at(i)));
    }
    press.elements = QString::fromUtf8(parts.value(13));
    press.time = QString::fromUtf8(parts.value(14));
    return press;
}

bool isDtmf(QChar c) {
    return QStringView(u"0123456789*#ABCDabcd").contains(c);
}

[[noreturn]] void initFailed(const char* what, int index) {
    std::fprintf(stderr, "fuzz_composer: start-up check failed: %s (index %d)\n", what, index);
    std::abort();
}

// The catalogue as the window and the checks below rely on it.
void checkCatalogue() {
    const auto all = commands::Catalogue();
    if (all.size() != commands::kCommandCount || commands::kCommandCount != 28) {
        initFailed("number of entries", -1);
    }
    for (int index = 0; index < 28; ++index) {
        int count = 0;
        for (const CatalogueEntry& e : all) {
            count += e.index == index ? 1 : 0;
        }
        const CatalogueEntry* entry = commands::FindCommand(qint16(index));
        if (count != 1 || entry == nullptr || entry->index != index) {
            initFailed("every index from 0 to 27 has exactly one button", index);
        }
        Sent kind = Sent::Caption;
        if (index >= 9 && index <= 12) {
            kind = Sent::Threshold;
        } else if (index == 17 || index == 18) {
            kind = Sent::PacketPair;
        } else if (index == 19) {
            kind = Sent::Elements;
        } else if (index == 20) {
            kind = Sent::Time;
        } else if (index == 21) {
            kind = Sent::FreeText;
        }
        if (entry->sent != kind) {
            initFailed("kind of command", index);
        }
        if (kind == Sent::Caption) {
            for (const QChar c : entry->caption) {
                if (!isDtmf(c)) {
                    initFailed("a fixed command that cannot be dialled", index);
                }
            }
        }
    }
}

// The string a press of `entry` must dial with these boxes.
QString expectedCommand(const CatalogueEntry& entry, const Press& press) {
    const auto box = [&](QStringView name) { return press.boxes.value(name.toString()); };
    switch (entry.sent) {
    case Sent::Caption:
        return entry.caption.toString();
    case Sent::Threshold: {
        // The command number is in the caption ("**13#200#": SET_LOW_TEMP).
        const QString head = entry.caption.left(5).toString();
        static const QRegularExpression kHead(QStringLiteral("^\\*\\*1[3-6]#$"));
        FUZZ_CHECK(kHead.match(head).hasMatch(), entry.caption.toString());
        return head + box(entry.firstBox) + u'#';
    }
    case Sent::PacketPair: {
        const bool pointer = entry.index == 17;
        FUZZ_CHECK(entry.firstBox == (pointer ? u"Text5" : u"Text7"), QString());
        FUZZ_CHECK(entry.secondBox == (pointer ? u"Text6" : u"Text8"), QString());
        return (pointer ? QStringLiteral("**39#") : QStringLiteral("**40#")) + box(entry.firstBox) +
               box(entry.secondBox) + u'#';
    }
    case Sent::Elements:
        return press.elements;
    case Sent::Time:
        return press.time;
    case Sent::FreeText:
        FUZZ_CHECK(entry.firstBox == u"Text13", QString());
        return box(u"Text13");
    }
    fuzzing::fail("known kind of command", __FILE__, __LINE__, entry.caption.toString());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    checkCatalogue();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) {
        return -1;
    }
    const Press press = parse(data, size);

    Boxes boxes;
    boxes.texts = press.boxes;
    QStringList dialled;
    QStringList lastSentAtDial;
    int elementsBuilt = 0;
    int timeBuilt = 0;
    commands::Composer composer(
        boxes,
        [&](const QString& command) {
            dialled << command;
            lastSentAtDial << boxes.texts.value(QStringLiteral("Text11"));
        },
        [&] {
            ++elementsBuilt;
            return press.elements;
        },
        [&] {
            ++timeBuilt;
            return press.time;
        });

    composer.SendCommand(press.index);

    const auto what = [&] { return QStringLiteral("index %1").arg(press.index); };
    const CatalogueEntry* entry = commands::FindCommand(press.index);
    const bool known = press.index >= 0 && press.index <= 27;
    FUZZ_CHECK((entry != nullptr) == known, what());
    if (!known) {
        FUZZ_CHECK(dialled.isEmpty(), what());
        FUZZ_CHECK(boxes.writes.isEmpty(), what());
        FUZZ_CHECK(boxes.texts == press.boxes, what());
        FUZZ_CHECK(elementsBuilt == 0 && timeBuilt == 0, what());
        // Nor does composing it.
        FUZZ_CHECK(composer.ComposeCommand(press.index).isEmpty(), what());
        FUZZ_CHECK(dialled.isEmpty() && boxes.writes.isEmpty(), what());
        return 0;
    }

    FUZZ_CHECK(dialled.size() == 1, what());
    const QString command = dialled.first();
    const QString shown = QStringLiteral("last sent: ") + command;
    const auto detail = [&] {
        return QStringLiteral("index %1: dialled \"%2\"")
            .arg(press.index)
            .arg(fuzzing::visible(command.left(200)));
    };
    FUZZ_CHECK(boxes.writes.size() == 1, detail());
    FUZZ_CHECK(boxes.writes.first().first == QStringLiteral("Text11"), detail());
    FUZZ_CHECK(boxes.writes.first().second == shown, detail());
    FUZZ_CHECK(lastSentAtDial.first() == shown, detail());

    // Every other box is as it was.
    QHash<QString, QString> others = boxes.texts;
    others.remove(QStringLiteral("Text11"));
    QHash<QString, QString> before = press.boxes;
    before.remove(QStringLiteral("Text11"));
    FUZZ_CHECK(others == before, detail());

    FUZZ_CHECK(elementsBuilt == (entry->sent == Sent::Elements ? 1 : 0), detail());
    FUZZ_CHECK(timeBuilt == (entry->sent == Sent::Time ? 1 : 0), detail());
    FUZZ_CHECK(command == expectedCommand(*entry, press), detail());

    // Composing again gives the same string, and dials and writes nothing.
    FUZZ_CHECK(composer.ComposeCommand(press.index) == command, detail());
    FUZZ_CHECK(dialled.size() == 1 && boxes.writes.size() == 1, detail());
    return 0;
}
