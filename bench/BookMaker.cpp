#include "bench/BookMaker.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

#include <sqlite3.h>

#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/Statements.h"
#include "bench/Timing.h"

namespace bench {

namespace {

constexpr std::array<std::string_view, 64> kFirstNames{
    "aarav",  "abigail", "adam",   "aisha",    "alice",   "amelia",    "ananya",   "andrew",
    "anna",   "arjun",   "ava",    "benjamin", "carlos",  "charlotte", "chen",     "chloe",
    "daniel", "david",   "diya",   "elena",    "elijah",  "emily",     "emma",     "ethan",
    "fatima", "george",  "grace",  "hannah",   "harper",  "henry",     "isabella", "ishaan",
    "jack",   "james",   "john",   "joseph",   "kavya",   "liam",      "lucas",    "lucy",
    "maria",  "mason",   "mei",    "mia",      "michael", "mohammed",  "noah",     "oliver",
    "olivia", "omar",    "priya",  "rahul",    "rohan",   "samuel",    "sara",     "sofia",
    "sophia", "thomas",  "vikram", "wei",      "william", "yusuf",     "zara",     "zoe"};

constexpr std::array<std::string_view, 96> kSurnames{
    "agarwal",   "ahmed",   "ali",       "anderson", "bailey",     "baker",    "banerjee", "bell",
    "bose",      "brown",   "campbell",  "carter",   "chatterjee", "chen",     "clark",    "collins",
    "cook",      "cooper",  "das",       "davies",   "desai",      "dubois",   "edwards",  "evans",
    "fernandes", "fischer", "garcia",    "ghosh",    "gomez",      "gonzalez", "green",    "gupta",
    "hall",      "harris",  "hernandez", "hill",     "hughes",     "iyer",     "jackson",  "jain",
    "james",     "johnson", "jones",     "joshi",    "kapoor",     "khan",     "king",     "kumar",
    "lee",       "lewis",   "li",        "lopez",    "martin",     "martinez", "mehta",    "menon",
    "miller",    "mishra",  "moore",     "morgan",   "morris",     "murphy",   "nair",     "nguyen",
    "patel",     "perez",   "phillips",  "pillai",   "rao",        "reddy",    "roberts",  "robinson",
    "rodriguez", "roy",     "sanchez",   "scott",    "shah",       "sharma",   "singh",    "smith",
    "taylor",    "thomas",  "thompson",  "turner",   "verma",      "walker",   "wang",     "white",
    "williams",  "wilson",  "wood",      "wright",   "yadav",      "young",    "zhang",    "zimmermann"};

constexpr std::array<std::string_view, 24> kStreets{
    "mg road",       "park street", "station road", "church lane",  "mill road",     "high street",
    "lake view",     "nehru nagar", "gandhi road",  "queens road",  "market street", "hill road",
    "temple street", "river side",  "north avenue", "south avenue", "king street",   "garden lane",
    "college road",  "bridge road", "ring road",    "canal street", "fort road",     "beach road"};

constexpr std::array<std::string_view, 16> kCities{
    "pune",       "mumbai",  "delhi",  "chennai", "kolkata", "bangalore", "london", "leeds",
    "manchester", "toronto", "sydney", "dublin",  "boston",  "chicago",   "lyon",   "berlin"};

constexpr std::array<std::string_view, 6> kMailHosts{"gmail.com",   "yahoo.com",  "outlook.com",
                                                     "hotmail.com", "rediff.com", "mail.com"};

constexpr std::array<std::string_view, 8> kRemarks{
    "", "", "met at the fair", "old school friend", "call after 6", "prefers email", "new client", "vip"};

constexpr std::array<std::string_view, 3> kCategories{"CLIENT", "RELATIVE", "FRIEND"};

// The same row index always gives the same contact, whatever the book's size.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& list, std::uint64_t bits) {
    return list[bits % N];
}

std::string nameAt(std::uint64_t index) {
    std::uint64_t h = mix(index);
    // Now and then an operator stores a second contact under a name already in the book.
    if (index > 0 && index % 40 == 0) return nameAt(h % index);
    std::string name(pick(kFirstNames, h));
    h >>= 8;
    name += ' ';
    name += static_cast<char>('a' + h % 26);
    h >>= 8;
    name += ' ';
    name += pick(kSurnames, h);
    return name;
}

std::string digits(std::uint64_t bits, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>('0' + bits % 10);
        bits /= 10;
    }
    return out;
}

