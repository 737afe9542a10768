#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "exchange/ContactMapping.h"

namespace korvale::exchange {

// What an import did: contacts added, skipped and why, names that stood in the book before, and what
// of the file found no column.
class ImportReport {
public:
    void read(const Contact& contact, std::size_t line);
    void added() { ++added_; }
    void skipped(std::size_t line, const std::string& name, const std::string& why);
    void alreadyInBook(const std::string& name) { named_.insert(name); }

    // What it did, in lines; `file` is the file read.
    std::string text(const std::string& file, bool dryRun) const;

private:
    std::size_t read_ = 0;
    std::size_t added_ = 0;
    std::vector<std::string> skipped_;
    std::set<std::string> named_;
    std::map<std::string, std::size_t> inRemarks_;
    std::vector<std::string> notKept_;
    std::map<std::string, std::size_t> leftOut_;
};

}  // namespace korvale::exchange
