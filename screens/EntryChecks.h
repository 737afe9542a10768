#pragma once

#include <span>

#include "rules/RequiredChecks.h"
#include "screens/FocusMoves.h"
#include "screens/RecordFields.h"

// The required-field checks and the date check wired to the fields of a writing screen.
namespace EntryChecks {

inline constexpr const char* kDateMessage = "A VALID DATE MUST BE GIVEN (EX. '23/07/87')";

// Runs each check when its field gains the focus by a move of the operator's.
void watch(FocusMoves& moves, const RecordFields& fields,
           std::span<const korvale::rules::RequiredCheck> checks);

// When the tested field is empty: its message, then the focus back on it.
void runRequiredCheck(const RecordFields& fields, const korvale::rules::RequiredCheck& check);

// When the date of birth does not read as a date: the message, the field emptied, the focus back on it.
void runDateCheck(const RecordFields& fields);

}  // namespace EntryChecks
