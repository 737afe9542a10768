#pragma once

#include <QString>
#include <span>

namespace korvale::rules {

// A required field is empty only when its text is exactly the empty text: spaces and the hint count.
inline bool isEmptyField(const QString& text) { return text.isEmpty(); }

// One check run when a field gains the focus: if the tested field is empty the message is shown and
// the focus is sent to the tested field.
struct RequiredCheck {
    const char* entered;  // object name of the field gaining the focus
    const char* tested;   // object name of the field that must not be empty
    const char* message;
};

inline constexpr const char* kRequiredCheckTitle = "On-Line Korvale";

// The checks of the addition screen and of the updation screen, in the order the fields stand.
std::span<const RequiredCheck> addScreenChecks();
std::span<const RequiredCheck> updateScreenChecks();

}  // namespace korvale::rules
