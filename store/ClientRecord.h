#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace korvale {

// The nine text columns of CLIENT_RECORDS, in the table's order and spelling.
enum class Column { Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY };

inline constexpr std::size_t kColumnCount = 9;

inline constexpr std::array<std::string_view, kColumnCount> kColumnNames{
    "Name", "address", "email_id", "dob", "H_PHONE", "W_PHONE", "cell_no", "remarks", "CATEGORY"};

inline constexpr std::string_view kTableName = "CLIENT_RECORDS";
inline constexpr std::string_view kBookFileName = "KORVALE.mdb";

constexpr std::string_view columnName(Column c) { return kColumnNames[static_cast<std::size_t>(c)]; }

// The column a name designates, compared without regard to letter case as the screens spell them
// differently ("name" and "Name"); nullopt for a name the table does not have.
std::optional<Column> columnByName(std::string_view name);

// One row of CLIENT_RECORDS as the screens write it: every column is text.
struct ClientRecord {
    std::array<std::string, kColumnCount> values;

    std::string& operator[](Column c) { return values[static_cast<std::size_t>(c)]; }
    const std::string& operator[](Column c) const { return values[static_cast<std::size_t>(c)]; }
    bool operator==(const ClientRecord&) const = default;
};

}  // namespace korvale
