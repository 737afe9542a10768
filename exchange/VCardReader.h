#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvale::exchange {

struct VCardParameter {
    std::string name;  // upper case; 2.1's bare words become TYPE or ENCODING
    std::string value;
};

struct VCardProperty {
    std::string name;  // upper case, without its group
    std::vector<VCardParameter> parameters;
    // UTF-8, with quoted-printable and CHARSET undone, still escaped as the card wrote it.
    std::string value;
    // Base64 or inline data: kept as written.
    bool binary = false;
    std::size_t line = 0;

    // Whether a TYPE names `type` (upper case): "TYPE=HOME,VOICE", "TYPE=home;TYPE=voice", 2.1's "HOME".
    bool hasType(std::string_view type) const;
    // The TYPE values in lower case, joined by ",".
    std::string types() const;
};

struct VCard {
    std::size_t line = 0;  // of its BEGIN:VCARD
    std::string version;
    std::vector<VCardProperty> properties;
};

// Reads the cards of a vCard 2.1, 3.0 or 4.0 text one after the other: lines ended by CRLF, LF or CR,
// folded lines joined, quoted-printable soft line breaks joined and decoded, CHARSET converted to UTF-8.
class VCardReader {
public:
    explicit VCardReader(std::string_view text);
    // The next card; false after the last. Throws FormatError for text that is not a card.
    bool next(VCard& card);
    // How many bytes of the text have been read.
    std::size_t position() const { return pos_; }

private:
    bool physicalLine(std::string_view& line);
    bool logicalLine(std::size_t& number);
    VCardProperty parseLine(std::size_t number) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineCount_ = 0;
    std::string line_;
};

// The text an escaped value stands for: "\n" or "\N" a line feed, "\r" a carriage return, "\," ",",
// "\;" ";", "\\" "\"; any other backslash stays as it is. A 2.1 card (`full` false) escapes only ";".
std::string unescape(std::string_view raw, bool full = true);
// The parts of an escaped value between unescaped separators, still escaped.
std::vector<std::string_view> splitEscaped(std::string_view raw, char separator);

}  // namespace korvale::exchange
