#include "store/ClientRecord.h"

#include <algorithm>

namespace korvale {

namespace {

// ASCII only on purpose: the column names are ASCII, and a locale-dependent fold could make a
// non-ASCII text match one of them.
char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

}  // namespace

std::optional<Column> columnByName(std::string_view name) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (equalsIgnoringCase(name, kColumnNames[i])) {
            return static_cast<Column>(i);
        }
    }
    return std::nullopt;
}

}  // namespace korvale
