#pragma once
// A check for the fuzz targets: a broken invariant prints what broke and traps,
// so that libFuzzer keeps the input that broke it.

#include <QString>
#include <cstdio>

namespace fuzzing {

[[noreturn]] inline void fail(const char* condition, const char* file, int line,
                              const QString& detail) {
    std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n", file, line, condition);
    if (!detail.isEmpty()) {
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    }
    std::fflush(stderr);
    __builtin_trap();
}

// The text with every character outside printable ASCII written as \uXXXX, for
// messages about strings that may hold anything.
inline QString visible(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\') {
            out += c;
        } else {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

} // namespace fuzzing

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::fuzzing::fail(#condition, __FILE__, __LINE__, (detail));                             \
        }                                                                                          \
    } while (false)
