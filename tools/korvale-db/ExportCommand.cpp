#include "tools/korvale-db/ExportCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/VCardWriter.h"
#include "store/ClientRecord.h"
#include "store/Statements.h"
#include "store/StoreError.h"
#include "tools/korvale-db/ExportOutput.h"
#include "tools/korvale-db/Progress.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

using namespace korvale::exchange;

namespace {

enum class Format { VCard4, VCard3, Csv };

constexpr std::size_t kFlushAt = 1 << 20;
constexpr const char* kRowCount = "SELECT count(*) FROM CLIENT_RECORDS";

Format formatOf(const CommandLine& line) {
    const std::string name = line.value("--format").value_or("vcard");
    if (name == "vcard") return Format::VCard4;
    if (name == "vcard3") return Format::VCard3;
    if (name == "csv") return Format::Csv;
    throw UsageError("export has no format " + name + " (vcard, vcard3 or csv)");
}

// A UID for the row at `ordinal` in stored order, made from that place and the row's name, so that two
// exports of the same book give the same UIDs; UUID-shaped, as other programs expect. Written into
// `uid` without allocating.
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

std::uint64_t rowCount(BookConnection& book) {
    SQLite::Statement count(book.db(), kRowCount);
    return count.executeStep() ? static_cast<std::uint64_t>(count.getColumn(0).getInt64()) : 0;
}

}  // namespace

int exportContacts(const CommandLine& line) {
    const Format format = formatOf(line);
    const auto book = openBook(line.book.dir);
    const std::optional<std::string> file = line.value("-o");
    ExportOutput output(file ? std::optional<std::filesystem::path>(*file) : std::nullopt);
    std::string buffer;
    buffer.reserve(kFlushAt + kFlushAt / 4);
    DateMemo dates;
    VCardWriter writer(buffer, format == Format::VCard3 ? VCardVersion::V3 : VCardVersion::V4);
    if (format == Format::Csv) {
        for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer, kColumnNames[i], i == 0);
        endCsvRecord(buffer);
    }

    std::uint64_t rows = 0;
    try {
        // One statement reads one snapshot of the book, whatever is written meanwhile.
        Progress progress("Exporting", ::isatty(STDERR_FILENO) ? rowCount(*book) : 0);
        // The C API itself: a SQLite::Column object per value costs more than reading the value.
        sqlite3_stmt* prepared = nullptr;
        if (sqlite3_prepare_v2(book->db().getHandle(), sql::kAllRows, -1, &prepared, nullptr) != SQLITE_OK) {
            throw SQLite::Exception(book->db().getHandle());
        }
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> all(prepared, sqlite3_finalize);
        RowTexts row;
        std::array<char, 36> uid{};
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(all.get())) == SQLITE_ROW) {
            for (int i = 0; i < static_cast<int>(kColumnCount); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(all.get(), i));
                row[static_cast<std::size_t>(i)] =
                    text
                        ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(all.get(), i)))
                        : "";
            }
            if (format == Format::Csv) {
                for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer, row[i], i == 0);
                endCsvRecord(buffer);
            } else {
                // Until the book keeps a UID for every row, the export makes one from the row itself.
                writeCard(writer, row, dates, rowUid(rows, row[0], uid));
            }
            if (buffer.size() >= kFlushAt) output.write(buffer);
            progress.show(++rows);
        }
        if (stepped != SQLITE_DONE) throw SQLite::Exception(book->db().getHandle(), stepped);
    } catch (const SQLite::Exception& e) {
        throw book->tableFailure("Cannot read the book " + book->path().string(), e);
    }
    output.write(buffer);
    output.finish();
    // The contacts may be going to standard output: the count goes to standard error.
    std::cerr << "Exported " << rows << (rows == 1 ? " contact" : " contacts") << " to " << output.name()
              << ".\n";
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
