#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/ClientRecord.h"
#include "exchange/VCardReader.h"
#include "exchange/VCardWriter.h"

namespace korvale::exchange {

// What a card says of a dob text, read with the screens' own date rule; texts the rule reads slowly
// are read once.
class DateMemo {
public:
    struct Birthday {
        // BDAY's value in vCard 4.0 and 3.0; empty when the text reads as no date.
        std::string v4;
        std::string v3;
        // Whether BDAY alone would not give the text back, so that it goes into X-KORVALE-DOB too.
        bool keepText = true;
    };
    Birthday read(std::string_view dob);

private:
    std::unordered_map<std::string, Birthday> seen_;
};

// The card of one row: FN and N from Name (N split at the last space), ADR with the address as its
// street, EMAIL, TEL typed home, work and cell, BDAY when dob reads as a date and X-KORVALE-DOB with the
// text whenever BDAY alone would not give it back, NOTE from remarks, CATEGORIES. Empty columns write
// nothing but FN and N.
// The row's nine texts, in kColumnNames order.
using RowTexts = std::array<std::string_view, kColumnCount>;
void writeCard(VCardWriter& writer, const RowTexts& row, DateMemo& dates);

// A contact read from a file, and what of it found no column.
struct Contact {
    ClientRecord record;
    // Whether it had a name at all (FN or N, or a Name column).
    bool named = false;
    // Properties kept as lines of remarks ("ORG: Acme"), by name.
    std::vector<std::string> inRemarks;
    // Properties not kept anywhere: pictures, sounds, keys.
    std::vector<std::string> notKept;
    // Data about the card rather than the contact (PRODID, REV, UID...), left out.
    std::vector<std::string> leftOut;
};

// The reverse of writeCard for cards of any version and any writer: what has no column, or a second
// value for a column, becomes a line of remarks after the NOTE; pictures and other binary data are
// named in notKept.
Contact contactFromCard(const VCard& card);

// Which column each field of a CSV header names (nullopt: none, kept in remarks as "header: value").
using CsvHeader = std::vector<std::optional<Column>>;
CsvHeader readCsvHeader(const std::vector<std::string>& fields, std::size_t line);
Contact contactFromCsv(const CsvHeader& header, const std::vector<std::string>& headerFields,
                       std::vector<std::string>& fields);

}  // namespace korvale::exchange
