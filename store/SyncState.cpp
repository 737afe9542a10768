#include "store/SyncState.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "store/BookConnection.h"
#include "store/Statements.h"
#include "store/SyncAccount.h"

namespace korvale {

namespace {

constexpr const char* kCreateServer =
    "CREATE TABLE IF NOT EXISTS SYNC_SERVER (id INTEGER PRIMARY KEY CHECK (id = 1), url TEXT NOT NULL, "
    "collection TEXT NOT NULL, token TEXT, user TEXT)";
constexpr const char* kCreateCards =
    "CREATE TABLE IF NOT EXISTS SYNC_CARDS (href TEXT PRIMARY KEY, row_id INTEGER UNIQUE, etag TEXT, "
    "digest TEXT NOT NULL, uid TEXT NOT NULL, card BLOB, unreadable TEXT)";
// Books whose SYNC_CARDS predates the last card and the unreadable mark get both columns.
constexpr const char* kHasColumn = "SELECT count(*) FROM pragma_table_info('SYNC_CARDS') WHERE name = ?1";
constexpr const char* kAddCardColumn = "ALTER TABLE SYNC_CARDS ADD COLUMN card BLOB";
constexpr const char* kAddUnreadableColumn = "ALTER TABLE SYNC_CARDS ADD COLUMN unreadable TEXT";
constexpr const char* kDetachDeleted =
    "CREATE TRIGGER IF NOT EXISTS SYNC_CARDS_detach AFTER DELETE ON CLIENT_RECORDS "
    "BEGIN UPDATE SYNC_CARDS SET row_id = NULL WHERE row_id = OLD.rowid; END";
constexpr const char* kSyncParts =
    "SELECT (SELECT count(*) FROM sqlite_master WHERE (type = 'table' AND name IN ('SYNC_SERVER', "
    "'SYNC_CARDS')) OR (type = 'trigger' AND name = 'SYNC_CARDS_detach')) + (SELECT count(*) FROM "
    "pragma_table_info('SYNC_CARDS') WHERE name IN ('card', 'unreadable'))";
constexpr int kSyncPartCount = 5;

constexpr const char* kRow =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY FROM CLIENT_RECORDS "
    "WHERE rowid = ?1";
constexpr const char* kRowsWithIds =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS";
// Work is a card waiting to go out, detached from its row or waiting to be read again, a card whose row
// changed, or a row without a card. With every card on a row of its own (row_id is unique), the last is a
// count that differs.
constexpr const char* kLocalWork =
    "SELECT EXISTS (SELECT 1 FROM SYNC_CARDS WHERE row_id IS NULL OR etag IS NULL OR unreadable IS NOT NULL) "
    "OR (SELECT count(*) FROM SYNC_CARDS) != (SELECT count(*) FROM CLIENT_RECORDS) OR EXISTS (SELECT 1 FROM "
    "SYNC_CARDS AS c LEFT JOIN CLIENT_RECORDS AS r ON r.rowid = c.row_id WHERE r.rowid IS NULL OR c.digest "
    "IS NOT korvale_digest(r.Name, r.address, r.email_id, r.dob, r.H_PHONE, r.W_PHONE, r.cell_no, "
    "r.remarks, r.CATEGORY))";
constexpr const char* kDetachGone =
    "UPDATE SYNC_CARDS SET row_id = NULL WHERE row_id IS NOT NULL AND row_id NOT IN "
    "(SELECT rowid FROM CLIENT_RECORDS)";
constexpr const char* kMapBook = "PRAGMA mmap_size = 1073741824";
constexpr const char* kCards = "SELECT href, row_id, etag, digest, uid, unreadable FROM SYNC_CARDS";
constexpr const char* kLastCard = "SELECT card FROM SYNC_CARDS WHERE href = ?1";
// The last card stays as it was unless a new one is given.
constexpr const char* kKeepCard =
    "INSERT OR REPLACE INTO SYNC_CARDS (href, row_id, etag, digest, uid, unreadable, card) VALUES (?1, ?2, "
    "?3, ?4, ?5, ?6, coalesce(?7, (SELECT card FROM SYNC_CARDS WHERE href = ?1)))";
constexpr const char* kDropCard = "DELETE FROM SYNC_CARDS WHERE href = ?1";
constexpr const char* kRenameCard = "UPDATE OR REPLACE SYNC_CARDS SET href = ?2 WHERE href = ?1";
constexpr const char* kServer = "SELECT url, collection, token FROM SYNC_SERVER WHERE id = 1";
// An update of the row, not a replacement, so that the user recorded beside the server stays.
constexpr const char* kKeepServer =
    "INSERT INTO SYNC_SERVER (id, url, collection, token) VALUES (1, ?1, ?2, ?3) ON CONFLICT (id) DO UPDATE "
    "SET url = excluded.url, collection = excluded.collection, token = excluded.token";
constexpr int kRowidParam = static_cast<int>(kColumnCount) + 1;

bool hasColumn(SQLite::Database& db, const char* name) {
    SQLite::Statement query(db, kHasColumn);
    query.bind(1, name);
    return query.executeStep() && query.getColumn(0).getInt() > 0;
}

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

// korvale_digest(nine values): the SyncState's digest, for the check of local work.
void sqlDigest(sqlite3_context* context, int count, sqlite3_value** arguments) {
    std::array<std::string_view, kColumnCount> values;
    for (int i = 0; i < count && i < static_cast<int>(kColumnCount); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[i]));
        values[static_cast<std::size_t>(i)] =
            std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(arguments[i])));
    }
    const std::string digest = (*static_cast<SyncState::Digest*>(sqlite3_user_data(context)))(values);
    sqlite3_result_text(context, digest.data(), static_cast<int>(digest.size()), SQLITE_TRANSIENT);
}

}  // namespace

