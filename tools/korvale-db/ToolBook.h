#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include <SQLiteCpp/Transaction.h>

#include "store/BookConnection.h"

// What the sync command still reaches the book through, until its state is kept by the store as the
// rest of the tool's is (store/BookHandle). Forwards to the store.
namespace korvale::tool {

std::shared_ptr<BookConnection> openBook(const std::filesystem::path& dir);
SQLite::Transaction beginWriting(BookConnection& book, std::string_view what);
void requireHistory(BookConnection& book);

}  // namespace korvale::tool
