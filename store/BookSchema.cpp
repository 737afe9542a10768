#include "store/BookSchema.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/BookConnection.h"
#include "store/ClientStore.h"
#include "store/ContactUids.h"
#include "store/HistorySchema.h"
#include "store/StoreError.h"
#include "store/SyncState.h"

namespace korvale {

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE CLIENT_RECORDS (Name TEXT, address TEXT, email_id TEXT, dob TEXT, H_PHONE TEXT, "
    "W_PHONE TEXT, cell_no TEXT, remarks TEXT, CATEGORY TEXT)";
constexpr const char* kCreateNameIndex = "CREATE INDEX CLIENT_RECORDS_Name ON CLIENT_RECORDS(Name)";

std::string cannotCreate(const std::filesystem::path& file, const std::string& why) {
    return "Cannot create the book " + file.string() + ": " + why;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The empty file is claimed with O_EXCL and mode 0600 before the engine sees it: the engine would
// create it with the process umask, and could not refuse an existing file atomically.
void claimFile(const std::filesystem::path& file) {
    const FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.get() < 0) {
        const int err = errno;
        const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
        if (err == EEXIST) {
            throw StoreError(cannotCreate(file, "a file of that name already exists; it was left untouched"));
        }
        if (err == ENOENT) {
            throw StoreError(cannotCreate(file, "the directory " + dir.string() + " does not exist"));
        }
        if (err == ENOTDIR) {
            throw StoreError(cannotCreate(file, dir.string() + " is not a directory"));
        }
        throw StoreError(cannotCreate(file, std::strerror(err)));
    }
    // A umask can only take bits away from 0600; fchmod makes the mode exact all the same.
    if (::fchmod(fd.get(), 0600) != 0) {
        const int err = errno;
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw StoreError(cannotCreate(file, std::string("cannot restrict its mode: ") + std::strerror(err)));
    }
}

void syncDirectory(const std::filesystem::path& dir) {
    const FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

void removeBookFiles(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::filesystem::remove(std::filesystem::path(file.string() + "-wal"), ignored);
    std::filesystem::remove(std::filesystem::path(file.string() + "-shm"), ignored);
    std::filesystem::remove(std::filesystem::path(file.string() + "-journal"), ignored);
}

void fillSchema(const std::filesystem::path& file, SQLite::Database& db) {
    db.exec("PRAGMA synchronous = FULL");
    SQLite::Statement journal(db, "PRAGMA journal_mode = WAL");
    if (!journal.executeStep() || journal.getColumn(0).getString() != "wal") {
        throw StoreError(cannotCreate(file, "the engine refused the WAL journal"));
    }
    journal.reset();
    SQLite::Transaction schema(db);
    db.exec(kCreateTable);
    db.exec(kCreateNameIndex);
    addHistory(db);
    addContactUids(db);
    addSyncState(db);
    schema.commit();
}

void writeSchema(const std::filesystem::path& file) {
    // An empty file is an empty database to the engine, so no SQLITE_OPEN_CREATE is needed here either.
    SQLite::Database db(file, SQLite::OPEN_READWRITE);
    try {
        fillSchema(file, db);
    } catch (const SQLite::Exception& e) {
        throw StoreError(cannotCreate(file, engineReason(e, db.getHandle())), engineCode(e));
    }
}

}  // namespace

void createBook(const std::filesystem::path& file) {
    ignoreFileSizeSignal();
    claimFile(file);
    try {
        writeSchema(file);
    } catch (const SQLite::Exception& e) {
        removeBookFiles(file);
        throw StoreError(cannotCreate(file, engineReason(e)), engineCode(e));
    } catch (...) {
        removeBookFiles(file);
        throw;
    }
    syncDirectory(file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path());
}

std::filesystem::path createBookIn(const std::filesystem::path& dir) {
    std::error_code ec;
    const auto status = std::filesystem::status(dir, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw StoreError("the directory " + dir.string() + " does not exist");
    }
    if (ec) throw StoreError("cannot reach the directory " + dir.string() + ": " + ec.message());
    if (status.type() != std::filesystem::file_type::directory) {
        throw StoreError(dir.string() + " is not a directory");
    }
    const std::filesystem::path book = ClientStore::bookPath(dir);
    createBook(book);
    return book;
}

}  // namespace korvale
