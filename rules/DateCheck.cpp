#include "rules/DateCheck.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringView>
#include <algorithm>
#include <iterator>

namespace korvale::rules {

namespace {

// Two-digit years read as 1930 to 2029.
int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() == 4) return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

}  // namespace

bool VALIDDATE(const QString& value) {
    return readDate(value).isValid();
}

QDate readDate(const QString& value) {
    // The shape the field's hint asks for, dd-mm-yyyy, is read without the regular expressions (the
    // database tool reads a million dates in one export). It is the day-month-year form below with two
    // digits for day and month and four for the year, so it reads the same.
    static constexpr int kDigitsAt[] = {0, 1, 3, 4, 6, 7, 8, 9};
    const auto isDigit = [&](int i) { return value[i] >= u'0' && value[i] <= u'9'; };
    if (value.size() == 10 && value[2] == u'-' && value[5] == u'-' &&
        std::all_of(std::begin(kDigitsAt), std::end(kDigitsAt), isDigit)) {
        const auto number = [&](int from, int count) { return QStringView(value).mid(from, count).toInt(); };
        return QDate(number(6, 4), number(3, 2), number(0, 2));
    }

    // Day-month-year, one separator kind throughout.
    static const QRegularExpression dmy(
        QStringLiteral("\\A([0-9]{1,2})([-/])([0-9]{1,2})\\2([0-9]{4}|[0-9]{2})\\z"));
    // ISO year-month-day.
    static const QRegularExpression iso(QStringLiteral("\\A([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})\\z"));

    if (const auto m = dmy.match(value); m.hasMatch()) {
        return QDate(fullYear(m.captured(4)), m.captured(3).toInt(), m.captured(1).toInt());
    }
    if (const auto m = iso.match(value); m.hasMatch()) {
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    }
    return {};
}

}  // namespace korvale::rules
