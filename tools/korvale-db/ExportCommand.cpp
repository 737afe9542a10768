#include "tools/korvale-db/ExportCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

int exportContacts(const CommandLine& line) {
    const Format format = formatOf(line);
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadOnly);
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
    RowWalk walk(book);
    Progress progress("Exporting", ::isatty(STDERR_FILENO) ? walk.count() : 0);
    while (walk.next()) {
        if (format == Format::Csv) {
            for (std::size_t i = 0; i < kColumnCount; ++i) appendCsvField(buffer, walk.row()[i], i == 0);
            endCsvRecord(buffer);
        } else {
            writeCard(writer, walk.row(), dates);
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
            << " gives its contacts no UIDs yet: korvale-db upgrade gives each one of its own, the same "
               "in every export.\n";
    }
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
