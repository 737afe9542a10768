#include "store/BookHistory.h"

#include <SQLiteCpp/Statement.h>

#include "store/BookConnection.h"
#include "store/BookHandle.h"
#include "store/HistorySchema.h"
#include "store/RowCodec.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace korvale {

namespace {

// Versions list their nine columns last, after these four.
constexpr int kFirstValue = 4;

// With ?1 null every version; otherwise those that held the name, and those kept since the last delete
// of a row that holds the name now.
constexpr const char* kVersions =
    "SELECT version, row_id, event, at, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, "
    "CATEGORY FROM CLIENT_RECORDS_HISTORY AS h WHERE ?1 IS NULL OR Name = ?1 OR (row_id IN "
    "(SELECT rowid FROM CLIENT_RECORDS WHERE Name = ?1) AND version > coalesce((SELECT max(version) FROM "
    "CLIENT_RECORDS_HISTORY WHERE row_id = h.row_id AND event = 'delete'), 0)) ORDER BY version";
constexpr const char* kVersion =
    "SELECT version, row_id, event, at, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, "
    "CATEGORY FROM CLIENT_RECORDS_HISTORY WHERE version = ?1";
// Whether the row a version came from is still there: its rowid is in use and was not freed by a
// delete since (the delete itself included).
constexpr const char* kRowStillThere =
    "SELECT EXISTS (SELECT 1 FROM CLIENT_RECORDS WHERE rowid = ?1) AND NOT EXISTS (SELECT 1 FROM "
    "CLIENT_RECORDS_HISTORY WHERE row_id = ?1 AND event = 'delete' AND version >= ?2)";
constexpr const char* kMarkRestore = "UPDATE CLIENT_RECORDS_HISTORY SET event = 'restore' WHERE version = ?1";
constexpr const char* kHasSyncCards =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'SYNC_CARDS'";
// The sync state keeps a digest of each card's values; an empty one reads as "values unknown". The
// cards of the rows that hold the name, and of the rows that held it (a row deleted in the book keeps
// its card until the next sync).
constexpr const char* kForgetDigests =
    "UPDATE SYNC_CARDS SET digest = '' WHERE digest != '' AND row_id IN (SELECT rowid FROM CLIENT_RECORDS "
    "WHERE Name = ?1)";
// A row deleted in the book since the last sync has its card detached at once (row_id NULL), so which
// of those cards held the name can no longer be told: all of them lose their digest, which costs at
// most a card that comes back instead of being deleted on the server.
constexpr const char* kForgetKeptDigests =
    "UPDATE SYNC_CARDS SET digest = '' WHERE digest != '' AND (row_id IS NULL OR row_id IN (SELECT row_id "
    "FROM CLIENT_RECORDS_HISTORY WHERE Name = ?1))";
constexpr const char* kForgetRows = "DELETE FROM CLIENT_RECORDS WHERE Name = ?1";
constexpr const char* kForgetVersions = "DELETE FROM CLIENT_RECORDS_HISTORY WHERE Name = ?1";
constexpr const char* kSecureDelete = "PRAGMA secure_delete = ON";
constexpr const char* kVacuum = "VACUUM";
constexpr const char* kTruncateJournal = "PRAGMA wal_checkpoint(TRUNCATE)";

std::int64_t singleNumber(SQLite::Database& db, const char* sql) {
    SQLite::Statement query(db, sql);
    return query.executeStep() ? query.getColumn(0).getInt64() : 0;
}

int runWithName(SQLite::Database& db, const char* sql, const std::string& name) {
    SQLite::Statement statement(db, sql);
    statement.bind(1, name);
    return statement.exec();
}

}  // namespace

