#pragma once

#include <cstddef>
#include <vector>

#include "bench/BookMaker.h"
#include "bench/Report.h"

namespace bench {

// Loading and showing each record screen headless, as a screen switch does it (window, controls and
// Form_Load, then Show, until the window is painted), against a bare window built from plain Qt
// widgets of the same kinds, places, texts, fonts and colours. Needs a QApplication.
// Every repetition visits every book.
std::vector<Figure> benchScreens(const std::vector<Book>& books, std::size_t repetitions);

}  // namespace bench
