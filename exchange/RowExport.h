#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/ContactMapping.h"
#include "exchange/VCardWriter.h"

namespace korvale::exchange {

// Writes the book's rows, one after another in stored order, as the text of an export file: vCard 4.0,
// vCard 3.0, or CSV under a header of the nine column names. Appends to a buffer the caller empties.
class RowExport {
public:
    enum class Format { VCard4, VCard3, Csv };
    // The format named "vcard", "vcard3" or "csv"; nothing for any other name.
    static std::optional<Format> format(std::string_view name);

    // Writes the CSV header at once.
    RowExport(Format format, std::string& buffer);

    // Appends the row. `uid` is the contact's own; a book made before its contacts had UIDs has none,
    // and the card takes one made from the row's place and name instead.
    void write(const RowTexts& row, std::optional<std::string_view> uid);

private:
    Format format_;
    std::string& buffer_;
    VCardWriter writer_;
    DateMemo dates_;
    std::uint64_t rows_ = 0;
    std::array<char, 36> fallbackUid_{};
};

}  // namespace korvale::exchange
