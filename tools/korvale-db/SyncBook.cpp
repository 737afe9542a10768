#include "tools/korvale-db/SyncBook.h"

#include <QCryptographicHash>

#include <charconv>

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "store/Statements.h"

namespace korvale::tool {

namespace {

constexpr const char* kRow =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY FROM CLIENT_RECORDS "
    "WHERE rowid = ?1";
constexpr const char* kRowsWithIds =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS";
constexpr const char* kDetachGone =
    "UPDATE SYNC_CARDS SET row_id = NULL WHERE row_id IS NOT NULL AND row_id NOT IN "
    "(SELECT rowid FROM CLIENT_RECORDS)";
// korvale_digest(nine values) is digestOf, made known to SQLite by the SyncBook.
// Work is a card waiting to go out or detached from its row, a card whose row has gone or changed, or a row
// without a card. With every card on a row of its own (row_id is unique), the last is a count that
// differs.
constexpr const char* kLocalWork =
    "SELECT EXISTS (SELECT 1 FROM SYNC_CARDS WHERE row_id IS NULL OR etag IS NULL) OR (SELECT count(*) FROM "
    "SYNC_CARDS) != (SELECT count(*) FROM CLIENT_RECORDS) OR EXISTS (SELECT 1 FROM SYNC_CARDS AS c LEFT JOIN "
    "CLIENT_RECORDS AS r ON r.rowid = c.row_id WHERE r.rowid IS NULL OR c.digest IS NOT "
    "korvale_digest(r.Name, "
    "r.address, r.email_id, r.dob, r.H_PHONE, r.W_PHONE, r.cell_no, r.remarks, r.CATEGORY))";
constexpr const char* kMapBook = "PRAGMA mmap_size = 1073741824";
constexpr const char* kCards = "SELECT href, row_id, etag, digest, uid FROM SYNC_CARDS";
constexpr const char* kKeepCard =
    "INSERT OR REPLACE INTO SYNC_CARDS (href, row_id, etag, digest, uid) VALUES (?1, ?2, ?3, ?4, ?5)";
constexpr const char* kDropCard = "DELETE FROM SYNC_CARDS WHERE href = ?1";
constexpr const char* kLastVersion = "SELECT coalesce(max(version), 0) FROM CLIENT_RECORDS_HISTORY";
constexpr const char* kServer = "SELECT url, collection, token FROM SYNC_SERVER WHERE id = 1";
// An update of the row, not a replacement, so that the user recorded beside the server stays.
constexpr const char* kKeepServer =
    "INSERT INTO SYNC_SERVER (id, url, collection, token) VALUES (1, ?1, ?2, ?3) ON CONFLICT (id) DO UPDATE "
    "SET url = excluded.url, collection = excluded.collection, token = excluded.token";
constexpr int kRowidParam = static_cast<int>(kColumnCount) + 1;

void bindRecord(SQLite::Statement& statement, const ClientRecord& record) {
    for (std::size_t i = 0; i < kColumnCount; ++i) statement.bind(static_cast<int>(i) + 1, record.values[i]);
}

template <typename T>
void bindOptional(SQLite::Statement& statement, int at, const std::optional<T>& value) {
    if (value) {
        statement.bind(at, *value);
    } else {
        statement.bind(at);
    }
}

}  // namespace

std::string digestOf(const std::array<std::string_view, kColumnCount>& values) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const std::string_view value : values) {
        // Each value after its length, so that no two rows give the same bytes.
        char length[24];
        const auto end = std::to_chars(length, length + sizeof length - 1, value.size()).ptr;
        *end = ':';
        hash.addData(QByteArrayView(length, end + 1 - length));
        hash.addData(QByteArrayView(value.data(), static_cast<qsizetype>(value.size())));
    }
    constexpr char kHex[] = "0123456789abcdef";
    std::string digest;
    for (const char byte : hash.resultView()) {
        digest += kHex[(static_cast<unsigned char>(byte) >> 4) & 0xF];
        digest += kHex[static_cast<unsigned char>(byte) & 0xF];
    }
    return digest;
}

std::string digestOf(const ClientRecord& record) {
    std::array<std::string_view, kColumnCount> values;
    for (std::size_t i = 0; i < kColumnCount; ++i) values[i] = record.values[i];
    return digestOf(values);
}

namespace {

void sqlDigest(sqlite3_context* context, int count, sqlite3_value** arguments) {
    std::array<std::string_view, kColumnCount> values;
    for (int i = 0; i < count && i < static_cast<int>(kColumnCount); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[i]));
        values[static_cast<std::size_t>(i)] =
            std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(arguments[i])));
    }
    const std::string digest = digestOf(values);
    sqlite3_result_text(context, digest.data(), static_cast<int>(digest.size()), SQLITE_TRANSIENT);
}

}  // namespace

