#pragma once

namespace korvale::rules {

// A key press reaches a filtered field as one character code; a rule returns the code the field
// receives, which may be another character, or kDrop when nothing reaches the field.
inline constexpr int kDrop = 0;
inline constexpr int kBackspace = 8;
inline constexpr int kSpace = 32;

using KeyRule = int (*)(int code);

// Names: a letter arrives lower-cased; only a-z, backspace and space get through.
int letterRule(int code);
// Dates and telephone numbers: only the digits, "-" and backspace get through, unchanged.
int digitRule(int code);

}  // namespace korvale::rules
