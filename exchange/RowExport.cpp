#include "exchange/RowExport.h"

#include "exchange/CsvFormat.h"

namespace korvale::exchange {

namespace {

// For a book made before its contacts had UIDs: a UID for the row at `ordinal` in stored order, made from
// that place and the row's name, so that two exports of the same book give the same UIDs; UUID-shaped, as
// other programs expect. Written into `uid` without allocating.
std::string_view rowUid(std::uint64_t ordinal, std::string_view name, std::array<char, 36>& uid) {
    // FNV-1a of the name for one half, the place mixed with it (splitmix64's finaliser) for the other.
    std::uint64_t high = 0xcbf29ce484222325ULL;
    for (const char c : name) high = (high ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    std::uint64_t low = (ordinal + 0x9e3779b97f4a7c15ULL) ^ high;
    low = (low ^ (low >> 30)) * 0xbf58476d1ce4e5b9ULL;
    low = (low ^ (low >> 27)) * 0x94d049bb133111ebULL;
    low ^= low >> 31;
    constexpr std::string_view kHex = "0123456789abcdef";
    std::size_t at = 0;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) uid[at++] = '-';
        const std::uint64_t word = i < 16 ? high : low;
        uid[at++] = kHex[(word >> (4 * (15 - i % 16))) & 0xF];
    }
    return {uid.data(), uid.size()};
}

}  // namespace

std::optional<RowExport::Format> RowExport::format(std::string_view name) {
    if (name == "vcard") return Format::VCard4;
    if (name == "vcard3") return Format::VCard3;
    if (name == "csv") return Format::Csv;
    return std::nullopt;
}

RowExport::RowExport(Format format, std::string& buffer)
    : format_(format),
      buffer_(buffer),
      writer_(buffer, format == Format::VCard3 ? VCardVersion::V3 : VCardVersion::V4) {
    if (format_ != Format::Csv) return;
    for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer_, kColumnNames[i], i == 0);
    endCsvRecord(buffer_);
}

void RowExport::write(const RowTexts& row, std::optional<std::string_view> uid) {
    if (format_ == Format::Csv) {
        for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer_, row[i], i == 0);
        endCsvRecord(buffer_);
    } else {
        writeCard(writer_, row, dates_, uid ? *uid : rowUid(rows_, row[0], fallbackUid_));
    }
    ++rows_;
}

}  // namespace korvale::exchange
