#include "store/ImportRows.h"

#include <SQLiteCpp/Statement.h>

#include "store/BookConnection.h"
#include "store/BookHandle.h"
#include "store/RowCodec.h"
#include "store/Statements.h"

namespace korvale {

namespace {

// The rows stored before the import began (rowid up to ?10) under a name.
constexpr const char* kEarlierOfName =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY FROM CLIENT_RECORDS "
    "WHERE Name = ?1 AND rowid <= ?10";
constexpr const char* kLastRowid = "SELECT coalesce(max(rowid), 0) FROM CLIENT_RECORDS";
// One transaction adds every contact: with the engine's default 2 MB of page cache, a large file would
// spill the Name index's pages to the journal and read them back again and again.
constexpr const char* kImportCache = "PRAGMA cache_size = -131072";

}  // namespace

struct ImportRows::Statements {
    explicit Statements(SQLite::Database& db) : insert(db, sql::kInsert), earlier(db, kEarlierOfName) {}
    SQLite::Statement insert;
    SQLite::Statement earlier;
};

ImportRows::ImportRows(BookHandle& book) : book_(book) {
    BookConnection& connection = book.connection();
    try {
        connection.db().exec(kImportCache);
        statements_ = std::make_unique<Statements>(connection.db());
        SQLite::Statement last(connection.db(), kLastRowid);
        lastEarlier_ = last.executeStep() ? last.getColumn(0).getInt64() : 0;
    } catch (const SQLite::Exception& e) {
        throw connection.tableFailure(
            "Cannot import into the book " + book.path().string() + "; nothing was added", e);
    }
}

ImportRows::~ImportRows() = default;

ImportRows::Earlier ImportRows::earlier(const ClientRecord& record) {
    if (lastEarlier_ == 0) return Earlier::None;
    SQLite::Statement& earlier = statements_->earlier;
    Earlier found = Earlier::None;
    try {
        earlier.bind(1, record[Column::Name]);
        earlier.bind(codec::kRowidParam, lastEarlier_);
        while (found != Earlier::SameValues && earlier.executeStep()) {
            found = codec::readRecord(earlier, 0) == record ? Earlier::SameValues : Earlier::SameName;
        }
        earlier.reset();
    } catch (const SQLite::Exception& e) {
        earlier.tryReset();
        throw book_.connection().tableFailure(
            "Cannot import into the book " + book_.path().string() + "; nothing was added", e);
    }
    return found;
}

void ImportRows::insert(const ClientRecord& record) {
    SQLite::Statement& insert = statements_->insert;
    try {
        codec::bindRecord(insert, record);
        insert.exec();
        insert.reset();
    } catch (const SQLite::Exception& e) {
        insert.tryReset();
        throw book_.connection().tableFailure(
            "Cannot import into the book " + book_.path().string() + "; nothing was added", e);
    }
}

}  // namespace korvale
