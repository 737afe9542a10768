// The date check against any text: it never fails, and it accepts exactly the texts that have one of
// the accepted forms and name a day that exists. The forms and the calendar are worked out here again,
// by hand, without the regular expressions and QDate the check itself uses.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "rules/DateCheck.h"

namespace {

struct Parsed {
    int year, month, day;
};

bool asciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Reads a run of `min`..`max` ASCII digits at `at`; returns the value and moves `at` past it.
std::optional<int> digits(const QString& text, qsizetype& at, int min, int max) {
    int value = 0;
    int count = 0;
    while (at < text.size() && asciiDigit(text[at].unicode()) && count < max) {
        value = value * 10 + (text[at].unicode() - u'0');
        ++at;
        ++count;
    }
    if (count < min) return std::nullopt;
    return value;
}

// Day-month-year with one separator, "-" or "/", years of two or four digits.
std::optional<Parsed> dayMonthYear(const QString& text) {
    qsizetype at = 0;
    const auto day = digits(text, at, 1, 2);
    if (!day || at >= text.size()) return std::nullopt;
    const char16_t separator = text[at].unicode();
    if (separator != u'-' && separator != u'/') return std::nullopt;
    ++at;
    const auto month = digits(text, at, 1, 2);
    if (!month || at >= text.size() || text[at].unicode() != separator) return std::nullopt;
    ++at;
    const qsizetype yearStart = at;
    const auto year = digits(text, at, 2, 4);
    const qsizetype yearLength = at - yearStart;
    if (!year || at != text.size() || yearLength == 3) return std::nullopt;
    const int fullYear = yearLength == 4 ? *year : (*year < 30 ? 2000 + *year : 1900 + *year);
    return Parsed{fullYear, *month, *day};
}

// ISO year-month-day.
std::optional<Parsed> isoDate(const QString& text) {
    qsizetype at = 0;
    const auto year = digits(text, at, 4, 4);
    if (!year || at >= text.size() || text[at].unicode() != u'-') return std::nullopt;
    ++at;
    const auto month = digits(text, at, 1, 2);
    if (!month || at >= text.size() || text[at].unicode() != u'-') return std::nullopt;
    ++at;
    const auto day = digits(text, at, 1, 2);
    if (!day || at != text.size()) return std::nullopt;
    return Parsed{*year, *month, *day};
}

bool dayExists(const Parsed& d) {
    // The Gregorian calendar has no year 0.
    if (d.year <= 0 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int last = d.month == 2 && leap ? 29 : kDays[d.month - 1];
    return d.day <= last;
}

bool expected(const QString& text) {
    const auto dmy = dayMonthYear(text);
    if (dmy) return dayExists(*dmy);
    const auto iso = isoDate(text);
    return iso && dayExists(*iso);
}

void check(const QString& text) {
    if (korvale::rules::VALIDDATE(text) != expected(text)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    // As typed text, and as Latin-1 so that every byte is one character.
    check(QString::fromUtf8(bytes, length));
    check(QString::fromLatin1(bytes, length));
    return 0;
}
