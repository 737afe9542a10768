#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/RowValues.h"

namespace korvale {

class BookHandle;

// One kept version of a row (see HistorySchema.h for how versions are kept).
struct KeptVersion {
    std::int64_t id = 0;
    // The rowid the values stood in.
    std::int64_t row = 0;
    // "change", "delete", or "restore" when a restore replaced the values.
    std::string event;
    // When the values were replaced, UTC, to the millisecond.
    std::string at;
    RowValues values;
};

// What restore did.
struct Restored {
    enum class Outcome {
        // The row was deleted since: the version came back as a new row.
        NewRow,
        // The row already held the version's values: nothing changed.
        AlreadyHeld,
        // The row holds the version's values again; what it held is kept as the version `keptAs`.
        Replaced,
    };
    Outcome outcome = Outcome::AlreadyHeld;
    std::int64_t row = 0;
    std::int64_t keptAs = 0;
};

// What forget removed.
struct Forgotten {
    int rows = 0;
    int versions = 0;
    // Cards of the sync state whose digest of the forgotten values was wiped.
    int digests = 0;
};

// Reads the book's kept versions, puts one back, or removes a name for good. Fails with a StoreError
// when the book keeps no history (forget excepted, which also removes the rows of an older book).
class BookHistory {
public:
    explicit BookHistory(BookHandle& book) : book_(book) {}

    // Every version, oldest first; with a name, those that held it and those kept since the last
    // delete of a row that holds it now (a rowid freed by a delete may be given to another contact).
    std::vector<KeptVersion> versions(const std::optional<std::string>& name);

    // Puts version `id` back in one transaction. A row that is still there gets its values again (and
    // what it held is kept as a version marked as replaced by a restore); a version of a row deleted
    // since comes back as a new row.
    Restored restore(std::int64_t id);

    // Removes the rows and versions whose Name is `name`, and the sync state's digest of those rows'
    // values, deleted with secure_delete; then rewrites the book (VACUUM) and empties its journal, so
    // that the name is in neither file. Fails, after the removal, when another program keeps the
    // journal from being emptied.
    Forgotten forget(const std::string& name);

private:
    BookHandle& book_;
};

}  // namespace korvale
