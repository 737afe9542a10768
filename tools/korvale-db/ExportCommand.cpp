#include "tools/korvale-db/ExportCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <array>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/VCardWriter.h"
#include "store/BookHandle.h"
#include "store/ClientRecord.h"
#include "store/RowWalk.h"
#include "tools/korvale-db/ExportOutput.h"
#include "tools/korvale-db/Progress.h"

namespace korvale::tool {

using namespace korvale::exchange;

namespace {

enum class Format { VCard4, VCard3, Csv };

constexpr std::size_t kFlushAt = 1 << 20;

Format formatOf(const CommandLine& line) {
    const std::string name = line.value("--format").value_or("vcard");
    if (name == "vcard") return Format::VCard4;
    if (name == "vcard3") return Format::VCard3;
    if (name == "csv") return Format::Csv;
    throw UsageError("export has no format " + name + " (vcard, vcard3 or csv)");
}

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

int exportContacts(const CommandLine& line) {
    const Format format = formatOf(line);
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadOnly);
    const std::optional<std::string> file = line.value("-o");
    ExportOutput output(file ? std::optional<std::filesystem::path>(*file) : std::nullopt, book.path());
    std::string buffer;
    buffer.reserve(kFlushAt + kFlushAt / 4);
    DateMemo dates;
    VCardWriter writer(buffer, format == Format::VCard3 ? VCardVersion::V3 : VCardVersion::V4);
    if (format == Format::Csv) {
        for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer, kColumnNames[i], i == 0);
        endCsvRecord(buffer);
    }

    std::uint64_t rows = 0;
    std::array<char, 36> fallbackUid{};
    RowWalk walk(book);
    Progress progress("Exporting", ::isatty(STDERR_FILENO) ? walk.count() : 0);
    while (walk.next()) {
        if (format == Format::Csv) {
            for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer, walk.row()[i], i == 0);
            endCsvRecord(buffer);
        } else {
            writeCard(writer, walk.row(), dates,
                      walk.hasUids() ? walk.uid() : rowUid(rows, walk.row()[0], fallbackUid));
        }
        if (buffer.size() >= kFlushAt) output.write(buffer);
        progress.show(++rows);
    }
    output.write(buffer);
    output.finish();
    // The contacts may be going to standard output: the count goes to standard error.
    std::cerr << "Exported " << rows << (rows == 1 ? " contact" : " contacts") << " to " << output.name()
              << ".\n";
    if (!walk.hasUids()) {
        std::cerr
            << "The book " << book.path().string()
            << " keeps no UIDs for its contacts yet: each card took one made from its place and name, which "
               "a delete before it changes; korvale-db upgrade gives each contact one of its own.\n";
    }
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
