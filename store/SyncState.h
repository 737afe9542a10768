#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/BookHandle.h"
#include "store/ClientRecord.h"

namespace SQLite {
class Database;
class Statement;
}  // namespace SQLite

namespace korvale {

class BookConnection;

// What `korvale-db sync` knows of the server, kept in the book beside the contacts so that it commits
// together with them:
//   SYNC_SERVER, one row: the URL the sync was given, the address book it leads to, and the server's
//     sync-token once everything it covers is in the book (NULL before the first full sync), and the
//     user name the server knows (store/SyncAccount.h).
//   SYNC_CARDS, one row per card: its href on the server, the rowid of the contact it holds (NULL once
//     the row was deleted in the book), its entity tag (NULL while a new card is on its way out and the
//     server has not yet confirmed it), a digest of the nine values the card holds as far as the book
//     knows (empty when they are not known), the card's UID, the last card the server sent (its bytes,
//     NULL for a card the book made), and why the server's newest version could not be read (NULL when
//     it could). A row whose values no longer give that digest changed in the book since.
//   SYNC_CARDS_detach, a trigger: a deleted row's card loses its rowid in the same transaction, so that
//     a rowid handed out again never makes a new contact pass for the deleted one.
// The application never reads them; a row it changes or deletes is found by comparing digests.
void addSyncState(SQLite::Database& db);

// Whether both tables, their newest columns and the trigger are there.
bool hasSyncState(SQLite::Database& db);

// What the book knows of one card on the server (a row of SYNC_CARDS, its last card aside).
struct KnownCard {
    std::optional<std::int64_t> row;
    std::optional<std::string> etag;
    std::string digest;
    std::string uid;
    // Why the server's newest version of the card could not be read; empty when it could.
    std::string unreadable;
};

// The contacts and the sync state of one book, read once and then changed row by row in the book and
// in memory alike. Every change runs inside a transaction of begin(), so that a row and the state that
// names it commit together. Every failure of the book is a StoreError.
class SyncState {
public:
    // A row's nine values to the digest that tells whether they changed; a NULL counts as empty.
    using Digest = std::string (*)(const std::array<std::string_view, kColumnCount>& values);
    SyncState(BookConnection& book, Digest digest);
    SyncState(const BookHandle& book, Digest digest);
    ~SyncState();
    SyncState(const SyncState&) = delete;
    SyncState& operator=(const SyncState&) = delete;

    // Detaches every card whose row has gone from its rowid: rows deleted before the trigger existed.
    void detachGone();

    // Takes the book's write lock at once; a busy book fails as such.
    BookHandle::Writing begin();

    // Whether a row was added, changed or deleted since it was last synced, or a card still waits to go
    // out or to be read again: one pass of SQLite over the book, without reading it into memory.
    bool hasLocalWork();
    // Reads every row's digest and every card.
    void load();

    // Each row's digest, by rowid.
    std::unordered_map<std::int64_t, std::string>& rows() { return rows_; }
    ClientRecord record(std::int64_t row);
    std::unordered_map<std::string, KnownCard>& cards() { return cards_; }
    // The last card the server sent for `href`; empty when there is none.
    std::string lastCard(const std::string& href);

    std::int64_t insertRow(const ClientRecord& record);
    void changeRow(std::int64_t row, const ClientRecord& record);
    void deleteRow(std::int64_t row);
    // Keeps the card's state; `body`, when given, as the last card the server sent.
    void keepCard(const std::string& href, const KnownCard& card, const std::string* body = nullptr);
    void dropCard(const std::string& href);
    // Files a card kept under another spelling of its href under `href`.
    void renameCard(const std::string& from, const std::string& href);
    // The id of the history's newest version.
    std::int64_t lastVersion();

    struct Server {
        std::string url;
        std::string collection;
        std::optional<std::string> token;
    };
    std::optional<Server> server();
    // Each in a transaction of its own: the server, address book and token; the user beside them.
    void keepServer(const Server& server);
    void keepSyncUser(const std::string& user);

private:
    // The statements run once per card are prepared once, the first time, and reused.
    SQLite::Statement& prepared(const char* sql);

    std::string digestOf(const ClientRecord& record) const;

    BookConnection& book_;
    SQLite::Database& db_;
    Digest digest_;
    // What a failure says: "Cannot sync the book ...".
    std::string failed_;
    std::unordered_map<const char*, std::unique_ptr<SQLite::Statement>> statements_;
    std::unordered_map<std::int64_t, std::string> rows_;
    std::unordered_map<std::string, KnownCard> cards_;
};

}  // namespace korvale
