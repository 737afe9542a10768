#include "rules/DateCheck.h"

#include <QDate>
#include <QRegularExpression>

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
