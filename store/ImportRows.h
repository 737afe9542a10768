#pragma once

#include <cstdint>
#include <memory>

#include "store/ClientRecord.h"

namespace korvale {

class BookHandle;

// The statements of an import, run inside the caller's write lock (BookHandle::beginWriting): whether
// a contact already stands in the book, and adding it.
class ImportRows {
public:
    explicit ImportRows(BookHandle& book);
    ~ImportRows();
    ImportRows(const ImportRows&) = delete;
    ImportRows& operator=(const ImportRows&) = delete;

    enum class Earlier {
        // No row stored before the import has the record's Name.
        None,
        // Some do, none with all nine of its values.
        SameName,
        // One holds the same nine values (a NULL counts as the empty text, as no file tells the two
        // apart).
        SameValues,
    };
    // Only rows stored before the import count: a file may hold the same contact twice on purpose.
    Earlier earlier(const ClientRecord& record);

    // Adds the record as a new row; `record` need only live until this returns.
    void insert(const ClientRecord& record);

private:
    struct Statements;
    BookHandle& book_;
    std::unique_ptr<Statements> statements_;
    // The last rowid before the import began.
    std::int64_t lastEarlier_ = 0;
};

}  // namespace korvale
