#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>

#include "store/StoreError.h"

struct sqlite3;

namespace korvale {

// One SQLite connection to a book, shared by the Database that opened it and every record set opened
// through it, so that a record set outlives the Database object it came from. Internal to the store.
class BookConnection {
public:
    enum class Access { ReadWrite, ReadOnly };

    // Opens an existing book without ever creating it, reads its schema so that a file that is not a
    // book fails here, and (read-write) makes every commit durable before it returns. Read-only opens a
    // book this program may only read as well, and writes nothing beside it (readOnlyFallback).
    static std::shared_ptr<BookConnection> open(const std::filesystem::path& file,
                                                std::chrono::milliseconds busyTimeout,
                                                Access access = Access::ReadWrite);

    const std::filesystem::path& path() const { return path_; }
    SQLite::Database& db() { return db_; }

    // Fails, before any write, when the opened file no longer has the book's name: deleted or moved.
    void requireStillThere();

    // The StoreError for an engine failure while doing `what` ("Cannot store the new record"): a lock
    // held by someone else reads as a busy book, anything else keeps the engine's own reason and code.
    StoreError failure(std::string_view what, const SQLite::Exception& e) const;

    // The StoreError for a statement on CLIENT_RECORDS that the engine refused, at prepare or (when the
    // table changed under a prepared statement) at step: names the missing table or the first missing
    // column when that is the cause, and is failure(what, e) otherwise.
    StoreError tableFailure(std::string_view what, const SQLite::Exception& e);

    // Runs `work` on the book; an engine failure comes out as failure(what, e), so that nothing but a
    // StoreError leaves the store.
    template <typename Work>
    decltype(auto) guarded(std::string_view what, Work&& work) {
        try {
            return work();
        } catch (const SQLite::Exception& e) {
            throw failure(what, e);
        }
    }

    BookConnection(const BookConnection&) = delete;
    BookConnection& operator=(const BookConnection&) = delete;

private:
    BookConnection(std::filesystem::path file, SQLite::Database db);

    std::filesystem::path path_;
    SQLite::Database db_;
};

// "(reason, code N)" wording shared by every engine failure message; given the connection, an I/O error
// also names the system's reason ("File too large").
std::string engineReason(const SQLite::Exception& e);
std::string engineReason(const SQLite::Exception& e, sqlite3* db);
// A write past the process's file-size limit (ulimit -f) raises SIGXFSZ, which ends the program without a
// word. Ignored, the write fails with EFBIG instead, and is reported like a full disk. Once per process.
void ignoreFileSizeSignal();

// The code a StoreError carries for an engine failure: the extended code where the engine gave one.
int engineCode(const SQLite::Exception& e);

}  // namespace korvale
