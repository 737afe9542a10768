#include "store/SyncState.h"

#include <SQLiteCpp/Statement.h>

#include "store/SyncAccount.h"

namespace korvale {

namespace {

constexpr const char* kCreateServer =
    "CREATE TABLE IF NOT EXISTS SYNC_SERVER (id INTEGER PRIMARY KEY CHECK (id = 1), url TEXT NOT NULL, "
    "collection TEXT NOT NULL, token TEXT, user TEXT)";
constexpr const char* kCreateCards =
    "CREATE TABLE IF NOT EXISTS SYNC_CARDS (href TEXT PRIMARY KEY, row_id INTEGER UNIQUE, etag TEXT, "
    "digest TEXT NOT NULL, uid TEXT NOT NULL)";
constexpr const char* kSyncParts =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('SYNC_SERVER', 'SYNC_CARDS')";
constexpr int kSyncPartCount = 2;

}  // namespace

void addSyncState(SQLite::Database& db) {
    db.exec(kCreateServer);
    db.exec(kCreateCards);
    // A table made before the user was recorded gets its column.
    addSyncUserColumn(db);
}

bool hasSyncState(SQLite::Database& db) {
    SQLite::Statement parts(db, kSyncParts);
    return parts.executeStep() && parts.getColumn(0).getInt() == kSyncPartCount && hasSyncUserColumn(db);
}

}  // namespace korvale
