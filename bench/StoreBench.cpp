// The books, and the store as the record screens use it against the same SQL texts straight through the
// SQLite C API on a connection set up like the store's: the floor is what the engine itself needs.

#include <sqlite3.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "bench/Bench.h"
#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/Statements.h"

namespace bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error("SQLite: " + what + ": " + sqlite3_errmsg(db));
}

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;

// A connection set up like the store's: read-write, never created, 5 s busy timeout, synchronous FULL.
Db connect(const std::filesystem::path& file) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db db(raw, &sqlite3_close_v2);
    if (rc != SQLITE_OK) fail(raw, "open " + file.string());
    sqlite3_busy_timeout(raw, 5000);
    if (sqlite3_exec(raw, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(raw, "synchronous");
    return db;
}

void exec(const Db& db, const char* sql) {
    if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db.get(), sql);
}

class Statement {
public:
    Statement(const Db& db, const char* sql) : db_(db.get()) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr) != SQLITE_OK) fail(db_, sql);
        stmt_.reset(raw);
    }

    // Not copied: the text must outlive the step that reads it.
    void bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
    void bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_.get(), index, value); }
    // The nine columns as ?1 to ?9, in the table's order.
    void bind(const korvale::ClientRecord& record) {
        for (std::size_t c = 0; c < korvale::kColumnCount; ++c)
            bind(static_cast<int>(c + 1), record.values[c]);
    }
    // True when a row came; ready to run again once done.
    bool step() {
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW) return true;
        sqlite3_reset(stmt_.get());
        if (rc != SQLITE_DONE) fail(db_, "step");
        return false;
    }
    std::string text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), column));
        if (!data) fail(db_, "a null where text was expected");
        return {data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_.get(), column))};
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

private:
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt_{nullptr, &sqlite3_finalize};
};

// The same index always gives the same bits.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A pronounceable lower-case word of two to four syllables.
std::string word(std::uint64_t h) {
    constexpr std::string_view kOnsets = "bcdfghjklmnprstvyz", kVowels = "aeiou";
    std::string w;
    for (std::uint64_t n = 2 + h % 3; n > 0; --n) {
        h = mix(h);
        w += kOnsets[h % kOnsets.size()];
        w += kVowels[(h >> 8) % kVowels.size()];
    }
    return w;
}

// `prefix` and `count` decimal digits of h.
std::string digits(std::string prefix, std::uint64_t h, int count) {
    for (int i = 0; i < count; ++i, h /= 10) prefix += static_cast<char>('0' + h % 10);
    return prefix;
}

// A first name of 300, an initial and a surname of 3,000; now and then a second contact under a name
// already in the book.
std::string nameAt(std::uint64_t index) {
    const std::uint64_t h = mix(index);
    if (index > 0 && index % 40 == 0) return nameAt(h % index);
    return word(h % 300) + ' ' + static_cast<char>('a' + (h >> 12) % 26) + ' ' +
           word(1000 + (h >> 20) % 3000);
}

using korvale::ClientRecord;
using korvale::ClientStore;
using korvale::Column;
using Unit = Figure::Unit;

// The order the look-up screens copy the columns into their fields.
constexpr Column kShownOrder[] = {Column::Name,    Column::address,  Column::email_id,
                                  Column::dob,     Column::H_PHONE,  Column::W_PHONE,
                                  Column::cell_no, Column::CATEGORY, Column::remarks};

// Look-ups take microseconds: each sample times this many, so that reading the clocks stays small.
constexpr std::size_t kBatch = 8;

// The addition and updation screens open on the first row; the search and deletion screens walk to
// the end, leaving the last Name in their look-up field.
void openOnFirstRow(ClientStore& store, const Book& book) {
    store.open(book.dir, korvale::RecordSource::wholeTable());
    if (!store.rows().Eof()) store.rows().MoveFirst();
}
void openAndWalk(ClientStore& store, const Book& book) {
    store.open(book.dir, korvale::RecordSource::wholeTable());
    if (!store.walkNames()) throw std::runtime_error("the walk found an empty book");
}

void readAll(const Statement& row) {
    for (int c = 1; c <= static_cast<int>(korvale::kColumnCount); ++c) row.text(c);
}
Db floorOnFirstRow(const Book& book) {
    Db db = connect(ClientStore::bookPath(book.dir));
    Statement first(db, korvale::sql::kFirstOfTable);
    if (first.step()) readAll(first);
    return db;
}
// The two seeks that stand for the walk: no Name is null, and the last stored row's Name.
Db floorWalk(const Book& book) {
    Db db = connect(ClientStore::bookPath(book.dir));
    Statement anyNull(db, korvale::sql::kAnyNullName), last(db, korvale::sql::kLastName);
    if (anyNull.step() || !last.step() || last.text(0).empty()) throw std::runtime_error("floor: no walk");
    return db;
}
// The first row of the name with its nine columns read; its rowid, or 0 when there is none.
std::int64_t floorLookUp(const Db& db, const std::string& name) {
    Statement find(db, korvale::sql::kFirstOfName);
    find.bind(1, name);
    if (!find.step()) return 0;
    readAll(find);
    return find.integer(0);
}

