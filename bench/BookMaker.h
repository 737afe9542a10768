#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "store/ClientRecord.h"

namespace bench {

// A book made for one run: DIR/KORVALE.mdb with `rows` contacts.
struct Book {
    std::filesystem::path dir;
    std::int64_t rows = 0;
    // Names that are in the book, taken from all over it, for the look-ups to cycle through.
    std::vector<std::string> presentNames;
    // A name no row has.
    std::string missingName;
    double secondsToMake = 0.0;
};

// The contact stored as row `index` (0-based) of every book: names are lower-case letters and spaces as
// the screens let them be typed, about one in forty repeats an earlier row's name, and the rest are
// drawn from first name, initial and surname, so that large books hold more repeats as well.
korvale::ClientRecord contactAt(std::uint64_t index);

// Creates DIR/KORVALE.mdb through the tool's own schema and appends `rows` contacts in one
// transaction; DIR must exist and hold no book.
Book makeBook(const std::filesystem::path& dir, std::int64_t rows, std::size_t sampleNames);

}  // namespace bench