void addSyncState(SQLite::Database& db) {
    db.exec(kCreateServer);
    db.exec(kCreateCards);
    if (!hasColumn(db, "card")) db.exec(kAddCardColumn);
    if (!hasColumn(db, "unreadable")) db.exec(kAddUnreadableColumn);
    db.exec(kDetachDeleted);
    // A table made before the user was recorded gets its column.
    addSyncUserColumn(db);
}

bool hasSyncState(SQLite::Database& db) {
    SQLite::Statement parts(db, kSyncParts);
    return parts.executeStep() && parts.getColumn(0).getInt() == kSyncPartCount && hasSyncUserColumn(db);
}

SyncState::SyncState(const BookHandle& book, Digest digest) : SyncState(book.connection(), digest) {}

SyncState::SyncState(BookConnection& book, Digest digest)
    : book_(book), db_(book.db()), digest_(digest), failed_("Cannot sync the book " + book.path().string()) {
    book_.guarded(failed_, [&] {
        // The check for local work reads the whole book; mapped, its pages are neither copied nor cached.
        db_.exec(kMapBook);
        db_.createFunction("korvale_digest", static_cast<int>(kColumnCount), true, &digest_, sqlDigest);
    });
}

SyncState::~SyncState() = default;

std::string SyncState::digestOf(const ClientRecord& record) const {
    std::array<std::string_view, kColumnCount> values;
    for (std::size_t i = 0; i < kColumnCount; ++i) values[i] = record.values[i];
    return digest_(values);
}

BookHandle::Writing SyncState::begin() {
    return BookHandle::Writing(book_, "Cannot sync");
}

void SyncState::detachGone() {
    book_.guarded(failed_, [&] { db_.exec(kDetachGone); });
}

bool SyncState::hasLocalWork() {
    return book_.guarded(failed_, [&] {
        SQLite::Statement work(db_, kLocalWork);
        return work.executeStep() && work.getColumn(0).getInt() != 0;
    });
}

void SyncState::load() {
    rows_.clear();
    cards_.clear();
    book_.guarded(failed_, [&] {
        SQLite::Statement rows(db_, kRowsWithIds);
        std::array<std::string_view, kColumnCount> values;
        while (rows.executeStep()) {
            for (std::size_t i = 0; i < kColumnCount; ++i) {
                const SQLite::Column value = rows.getColumn(static_cast<int>(i) + 1);
                values[i] = std::string_view(value.getText(""), static_cast<std::size_t>(value.getBytes()));
            }
            rows_.emplace(rows.getColumn(0).getInt64(), digest_(values));
        }
        SQLite::Statement cards(db_, kCards);
        while (cards.executeStep()) {
            KnownCard card;
            if (!cards.getColumn(1).isNull()) card.row = cards.getColumn(1).getInt64();
            if (!cards.getColumn(2).isNull()) card.etag = cards.getColumn(2).getString();
            card.digest = cards.getColumn(3).getString();
            card.uid = cards.getColumn(4).getString();
            card.unreadable = cards.getColumn(5).getString();
            cards_.emplace(cards.getColumn(0).getString(), std::move(card));
        }
    });
}

SQLite::Statement& SyncState::prepared(const char* sql) {
    std::unique_ptr<SQLite::Statement>& statement = statements_[sql];
    if (!statement) {
        statement = std::make_unique<SQLite::Statement>(db_, sql);
    } else {
        statement->reset();
        statement->clearBindings();
    }
    return *statement;
}

