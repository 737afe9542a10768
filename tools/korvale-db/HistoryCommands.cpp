#include "tools/korvale-db/HistoryCommands.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

#include <SQLiteCpp/Statement.h>

#include "store/BookHistory.h"
#include "store/ClientRecord.h"
#include "store/Statements.h"
#include "store/StoreError.h"
#include "tools/korvale-db/Printable.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

namespace {

// Versions list their nine columns last, in kColumnNames order, after these four.
constexpr int kFirstValue = 4;

// With ?1 null every version; otherwise those that held the name, and those kept since the last delete
// of a row that holds the name now (a rowid freed by a delete may be given to another contact).
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
constexpr const char* kLastVersion = "SELECT coalesce(max(version), 0) FROM CLIENT_RECORDS_HISTORY";
constexpr const char* kMarkRestore = "UPDATE CLIENT_RECORDS_HISTORY SET event = 'restore' WHERE version = ?1";
constexpr const char* kForgetRows = "DELETE FROM CLIENT_RECORDS WHERE Name = ?1";
constexpr const char* kForgetVersions = "DELETE FROM CLIENT_RECORDS_HISTORY WHERE Name = ?1";
constexpr const char* kSecureDelete = "PRAGMA secure_delete = ON";
constexpr const char* kVacuum = "VACUUM";
constexpr const char* kTruncateJournal = "PRAGMA wal_checkpoint(TRUNCATE)";
constexpr int kRowidParam = static_cast<int>(kColumnCount) + 1;

std::string eventText(const std::string& event) {
    if (event == "change") return "changed";
    if (event == "delete") return "deleted";
    if (event == "restore") return "replaced by a restore";
    return event;
}

void printVersion(std::ostream& out, SQLite::Statement& version) {
    out << "version " << version.getColumn(0).getInt64() << " (row " << version.getColumn(1).getInt64()
        << ", " << eventText(version.getColumn(2).getString()) << ' ' << version.getColumn(3).getString()
        << " UTC), it held:\n";
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const SQLite::Column value = version.getColumn(kFirstValue + static_cast<int>(i));
        std::string text = value.isNull() ? "(null)" : printable(value.getString(), LineBreaks::Kept);
        // Later lines of a value stand under its first.
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
            text.insert(at + 1, std::string(kColumnNames[i].size() + 4, ' '));
        }
        out << "  " << kColumnNames[i] << ": " << text << '\n';
    }
}

std::int64_t versionNumber(const std::string& text) {
    std::size_t used = 0;
    try {
        const long long number = std::stoll(text, &used);
        if (used == text.size() && number > 0) return number;
    } catch (const std::logic_error&) {
    }
    throw UsageError("restore takes a version number as history lists it, not " + text);
}

std::int64_t singleNumber(SQLite::Database& db, const char* sql) {
    SQLite::Statement query(db, sql);
    return query.executeStep() ? query.getColumn(0).getInt64() : 0;
}

}  // namespace

int showHistory(const CommandLine& line) {
    const auto book = openBook(line.book.dir);
    requireHistory(*book);
    try {
        SQLite::Statement versions(book->db(), kVersions);
        if (!line.operands.empty()) versions.bind(1, line.operands.front());
        std::size_t count = 0;
        while (versions.executeStep()) {
            printVersion(std::cout, versions);
            ++count;
        }
        if (count == 0) {
            std::cout << "No kept versions" << (line.operands.empty() ? "" : " of " + line.operands.front())
                      << ".\n";
        }
    } catch (const SQLite::Exception& e) {
        throw book->failure("Cannot read the history of the book " + book->path().string(), e);
    }
    return EXIT_SUCCESS;
}

