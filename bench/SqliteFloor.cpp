#include "bench/SqliteFloor.h"

#include <cstdint>
#include <stdexcept>

#include <sqlite3.h>

#include "store/Statements.h"

namespace bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string("SQLite floor: ") + what + ": " + sqlite3_errmsg(db));
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) fail(db, sql);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const std::string& text) {
        if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC) !=
            SQLITE_OK) {
            fail(db_, "bind");
        }
    }
    void bind(int index, std::int64_t value) {
        if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_, "bind");
    }
    void bindRecord(const korvale::ClientRecord& record) {
        for (std::size_t c = 0; c < korvale::kColumnCount; ++c)
            bind(static_cast<int>(c + 1), record.values[c]);
    }
    // True when a row came.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(db_, "step");
    }
    std::string text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        if (data == nullptr) fail(db_, "a null where text was expected");
        return std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

korvale::ClientRecord readRecord(const Statement& row) {
    korvale::ClientRecord record;
    for (std::size_t c = 0; c < korvale::kColumnCount; ++c)
        record.values[c] = row.text(static_cast<int>(c + 1));
    return record;
}

std::optional<std::int64_t> firstRowidOf(FloorConnection& db, const std::string& name) {
    // The screens look the row up with all its columns before they change or delete it.
    Statement find(db.get(), korvale::sql::kFirstOfName);
    find.bind(1, name);
    if (!find.step()) return std::nullopt;
    readRecord(find);
    return find.integer(0);
}

}  // namespace

FloorConnection::FloorConnection(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close_v2(db_);
        throw std::runtime_error("SQLite floor: cannot open " + file.string() + ": " + why);
    }
    sqlite3_busy_timeout(db_, 5000);
    if (sqlite3_exec(db_, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string why = sqlite3_errmsg(db_);
        sqlite3_close_v2(db_);
        throw std::runtime_error("SQLite floor: synchronous: " + why);
    }
}

FloorConnection::~FloorConnection() {
    sqlite3_close_v2(db_);
}

std::unique_ptr<FloorConnection> floorOpenOnFirstRow(const std::filesystem::path& file) {
    auto db = std::make_unique<FloorConnection>(file);
    Statement first(db->get(), korvale::sql::kFirstOfTable);
    if (first.step()) readRecord(first);
    return db;
}

std::unique_ptr<FloorConnection> floorOpenAndFindLastName(const std::filesystem::path& file,
                                                          std::optional<std::string>& lastName) {
    auto db = std::make_unique<FloorConnection>(file);
    Statement anyNull(db->get(), korvale::sql::kAnyNullName);
    if (anyNull.step()) throw std::runtime_error("SQLite floor: a row has no Name");
    Statement last(db->get(), korvale::sql::kLastName);
    lastName = last.step() ? std::optional<std::string>(last.text(0)) : std::nullopt;
    return db;
}

std::optional<korvale::ClientRecord> floorLookUp(FloorConnection& db, const std::string& name) {
    Statement find(db.get(), korvale::sql::kFirstOfName);
    find.bind(1, name);
    if (!find.step()) return std::nullopt;
    return readRecord(find);
}

void floorAdd(FloorConnection& db, const korvale::ClientRecord& record) {
    Statement insert(db.get(), korvale::sql::kInsert);
    insert.bindRecord(record);
    insert.step();
}

bool floorChange(FloorConnection& db, const std::string& name, const korvale::ClientRecord& record) {
    const auto rowid = firstRowidOf(db, name);
    if (!rowid) return false;
    Statement change(db.get(), korvale::sql::kChange);
    change.bindRecord(record);
    change.bind(10, *rowid);
    change.step();
    return sqlite3_changes(db.get()) == 1;
}

bool floorDelete(FloorConnection& db, const std::string& name) {
    const auto rowid = firstRowidOf(db, name);
    if (!rowid) return false;
    Statement remove(db.get(), korvale::sql::kRemove);
    remove.bind(10, *rowid);
    remove.step();
    return sqlite3_changes(db.get()) == 1;
}

std::string journalMode(const std::filesystem::path& file) {
    FloorConnection db(file);
    Statement mode(db.get(), "PRAGMA journal_mode");
    return mode.step() ? mode.text(0) : std::string();
}

}  // namespace bench
