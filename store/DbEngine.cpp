#include "DbEngine.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "BookConnection.h"

namespace korvale {

namespace {
std::atomic<bool> engineCreated{false};
}

DbEngine::DbEngine() {
    engineCreated = true;
}

DbEngine& DbEngine::instance() {
    static DbEngine engine;
    return engine;
}

bool DbEngine::exists() {
    return engineCreated;
}

namespace {

// The file a path names now, if it is a regular file this process may write: anything else goes the
// whole way through opening, so that its failure is found and named there.
std::optional<std::pair<std::uint64_t, std::uint64_t>> writableFileId(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), W_OK) != 0) {
        return std::nullopt;
    }
    return std::pair<std::uint64_t, std::uint64_t>(st.st_dev, st.st_ino);
}

}  // namespace

Database DbEngine::OpenDatabase(const std::filesystem::path& path) {
    const auto id = writableFileId(path);
    // The cached connection keeps its file open, so the file's inode cannot be reused by another
    // file while it lives: the same device and inode mean the same book.
    if (id && lastBook_ && lastBook_->path == path && lastBook_->device == id->first &&
        lastBook_->inode == id->second) {
        sqlite3_busy_timeout(lastBook_->connection->db().getHandle(), static_cast<int>(busyTimeout_.count()));
        return Database(lastBook_->connection);
    }
    lastBook_.reset();
    auto connection = BookConnection::open(path, busyTimeout_);
    if (const auto opened = writableFileId(path)) {
        lastBook_ = OpenBook{path, opened->first, opened->second, connection};
    }
    return Database(connection);
}

}  // namespace korvale
