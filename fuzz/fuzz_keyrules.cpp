// The keystroke rules against every character code: four input bytes make one code, any int at all.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "rules/KeyRules.h"

namespace {

using namespace korvale::rules;

bool smallLetter(int c) {
    return c >= 'a' && c <= 'z';
}
bool digit(int c) {
    return c >= '0' && c <= '9';
}

void require(bool condition) {
    if (!condition) std::abort();
}

void check(int code) {
    // A name field receives a small letter, a space, a backspace, or nothing.
    const int letter = letterRule(code);
    require(letter == kDrop || smallLetter(letter) || letter == kSpace || letter == kBackspace);
    if (smallLetter(code) || code == kSpace || code == kBackspace) require(letter == code);
    if (code >= 'A' && code <= 'Z') require(letter == code - 'A' + 'a');
    // Nothing else of ASCII gets through.
    if (code >= 0 && code < 0x80 && !smallLetter(code) && !(code >= 'A' && code <= 'Z') && code != kSpace &&
        code != kBackspace)
        require(letter == kDrop);
    // The rule is a filter: what it lets through passes it again unchanged.
    if (letter != kDrop) require(letterRule(letter) == letter);

    // Dates and telephone numbers: digits, "-" and backspace, unchanged; nothing else.
    const int number = digitRule(code);
    const bool allowed = digit(code) || code == '-' || code == kBackspace;
    require(number == (allowed ? code : kDrop));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at + sizeof(int) <= size; at += sizeof(int)) {
        int code = 0;
        std::memcpy(&code, data + at, sizeof code);
        check(code);
    }
    // The bytes one by one too: the codes a keyboard really sends are small.
    for (std::size_t at = 0; at < size; ++at) check(data[at]);
    return 0;
}
