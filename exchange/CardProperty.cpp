#include "exchange/CardProperty.h"

#include <algorithm>

namespace korvale::exchange {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsUpper(std::string_view text, std::string_view upperCase) {
    return text.size() == upperCase.size() && std::equal(text.begin(), text.end(), upperCase.begin(),
                                                         [](char a, char b) { return upper(a) == b; });
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

bool CardProperty::hasType(std::string_view type) const {
    for (const CardParameter& parameter : parameters) {
        if (parameter.name != "TYPE") continue;
        std::string_view rest = parameter.value;
        for (;;) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            if (equalsUpper(trim(rest.substr(0, comma)), type)) return true;
            if (comma == rest.size()) break;
            rest.remove_prefix(comma + 1);
        }
    }
    return false;
}

std::string CardProperty::types() const {
    std::string all;
    for (const CardParameter& parameter : parameters) {
        if (parameter.name != "TYPE") continue;
        if (!all.empty()) all += ',';
        for (const char c : parameter.value)
            all += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return all;
}

}  // namespace korvale::exchange
