#include "exchange/ImportReport.h"

#include <sstream>

#include "exchange/Printable.h"

namespace korvale::exchange {

namespace {

// Long lists stop here; the count says how many more there were.
constexpr std::size_t kListed = 20;

template <typename List>
void printList(std::ostream& out, const std::string& title, const List& items) {
    if (items.empty()) return;
    out << title << " (" << items.size() << "):\n";
    std::size_t shown = 0;
    for (const std::string& item : items) {
        if (shown++ == kListed) {
            out << "  ... and " << items.size() - kListed << " more\n";
            break;
        }
        out << "  " << printable(item) << '\n';
    }
}

void printCounts(std::ostream& out, const std::string& title,
                 const std::map<std::string, std::size_t>& counts) {
    if (counts.empty()) return;
    out << title << ':';
    const char* separator = " ";
    for (const auto& [name, count] : counts) {
        out << separator << printable(name) << " (" << count << ')';
        separator = ", ";
    }
    out << '\n';
}

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace

void ImportReport::read(const Contact& contact, std::size_t line) {
    ++read_;
    for (const std::string& name : contact.inRemarks) ++inRemarks_[name];
    for (const std::string& name : contact.leftOut) ++leftOut_[name];
    for (const std::string& name : contact.notKept) {
        notKept_.push_back(name + " of \"" + contact.record[Column::Name] + "\" (line " +
                           std::to_string(line) + ")");
    }
}

void ImportReport::skipped(std::size_t line, const std::string& name, const std::string& why) {
    skipped_.push_back("line " + std::to_string(line) + ", \"" + name + "\": " + why);
}

std::string ImportReport::text(const std::string& file, bool dryRun) const {
    std::ostringstream out;
    out << "Read " << plural(read_, "contact", "contacts") << " from " << file << ".\n";
    if (dryRun) {
        out << "Dry run, nothing was written: " << plural(added_, "contact", "contacts")
            << " would be added.\n";
    } else {
        out << "Added " << plural(added_, "contact", "contacts") << ".\n";
    }
    printList(out, "Skipped", skipped_);
    printList(out, "Names that already stood in the book, added beside them", named_);
    printCounts(out, "Kept in remarks, having no column of their own", inRemarks_);
    printList(out, "Not kept (no column holds pictures, sounds or keys)", notKept_);
    printCounts(out, "Left out as data about the card rather than the contact", leftOut_);
    return out.str();
}

}  // namespace korvale::exchange
