#include "rules/KeyRules.h"

#include <QChar>

namespace korvale::rules {

int letterRule(int code) {
    // The platform's lower-case conversion first, so that capitals (and anything whose small form is a
    // Latin letter) arrive small; the test is on the converted code.
    const int lower = code < 0 ? code : static_cast<int>(QChar::toLower(static_cast<char32_t>(code)));
    const bool latinLetter = (lower >= 'a' && lower <= 'z') || (lower >= 'A' && lower <= 'Z');
    if (latinLetter || lower == kBackspace || lower == kSpace) return lower;
    return kDrop;
}

int digitRule(int code) {
    const bool outsideDigits = code > '9' || code < '0';
    if (outsideDigits && code != kBackspace && code != '-') return kDrop;
    return code;
}

}  // namespace korvale::rules
