#include "tools/korvale-db/ToolBook.h"

#include "store/BookHandle.h"
#include "store/HistorySchema.h"
#include "store/StoreError.h"

namespace korvale::tool {

std::shared_ptr<BookConnection> openBook(const std::filesystem::path& dir) {
    return BookHandle::open(dir, BookHandle::Access::ReadWrite).sharedConnection();
}

SQLite::Transaction beginWriting(BookConnection& book, std::string_view what) {
    try {
        return SQLite::Transaction(book.db(), SQLite::TransactionBehavior::IMMEDIATE);
    } catch (const SQLite::Exception& e) {
        throw book.failure(std::string(what) + ": cannot write to the book " + book.path().string(), e);
    }
}

void requireHistory(BookConnection& book) {
    if (!hasHistory(book.db())) {
        throw StoreError("The book " + book.path().string() +
                         " keeps no history; korvale-db upgrade adds it to a book made before it existed");
    }
}

}  // namespace korvale::tool
