#include "store/SyncAccount.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

namespace korvale {

namespace {

constexpr const char* kHasUserColumn =
    "SELECT count(*) FROM pragma_table_info('SYNC_SERVER') WHERE name = 'user'";
constexpr const char* kAddUserColumn = "ALTER TABLE SYNC_SERVER ADD COLUMN user TEXT";
constexpr const char* kServerUrl = "SELECT url FROM SYNC_SERVER WHERE id = 1";
constexpr const char* kServerAccount = "SELECT url, user FROM SYNC_SERVER WHERE id = 1";
constexpr const char* kKeepUser = "UPDATE SYNC_SERVER SET user = ?1 WHERE id = 1";
constexpr const char* kForgetCards = "DELETE FROM SYNC_CARDS";
constexpr const char* kForgetServer = "DELETE FROM SYNC_SERVER";

}  // namespace

bool hasSyncUserColumn(SQLite::Database& db) {
    SQLite::Statement query(db, kHasUserColumn);
    return query.executeStep() && query.getColumn(0).getInt() == 1;
}

void addSyncUserColumn(SQLite::Database& db) {
    if (!hasSyncUserColumn(db)) db.exec(kAddUserColumn);
}

std::optional<SyncAccount> syncAccount(SQLite::Database& db) {
    if (!db.tableExists("SYNC_SERVER")) return std::nullopt;
    const bool withUser = hasSyncUserColumn(db);
    SQLite::Statement query(db, withUser ? kServerAccount : kServerUrl);
    if (!query.executeStep()) return std::nullopt;
    SyncAccount account{query.getColumn(0).getString(), std::nullopt};
    if (withUser && !query.getColumn(1).isNull()) account.user = query.getColumn(1).getString();
    return account;
}

void keepSyncUser(SQLite::Database& db, const std::string& user) {
    SQLite::Statement keep(db, kKeepUser);
    keep.bind(1, user);
    keep.exec();
}

void forgetSyncAccount(SQLite::Database& db) {
    if (db.tableExists("SYNC_CARDS")) db.exec(kForgetCards);
    if (db.tableExists("SYNC_SERVER")) db.exec(kForgetServer);
}

}  // namespace korvale
