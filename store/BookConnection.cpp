#include "store/BookConnection.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>
#include <unistd.h>

#include "store/ClientRecord.h"

namespace korvale {

namespace {

int primaryCode(const SQLite::Exception& e) {
    return e.getErrorCode() & 0xff;
}

bool isLockedOut(const SQLite::Exception& e) {
    const int code = primaryCode(e);
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

std::string cannotOpen(const std::filesystem::path& file, const std::string& why) {
    return "Cannot open the book " + file.string() + ": " + why;
}

// Checked before the engine sees the path: the engine's own "unable to open database file" says
// nothing of which of these it was, and opening a FIFO would hang the screen.
void refuseNonFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw StoreError(cannotOpen(file, "the file does not exist"), SQLITE_CANTOPEN);
    }
    if (ec) {
        throw StoreError(cannotOpen(file, ec.message()), SQLITE_CANTOPEN);
    }
    if (status.type() == std::filesystem::file_type::directory) {
        throw StoreError(cannotOpen(file, "it is a directory, not a file"), SQLITE_CANTOPEN);
    }
    if (status.type() != std::filesystem::file_type::regular) {
        throw StoreError(cannotOpen(file, "it is not a regular file"), SQLITE_CANTOPEN);
    }
}

StoreError openFailure(const std::filesystem::path& file, const SQLite::Exception& e) {
    if (::access(file.c_str(), R_OK | W_OK) != 0) {
        const std::string why = std::strerror(errno);
        return StoreError(cannotOpen(file, why + " (" + engineReason(e) + ")"), engineCode(e));
    }
    return StoreError(cannotOpen(file, engineReason(e)), engineCode(e));
}

}  // namespace

std::string engineReason(const SQLite::Exception& e) {
    return std::string(e.what()) + " (code " + std::to_string(e.getErrorCode()) + ")";
}

int engineCode(const SQLite::Exception& e) {
    return e.getExtendedErrorCode() > 0 ? e.getExtendedErrorCode() : e.getErrorCode();
}

BookConnection::BookConnection(std::filesystem::path file, SQLite::Database db)
    : path_(std::move(file)), db_(std::move(db)) {}

std::shared_ptr<BookConnection> BookConnection::open(const std::filesystem::path& file,
                                                     std::chrono::milliseconds busyTimeout) {
    refuseNonFile(file);

    // No SQLITE_OPEN_CREATE: a book that is not there must fail, not appear empty.
    std::shared_ptr<BookConnection> book;
    try {
        book.reset(new BookConnection(
            file, SQLite::Database(file, SQLite::OPEN_READWRITE, static_cast<int>(busyTimeout.count()))));
    } catch (const SQLite::Exception& e) {
        throw openFailure(file, e);
    }

    // The engine reads nothing until the first statement; reading the schema now makes a file
    // that is not a book fail at open rather than at the first look-up.
    try {
        SQLite::Statement probe(book->db_, "SELECT count(*) FROM sqlite_master");
        probe.executeStep();
    } catch (const SQLite::Exception& e) {
        switch (primaryCode(e)) {
            case SQLITE_NOTADB:
                throw StoreError("The file " + file.string() + " is not a book: " + engineReason(e),
                                 engineCode(e));
            case SQLITE_CORRUPT:
                throw StoreError("The book " + file.string() + " is damaged: " + engineReason(e),
                                 engineCode(e));
            case SQLITE_CANTOPEN: {
                // A WAL book can only be read once the engine has created its -wal and -shm beside
                // it: when the directory refuses them, say so rather than "unable to open".
                const auto dir = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
                if (::access(dir.c_str(), W_OK | X_OK) != 0) {
                    const std::string why = std::strerror(errno);
                    throw StoreError(cannotOpen(file, "its directory " + dir.string() +
                                                          " does not let this program create the book's "
                                                          "journal files beside it: " +
                                                          why + " (" + engineReason(e) + ")"),
                                     engineCode(e));
                }
                throw book->failure("Cannot read the book " + file.string(), e);
            }
            default:
                throw book->failure("Cannot read the book " + file.string(), e);
        }
    }

    // READWRITE quietly falls back to read-only on a write-protected file; the screens would only
    // find out at their first save, so say it now.
    if (sqlite3_db_readonly(book->db_.getHandle(), "main") == 1) {
        throw StoreError(cannotOpen(file, "the file is read-only to this program"), SQLITE_READONLY);
    }

    try {
        book->db_.exec("PRAGMA synchronous = FULL");
    } catch (const SQLite::Exception& e) {
        throw book->failure("Cannot prepare the book " + file.string() + " for durable writes", e);
    }
    return book;
}

void BookConnection::requireStillThere() {
    // The connection would go on writing into the file it opened even after that file lost its name,
    // and whatever it wrote would vanish with the program.
    int moved = 0;
    if (sqlite3_file_control(db_.getHandle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved) {
        throw StoreError(
            "The book " + path_.string() + " was deleted or moved while it was open: nothing was written",
            SQLITE_READONLY_DBMOVED);
    }
}

StoreError BookConnection::failure(std::string_view what, const SQLite::Exception& e) const {
    if (isLockedOut(e)) {
        return StoreError(
            "The book " + path_.string() + " is busy: another program is writing to it (" + e.what() + ")",
            engineCode(e));
    }
    return StoreError(std::string(what) + ": " + engineReason(e), engineCode(e));
}

StoreError BookConnection::tableFailure(std::string_view what, const SQLite::Exception& e) {
    // A missing table or column is a plain SQLITE_ERROR; other codes have nothing to do with the schema.
    if (primaryCode(e) != SQLITE_ERROR) {
        return failure(what, e);
    }
    const std::string table(kTableName);
    std::array<bool, kColumnCount> present{};
    bool tableFound = false;
    try {
        SQLite::Statement columns(db_, "SELECT name FROM pragma_table_info(?1)");
        columns.bind(1, table);
        while (columns.executeStep()) {
            tableFound = true;
            if (const auto column = columnByName(columns.getColumn(0).getText())) {
                present[static_cast<std::size_t>(*column)] = true;
            }
        }
    } catch (const SQLite::Exception&) {
        // The engine's first refusal says more than this second one would.
        return failure(what, e);
    }
    if (!tableFound) {
        return StoreError("The book " + path_.string() + " has no table " + table + ": " + engineReason(e),
                          engineCode(e));
    }
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (!present[i]) {
            return StoreError("The table " + table + " of the book " + path_.string() + " has no column " +
                                  std::string(kColumnNames[i]) + ": " + engineReason(e),
                              engineCode(e));
        }
    }
    return failure(what, e);
}

}  // namespace korvale
