// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/numbervalue.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace runtime {
namespace {

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Reads a hexadecimal or octal integer after "&H" / "&O".
double radixValue(QStringView text, qsizetype pos, int radix) {
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (isSkipped(c)) {
            continue;
        }
        const int digit = (c >= u'0' && c <= u'9') ? int(c.unicode() - u'0')
                          : (radix == 16 && c.toUpper() >= u'A' && c.toUpper() <= u'F')
                              ? 10 + (c.toUpper().unicode() - u'A')
                              : -1;
        if (digit < 0 || digit >= radix) {
            break;
        }
        value = value * radix + digit;
    }
    return value;
}

// For a number that does not fit a double: whether it is too large (rather than
// too small), from the power of ten of its first significant digit.
bool tooLargeForDouble(const std::string& number) {
    const std::size_t e = number.find('e');
    const std::string mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        for (std::size_t i = e + 1; i < number.size(); ++i) {
            if (number[i] >= '0' && number[i] <= '9') {
                exponent = std::min(exponent * 10 + (number[i] - '0'), 1LL << 40);
            }
        }
        if (e + 1 < number.size() && number[e + 1] == '-') {
            exponent = -exponent;
        }
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) {
        return false; // all zeros
    }
    const long long power = first < point ? static_cast<long long>(point - first) - 1
                                          : -static_cast<long long>(first - point);
    return power + exponent > 0;
}

} // namespace

double numberValue(QStringView text) {
    // Collect the characters that belong to the number, skipping blanks, and hand
    // the result to strtod in the C locale's form.
    std::string number;
    qsizetype pos = 0;
    auto skip = [&] {
        while (pos < text.size() && isSkipped(text.at(pos))) {
            ++pos;
        }
    };
    auto peek = [&]() -> QChar { return pos < text.size() ? text.at(pos) : QChar(); };
    auto isAsciiDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };

    skip();
    if (peek() == u'&' && pos + 1 < text.size()) {
        const QChar kind = text.at(pos + 1).toUpper();
        if (kind == u'H') {
            return radixValue(text, pos + 2, 16);
        }
        if (kind == u'O') {
            return radixValue(text, pos + 2, 8);
        }
        return 0;
    }
    if (peek() == u'+' || peek() == u'-') {
        number += char(peek().unicode());
        ++pos;
    }
    bool digits = false;
    for (skip(); isAsciiDigit(peek()); ++pos, skip()) {
        number += char(peek().unicode());
        digits = true;
    }
    if (peek() == u'.') {
        number += '.';
        ++pos;
        for (skip(); isAsciiDigit(peek()); ++pos, skip()) {
            number += char(peek().unicode());
            digits = true;
        }
    }
    if (!digits) {
        return 0;
    }
    const QChar mark = peek().toUpper();
    if (mark == u'E' || mark == u'D') {
        // The exponent counts only when digits follow it.
        const qsizetype save = pos;
        std::string exponent = "e";
        ++pos;
        skip();
        if (peek() == u'+' || peek() == u'-') {
            exponent += char(peek().unicode());
            ++pos;
        }
        bool expDigits = false;
        for (skip(); isAsciiDigit(peek()); ++pos, skip()) {
            exponent += char(peek().unicode());
            expDigits = true;
        }
        if (expDigits) {
            number += exponent;
        } else {
            pos = save;
        }
    }
    // from_chars is locale independent (the application runs under the user's
    // locale, whose decimal mark may be a comma).
    const char* first = number.data();
    if (*first == '+') {
        ++first;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const double inf = std::numeric_limits<double>::infinity();
        const bool negative = number.front() == '-';
        if (tooLargeForDouble(number)) {
            return negative ? -inf : inf;
        }
        return negative ? -0.0 : 0.0;
    }
    return value;
}

} // namespace runtime
