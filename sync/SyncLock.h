#pragma once

#include <filesystem>

namespace korvale::sync {

// Holds a book for one sync: an exclusive flock on a file beside the book (BOOK-sync-lock), taken
// without waiting and let go when the object goes or the process ends, however it ends. SQLite's own
// locks are fcntl locks on the book itself and do not meet this one.
class SyncLock {
public:
    // Throws StoreError when another sync holds the book, or the lock file cannot be opened.
    explicit SyncLock(const std::filesystem::path& book);
    ~SyncLock();
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace korvale::sync
