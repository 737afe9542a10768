#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/CardProperty.h"

namespace korvale::exchange {

// A vCard as read, every property kept in the order it came, VERSION among them.
struct Card {
    std::size_t line = 0;  // of its BEGIN:VCARD
    std::string version = "3.0";
    std::vector<CardProperty> properties;

    // The first property of a name (upper case), or null.
    const CardProperty* first(std::string_view name) const;
    CardProperty* first(std::string_view name);
    // The card's UID, unescaped; empty when it has none.
    std::string uid() const;
};

}  // namespace korvale::exchange
