#pragma once

#include <ostream>

namespace korvale::tool {

void printUsage(std::ostream& out);

}  // namespace korvale::tool
