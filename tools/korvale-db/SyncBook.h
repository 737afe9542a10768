#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/ClientRecord.h"

namespace korvale::tool {

// What the book knows of one card on the server (a row of SYNC_CARDS).
struct KnownCard {
    std::optional<std::int64_t> row;
    // Empty while a new card is on its way out and the server has not confirmed it.
    std::optional<std::string> etag;
    // The digest of the values the server's card holds, as far as the book knows.
    std::string digest;
    std::string uid;
};

// The digest of a row's nine values; a NULL counts as empty, as a card has no NULLs.
std::string digestOf(const std::array<std::string_view, kColumnCount>& values);
std::string digestOf(const ClientRecord& record);

// The contacts and the sync state of one book, read once and then changed row by row in the book and
// in memory alike. Every change runs inside the caller's transaction, so that a row and the state that
// names it commit together.
class SyncBook {
public:
    explicit SyncBook(SQLite::Database& db);

    // Detaches every card whose row has gone from its rowid, so that a rowid handed out again never
    // makes a new contact pass for the deleted one. Before load, in a transaction of its own.
    void detachGone();
    // Whether a row was added, changed or deleted since it was last synced, or a card still waits to go
    // out: one pass of SQLite over the book, without reading it into memory.
    bool hasLocalWork();
    // Reads every row's digest and every card.
    void load();

    // Each row's digest, by rowid.
    std::unordered_map<std::int64_t, std::string>& rows() { return rows_; }
    ClientRecord record(std::int64_t row);
    std::unordered_map<std::string, KnownCard>& cards() { return cards_; }

    std::int64_t insertRow(const ClientRecord& record);
    void changeRow(std::int64_t row, const ClientRecord& record);
    void deleteRow(std::int64_t row);
    void keepCard(const std::string& href, const KnownCard& card);
    void dropCard(const std::string& href);
    // The id of the history's newest version.
    std::int64_t lastVersion();

    struct Server {
        std::string url;
        std::string collection;
        std::optional<std::string> token;
    };
    std::optional<Server> server();
    void keepServer(const Server& server);

private:
    // The statements run once per card are prepared once, the first time, and reused.
    SQLite::Statement& prepared(const char* sql);

    SQLite::Database& db_;
    std::unordered_map<const char*, std::unique_ptr<SQLite::Statement>> statements_;
    std::unordered_map<std::int64_t, std::string> rows_;
    std::unordered_map<std::string, KnownCard> cards_;
};

}  // namespace korvale::tool
