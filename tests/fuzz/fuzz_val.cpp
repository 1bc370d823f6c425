// Fuzzes rt::Val, the number reader every numeric box goes through.
//
// The bytes are read twice: as UTF-8 and as raw UTF-16 (which also yields lone
// surrogates and characters UTF-8 decoding never produces). For each text:
//  - the value is never NaN;
//  - blanks, tabs and line feeds do not matter wherever they stand: the text,
//    the text with all of them removed, and that with one put between every two
//    characters read the same (to the bit), so a text of nothing else reads as
//    0. The one place where a blank does matter is straight after a leading
//    "&": "& H1" is not a hexadecimal number and reads as 0;
//  - a decimal number reads as the C library's strtod reads the same digits,
//    including an infinity past the largest double and zero below the smallest;
//  - "&H" / "&O" followed by few enough digits to be exact reads as strtoull
//    reads the same digits.

#include "fuzzcheck.h"
#include "runtime/textrules.h"

#include <QString>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c, int radix) {
    const bool letter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    return (radix == 16 && letter) || (c >= u'0' && c.unicode() < u'0' + qMin(radix, 10));
}

// What a text without blanks should read as; nothing for a hexadecimal or octal
// number too long to be exact. The decimal form is picked out with a plain scan
// and handed to strtod: sign, digits, a point with digits (at least one digit in
// all), then an exponent mark E or D with an optional sign, counted only when
// digits follow it. No locale has been set, so strtod's decimal mark is the point.
std::optional<double> expectedValue(const QString& text) {
    std::string number;
    qsizetype pos = 0;
    const auto at = [&](qsizetype i) { return i < text.size() ? text.at(i) : QChar(); };
    const auto takeDigits = [&](int radix) {
        const std::size_t start = number.size();
        for (; isDigit(at(pos), radix); ++pos) {
            number += char(at(pos).unicode());
        }
        return number.size() > start;
    };
    if (at(0) == u'&') {
        const int radix = at(1).toUpper() == u'H' ? 16 : at(1).toUpper() == u'O' ? 8 : 0;
        pos = 2;
        if (radix == 0 || !takeDigits(radix)) {
            return 0.0;
        }
        // Up to 52 bits every integer is a double exactly.
        if (number.size() > (radix == 16 ? 13U : 17U)) {
            return std::nullopt;
        }
        return double(std::strtoull(number.c_str(), nullptr, radix));
    }
    if (at(0) == u'+' || at(0) == u'-') {
        number += char(at(pos++).unicode());
    }
    bool digits = takeDigits(10);
    if (at(pos) == u'.') {
        number += '.';
        ++pos;
        digits = takeDigits(10) || digits;
    }
    if (!digits) {
        return 0.0;
    }
    if (QStringView(u"eEdD").contains(at(pos))) {
        const std::size_t mantissa = number.size();
        number += 'e';
        if (at(++pos) == u'+' || at(pos) == u'-') {
            number += char(at(pos++).unicode());
        }
        if (!takeDigits(10)) {
            number.resize(mantissa);
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

void check(const QString& text, double got, double expected) {
    FUZZ_CHECK(std::bit_cast<quint64>(got) == std::bit_cast<quint64>(expected),
               QStringLiteral("text \"%1\": got %2, expected %3")
                   .arg(fuzzing::visible(text.left(200)))
                   .arg(got, 0, 'g', 17)
                   .arg(expected, 0, 'g', 17));
}

void checkText(const QString& text, unsigned pick) {
    const double value = rt::Val(text);
    FUZZ_CHECK(!std::isnan(value), fuzzing::visible(text.left(200)));

    QString bare = text;
    bare.removeIf(isBlank);
    const double bareValue = rt::Val(bare);
    // A blank straight after the leading "&" ends the number before it starts.
    const qsizetype amp = text.indexOf(u'&');
    const bool brokenPrefix =
        bare.startsWith(u'&') && amp + 1 < text.size() && isBlank(text.at(amp + 1));
    check(text, value, brokenPrefix ? 0.0 : bareValue);

    static constexpr QChar kBlanks[] = {u' ', u'\t', u'\n'};
    QString spread(kBlanks[pick++ % 3]);
    for (qsizetype i = 0; i < bare.size(); ++i) {
        spread += bare.at(i);
        if (i > 0 || bare.at(0) != u'&') {
            spread += kBlanks[pick++ % 3];
        }
    }
    check(spread, rt::Val(spread), bareValue);

    if (const std::optional<double> expected = expectedValue(bare)) {
        check(bare, bareValue, *expected);
    } else {
        // A long hexadecimal or octal number: at least not negative.
        FUZZ_CHECK(bareValue >= 0, fuzzing::visible(bare.left(200)));
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
