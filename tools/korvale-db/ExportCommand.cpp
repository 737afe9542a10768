#include "tools/korvale-db/Commands.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "exchange/ExportOutput.h"
#include "exchange/RowExport.h"
#include "store/BookHandle.h"
#include "store/RowWalk.h"
#include "tools/korvale-db/Progress.h"

namespace korvale::tool {

int exportContacts(const CommandLine& line) {
    const std::string formatName = line.value("--format").value_or("vcard");
    const std::optional<exchange::RowExport::Format> format = exchange::RowExport::format(formatName);
    if (!format) throw UsageError("export has no format " + formatName + " (vcard, vcard3 or csv)");
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadOnly);
    const std::optional<std::string> file = line.value("-o");
    exchange::ExportOutput output(file ? std::optional<std::filesystem::path>(*file) : std::nullopt,
                                  book.path());
    // Written out a megabyte at a time.
    constexpr std::size_t kFlushAt = 1 << 20;
    std::string buffer;
    buffer.reserve(kFlushAt + kFlushAt / 4);
    exchange::RowExport rows(*format, buffer);

    std::uint64_t count = 0;
    RowWalk walk(book);
    Progress progress("Exporting", ::isatty(STDERR_FILENO) ? walk.count() : 0);
    while (walk.next()) {
        rows.write(walk.row(), walk.hasUids() ? std::optional<std::string_view>(walk.uid()) : std::nullopt);
        if (buffer.size() >= kFlushAt) output.write(buffer);
        progress.show(++count);
    }
    output.write(buffer);
    output.finish();
    // The contacts may be going to standard output: the count goes to standard error.
    std::cerr << "Exported " << count << (count == 1 ? " contact" : " contacts") << " to " << output.name()
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