std::string twoDigits(unsigned value) {
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

class Connection {
public:
    explicit Connection(const std::filesystem::path& file) {
        if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) fail("open");
    }
    ~Connection() { sqlite3_close_v2(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }
    sqlite3* get() const { return db_; }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("making a book: " + what + ": " + sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_ = nullptr;
};

// Books are filled with the statement the store itself adds rows with.
using korvale::sql::kInsert;

}  // namespace

korvale::ClientRecord contactAt(std::uint64_t index) {
    using korvale::Column;
    const std::uint64_t h = mix(index ^ 0x5bd1e995ULL);
    korvale::ClientRecord r;
    r[Column::Name] = nameAt(index);
    r[Column::address] = std::to_string(1 + h % 499) + ", " + std::string(pick(kStreets, h >> 9)) + ", " +
                         std::string(pick(kCities, h >> 14));
    const std::string first = r[Column::Name].substr(0, r[Column::Name].find(' '));
    const std::string last = r[Column::Name].substr(r[Column::Name].rfind(' ') + 1);
    // The field holds 25 characters.
    r[Column::email_id] = (first + "." + last).substr(0, 13) + digits(h >> 18, 2) + "@" +
                          std::string(pick(kMailHosts, h >> 25));
    r[Column::dob] = twoDigits(static_cast<unsigned>(1 + (h >> 29) % 28)) + "-" +
                     twoDigits(static_cast<unsigned>(1 + (h >> 34) % 12)) + "-" +
                     std::to_string(1940 + (h >> 38) % 66);
    r[Column::H_PHONE] = (h >> 44) % 3 == 0 ? std::string() : "020-" + digits(mix(index + 1), 8);
    r[Column::W_PHONE] = (h >> 46) % 2 == 0 ? std::string() : "022-" + digits(mix(index + 2), 8);
    r[Column::cell_no] = "9" + digits(mix(index + 3), 9);
    r[Column::remarks] = std::string(pick(kRemarks, h >> 50));
    r[Column::CATEGORY] = std::string(pick(kCategories, h >> 55));
    return r;
}

Book makeBook(const std::filesystem::path& dir, std::int64_t rows, std::size_t sampleNames) {
    const auto start = Clock::now();
    const std::filesystem::path file = korvale::ClientStore::bookPath(dir);
    korvale::createBook(file);
    {
        Connection db(file);
        // Only this one bulk load gets a large cache: the index takes its entries in random order.
        db.exec("PRAGMA cache_size = -262144");
        db.exec("BEGIN");
        sqlite3_stmt* insert = nullptr;
        if (sqlite3_prepare_v2(db.get(), kInsert, -1, &insert, nullptr) != SQLITE_OK)
            db.fail("prepare insert");
        for (std::int64_t i = 0; i < rows; ++i) {
            const korvale::ClientRecord r = contactAt(static_cast<std::uint64_t>(i));
            for (std::size_t c = 0; c < korvale::kColumnCount; ++c) {
                sqlite3_bind_text(insert, static_cast<int>(c + 1), r.values[c].data(),
                                  static_cast<int>(r.values[c].size()), SQLITE_TRANSIENT);
            }
            if (sqlite3_step(insert) != SQLITE_DONE) {
                sqlite3_finalize(insert);
                db.fail("insert");
            }
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        db.exec("COMMIT");
        // Leaves the rows in the book file itself, not in a WAL the first benchmark connection would inherit.
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }

    Book book;
    book.dir = dir;
    book.rows = rows;
    for (std::size_t i = 0; i < sampleNames && rows > 0; ++i) {
        // Spread over the whole book, off the round numbers.
        const std::int64_t spread =
            static_cast<std::int64_t>(i) * rows / static_cast<std::int64_t>(sampleNames);
        const std::int64_t nudge = static_cast<std::int64_t>(i * 7) % (rows / 64 + 1);
        const auto index = static_cast<std::uint64_t>(std::min(spread + nudge, rows - 1));
        book.presentNames.push_back(contactAt(index)[korvale::Column::Name]);
    }
    book.missingName = "quentin x nobodyknows";
    book.secondsToMake = secondsSince(start);
    return book;
}

}  // namespace bench
