#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace korvale::tool {

// What one sync did, told at its end.
struct SyncReport {
    int newIn = 0;
    int changedIn = 0;
    int newOut = 0;
    int changedOut = 0;
    // Deleted on the server, so deleted in the book; and the other way round.
    int deletedInBook = 0;
    int deletedOnServer = 0;
    // Changed on both sides: the server's version went into the row, the book's is kept as `version`.
    struct Conflict {
        std::string name;
        std::int64_t version = 0;
    };
    std::vector<Conflict> conflicts;
    // Changed in the book but deleted on the server: kept, and sent back as a new card.
    std::vector<std::string> sentBack;
    // Writes the server refused because the card changed there meanwhile; the next sync takes them up.
    std::vector<std::string> deferred;
    int requests = 0;

    void print(std::ostream& out, const std::string& dir) const;
};

}  // namespace korvale::tool
