#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>

#include "store/Database.h"

namespace korvale {

class BookConnection;

// The process-wide engine object: created on first use, kept until the process ends, shared by every
// store. It holds what all connections have in common.
class DbEngine {
public:
    static DbEngine& instance();
    // Whether anything has asked for the engine yet.
    static bool exists();

    // Opens an existing book shared, for reading and writing. Never creates or alters the file.
    // Fails with a StoreError naming the file and the cause when it is missing, unreadable or not a book.
    Database OpenDatabase(const std::filesystem::path& path);

    // How long a write waits for another connection's lock before it fails.
    std::chrono::milliseconds busyTimeout() const { return busyTimeout_; }
    void setBusyTimeout(std::chrono::milliseconds t) { busyTimeout_ = t; }

    DbEngine(const DbEngine&) = delete;
    DbEngine& operator=(const DbEngine&) = delete;

private:
    DbEngine();

    // Connections to the books opened last, handed out again while their path still names the same
    // file: opening a connection (file, locks, WAL index, schema) costs more than loading a screen,
    // and every screen of a run opens the same book. Most recently used first; a few at most.
    struct OpenBook {
        std::filesystem::path path;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::shared_ptr<BookConnection> connection;
    };
    static constexpr std::size_t kOpenBooksKept = 4;
    std::deque<OpenBook> openBooks_;
    std::chrono::milliseconds busyTimeout_{5000};
};

}  // namespace korvale