std::vector<KeptVersion> BookHistory::versions(const std::optional<std::string>& name) {
    book_.requireHistory();
    BookConnection& connection = book_.connection();
    std::vector<KeptVersion> kept;
    try {
        SQLite::Statement versions(connection.db(), kVersions);
        if (name) versions.bind(1, *name);
        while (versions.executeStep()) {
            kept.push_back({versions.getColumn(0).getInt64(), versions.getColumn(1).getInt64(),
                            versions.getColumn(2).getString(), versions.getColumn(3).getString(),
                            codec::readValues(versions, kFirstValue)});
        }
    } catch (const SQLite::Exception& e) {
        throw connection.failure("Cannot read the history of the book " + book_.path().string(), e);
    }
    return kept;
}

Restored BookHistory::restore(std::int64_t id) {
    book_.requireHistory();
    BookHandle::Writing writing = book_.beginWriting("Cannot restore");
    BookConnection& connection = book_.connection();
    Restored restored;
    try {
        SQLite::Database& db = connection.db();
        SQLite::Statement version(db, kVersion);
        version.bind(1, id);
        if (!version.executeStep()) throw StoreError("The book holds no version " + std::to_string(id));
        restored.row = version.getColumn(1).getInt64();

        SQLite::Statement there(db, kRowStillThere);
        there.bind(1, restored.row);
        there.bind(2, id);
        const bool stillThere = there.executeStep() && there.getColumn(0).getInt() == 1;

        SQLite::Statement write(db, stillThere ? sql::kChange : sql::kInsert);
        codec::bindValues(write, codec::readValues(version, kFirstValue));
        if (stillThere) write.bind(codec::kRowidParam, restored.row);
        const std::int64_t lastBefore = singleNumber(db, sql::kLastVersion);
        write.exec();
        const std::int64_t kept = singleNumber(db, sql::kLastVersion);
        if (!stillThere) {
            restored.outcome = Restored::Outcome::NewRow;
            restored.row = db.getLastInsertRowid();
        } else if (kept != lastBefore) {
            SQLite::Statement mark(db, kMarkRestore);
            mark.bind(1, kept);
            mark.exec();
            restored.outcome = Restored::Outcome::Replaced;
            restored.keptAs = kept;
        }
        writing.commit();
    } catch (const SQLite::Exception& e) {
        throw connection.tableFailure(
            "Cannot restore version " + std::to_string(id) + " in the book " + book_.path().string(), e);
    }
    return restored;
}

Forgotten BookHistory::forget(const std::string& name) {
    BookConnection& connection = book_.connection();
    SQLite::Database& db = connection.db();
    const std::string bookText = book_.path().string();
    Forgotten forgotten;
    try {
        // Deleted cells are overwritten with zeros rather than left in free space.
        db.exec(kSecureDelete);
        BookHandle::Writing writing = book_.beginWriting("Cannot forget " + name);
        // Before the rows, while they still say which cards held them.
        const bool history = hasHistory(db);
        if (singleNumber(db, kHasSyncCards) == 1) {
            forgotten.digests = runWithName(db, kForgetDigests, name);
            if (history) forgotten.digests += runWithName(db, kForgetKeptDigests, name);
        }
        forgotten.rows = runWithName(db, kForgetRows, name);
        // After the rows: deleting them has just kept them as versions.
        if (history) forgotten.versions = runWithName(db, kForgetVersions, name);
        writing.commit();
        // Changes and deletes made before, with secure_delete off, may have left the name's old values in
        // free space: VACUUM writes the book afresh (keeping rowids, as CLIENT_RECORDS has an index), and
        // the truncating checkpoint empties the journal that held the old pages.
        db.exec(kVacuum);
    } catch (const SQLite::Exception& e) {
        throw connection.tableFailure("Cannot forget " + name + " in the book " + bookText, e);
    }
    const bool emptied = connection.guarded("Cannot empty the journal of the book " + bookText, [&] {
        SQLite::Statement checkpoint(db, kTruncateJournal);
        return checkpoint.executeStep() && checkpoint.getColumn(0).getInt() == 0;
    });
    if (!emptied) {
        throw StoreError(
            "Removed " + name + " from the book " + bookText +
            ", but another program holds it open, so its journal " + bookText +
            "-wal may still hold traces; run forget again once that program has closed the book");
    }
    return forgotten;
}

}  // namespace korvale
