#include "tools/korvale-db/ToolBook.h"

#include "store/BookHistory.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace korvale::tool {

namespace {
constexpr std::chrono::milliseconds kBusyWait{3000};
}

std::shared_ptr<BookConnection> openBook(const std::filesystem::path& dir) {
    return BookConnection::open(ClientStore::bookPath(dir), kBusyWait);
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
