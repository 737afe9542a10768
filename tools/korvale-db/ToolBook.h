#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include <SQLiteCpp/Transaction.h>

#include "store/BookConnection.h"

namespace korvale::tool {

// The book in `dir`, opened read-write as the application opens it (never created). A write waits a
// few seconds for another program's transaction and then fails as a busy book.
std::shared_ptr<BookConnection> openBook(const std::filesystem::path& dir);

// Takes the book's write lock at once, so that a busy book is refused before anything is read or
// changed; `what` says what could not be done ("Cannot import").
SQLite::Transaction beginWriting(BookConnection& book, std::string_view what);

// Fails, naming `korvale-db upgrade`, when the book keeps no history.
void requireHistory(BookConnection& book);

}  // namespace korvale::tool
