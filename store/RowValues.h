#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "store/ClientRecord.h"

namespace korvale {

// The nine values of a row in kColumnNames order, a column without a value (NULL) as nullopt.
using RowValues = std::array<std::optional<std::string>, kColumnCount>;

// The nine texts of a row in kColumnNames order, as read in place (a NULL as the empty text).
using RowTexts = std::array<std::string_view, kColumnCount>;

}  // namespace korvale
