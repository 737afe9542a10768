#include "exchange/Card.h"

#include <algorithm>

#include "exchange/VCardReader.h"

namespace korvale::exchange {

const CardProperty* Card::first(std::string_view name) const {
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [&](const CardProperty& p) { return p.name == name; });
    return found == properties.end() ? nullptr : &*found;
}

CardProperty* Card::first(std::string_view name) {
    return const_cast<CardProperty*>(static_cast<const Card&>(*this).first(name));
}

std::string Card::uid() const {
    const CardProperty* uid = first("UID");
    return uid ? unescape(uid->value) : std::string();
}

}  // namespace korvale::exchange