std::int64_t SyncState::insertRow(const ClientRecord& record) {
    const std::int64_t row = book_.guarded(failed_, [&] {
        SQLite::Statement& insert = prepared(sql::kInsert);
        bindRecord(insert, record);
        insert.exec();
        return db_.getLastInsertRowid();
    });
    rows_[row] = digestOf(record);
    return row;
}

void SyncState::changeRow(std::int64_t row, const ClientRecord& record) {
    book_.guarded(failed_, [&] {
        SQLite::Statement& change = prepared(sql::kChange);
        bindRecord(change, record);
        change.bind(kRowidParam, row);
        change.exec();
    });
    rows_[row] = digestOf(record);
}

ClientRecord SyncState::record(std::int64_t row) {
    return book_.guarded(failed_, [&] {
        SQLite::Statement& query = prepared(kRow);
        query.bind(1, row);
        ClientRecord found;
        if (query.executeStep()) {
            for (std::size_t i = 0; i < kColumnCount; ++i)
                found.values[i] = query.getColumn(static_cast<int>(i)).getString();
        }
        query.reset();
        return found;
    });
}

std::string SyncState::lastCard(const std::string& href) {
    return book_.guarded(failed_, [&] {
        SQLite::Statement& query = prepared(kLastCard);
        query.bind(1, href);
        std::string card = query.executeStep() ? query.getColumn(0).getString() : std::string();
        query.reset();
        return card;
    });
}

void SyncState::deleteRow(std::int64_t row) {
    book_.guarded(failed_, [&] {
        SQLite::Statement& remove = prepared(sql::kRemove);
        remove.bind(kRowidParam, row);
        remove.exec();
    });
    // The trigger detaches the row's card in the book; the caller drops or keeps the card in turn.
    rows_.erase(row);
}

void SyncState::keepCard(const std::string& href, const KnownCard& card, const std::string* body) {
    book_.guarded(failed_, [&] {
        SQLite::Statement& keep = prepared(kKeepCard);
        keep.bind(1, href);
        bindOptional(keep, 2, card.row);
        bindOptional(keep, 3, card.etag);
        keep.bind(4, card.digest);
        keep.bind(5, card.uid);
        bindOptional(keep, 6, card.unreadable.empty() ? std::nullopt : std::optional(card.unreadable));
        if (body) {
            keep.bind(7, body->data(), static_cast<int>(body->size()));
        } else {
            keep.bind(7);
        }
        keep.exec();
    });
    cards_[href] = card;
}

void SyncState::dropCard(const std::string& href) {
    book_.guarded(failed_, [&] {
        SQLite::Statement& drop = prepared(kDropCard);
        drop.bind(1, href);
        drop.exec();
    });
    cards_.erase(href);
}

void SyncState::renameCard(const std::string& from, const std::string& href) {
    book_.guarded(failed_, [&] {
        SQLite::Statement rename(db_, kRenameCard);
        rename.bind(1, from);
        rename.bind(2, href);
        rename.exec();
    });
    auto found = cards_.extract(from);
    if (!found.empty()) {
        found.key() = href;
        cards_.insert_or_assign(href, std::move(found.mapped()));
    }
}

std::int64_t SyncState::lastVersion() {
    return book_.guarded(failed_, [&] {
        SQLite::Statement last(db_, sql::kLastVersion);
        return last.executeStep() ? last.getColumn(0).getInt64() : std::int64_t{0};
    });
}

std::optional<SyncState::Server> SyncState::server() {
    return book_.guarded(failed_, [&]() -> std::optional<Server> {
        SQLite::Statement query(db_, kServer);
        if (!query.executeStep()) return std::nullopt;
        Server found{query.getColumn(0).getString(), query.getColumn(1).getString(), std::nullopt};
        if (!query.getColumn(2).isNull()) found.token = query.getColumn(2).getString();
        return found;
    });
}

void SyncState::keepServer(const Server& server) {
    BookHandle::Writing writing = begin();
    book_.guarded("Cannot keep the server in the book " + book_.path().string(), [&] {
        SQLite::Statement keep(db_, kKeepServer);
        keep.bind(1, server.url);
        keep.bind(2, server.collection);
        bindOptional(keep, 3, server.token);
        keep.exec();
    });
    writing.commit();
}

void SyncState::keepSyncUser(const std::string& user) {
    BookHandle::Writing writing = begin();
    book_.guarded("Cannot keep the user in the book " + book_.path().string(),
                  [&] { korvale::keepSyncUser(db_, user); });
    writing.commit();
}

}  // namespace korvale
