#include "store/BookConnection.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include <SQLiteCpp/Statement.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
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

// Whether this process may read and write the path, as the engine's own open() would find.
bool mayReadWrite(const std::filesystem::path& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
}

// Everything the engine will need to write, checked before it touches anything: a book it cannot write
// would be opened read-only, and its journal files would be created beside it with the book's own
// read-only mode, so that every later save failed even after the book was made writable again.
void refuseUnwritable(const std::filesystem::path& file) {
    if (!mayReadWrite(file)) {
        const std::string why =
            errno == EACCES || errno == EROFS || errno == EPERM
                ? "the file is read-only to this program (" + std::string(std::strerror(errno)) + ")"
                : std::strerror(errno);
        throw StoreError(cannotOpen(file, why), SQLITE_READONLY);
    }
    const std::filesystem::path dir =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    bool needsNewFile = false;
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::filesystem::path side(file.string() + suffix);
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(side, ec))) {
            needsNewFile = true;
        } else if (!mayReadWrite(side)) {
            throw StoreError(cannotOpen(file, "its journal file " + side.string() +
                                                  " cannot be written: " + std::strerror(errno)),
                             SQLITE_READONLY);
        }
    }
    if (needsNewFile && ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        throw StoreError(cannotOpen(file, "its directory " + dir.string() +
                                              " does not let this program create the book's journal files "
                                              "beside it: " +
                                              std::strerror(errno)),
                         SQLITE_READONLY);
    }
}

// A connection is only ever used by the thread that opened it: without the engine's own lock around
// every call, reading each value of a large export costs less.
constexpr int kOneThread = SQLITE_OPEN_NOMUTEX;

// A book this program may only read. While another connection has it open its journal files are
// there and are read as they are. Without them no connection is open, and none can start that would
// write unless it may write the file: the book is read as it stands, and nothing is created beside it.
SQLite::Database openUnwritable(const std::filesystem::path& file, std::chrono::milliseconds busyTimeout) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::path(file.string() + "-wal"), ec)) {
        return SQLite::Database(file, SQLite::OPEN_READONLY | kOneThread,
                                static_cast<int>(busyTimeout.count()));
    }
    std::string uri = "file:";
    for (const char c : std::filesystem::absolute(file).string()) {
        if (c == '%' || c == '?' || c == '#') {
            constexpr const char* kHex = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xf];
            uri += kHex[static_cast<unsigned char>(c) & 0xf];
        } else {
            uri += c;
        }
    }
    uri += "?immutable=1";
    return SQLite::Database(uri, SQLite::OPEN_READONLY | SQLite::OPEN_URI | kOneThread,
                            static_cast<int>(busyTimeout.count()));
}

StoreError openFailure(const std::filesystem::path& file, const SQLite::Exception& e) {
    return StoreError(cannotOpen(file, engineReason(e)), engineCode(e));
}

// SQLite's type affinity of a declared column type.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

Affinity affinityOf(std::string type) {
    for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto has = [&type](const char* part) { return type.find(part) != std::string::npos; };
    if (has("INT")) return Affinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
    if (type.empty() || has("BLOB")) return Affinity::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
    return Affinity::Numeric;
}

// Every column must keep what is written into it as text: a column of another affinity turns a
// telephone number "0161" into the number 161 on save. A table or column that is missing is left to the
// record set, which names it.
void refuseNonTextColumns(SQLite::Database& db, const std::filesystem::path& file) {
    SQLite::Statement columns(db, "SELECT name, type FROM pragma_table_info(?1)");
    columns.bind(1, std::string(kTableName));
    while (columns.executeStep()) {
        const auto column = columnByName(columns.getColumn(0).getString());
        if (!column) continue;
        const std::string type = columns.getColumn(1).getString();
        if (affinityOf(type) != Affinity::Text) {
            const std::string declared = type.empty() ? "has no declared type" : "is declared " + type;
            throw StoreError(cannotOpen(file, "the column " + std::string(columnName(*column)) + " of " +
                                                  std::string(kTableName) + " " + declared +
                                                  ", not TEXT, and would not keep its texts as typed"));
        }
    }
}

}  // namespace

std::string engineReason(const SQLite::Exception& e) {
    return std::string(e.what()) + " (code " + std::to_string(e.getErrorCode()) + ")";
}

std::string engineReason(const SQLite::Exception& e, sqlite3* db) {
    std::string reason = engineReason(e);
    if (primaryCode(e) != SQLITE_IOERR) return reason;
    // "disk I/O error" alone does not tell a file-size limit from a failing device. The engine does not
    // always keep the system's own reason, so a limit in force is named whenever there is one.
    if (const int err = sqlite3_system_errno(db); err != 0) reason += ": " + std::string(std::strerror(err));
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        reason += "; File too large? This program may not write files larger than " +
                  std::to_string(limit.rlim_cur) + " bytes (ulimit -f)";
    }
    return reason;
}

int engineCode(const SQLite::Exception& e) {
    return e.getExtendedErrorCode() > 0 ? e.getExtendedErrorCode() : e.getErrorCode();
}

void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

BookConnection::BookConnection(std::filesystem::path file, SQLite::Database db)
    : path_(std::move(file)), db_(std::move(db)) {}

std::shared_ptr<BookConnection> BookConnection::open(const std::filesystem::path& file,
                                                     std::chrono::milliseconds busyTimeout, Access access) {
    ignoreFileSizeSignal();
    refuseNonFile(file);
    // A reader that may write the book opens it as a writer would and refuses writes itself: a
    // read-only connection would leave the journal files it creates behind, with the book's mode.
    bool mayWrite = true;
    if (access == Access::ReadWrite) {
        refuseUnwritable(file);
    } else {
        try {
            refuseUnwritable(file);
        } catch (const StoreError&) {
            mayWrite = false;
        }
    }
    if (!mayWrite && ::faccessat(AT_FDCWD, file.c_str(), R_OK, AT_EACCESS) != 0) {
        throw StoreError(cannotOpen(file, std::strerror(errno)), SQLITE_CANTOPEN);
    }

    // No SQLITE_OPEN_CREATE: a book that is not there must fail, not appear empty.
    std::shared_ptr<BookConnection> book;
    try {
        if (mayWrite) {
            book.reset(new BookConnection(file, SQLite::Database(file, SQLite::OPEN_READWRITE | kOneThread,
                                                                 static_cast<int>(busyTimeout.count()))));
        } else {
            book.reset(new BookConnection(file, openUnwritable(file, busyTimeout)));
        }
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
            default:
                throw book->failure("Cannot read the book " + file.string(), e);
        }
    }

    try {
        refuseNonTextColumns(book->db_, file);
    } catch (const SQLite::Exception& e) {
        throw book->failure("Cannot read the columns of the book " + file.string(), e);
    }

    if (access == Access::ReadOnly) {
        try {
            if (mayWrite) book->db_.exec("PRAGMA query_only = ON");
        } catch (const SQLite::Exception& e) {
            throw book->failure("Cannot open the book " + file.string() + " for reading", e);
        }
        return book;
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
    return StoreError(std::string(what) + ": " + engineReason(e, db_.getHandle()), engineCode(e));
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
