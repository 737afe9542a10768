#include "tools/korvale-db/Commands.h"

#include <cstdlib>
#include <iostream>

#include "store/BookHandle.h"
#include "store/BookSchema.h"
#include "store/ClientRecord.h"

namespace korvale::tool {

int initBook(const CommandLine& line) {
    // The user's data folder is made (0700) when it is missing; a folder named on the command line must
    // exist.
    if (line.book.place != BookLocation::Place::Named) line.book.makeFolder();
    const std::filesystem::path book = createBookIn(line.book.dir);
    std::cout << "Created the book " << book.string() << ": table " << kTableName << " (";
    for (std::size_t i = 0; i < kColumnCount; ++i) std::cout << (i == 0 ? "" : ", ") << kColumnNames[i];
    std::cout << "), index CLIENT_RECORDS_Name, history CLIENT_RECORDS_HISTORY kept by triggers, a UID per "
                 "contact in CONTACT_UIDS, WAL journal, mode 0600.\n";
    return EXIT_SUCCESS;
}

int upgradeBook(const CommandLine& line) {
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    const BookHandle::Upgrade added = book.upgrade();
    const std::string name = book.path().string();
    if (!added.history && !added.uids && !added.syncState)
        std::cout << "The book " << name
                  << " already keeps history, UIDs and sync state; nothing was changed.\n";
    if (added.history) {
        std::cout << "The book " << name << " now keeps history: every change and delete of " << kTableName
                  << " keeps the old values in CLIENT_RECORDS_HISTORY.\n";
    }
    if (added.uids) {
        std::cout << "The book " << name
                  << " now gives every contact a UID of its own, kept in CONTACT_UIDS ("
                  << added.rowsGivenUids << (added.rowsGivenUids == 1 ? " contact" : " contacts")
                  << " given one).\n";
    }
    if (added.syncState) {
        std::cout << "The book " << name
                  << " now has the tables SYNC_SERVER and SYNC_CARDS that korvale-db sync keeps.\n";
    }
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
