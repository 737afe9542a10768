#pragma once

#include <cstdint>

#include <SQLiteCpp/Database.h>

namespace korvale {

// Every contact's UID, made once and never given to another: the table CONTACT_UIDS (row_id, uid), one
// row per row of CLIENT_RECORDS, kept by two triggers. A row added gets a new random UUID (version 4,
// lower-case); a row deleted takes its UID with it. SQLite hands a freed rowid out again, but the row
// that takes it gets a UID of its own. The application knows nothing of it: the triggers run inside
// its own statements. Internal to the store.
//
// Creates what of it `db` lacks and gives every row without a UID one; returns how many rows it gave a
// UID. Runs inside the caller's transaction.
std::int64_t addContactUids(SQLite::Database& db);

// Whether the book keeps UIDs: the table and both triggers are there.
bool hasContactUids(SQLite::Database& db);

}  // namespace korvale
