#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/SyncAccount.h"

namespace SQLite {
class Transaction;
}

namespace korvale {

class BookConnection;

// A book opened for one command of the database tool, by its folder. Read-write, it is opened as the
// application opens it (never created); read-only, a book this program may only read opens too. A write
// waits a few seconds for another program's transaction and then fails as a busy book.
class BookHandle {
public:
    enum class Access { ReadWrite, ReadOnly };

    static BookHandle open(const std::filesystem::path& dir, Access access);

    const std::filesystem::path& path() const;

    // The book's write lock, taken at once by beginWriting so that a busy book is refused before
    // anything is read or changed. Dropped without commit, everything written under it is undone.
    class Writing {
    public:
        Writing(BookConnection& connection, std::string_view what);
        Writing(Writing&&) noexcept;
        ~Writing();
        // A commit the engine refuses (a full disk) fails as a StoreError and leaves nothing written.
        void commit();

    private:
        BookConnection* connection_;
        std::string what_;
        std::unique_ptr<SQLite::Transaction> transaction_;
    };
    // `what` says what could not be done ("Cannot import").
    Writing beginWriting(std::string_view what);

    // Whether the book keeps history, UIDs and the sync state (korvale-db upgrade adds them).
    bool keepsHistory();
    bool keepsUids();
    bool keepsSyncState();
    // Fails, naming `korvale-db upgrade`, when the book keeps no history.
    void requireHistory();

    // The account the book syncs with, if any (store/SyncAccount.h).
    std::optional<SyncAccount> syncAccount();
    // Drops the account and the sync state of the server's cards in one transaction; returns the account
    // that was dropped, nothing when the book synced with none.
    std::optional<SyncAccount> forgetSyncAccount();
    // Adds the sync tables to a book that lacks them, in a transaction of its own.
    void addSyncState();

    // What upgrade added: whichever of the three the book lacked, and how many rows were given a UID.
    struct Upgrade {
        bool history = false;
        bool uids = false;
        bool syncState = false;
        std::int64_t rowsGivenUids = 0;
    };
    // Adds whatever of the history, the UIDs and the sync state the book lacks, in one transaction.
    Upgrade upgrade();

    // For the store's own classes.
    BookConnection& connection() const { return *connection_; }
    std::shared_ptr<BookConnection> sharedConnection() const { return connection_; }

private:
    explicit BookHandle(std::shared_ptr<BookConnection> connection);
    std::shared_ptr<BookConnection> connection_;
};

}  // namespace korvale