int restoreVersion(const CommandLine& line) {
    const std::int64_t id = versionNumber(line.operands.front());
    const auto book = openBook(line.book.dir);
    requireHistory(*book);
    SQLite::Transaction transaction = beginWriting(*book, "Cannot restore");
    try {
        SQLite::Database& db = book->db();
        SQLite::Statement version(db, kVersion);
        version.bind(1, id);
        if (!version.executeStep()) throw StoreError("The book holds no version " + std::to_string(id));
        const std::int64_t row = version.getColumn(1).getInt64();

        SQLite::Statement there(db, kRowStillThere);
        there.bind(1, row);
        there.bind(2, id);
        const bool stillThere = there.executeStep() && there.getColumn(0).getInt() == 1;

        SQLite::Statement write(db, stillThere ? sql::kChange : sql::kInsert);
        for (int i = 0; i < static_cast<int>(kColumnCount); ++i) {
            const SQLite::Column value = version.getColumn(kFirstValue + i);
            if (value.isNull()) {
                write.bind(i + 1);
            } else {
                write.bind(i + 1, value.getString());
            }
        }
        if (stillThere) write.bind(kRowidParam, row);
        const std::int64_t lastBefore = singleNumber(db, kLastVersion);
        write.exec();
        const std::int64_t kept = singleNumber(db, kLastVersion);
        if (kept != lastBefore) {
            SQLite::Statement mark(db, kMarkRestore);
            mark.bind(1, kept);
            mark.exec();
        }
        transaction.commit();

        if (!stillThere) {
            std::cout << "Version " << id << " came back as a new row " << db.getLastInsertRowid()
                      << "; the row it came from had been deleted.\n";
        } else if (kept == lastBefore) {
            std::cout << "Row " << row << " already holds version " << id << "; nothing was changed.\n";
        } else {
            std::cout << "Row " << row << " holds version " << id
                      << " again. The values it held until now are kept "
                      << "as version " << kept << ": korvale-db restore " << line.book.dir.string() << ' '
                      << kept << " undoes this.\n";
        }
    } catch (const SQLite::Exception& e) {
        throw book->tableFailure(
            "Cannot restore version " + std::to_string(id) + " in the book " + book->path().string(), e);
    }
    return EXIT_SUCCESS;
}

int forgetName(const CommandLine& line) {
    const std::string& name = line.operands.front();
    const auto book = openBook(line.book.dir);
    SQLite::Database& db = book->db();
    int rows = 0;
    int versions = 0;
    try {
        // Deleted cells are overwritten with zeros rather than left in free space.
        db.exec(kSecureDelete);
        SQLite::Transaction transaction = beginWriting(*book, "Cannot forget " + name);
        SQLite::Statement forgetRows(db, kForgetRows);
        forgetRows.bind(1, name);
        rows = forgetRows.exec();
        // After the rows: deleting them has just kept them as versions.
        if (hasHistory(db)) {
            SQLite::Statement forgetVersions(db, kForgetVersions);
            forgetVersions.bind(1, name);
            versions = forgetVersions.exec();
        }
        transaction.commit();
        // Changes and deletes made before, with secure_delete off, may have left the name's old values in
        // free space: VACUUM writes the book afresh (keeping rowids, as CLIENT_RECORDS has an index), and
        // the truncating checkpoint empties the journal that held the old pages.
        db.exec(kVacuum);
    } catch (const SQLite::Exception& e) {
        throw book->tableFailure("Cannot forget " + name + " in the book " + book->path().string(), e);
    }
    SQLite::Statement checkpoint(db, kTruncateJournal);
    if (!checkpoint.executeStep() || checkpoint.getColumn(0).getInt() != 0) {
        throw StoreError(
            "Removed " + name + " from the book " + book->path().string() +
            ", but another program holds it open, so its journal " + book->path().string() +
            "-wal may still hold traces; run forget again once that program has closed the book");
    }
    std::cout << "Forgot " << name << ": " << rows << (rows == 1 ? " row" : " rows") << " and " << versions
              << (versions == 1 ? " kept version" : " kept versions")
              << " removed; the book and its journal were rewritten without them.\n";
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
