#include "store/HistorySchema.h"

#include <SQLiteCpp/Statement.h>

namespace korvale {

namespace {

// No index on the history: only the tool's one-off commands read it, and a scan there costs less than
// keeping an index up to date on every change the screens store.
constexpr const char* kCreateHistory =
    "CREATE TABLE IF NOT EXISTS CLIENT_RECORDS_HISTORY (version INTEGER PRIMARY KEY AUTOINCREMENT, "
    "row_id INTEGER NOT NULL, event TEXT NOT NULL, "
    "at TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now')), "
    "Name TEXT, address TEXT, email_id TEXT, dob TEXT, H_PHONE TEXT, W_PHONE TEXT, cell_no TEXT, "
    "remarks TEXT, CATEGORY TEXT)";

// A change that stores the very values the row held keeps nothing.
constexpr const char* kKeepChanged =
    "CREATE TRIGGER IF NOT EXISTS CLIENT_RECORDS_keep_changed AFTER UPDATE ON CLIENT_RECORDS "
    "WHEN OLD.Name IS NOT NEW.Name OR OLD.address IS NOT NEW.address OR OLD.email_id IS NOT NEW.email_id "
    "OR OLD.dob IS NOT NEW.dob OR OLD.H_PHONE IS NOT NEW.H_PHONE OR OLD.W_PHONE IS NOT NEW.W_PHONE "
    "OR OLD.cell_no IS NOT NEW.cell_no OR OLD.remarks IS NOT NEW.remarks OR OLD.CATEGORY IS NOT NEW.CATEGORY "
    "BEGIN INSERT INTO CLIENT_RECORDS_HISTORY (row_id, event, Name, address, email_id, dob, H_PHONE, "
    "W_PHONE, cell_no, remarks, CATEGORY) VALUES (OLD.rowid, 'change', OLD.Name, OLD.address, OLD.email_id, "
    "OLD.dob, OLD.H_PHONE, OLD.W_PHONE, OLD.cell_no, OLD.remarks, OLD.CATEGORY); END";

constexpr const char* kKeepDeleted =
    "CREATE TRIGGER IF NOT EXISTS CLIENT_RECORDS_keep_deleted AFTER DELETE ON CLIENT_RECORDS "
    "BEGIN INSERT INTO CLIENT_RECORDS_HISTORY (row_id, event, Name, address, email_id, dob, H_PHONE, "
    "W_PHONE, cell_no, remarks, CATEGORY) VALUES (OLD.rowid, 'delete', OLD.Name, OLD.address, OLD.email_id, "
    "OLD.dob, OLD.H_PHONE, OLD.W_PHONE, OLD.cell_no, OLD.remarks, OLD.CATEGORY); END";

// Versions name rows by rowid. VACUUM (which `forget` runs) keeps the rowids of a table without an
// INTEGER PRIMARY KEY only when the table has an index, so a book that lost its Name index gets it back.
constexpr const char* kNameIndex = "CREATE INDEX IF NOT EXISTS CLIENT_RECORDS_Name ON CLIENT_RECORDS(Name)";

constexpr const char* kHistoryParts =
    "SELECT count(*) FROM sqlite_master WHERE (type = 'table' AND name = 'CLIENT_RECORDS_HISTORY') "
    "OR (type = 'trigger' AND name IN ('CLIENT_RECORDS_keep_changed', 'CLIENT_RECORDS_keep_deleted'))";
constexpr int kHistoryPartCount = 3;

}  // namespace

void addHistory(SQLite::Database& db) {
    db.exec(kCreateHistory);
    db.exec(kKeepChanged);
    db.exec(kKeepDeleted);
    db.exec(kNameIndex);
}

bool hasHistory(SQLite::Database& db) {
    SQLite::Statement parts(db, kHistoryParts);
    return parts.executeStep() && parts.getColumn(0).getInt() == kHistoryPartCount;
}

}  // namespace korvale