// On one book: a store opened as each record screen opens its own, and a floor connection.
struct Stores {
    explicit Stores(const Book& book) : floor(connect(ClientStore::bookPath(book.dir))) {
        openOnFirstRow(adder, book);
        openOnFirstRow(changer, book);
        openAndWalk(searcher, book);
    }
    Db floor;
    ClientStore adder, changer, searcher;
};

// A deque, as stores stay where they are made.
std::deque<Stores> storesOn(const Run& run) {
    std::deque<Stores> stores;
    for (const Book& book : run.books) stores.emplace_back(book);
    return stores;
}

}  // namespace

korvale::ClientRecord contactAt(std::uint64_t index) {
    using korvale::Column;
    const std::uint64_t h = mix(index ^ 0x5bd1e995ULL);
    korvale::ClientRecord r;
    const std::string name = nameAt(index);
    r[Column::Name] = name;
    r[Column::address] = std::to_string(1 + h % 499) + ", " + word(h >> 9) + " road, " + word(h >> 17);
    r[Column::email_id] = digits(name.substr(0, name.find(' ')), h >> 21, 2) + "@" + word(h >> 27) + ".com";
    r[Column::dob] = std::to_string(10 + (h >> 29) % 18) + "-0" + std::to_string(1 + (h >> 34) % 9) + "-" +
                     std::to_string(1940 + (h >> 38) % 66);
    r[Column::H_PHONE] = (h >> 44) % 3 == 0 ? "" : digits("020-", mix(index + 1), 8);
    r[Column::W_PHONE] = (h >> 46) % 2 == 0 ? "" : digits("022-", mix(index + 2), 8);
    r[Column::cell_no] = digits("9", mix(index + 3), 9);
    r[Column::remarks] = (h >> 50) % 4 == 0 ? "" : word(h >> 52) + " " + word(h >> 56);
    constexpr std::string_view kCategories[] = {"CLIENT", "RELATIVE", "FRIEND"};
    r[Column::CATEGORY] = kCategories[(h >> 60) % 3];
    return r;
}

std::filesystem::path emptyBook(const std::filesystem::path& dir) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    korvale::createBook(korvale::ClientStore::bookPath(dir));
    return dir;
}

Book makeBook(const std::filesystem::path& dir, std::int64_t rows) {
    const std::filesystem::path file = korvale::ClientStore::bookPath(dir);
    std::filesystem::create_directories(dir);
    korvale::createBook(file);
    {
        Db db = connect(file);
        // Only this one bulk load gets a large cache: the index takes its entries in random order.
        exec(db, "PRAGMA cache_size = -262144");
        exec(db, "BEGIN");
        Statement insert(db, korvale::sql::kInsert);
        for (std::int64_t i = 0; i < rows; ++i) {
            const korvale::ClientRecord r = contactAt(static_cast<std::uint64_t>(i));
            insert.bind(r);
            insert.step();
        }
        exec(db, "COMMIT");
        // The rows go into the book file itself, not a WAL the first timed connection would inherit.
        exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
        Statement mode(db, "PRAGMA journal_mode");
        if (!mode.step() || mode.text(0) != "wal") throw std::runtime_error("the book is not in WAL mode");
    }
    Book book{dir, rows, {}, "quentin x nobodyknows"};
    // Sixteen names from all over the book, off the round numbers: few enough that the pages they reach
    // stay in the caches as one name looked up at a time would, in the small book and the large alike.
    for (std::int64_t i = 0; i < 16; ++i) {
        const std::int64_t at = std::min(i * rows / 16 + i * 7 % (rows / 64 + 1), rows - 1);
        book.names.push_back(contactAt(static_cast<std::uint64_t>(at))[korvale::Column::Name]);
    }
    return book;
}

