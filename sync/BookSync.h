#pragma once

#include <QString>

#include <functional>
#include <string>

#include "store/BookHandle.h"
#include "sync/SyncAccountChoice.h"
#include "sync/SyncEngine.h"

namespace korvale::sync {

// How one sync of a book runs: which address book a server with several is to use, whether a list that
// deletes most of the synced contacts is applied, and who hears of the address book found on the book's
// first sync ("Address book: ... at ...").
struct BookSyncOptions {
    QString addressBook;
    bool allowMassDelete = false;
    std::function<void(const std::string&)> found;
};

// One sync of `book` with the account's address book: adds the sync tables the book lacks, finds the
// address book on the first sync and keeps it, records the user, runs the engine and keeps the server's
// new sync-token, each write in a transaction of its own.
SyncReport syncBook(BookHandle& book, const SyncAccountChoice& account, DavClient& dav,
                    SyncProgress& progress, const BookSyncOptions& options);

}  // namespace korvale::sync
