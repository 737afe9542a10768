#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/Card.h"

namespace korvale::exchange {

// The names the card types had before they were one model.
using VCardParameter = CardParameter;
using VCardProperty = CardProperty;
using VCard = Card;

// Reads the cards of a vCard 2.1, 3.0 or 4.0 text one after the other: lines ended by CRLF, LF or CR,
// folded lines joined, quoted-printable soft line breaks joined and decoded, CHARSET converted to UTF-8.
class VCardReader {
public:
    explicit VCardReader(std::string_view text);
    // The next card; false after the last. Throws FormatError for text that is not a card, or a value
    // that holds a NUL byte.
    bool next(Card& card);
    // Whether properties keep the text they were read from (for writing back); an import that only
    // maps cards to rows need not copy it.
    void keepOriginals(bool keep) { keepOriginals_ = keep; }
    // How many bytes of the text have been read.
    std::size_t position() const { return pos_; }

private:
    bool physicalLine(std::string_view& line);
    bool logicalLine(std::size_t& number);
    // Parses the logical line into `property`, reusing the memory its strings hold from an earlier card.
    void parseLine(std::size_t number, CardProperty& property) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineCount_ = 0;
    std::string line_;
    std::string_view original_;
    bool keepOriginals_ = true;
    CardProperty begin_;
};

// Whether a text begins (after a byte-order mark and blank lines) with BEGIN:VCARD rather than, say, a
// CSV header.
bool looksLikeVCard(std::string_view text);

// The first card of a text, such as a server's answer for one card. Throws FormatError.
Card readCard(std::string_view text);

// The text an escaped value stands for: "\n" or "\N" a line feed, "\r" a carriage return, "\," ",",
// "\;" ";", "\\" "\"; any other backslash stays as it is. A 2.1 card (`full` false) escapes only ";".
std::string unescape(std::string_view raw, bool full = true);
// The parts of an escaped value between unescaped separators, still escaped.
std::vector<std::string_view> splitEscaped(std::string_view raw, char separator);

}  // namespace korvale::exchange
