#pragma once

#include <cstdint>
#include <string>

#include "store/ClientRecord.h"

namespace korvale::robust {

// The record a churning writer stores for a name at a version. Both the writer and the checker derive
// it from the two numbers, so an acknowledgement needs to carry nothing else. The remarks vary in
// length up to a few pages so that commits span several pages of the book.
inline ClientRecord churnRecord(const std::string& name, std::int64_t version) {
    const std::string v = std::to_string(version);
    ClientRecord r;
    r[Column::Name] = name;
    r[Column::address] = "address v" + v + " \xc3\xa9t\xc3\xa9";
    r[Column::email_id] = v + "@mail";
    r[Column::dob] = "23-07-1987";
    r[Column::H_PHONE] = v;
    r[Column::W_PHONE] = "";
    r[Column::cell_no] = "-" + v;
    const auto length = static_cast<std::size_t>((version * 7919) % 9000);
    std::string remarks;
    remarks.reserve(length);
    for (std::size_t i = 0; i < length; ++i) remarks.push_back(static_cast<char>('a' + (i + version) % 26));
    r[Column::remarks] = remarks;
    static const char* const kCategories[] = {"CLIENT", "RELATIVE", "FRIEND"};
    r[Column::CATEGORY] = kCategories[version % 3];
    return r;
}

}  // namespace korvale::robust
