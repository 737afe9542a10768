#include "exchange/CsvFormat.h"

#include <algorithm>

#include "exchange/FormatError.h"
#include "exchange/Utf8.h"

namespace korvale::exchange {

void appendCsvField(std::string& out, std::string_view field, bool first) {
    if (!first) out += ',';
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void endCsvRecord(std::string& out) {
    out += "\r\n";
}

CsvReader::CsvReader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
}

std::string CsvReader::quotedField() {
    std::string field;
    ++pos_;
    for (;;) {
        const std::size_t quote = text_.find('"', pos_);
        if (quote == std::string_view::npos) {
            throw FormatError(recordLine_, "a quoted field that begins on this line is never closed");
        }
        const std::string_view part = text_.substr(pos_, quote - pos_);
        // Every line end counts once: LF, CRLF, or a carriage return alone.
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (part[i] == '\n' || (part[i] == '\r' && (i + 1 == part.size() || part[i + 1] != '\n')))
                ++line_;
        }
        field += part;
        pos_ = quote + 1;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            field += '"';
            ++pos_;
        } else {
            break;
        }
    }
    if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') {
        throw FormatError(line_, "text after the closing quote of a field");
    }
    return field;
}

bool CsvReader::next(std::vector<std::string>& fields) {
    fields.clear();
    while (pos_ < text_.size() && (text_[pos_] == '\n' || text_[pos_] == '\r')) {
        pos_ += text_.substr(pos_, 2) == "\r\n" ? 2 : 1;
        ++line_;
    }
    if (pos_ >= text_.size()) return false;
    recordLine_ = line_;
    for (;;) {
        if (text_[pos_] == '"') {
            fields.push_back(quotedField());
        } else {
            // A record ends at CRLF, LF, or a carriage return alone (as some spreadsheets write).
            const std::size_t end = std::min(text_.find_first_of(",\r\n", pos_), text_.size());
            fields.emplace_back(text_.substr(pos_, end - pos_));
            pos_ = end;
        }
        if (!isUtf8(fields.back())) throw FormatError(line_, "a field that is not UTF-8 text");
        // A NUL would end the text in most programs that read the book, and no screen could show it.
        if (fields.back().find('\0') != std::string::npos)
            throw FormatError(line_, "a field holds a NUL byte");
        if (pos_ < text_.size() && text_[pos_] == ',') {
            ++pos_;
            if (pos_ == text_.size()) fields.emplace_back();
            continue;
        }
        if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        ++line_;
        return true;
    }
}

}  // namespace korvale::exchange
