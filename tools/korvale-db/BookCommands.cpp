#include "tools/korvale-db/BookCommands.h"

#include <cstdlib>
#include <iostream>

#include "store/BookHistory.h"
#include "store/BookSchema.h"
#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"
#include "store/SyncState.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

int initBook(const CommandLine& line) {
    // The user's data folder is made (0700) when it is missing; a folder named on the command line must
    // exist.
    if (line.book.place != BookLocation::Place::Named) line.book.makeFolder();
    const std::filesystem::path& dir = line.book.dir;
    std::error_code ec;
    const auto status = std::filesystem::status(dir, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw StoreError("the directory " + dir.string() + " does not exist");
    }
    if (ec) throw StoreError("cannot reach the directory " + dir.string() + ": " + ec.message());
    if (status.type() != std::filesystem::file_type::directory) {
        throw StoreError(dir.string() + " is not a directory");
    }

    const std::filesystem::path book = ClientStore::bookPath(dir);
    createBook(book);
    std::cout << "Created the book " << book.string() << ": table " << kTableName << " (";
    for (std::size_t i = 0; i < kColumnCount; ++i) std::cout << (i == 0 ? "" : ", ") << kColumnNames[i];
    std::cout << "), index CLIENT_RECORDS_Name, history " << kHistoryTableName
              << " kept by triggers, WAL journal, mode 0600.\n";
    return EXIT_SUCCESS;
}

int upgradeBook(const CommandLine& line) {
    const auto book = openBook(line.book.dir);
    SQLite::Transaction transaction = beginWriting(*book, "Cannot upgrade");
    const bool history = hasHistory(book->db());
    const bool syncState = hasSyncState(book->db());
    if (history && syncState) {
        std::cout << "The book " << book->path().string()
                  << " already keeps history and sync state; nothing was changed.\n";
        return EXIT_SUCCESS;
    }
    try {
        addHistory(book->db());
        addSyncState(book->db());
        transaction.commit();
    } catch (const SQLite::Exception& e) {
        throw book->failure("Cannot upgrade the book " + book->path().string(), e);
    }
    if (!history) {
        std::cout << "The book " << book->path().string() << " now keeps history: every change and delete of "
                  << kTableName << " keeps the old values in " << kHistoryTableName << ".\n";
    }
    if (!syncState) {
        std::cout << "The book " << book->path().string()
                  << " now has the tables SYNC_SERVER and SYNC_CARDS that korvale-db sync keeps.\n";
    }
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
