#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "exchange/Card.h"
#include "exchange/VCardReader.h"
#include "exchange/VCardWriter.h"
#include "store/ClientRecord.h"

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

// The card of one row: UID, FN and N from Name (N split at the last space), ADR with the address as its
// street, EMAIL, TEL typed home, work and cell, BDAY when dob reads as a date and X-KORVALE-DOB with the
// text whenever BDAY alone would not give it back, NOTE from remarks, CATEGORIES as a list, and for a
// column holding a carriage return, its exact text in X-KORVALE-EXACT. Empty columns write nothing but
// FN and N. Writes straight into the writer's text, allocating nothing for most rows.
// The row's nine texts, in kColumnNames order.
using RowTexts = std::array<std::string_view, kColumnCount>;
void writeCard(VCardWriter& writer, const RowTexts& row, DateMemo& dates, std::string_view uid);

// vCard has no escape for a carriage return that ends no line: a column holding one goes out with its
// line breaks as "\n" and, beside them, its exact text in base64, which every server keeps as it is.
inline constexpr std::string_view kExactProperty = "X-KORVALE-EXACT;X-COLUMN=";
void writeExact(VCardWriter& writer, Column column, std::string_view text);

// The card the book makes for a row, as writeCard writes it; one made for a server also names the
// program that made it (PRODID) and when (REV).
enum class CardUse { File, Server };
Card newCard(const ClientRecord& record, VCardVersion version, std::string_view uid,
             CardUse use = CardUse::File);

// The server's last card with only what the nine columns own changed to the row's values: FN and N,
// the first ADR's street (its other parts kept), the first EMAIL, the first TEL of each of home, work
// and cell, NOTE, CATEGORIES, BDAY and X-KORVALE-DOB. A property whose value stays the same, and every
// other property, keeps its text byte for byte. An emptied column removes its property (and the label
// of its group); a filled one adds one.
void patchCard(Card& serverCard, const ClientRecord& now);

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
    // For each column read from one property (address, e-mail, phones): that property's index.
    std::array<int, kColumnCount> from{-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// What becomes of the properties that have no column: a file's import folds them into remarks; a sync
// leaves them on the card it keeps.
enum class Extras { Fold, KeepOnCard };

// The reverse of writeCard for cards of any version and any writer. With Extras::Fold, what has no
// column, or a second value for a column, becomes a line of remarks after the NOTE ("ORG: Acme",
// "TEL (Mum): 0123" for a value its group labels), and pictures and other binary data are named in
// notKept. An empty FN leaves the name to N.
Contact contactFromCard(const Card& card, Extras extras = Extras::Fold);

// Which column each field of a CSV header names (nullopt: none, kept in remarks as "header: value").
using CsvHeader = std::vector<std::optional<Column>>;
CsvHeader readCsvHeader(const std::vector<std::string>& fields, std::size_t line);
Contact contactFromCsv(const CsvHeader& header, const std::vector<std::string>& headerFields,
                       std::vector<std::string>& fields);

}  // namespace korvale::exchange
