#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvale::exchange {

struct CardParameter {
    std::string name;  // upper case; 2.1's bare words become TYPE or ENCODING
    std::string value;
};

// One property of a card as it was read: group, name, parameters and value, and for a 3.0 or 4.0 card
// the very text it was read from, so that a property nobody changes is written back byte for byte.
struct CardProperty {
    std::string group;  // "item1" of "item1.TEL"; empty when none
    std::string name;   // upper case, without its group
    std::vector<CardParameter> parameters;
    // UTF-8, with quoted-printable and CHARSET undone, still escaped as the card wrote it.
    std::string value;
    // Base64 or inline data: kept as written.
    bool binary = false;
    std::size_t line = 0;
    // The physical lines it was read from, folding and line ends included; empty for a property made or
    // changed since, which the writer writes afresh.
    std::string original;

    // Gives the property a new value, still escaped; it is then written afresh.
    void setValue(std::string escaped) {
        if (escaped == value) return;
        value = std::move(escaped);
        original.clear();
    }
    // Whether a TYPE names `type` (upper case): "TYPE=HOME,VOICE", "TYPE=home;TYPE=voice", 2.1's "HOME".
    bool hasType(std::string_view type) const;
    // The TYPE values in lower case, joined by ",".
    std::string types() const;
};

}  // namespace korvale::exchange
