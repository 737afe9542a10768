#pragma once

#include <cstddef>
#include <vector>

#include "bench/BookMaker.h"
#include "bench/Report.h"

namespace bench {

struct StoreRepetitions {
    std::size_t opens = 101;
    std::size_t lookUps = 401;
    std::size_t writes = 151;
};

// The store's work as each record screen does it, against the same statements through the C API:
// the four opens (load-time walk included), a look-up that finds a row and one that finds none, and
// the durable add, change and delete. Every repetition visits every book. The books end with the rows
// they started with.
std::vector<Figure> benchStore(const std::vector<Book>& books, const StoreRepetitions& repetitions);

}  // namespace bench