std::vector<Figure> storeReads(const Run& run) {
    std::vector<Figure> out;
    // A fresh store per repetition, as each load of a screen makes one; releasing it is not timed.
    const auto opens = [&](const char* action, auto open, auto floorOpen) {
        auto korvale = [&](std::size_t b, std::size_t) {
            auto store = std::make_unique<ClientStore>();
            return timed([&] { open(*store, run.books[b]); });
        };
        auto floor = [&](std::size_t b, std::size_t) {
            Db db(nullptr, &sqlite3_close_v2);
            return timed([&] { db = floorOpen(run.books[b]); });
        };
        compare(out, action, Unit::Cpu, run.sizes, run.reps(101), korvale, floor);
    };
    opens("ADD_FORM, UPDATE_FORM store: open on the first row", openOnFirstRow, floorOnFirstRow);
    opens("SEARCH_FORM, DELETE_FORM store: open and walk", openAndWalk, floorWalk);

    // As on the screens, the nine columns are read in the order the fields show them, and a missing name
    // ends with the failed read of the first.
    const auto lookUp = [](Stores& s, bool floor, const std::string& name) -> std::size_t {
        if (floor) return floorLookUp(s.floor, name) != 0;
        try {
            s.searcher.lookUp(name);
            for (const Column c : kShownOrder) s.searcher.rows().Field(korvale::columnName(c));
            return 1;
        } catch (const korvale::StoreError&) {
            return 0;
        }
    };
    // Each side counts the rows it found: all or none.
    auto stores = storesOn(run);
    const auto lookUps = [&](const char* action, bool present) {
        const auto side = [&](bool floor) {
            return [&, floor](std::size_t b, std::size_t i) {
                const auto& names = run.books[b].names;
                std::size_t found = 0;
                const Sample s = timed([&] {
                    for (std::size_t k = 0; k < kBatch; ++k)
                        found +=
                            lookUp(stores[b], floor,
                                   present ? names[(i * kBatch + k) % names.size()] : run.books[b].missing);
                });
                if (found != (present ? kBatch : 0))
                    throw std::runtime_error(std::string(action) + ": wrong rows");
                return s;
            };
        };
        compare(out, action, Unit::Cpu, run.sizes, run.reps(401), side(false), side(true), kBatch);
    };
    lookUps("Look-up that finds a row, nine columns read", true);
    lookUps("Look-up that finds none", false);
    return out;
}

// Each side adds rows of its own, then changes them, then deletes them, so every book keeps its size.
std::vector<Figure> storeWrites(const Run& run) {
    auto stores = storesOn(run);
    std::vector<Figure> out;
    // Row i of a side is named after the side and i, and a change writes other contents than the add
    // did. Each write must touch one row, and starts from an empty WAL: how long the flush takes depends
    // on whether the WAL grows or is written over.
    const auto writes = [&](const char* action, std::size_t contents, auto write) {
        const auto side = [&](bool floor) {
            return [&, floor](std::size_t b, std::size_t i) {
                const std::string name = (floor ? "zz floor " : "zz korvale ") + std::to_string(i);
                ClientRecord record = contactAt(0x7fff0000ULL + i + contents);
                record[Column::Name] = name;
                exec(stores[b].floor, "PRAGMA wal_checkpoint(TRUNCATE)");
                bool one = false;
                const Sample s = timed([&] { one = write(stores[b], floor, name, record); });
                if (!one) throw std::runtime_error(std::string(action) + ": no row written");
                return s;
            };
        };
        compare(out, action, Unit::Wall, run.sizes, run.reps(151), side(false), side(true));
    };
    // The floor's write: the statement alone for an add; for the others, after the look-up of the row
    // with its columns, as the screens look it up before they change or delete it.
    const auto floorWrite = [](Db& db, const char* sql, const std::string& name, const ClientRecord* r) {
        Statement statement(db, sql);
        if (r) statement.bind(*r);
        if (sql != korvale::sql::kInsert) {
            const std::int64_t rowid = floorLookUp(db, name);
            if (rowid == 0) return false;
            statement.bind(10, rowid);
        }
        statement.step();
        return sqlite3_changes(db.get()) == 1;
    };
    writes("Add: addRow, durable", 0,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord& r) {
               if (floor) return floorWrite(s.floor, korvale::sql::kInsert, name, &r);
               s.adder.addRow(r);
               return true;
           });
    writes("Change: lookUp and changeCurrentRow, durable", 1,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord& r) {
               if (floor) return floorWrite(s.floor, korvale::sql::kChange, name, &r);
               s.changer.lookUp(name);
               s.changer.changeCurrentRow(r);
               return true;
           });
    writes("Delete: lookUp, RecordCount and Delete, durable", 0,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord&) {
               if (floor) return floorWrite(s.floor, korvale::sql::kRemove, name, nullptr);
               s.searcher.lookUp(name);
               const bool one = s.searcher.rows().RecordCount() == 1;
               s.searcher.rows().Delete();
               return one;
           });
    return out;
}

}  // namespace bench