SyncBook::SyncBook(SQLite::Database& db) : db_(db) {
    // The check for local work reads the whole book; mapped, its pages are neither copied nor cached.
    db_.exec(kMapBook);
    db_.createFunction("korvale_digest", static_cast<int>(kColumnCount), true, nullptr, sqlDigest);
}

void SyncBook::detachGone() {
    db_.exec(kDetachGone);
}

bool SyncBook::hasLocalWork() {
    SQLite::Statement work(db_, kLocalWork);
    return work.executeStep() && work.getColumn(0).getInt() != 0;
}

void SyncBook::load() {
    rows_.clear();
    cards_.clear();
    SQLite::Statement rows(db_, kRowsWithIds);
    std::array<std::string_view, kColumnCount> values;
    while (rows.executeStep()) {
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            const SQLite::Column value = rows.getColumn(static_cast<int>(i) + 1);
            values[i] = std::string_view(value.getText(""), static_cast<std::size_t>(value.getBytes()));
        }
        rows_.emplace(rows.getColumn(0).getInt64(), digestOf(values));
    }
    SQLite::Statement cards(db_, kCards);
    while (cards.executeStep()) {
        KnownCard card;
        if (!cards.getColumn(1).isNull()) card.row = cards.getColumn(1).getInt64();
        if (!cards.getColumn(2).isNull()) card.etag = cards.getColumn(2).getString();
        card.digest = cards.getColumn(3).getString();
        card.uid = cards.getColumn(4).getString();
        cards_.emplace(cards.getColumn(0).getString(), std::move(card));
    }
}

SQLite::Statement& SyncBook::prepared(const char* sql) {
    std::unique_ptr<SQLite::Statement>& statement = statements_[sql];
    if (!statement) {
        statement = std::make_unique<SQLite::Statement>(db_, sql);
    } else {
        statement->reset();
        statement->clearBindings();
    }
    return *statement;
}

std::int64_t SyncBook::insertRow(const ClientRecord& record) {
    SQLite::Statement& insert = prepared(sql::kInsert);
    bindRecord(insert, record);
    insert.exec();
    const std::int64_t row = db_.getLastInsertRowid();
    rows_[row] = digestOf(record);
    return row;
}

void SyncBook::changeRow(std::int64_t row, const ClientRecord& record) {
    SQLite::Statement& change = prepared(sql::kChange);
    bindRecord(change, record);
    change.bind(kRowidParam, row);
    change.exec();
    rows_[row] = digestOf(record);
}

ClientRecord SyncBook::record(std::int64_t row) {
    SQLite::Statement& query = prepared(kRow);
    query.bind(1, row);
    ClientRecord found;
    if (query.executeStep()) {
        for (std::size_t i = 0; i < kColumnCount; ++i)
            found.values[i] = query.getColumn(static_cast<int>(i)).getString();
    }
    query.reset();
    return found;
}

void SyncBook::deleteRow(std::int64_t row) {
    SQLite::Statement& remove = prepared(sql::kRemove);
    remove.bind(kRowidParam, row);
    remove.exec();
    rows_.erase(row);
}

void SyncBook::keepCard(const std::string& href, const KnownCard& card) {
    SQLite::Statement& keep = prepared(kKeepCard);
    keep.bind(1, href);
    bindOptional(keep, 2, card.row);
    bindOptional(keep, 3, card.etag);
    keep.bind(4, card.digest);
    keep.bind(5, card.uid);
    keep.exec();
    cards_[href] = card;
}

void SyncBook::dropCard(const std::string& href) {
    SQLite::Statement& drop = prepared(kDropCard);
    drop.bind(1, href);
    drop.exec();
    cards_.erase(href);
}

std::int64_t SyncBook::lastVersion() {
    SQLite::Statement last(db_, kLastVersion);
    return last.executeStep() ? last.getColumn(0).getInt64() : 0;
}

std::optional<SyncBook::Server> SyncBook::server() {
    SQLite::Statement query(db_, kServer);
    if (!query.executeStep()) return std::nullopt;
    Server found{query.getColumn(0).getString(), query.getColumn(1).getString(), std::nullopt};
    if (!query.getColumn(2).isNull()) found.token = query.getColumn(2).getString();
    return found;
}

void SyncBook::keepServer(const Server& server) {
    SQLite::Statement keep(db_, kKeepServer);
    keep.bind(1, server.url);
    keep.bind(2, server.collection);
    bindOptional(keep, 3, server.token);
    keep.exec();
}

}  // namespace korvale::tool
