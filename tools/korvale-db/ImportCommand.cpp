#include "tools/korvale-db/Commands.h"

#include <cstdlib>
#include <iostream>
#include <optional>

#include "exchange/ContactImport.h"
#include "exchange/FormatError.h"
#include "exchange/InputFile.h"
#include "store/BookHandle.h"
#include "store/ImportRows.h"
#include "tools/korvale-db/Progress.h"

namespace korvale::tool {

int importContacts(const CommandLine& line) {
    const std::string file = line.operands.front();
    const bool dryRun = line.has("--dry-run");
    const exchange::InputFile input(file);
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    // The write lock is taken first even for a dry run, so that its report holds for the book as it is.
    BookHandle::Writing writing = book.beginWriting("Cannot import " + file);
    std::optional<exchange::ImportReport> report;
    try {
        ImportRows rows(book);
        Progress progress("Importing", input.text().size());
        report = exchange::importContacts(input.text(), rows, dryRun,
                                          [&](std::uint64_t done) { progress.show(done); });
        if (!dryRun) writing.commit();
    } catch (const exchange::FormatError& e) {
        throw ToolError("Cannot import " + file + ": " + e.what() + ". Nothing was added to the book.");
    }
    std::cout << report->text(file, dryRun);
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
