// Fuzzes rt::Val, the number reader every numeric box goes through.
//
// The bytes are read twice: as UTF-8 and as raw UTF-16 (which also yields lone
// surrogates and characters UTF-8 decoding never produces). For each text:
//  - the value is never NaN;
//  - a text of nothing but blanks, tabs and line feeds reads as 0;
//  - blanks, tabs and line feeds do not matter wherever they stand: the text
//    with all of them removed, and that text with one put between every two
//    characters, read the same (to the bit). The one place where a blank does
//    matter is straight after a leading "&": "& H1" is not a hexadecimal number;
//  - a decimal number reads as the C library's strtod reads the same digits,
//    including an infinity past the largest double and zero below the smallest;
//  - "&H" / "&O" followed by few enough digits to be exact reads as strtoull
//    reads the same digits.

#include "fuzzcheck.h"
#include "runtime/textrules.h"

#include <QString>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString withoutBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!isBlank(c)) {
            out += c;
        }
    }
    return out;
}

// `text` (without blanks) with a blank, tab or line feed before, after and
// between all its characters, except straight after a leading "&".
QString spreadOut(const QString& text, unsigned pick) {
    static constexpr char16_t kBlanks[] = {u' ', u'\t', u'\n'};
    QString out;
    out.reserve(text.size() * 2 + 1);
    out += QChar(kBlanks[pick++ % 3]);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text.at(i);
        if (!(i == 0 && text.at(0) == u'&')) {
            out += QChar(kBlanks[pick++ % 3]);
        }
    }
    return out;
}

QString describe(const QString& text, double got, double expected) {
    return QStringLiteral("text \"%1\": got %2, expected %3")
        .arg(fuzzing::visible(text.left(200)))
        .arg(got, 0, 'g', 17)
        .arg(expected, 0, 'g', 17);
}

struct Expected {
    bool comparable = true; // false: a hexadecimal or octal number too long to be exact
    double value = 0;
};

// What a text without blanks should read as.
//
// The decimal form is picked out with a plain scan and handed to strtod: sign,
// digits, a point with digits (at least one digit in all), then an exponent
// mark E or D with an optional sign, counted only when digits follow it.
Expected expectedValue(const QString& text) {
    Expected expected;
    if (text.startsWith(u'&')) {
        const QChar kind = text.size() > 1 ? text.at(1).toUpper() : QChar();
        if (kind != u'H' && kind != u'O') {
            return expected;
        }
        const int radix = kind == u'H' ? 16 : 8;
        std::string digits;
        for (qsizetype i = 2; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const bool hex = radix == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
            const bool oct = c >= u'0' && c <= (radix == 16 ? u'9' : u'7');
            if (!hex && !oct) {
                break;
            }
            digits += char(c.unicode());
        }
        // Up to 52 bits every integer is a double exactly.
        expected.comparable = digits.size() <= (radix == 16 ? 13U : 17U);
        if (expected.comparable && !digits.empty()) {
            expected.value = double(std::strtoull(digits.c_str(), nullptr, radix));
        }
        return expected;
    }

    std::string number;
    qsizetype pos = 0;
    if (pos < text.size() && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
        number += char(text.at(pos++).unicode());
    }
    bool digits = false;
    for (; pos < text.size() && isAsciiDigit(text.at(pos)); ++pos) {
        number += char(text.at(pos).unicode());
        digits = true;
    }
    if (pos < text.size() && text.at(pos) == u'.') {
        number += '.';
        for (++pos; pos < text.size() && isAsciiDigit(text.at(pos)); ++pos) {
            number += char(text.at(pos).unicode());
            digits = true;
        }
    }
    if (!digits) {
        return expected;
    }
    if (pos < text.size()) {
        const QChar mark = text.at(pos);
        if (mark == u'e' || mark == u'E' || mark == u'd' || mark == u'D') {
            std::string exponent = "e";
            qsizetype p = pos + 1;
            if (p < text.size() && (text.at(p) == u'+' || text.at(p) == u'-')) {
                exponent += char(text.at(p++).unicode());
            }
            bool expDigits = false;
            for (; p < text.size() && isAsciiDigit(text.at(p)); ++p) {
                exponent += char(text.at(p).unicode());
                expDigits = true;
            }
            if (expDigits) {
                number += exponent;
            }
        }
    }
    // strtod rounds correctly, gives an infinity past the largest double and
    // zero (or a subnormal) below the smallest normal one. No locale has been
    // set, so the decimal mark is the point.
    errno = 0;
    expected.value = std::strtod(number.c_str(), nullptr);
    return expected;
}

void checkText(const QString& text, unsigned pick) {
    const double value = rt::Val(text);
    FUZZ_CHECK(!std::isnan(value), describe(text, value, 0));

    const QString bare = withoutBlanks(text);
    if (bare.isEmpty()) {
        FUZZ_CHECK(sameBits(value, 0.0), describe(text, value, 0));
        return;
    }

    // A blank straight after the leading "&" ends the number before it starts.
    const double bareValue = rt::Val(bare);
    const qsizetype first = text.indexOf(bare.at(0));
    const bool brokenPrefix =
        bare.at(0) == u'&' && first + 1 < text.size() && isBlank(text.at(first + 1));
    if (brokenPrefix) {
        FUZZ_CHECK(sameBits(value, 0.0), describe(text, value, 0));
    } else {
        FUZZ_CHECK(sameBits(value, bareValue), describe(text, value, bareValue));
    }

    const QString spread = spreadOut(bare, pick);
    const double spreadValue = rt::Val(spread);
    FUZZ_CHECK(sameBits(spreadValue, bareValue), describe(spread, spreadValue, bareValue));

    const Expected expected = expectedValue(bare);
    if (expected.comparable) {
        FUZZ_CHECK(sameBits(bareValue, expected.value), describe(bare, bareValue, expected.value));
    } else {
        // A long hexadecimal or octal number: at least not negative.
        FUZZ_CHECK(bareValue >= 0, describe(bare, bareValue, 0));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 16 * 1024) {
        return -1;
    }
    const unsigned pick = size > 0 ? data[0] : 0;
    checkText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)), pick);

    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, (size / 2) * sizeof(char16_t));
    checkText(utf16, pick + 1);
    return 0;
}
