// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the number reader on the bytes read as UTF-8 and as UTF-16: the value is never NaN, and
// blanks, tabs and line feeds do not change it wherever they stand, but straight after
// a leading "&" ("& H1" is no hexadecimal number).
#include "runtime/numbervalue.h"

#include <QString>

#include <cmath>
#include <cstdint>

#define CHECK(ok) ((ok) ? void() : __builtin_trap())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString utf8 = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString utf16(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    for (const QString& text : {utf8, utf16}) {
        const double value = runtime::numberValue(text);
        CHECK(!std::isnan(value));
        QString bare = text, spread = "\t";
        bare.removeIf(blank);
        for (qsizetype i = 0; i < bare.size(); ++i) // one to three blanks after each character
            spread += bare.mid(i, 1) +
                      (i == 0 && bare.startsWith(u'&') ? "" : QString(" \n\t").left(i % 3 + 1));
        CHECK(runtime::numberValue(spread) == runtime::numberValue(bare));
        const qsizetype first = text.indexOf(bare.left(1)); // where the number starts
        CHECK(value == runtime::numberValue(bare) ||
              (bare.startsWith(u'&') && blank(text.at(first + 1))));
    }
    return 0;
}
