#include "runtime/dates.h"

#include <array>

namespace rt {

DateTime MakeDateTime(int year, int month, int day, int hour, int minute, int second) {
    return Naive(QDate(year, month, day), QTime(hour, minute, second));
}

DateTime Naive(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

DateTime Naive(const QDateTime& value) {
    return Naive(value.date(), value.time());
}

DateTime DateAdd(QStringView interval, qint64 count, const DateTime& date) {
    if (interval.compare(u"s", Qt::CaseInsensitive) == 0) {
        return date.addSecs(count);
    }
    if (interval.compare(u"n", Qt::CaseInsensitive) == 0) {
        return date.addSecs(count * 60);
    }
    if (interval.compare(u"h", Qt::CaseInsensitive) == 0) {
        return date.addSecs(count * 3600);
    }
    if (interval.compare(u"d", Qt::CaseInsensitive) == 0) {
        return date.addDays(count);
    }
    return date;
}

qint64 DateDiffDays(const DateTime& a, const DateTime& b) {
    return a.date().daysTo(b.date());
}

namespace {

enum class Code { Literal, LongDate, Year4, Year2, Month, Minute, Second, Hour, Day };

struct CodeName {
    QStringView name;
    Code code;
};

// Longest first, so that the longest code matching is taken.
constexpr std::array<CodeName, 8> kCodes{{
    {u"dddddd", Code::LongDate},
    {u"yyyy", Code::Year4},
    {u"yy", Code::Year2},
    {u"mm", Code::Month},
    {u"nn", Code::Minute},
    {u"ss", Code::Second},
    {u"hh", Code::Hour},
    {u"dd", Code::Day},
}};

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FormatDate(const DateTime& value, QStringView format, const QLocale& locale) {
    QString out;
    bool afterHour = false; // an hour code with only separators since
    qsizetype pos = 0;
    while (pos < format.size()) {
        Code code = Code::Literal;
        qsizetype length = 1;
        for (const CodeName& candidate : kCodes) {
            if (format.mid(pos, candidate.name.size())
                    .compare(candidate.name, Qt::CaseInsensitive) == 0) {
                code = candidate.code;
                length = candidate.name.size();
                break;
            }
        }
        if (code == Code::Month && afterHour) {
            code = Code::Minute;
        }
        switch (code) {
        case Code::LongDate:
            out += locale.toString(value.date(), QLocale::LongFormat);
            break;
        case Code::Year4:
            out += QStringLiteral("%1").arg(value.date().year(), 4, 10, QLatin1Char('0'));
            break;
        case Code::Year2:
            out += twoDigits(value.date().year() % 100);
            break;
        case Code::Month:
            out += twoDigits(value.date().month());
            break;
        case Code::Minute:
            out += twoDigits(value.time().minute());
            break;
        case Code::Second:
            out += twoDigits(value.time().second());
            break;
        case Code::Hour:
            out += twoDigits(value.time().hour());
            break;
        case Code::Day:
            out += twoDigits(value.date().day());
            break;
        case Code::Literal:
            out += format.at(pos);
            break;
        }
        const QChar c = format.at(pos);
        if (code == Code::Hour) {
            afterHour = true;
        } else if (code != Code::Literal || (c != u':' && c != u' ')) {
            afterHour = false;
        }
        pos += length;
    }
    return out;
}

} // namespace rt
