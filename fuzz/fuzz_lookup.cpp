// The look-up by name against any byte string: it selects exactly the rows whose Name equals the bytes,
// in stored order, as a scan of every row finds them, and leaves the book as it was.

#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace {

using korvale::ClientStore;

// The names the book holds: the ones a query built from text would confuse, some of them twice.
const std::vector<std::string> kNames = {"bob",
                                         "Bob",
                                         " bob",
                                         "bob ",
                                         "bo",
                                         "o'brien",
                                         "o''brien",
                                         "x' OR '1'='1",
                                         "' OR ''='",
                                         "%",
                                         "b%",
                                         "_",
                                         "b_b",
                                         "*",
                                         "?",
                                         "[a]",
                                         "\\",
                                         "--",
                                         ";",
                                         "a",
                                         "",
                                         std::string("a\0b", 3),
                                         std::string("\0", 1),
                                         "caf\xc3\xa9",
                                         "cafe\xcc\x81",
                                         "\xd7\xa9\xd7\x9c",
                                         "\xff\xfe",
                                         "tab\there",
                                         "NULL",
                                         "bob",
                                         "%",
                                         "",
                                         "' OR ''='"};

struct Book {
    std::filesystem::path dir;
    // Name and address of every row, in stored order; the address tells rows of one name apart.
    std::vector<std::pair<std::string, std::string>> rows;
    std::optional<ClientStore> store;
};

Book* book = nullptr;

void removeBook() {
    if (book) {
        book->store.reset();
        std::error_code ignored;
        std::filesystem::remove_all(book->dir, ignored);
    }
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_lookup: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/korvale-fuzz-lookup-XXXXXX";
    if (!::mkdtemp(pattern)) fail("no temporary directory");
    book = new Book{pattern, {}, std::nullopt};
    std::atexit(removeBook);
    const auto file = ClientStore::bookPath(book->dir);
    korvale::createBook(file);
    {
        SQLite::Database db(file, SQLite::OPEN_READWRITE);
        SQLite::Statement insert(db, "INSERT INTO CLIENT_RECORDS (Name, address) VALUES (?1, ?2)");
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            const std::string address = "row " + std::to_string(i);
            insert.bind(1, kNames[i]);
            insert.bind(2, address);
            insert.exec();
            insert.reset();
            book->rows.emplace_back(kNames[i], address);
        }
        // A row of no name at all: no text equals it.
        db.exec("INSERT INTO CLIENT_RECORDS (Name, address) VALUES (NULL, 'nameless')");
    }
    book->store.emplace();
    book->store->open(book->dir, korvale::RecordSource::wholeTable());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> expected;
    for (const auto& [stored, address] : book->rows)
        if (stored == name) expected.push_back(address);

    std::vector<std::string> found;
    try {
        ClientStore& store = *book->store;
        store.lookUp(name);
        for (auto& rows = store.rows(); !rows.Eof(); rows.MoveNext()) {
            if (rows.Field("Name") != name) fail("a row of another name was selected");
            found.push_back(rows.Field("address"));
        }
    } catch (const korvale::StoreError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fail("the look-up failed");
    }
    if (found != expected) fail("the look-up did not select exactly the rows of the name");
    return 0;
}
