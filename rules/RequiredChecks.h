#pragma once

#include <QString>
#include <span>

#include "store/ClientRecord.h"

namespace korvale::rules {

// A required field is empty only when its text is exactly the empty text: spaces and the hint count.
inline bool isEmptyField(const QString& text) {
    return text.isEmpty();
}

// One check run when a field gains the focus: if the tested field is empty the message is shown and
// the focus is sent to the tested field. Fields are named by the column they show.
struct RequiredCheck {
    Column entered;  // the field gaining the focus
    Column tested;   // the field that must not be empty
    const char* message;
    // Whether the check goes on to the date check, whatever the empty test found.
    bool thenDateCheck = false;
};

// The checks of the addition screen and of the updation screen, in the order the fields stand.
std::span<const RequiredCheck> addScreenChecks();
std::span<const RequiredCheck> updateScreenChecks();

}  // namespace korvale::rules
