#pragma once

#include <string_view>

#include <SQLiteCpp/Database.h>

namespace korvale {

// The book's history (internal to the store; BookHistory reads and restores it): the table
// CLIENT_RECORDS_HISTORY, one row per kept version, and two triggers on CLIENT_RECORDS that write a row's old
// values into it on every change that alters a value and on every delete. SQLite runs the triggers inside the
// statement that changes the row, so a version is stored in the same transaction as the change and nobody's
// code has to remember to keep it.
//
// A version's columns: `version` (its id, never reused), `row_id` (the rowid the values stood in),
// `event` ("change", "delete", or "restore" when a restore replaced them), `at` (UTC, to the
// millisecond), then the nine columns of CLIENT_RECORDS as they were.
inline constexpr std::string_view kHistoryTableName = "CLIENT_RECORDS_HISTORY";

// Creates whatever of the history `db` lacks. Runs inside the caller's transaction.
void addHistory(SQLite::Database& db);

// Whether the book keeps history: its table and both triggers are there.
bool hasHistory(SQLite::Database& db);

}  // namespace korvale
