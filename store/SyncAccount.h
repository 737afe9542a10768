#pragma once

#include <optional>
#include <string>

namespace SQLite {
class Database;
}

namespace korvale {

// The account a book syncs with: the server's URL in SYNC_SERVER and, in its `user` column, the user
// name the server knows. A book that syncs with no server has neither.
struct SyncAccount {
    std::string url;
    // Unset for a book synced before the user was recorded, or synced without a user.
    std::optional<std::string> user;
};

// The book's account; nothing when it has no SYNC_SERVER table or no server in it. Reads only, so that a
// book never synced is left untouched.
std::optional<SyncAccount> syncAccount(SQLite::Database& db);

// Whether SYNC_SERVER has its `user` column, and adds it to a table made before it (inside the caller's
// transaction).
bool hasSyncUserColumn(SQLite::Database& db);
void addSyncUserColumn(SQLite::Database& db);

// Records the user beside the server already kept.
void keepSyncUser(SQLite::Database& db, const std::string& user);

// Drops the server, its user and what the book knows of the server's cards; the contacts stay.
void forgetSyncAccount(SQLite::Database& db);

}  // namespace korvale
