#pragma once

#include <initializer_list>

#include "rules/KeyRules.h"
#include "rules/RequiredChecks.h"

class QWidget;

// The entry rules wired to the fields of a record screen.
namespace EntryChecks {

inline constexpr const char* kDateMessage = "A VALID DATE MUST BE GIVEN (EX. '23/07/87')";

// Gives the named fields their keystroke rule.
void setKeyRule(QWidget* screen, std::initializer_list<const char*> fields, korvale::rules::KeyRule rule);

// When the tested field is empty: its message, then the focus back on it.
void runRequiredCheck(QWidget* screen, const korvale::rules::RequiredCheck& check);

// When the date of birth does not read as a date: the message, the field emptied, the focus back on it.
void runDateCheck(QWidget* screen);

}  // namespace EntryChecks
