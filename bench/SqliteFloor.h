#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "store/ClientRecord.h"

struct sqlite3;

namespace bench {

// What the engine itself needs for each store operation: the same statements straight through the
// SQLite C API on a connection set up like the store's (read-write, never created, 5 s busy timeout,
// synchronous FULL; the book is WAL already). Nothing is cached between operations beyond what the
// connection caches itself, as the store caches nothing either. Every failure throws.
class FloorConnection {
public:
    explicit FloorConnection(const std::filesystem::path& file);
    ~FloorConnection();
    FloorConnection(const FloorConnection&) = delete;
    FloorConnection& operator=(const FloorConnection&) = delete;

    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// The open of the addition and updation screens: connection, then the first row of the table.
std::unique_ptr<FloorConnection> floorOpenOnFirstRow(const std::filesystem::path& file);

// The open of the search and deletion screens: connection, then the Name of the last stored row and
// the check that no Name is null, the two seeks that stand for the load-time walk.
std::unique_ptr<FloorConnection> floorOpenAndFindLastName(const std::filesystem::path& file,
                                                          std::optional<std::string>& lastName);

// The first row of the name with its nine columns; nullopt when there is none.
std::optional<korvale::ClientRecord> floorLookUp(FloorConnection& db, const std::string& name);

// One durable statement each, in its own transaction, as the screens' writes are.
void floorAdd(FloorConnection& db, const korvale::ClientRecord& record);
// Finds the first row of the name, then rewrites its nine columns; false when there is none.
bool floorChange(FloorConnection& db, const std::string& name, const korvale::ClientRecord& record);
// Finds the first row of the name, then deletes it; false when there is none.
bool floorDelete(FloorConnection& db, const std::string& name);

// The book's journal mode as the engine reports it ("wal").
std::string journalMode(const std::filesystem::path& file);

}  // namespace bench
