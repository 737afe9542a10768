#include "DbEngine.h"

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

Database DbEngine::OpenDatabase(const std::filesystem::path& path) {
    return Database(BookConnection::open(path, busyTimeout_));
}

}  // namespace korvale
