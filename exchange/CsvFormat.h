#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvale::exchange {

// CSV as RFC 4180 has it: fields separated by commas, records by CRLF, a field quoted when it holds a
// comma, a quote or a line break, a quote inside doubled.
void appendCsvField(std::string& out, std::string_view field, bool first);
void endCsvRecord(std::string& out);

// Reads records one after the other; also takes LF and lone CR line ends and a UTF-8 byte-order mark,
// and passes over empty lines.
class CsvReader {
public:
    explicit CsvReader(std::string_view text);
    // The next record's fields; false after the last. Throws FormatError for an unclosed quote, text
    // after a closing quote, or a field that is not UTF-8 or holds a NUL byte.
    bool next(std::vector<std::string>& fields);
    // The line the last record began on.
    std::size_t line() const { return recordLine_; }
    std::size_t position() const { return pos_; }

private:
    std::string quotedField();
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
};

}  // namespace korvale::exchange
