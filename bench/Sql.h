#pragma once

// The floors' SQLite: the C API on a connection set up like the store's, with the store's own SQL texts.

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/ClientStore.h"

namespace bench {

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;

[[noreturn]] inline void fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error("SQLite: " + what + ": " + sqlite3_errmsg(db));
}

inline void exec(const Db& db, const char* sql) {
    if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db.get(), sql);
}

// DIR/KORVALE.mdb opened read-write, never created, with a 5 s busy timeout and synchronous FULL.
inline Db connect(const std::filesystem::path& dir) {
    const std::filesystem::path file = korvale::ClientStore::bookPath(dir);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db db(raw, &sqlite3_close_v2);
    if (rc != SQLITE_OK) fail(raw, "open " + file.string());
    sqlite3_busy_timeout(raw, 5000);
    exec(db, "PRAGMA synchronous = FULL");
    return db;
}

class Statement {
public:
    Statement(const Db& db, const char* sql) : db_(db.get()) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr) != SQLITE_OK) fail(db_, sql);
        stmt_.reset(raw);
    }
    // Not copied: the text must outlive the step that reads it.
    void bind(int index, std::string_view text) {
        sqlite3_bind_text(stmt_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
    void bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_.get(), index, value); }
    // The nine columns as ?1 to ?9, in the table's order.
    void bind(const korvale::ClientRecord& record) {
        for (int c = 0; c < static_cast<int>(korvale::kColumnCount); ++c) bind(c + 1, record.values[c]);
    }
    // True when a row came; ready to run again once done.
    bool step() {
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW) return true;
        sqlite3_reset(stmt_.get());
        if (rc != SQLITE_DONE) fail(db_, "step");
        return false;
    }
    // A column's text, valid until the next step; or a copy, as the store hands its fields out.
    std::string_view view(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), column));
        if (!data) fail(db_, "a null where text was expected");
        return {data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_.get(), column))};
    }
    std::string text(int column) const { return std::string(view(column)); }
    // The nine columns from `first` on, copied as the store copies them.
    void readAll(int first) const {
        for (int c = first; c < first + static_cast<int>(korvale::kColumnCount); ++c) text(c);
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

private:
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt_{nullptr, &sqlite3_finalize};
};

}  // namespace bench
