#include "store/DbEngine.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "store/BookConnection.h"

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
    const auto known = std::find_if(openBooks_.begin(), openBooks_.end(),
                                    [&](const OpenBook& book) { return book.path == path; });
    // A kept connection holds its file open, so the file's inode cannot be reused by another file
    // while it lives: the same device and inode mean the same book.
    if (known != openBooks_.end() && id && known->device == id->first && known->inode == id->second) {
        OpenBook book = *known;
        openBooks_.erase(known);
        openBooks_.push_front(book);
        sqlite3_busy_timeout(book.connection->db().getHandle(), static_cast<int>(busyTimeout_.count()));
        return Database(book.connection);
    }
    if (known != openBooks_.end()) openBooks_.erase(known);
    auto connection = BookConnection::open(path, busyTimeout_);
    if (const auto opened = writableFileId(path)) {
        openBooks_.push_front(OpenBook{path, opened->first, opened->second, connection});
        if (openBooks_.size() > kOpenBooksKept) openBooks_.pop_back();
    }
    return Database(connection);
}

}  // namespace korvale
