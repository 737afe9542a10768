#pragma once

#include <QDate>
#include <QString>

namespace korvale::rules {

// Whether a date-of-birth text reads as a calendar date: day-month-year with "-" or "/", one or two
// digits for day and month, two or four for the year (two read as 1930-2029), or ISO year-month-day;
// only days that exist. The text is taken as it is, not trimmed.
bool VALIDDATE(const QString& value);

// The date such a text reads as; an invalid QDate when VALIDDATE refuses it.
QDate readDate(const QString& value);

}  // namespace korvale::rules
