#include "store/RowWalk.h"

#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "store/BookConnection.h"
#include "store/BookHandle.h"
#include "store/ContactUids.h"

namespace korvale {

namespace {

// The nine columns, then the UID.
constexpr const char* kRowsWithServerUids =
    "SELECT c.Name, c.address, c.email_id, c.dob, c.H_PHONE, c.W_PHONE, c.cell_no, c.remarks, c.CATEGORY, "
    "coalesce(s.uid, u.uid) FROM CLIENT_RECORDS AS c LEFT JOIN CONTACT_UIDS AS u ON u.row_id = c.rowid "
    "LEFT JOIN SYNC_CARDS AS s ON s.row_id = c.rowid ORDER BY c.rowid";
constexpr const char* kRowsWithUids =
    "SELECT c.Name, c.address, c.email_id, c.dob, c.H_PHONE, c.W_PHONE, c.cell_no, c.remarks, c.CATEGORY, "
    "u.uid FROM CLIENT_RECORDS AS c LEFT JOIN CONTACT_UIDS AS u ON u.row_id = c.rowid ORDER BY c.rowid";
constexpr const char* kRowsWithoutUids =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY, '' FROM "
    "CLIENT_RECORDS ORDER BY rowid";
// The server's UIDs cost an index seek per row: they are looked up only when some card names a row.
constexpr const char* kHasSyncCards =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'SYNC_CARDS'";
constexpr const char* kHasSyncedRows = "SELECT EXISTS (SELECT 1 FROM SYNC_CARDS WHERE row_id IS NOT NULL)";
constexpr const char* kRowCount = "SELECT count(*) FROM CLIENT_RECORDS";
constexpr int kUidColumn = static_cast<int>(kColumnCount);

std::string_view textAt(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                : std::string_view();
}

}  // namespace

RowWalk::RowWalk(BookHandle& book) : book_(book), statement_(nullptr, sqlite3_finalize) {
    BookConnection& connection = book.connection();
    try {
        hasUids_ = hasContactUids(connection.db());
        const char* sql = kRowsWithoutUids;
        if (hasUids_) {
            SQLite::Statement syncCards(connection.db(), kHasSyncCards);
            bool synced = syncCards.executeStep() && syncCards.getColumn(0).getInt() == 1;
            if (synced) {
                SQLite::Statement syncedRows(connection.db(), kHasSyncedRows);
                synced = syncedRows.executeStep() && syncedRows.getColumn(0).getInt() == 1;
            }
            sql = synced ? kRowsWithServerUids : kRowsWithUids;
        }
        // The C API itself: a SQLite::Column object per value costs more than reading the value.
        sqlite3_stmt* prepared = nullptr;
        sqlite3* db = connection.db().getHandle();
        if (sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr) != SQLITE_OK) throw SQLite::Exception(db);
        statement_.reset(prepared);
    } catch (const SQLite::Exception& e) {
        throw connection.tableFailure("Cannot read the book " + book.path().string(), e);
    }
}

RowWalk::~RowWalk() = default;

std::uint64_t RowWalk::count() {
    try {
        SQLite::Statement count(book_.connection().db(), kRowCount);
        return count.executeStep() ? static_cast<std::uint64_t>(count.getColumn(0).getInt64()) : 0;
    } catch (const SQLite::Exception& e) {
        throw book_.connection().tableFailure("Cannot read the book " + book_.path().string(), e);
    }
}

bool RowWalk::next() {
    sqlite3_stmt* statement = statement_.get();
    const int stepped = sqlite3_step(statement);
    if (stepped == SQLITE_ROW) {
        for (int i = 0; i < static_cast<int>(kColumnCount); ++i) {
            row_[static_cast<std::size_t>(i)] = textAt(statement, i);
        }
        uid_ = textAt(statement, kUidColumn);
        return true;
    }
    if (stepped == SQLITE_DONE) return false;
    BookConnection& connection = book_.connection();
    throw connection.tableFailure("Cannot read the book " + book_.path().string(),
                                  SQLite::Exception(connection.db().getHandle(), stepped));
}

}  // namespace korvale
