// The contacts every part works on, made up from their index, and the books that hold them.

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "bench/Bench.h"
#include "bench/Sql.h"
#include "exchange/ContactMapping.h"
#include "store/BookSchema.h"
#include "store/Statements.h"

namespace bench {

namespace {

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

std::string digits(std::string prefix, std::uint64_t h, int count) {
    for (int i = 0; i < count; ++i, h /= 10) prefix += static_cast<char>('0' + h % 10);
    return prefix;
}

// A first name of 300, an initial and a surname of 3,000; every 40th a name already in the book.
std::string nameAt(std::uint64_t index) {
    const std::uint64_t h = mix(index);
    if (index > 0 && index % 40 == 0) return nameAt(h % index);
    return word(h % 300) + ' ' + static_cast<char>('a' + (h >> 12) % 26) + ' ' +
           word(1000 + (h >> 20) % 3000);
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

std::string cardAt(std::uint64_t index) {
    using namespace korvale::exchange;
    return cardText(newCard(contactAt(index), VCardVersion::V3, "card-" + std::to_string(index)));
}

std::filesystem::path emptyBook(const std::filesystem::path& dir) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    korvale::createBook(korvale::ClientStore::bookPath(dir));
    return dir;
}

Book makeBook(const std::filesystem::path& dir, std::int64_t rows) {
    {
        Db db = connect(emptyBook(dir));
        // Only this one bulk load gets a large cache: the index takes its entries in random order.
        exec(db, "PRAGMA cache_size = -262144");
        exec(db, "BEGIN");
        Statement insert(db, korvale::sql::kInsert);
        for (std::int64_t i = 0; i < rows; ++i) {
            const korvale::ClientRecord r = contactAt(static_cast<std::uint64_t>(i));
            insert.bind(r), insert.step();
        }
        exec(db, "COMMIT");
        // The rows go into the book file itself, not a WAL the first timed connection would inherit.
        exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
        Statement mode(db, "PRAGMA journal_mode");
        if (!mode.step() || mode.text(0) != "wal") throw std::runtime_error("the book is not in WAL mode");
    }
    Book book{dir, rows, {}, "quentin x nobodyknows"};  // a name no row has
    // Sixteen names from all over the book, off the round numbers: few enough to stay in the caches alike.
    for (std::int64_t i = 0; i < 16; ++i) {
        const std::int64_t at = std::min(i * rows / 16 + i * 7 % (rows / 64 + 1), rows - 1);
        book.names.push_back(contactAt(static_cast<std::uint64_t>(at))[korvale::Column::Name]);
    }
    return book;
}

}  // namespace bench
