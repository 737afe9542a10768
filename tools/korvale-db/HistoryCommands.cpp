#include "tools/korvale-db/Commands.h"

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <string>

#include "exchange/Printable.h"
#include "store/BookHandle.h"
#include "store/BookHistory.h"
#include "store/ClientRecord.h"

namespace korvale::tool {

namespace {

std::string eventText(const std::string& event) {
    if (event == "change") return "changed";
    if (event == "delete") return "deleted";
    if (event == "restore") return "replaced by a restore";
    return event;
}

void printVersion(std::ostream& out, const KeptVersion& version) {
    out << "version " << version.id << " (row " << version.row << ", " << eventText(version.event) << ' '
        << version.at << " UTC), it held:\n";
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        std::string text = version.values[i]
                               ? exchange::printable(*version.values[i], exchange::LineBreaks::Kept)
                               : "(null)";
        // Later lines of a value stand under its first.
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
            text.insert(at + 1, std::string(kColumnNames[i].size() + 4, ' '));
        }
        out << "  " << kColumnNames[i] << ": " << text << '\n';
    }
}

std::int64_t versionNumber(const std::string& text) {
    std::int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end || number <= 0)
        throw UsageError("restore takes a version number as history lists it, not " + text);
    return number;
}

}  // namespace

int showHistory(const CommandLine& line) {
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadOnly);
    const std::optional<std::string> name =
        line.operands.empty() ? std::nullopt : std::optional<std::string>(line.operands.front());
    const std::vector<KeptVersion> versions = BookHistory(book).versions(name);
    for (const KeptVersion& version : versions) printVersion(std::cout, version);
    if (versions.empty()) std::cout << "No kept versions" << (name ? " of " + *name : std::string()) << ".\n";
    return EXIT_SUCCESS;
}

int restoreVersion(const CommandLine& line) {
    const std::int64_t id = versionNumber(line.operands.front());
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    const Restored restored = BookHistory(book).restore(id);
    switch (restored.outcome) {
        case Restored::Outcome::NewRow:
            std::cout << "Version " << id << " came back as a new row " << restored.row
                      << "; the row it came from had been deleted.\n";
            break;
        case Restored::Outcome::AlreadyHeld:
            std::cout << "Row " << restored.row << " already holds version " << id
                      << "; nothing was changed.\n";
            break;
        case Restored::Outcome::Replaced:
            std::cout << "Row " << restored.row << " holds version " << id
                      << " again. The values it held until now are kept as version " << restored.keptAs
                      << ": korvale-db restore " << line.book.dir.string() << ' ' << restored.keptAs
                      << " undoes this.\n";
            break;
    }
    return EXIT_SUCCESS;
}

int forgetName(const CommandLine& line) {
    const std::string& name = line.operands.front();
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    const Forgotten forgotten = BookHistory(book).forget(name);
    std::cout << "Forgot " << name << ": " << forgotten.rows << (forgotten.rows == 1 ? " row" : " rows")
              << " and " << forgotten.versions
              << (forgotten.versions == 1 ? " kept version" : " kept versions")
              << " removed; the book and its journal were rewritten without them.\n";
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
