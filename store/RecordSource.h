#pragma once

#include <string>
#include <utility>

namespace korvale {

// What a record set is opened on. The name of a look-up is only ever bound as a parameter, so any text,
// quotes and wildcards included, selects exactly the rows whose Name equals it.
class RecordSource {
public:
    enum class Kind { WholeTable, ByName };

    // Every row of CLIENT_RECORDS, in the order the rows were stored.
    static RecordSource wholeTable() { return RecordSource(Kind::WholeTable, {}); }
    // The rows whose Name equals the text exactly, first stored first.
    static RecordSource byName(std::string name) { return RecordSource(Kind::ByName, std::move(name)); }

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }

private:
    RecordSource(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
    Kind kind_;
    std::string name_;
};

}  // namespace korvale
