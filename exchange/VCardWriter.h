#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "exchange/Card.h"

namespace korvale::exchange {

enum class VCardVersion { V3, V4 };

// Appends a text escaped for a vCard value: backslash, comma and semicolon escaped, and every line break
// (LF, CRLF, or a carriage return alone, for which vCard has no escape of its own) written "\n".
void appendEscapedText(std::string& out, std::string_view value);
// Appends a list of texts held in one column, its items separated by "," and a comma inside an item
// written "\,": each item escaped as text, the items joined by ",".
void appendEscapedList(std::string& out, std::string_view column);

// Appends vCard content lines to a text: UTF-8, CRLF, lines folded at 75 octets and never inside a
// character, text values escaped.
class VCardWriter {
public:
    VCardWriter(std::string& out, VCardVersion version) : out_(out), version_(version) {}
    VCardVersion version() const { return version_; }

    void begin();
    void end();
    // A text value: backslash, comma, semicolon and line breaks escaped.
    void text(std::string_view nameAndParameters, std::string_view value);
    // A list value from a column that holds it comma-joined (CATEGORIES).
    void list(std::string_view nameAndParameters, std::string_view column);
    // A value of components separated by ";", each escaped as text (N, ADR).
    void components(std::string_view nameAndParameters, std::initializer_list<std::string_view> parts);
    // A value written as it is: one that has nothing to escape (a date), or one escaped already.
    void plain(std::string_view nameAndParameters, std::string_view value);
    // A whole card: BEGIN, its properties in order (VERSION among them), END. A property that kept the
    // text it was read from is written back as that text; any other is written afresh.
    void card(const Card& card);
    // Whether a text written since the last call held a carriage return, which needs its exact text
    // written beside it; clears the mark.
    bool takeCarriageReturn() { return std::exchange(carriageReturn_, false); }

private:
    // A line is written straight into the text and folded there in the rare case it is too long.
    void startLine(std::string_view nameAndParameters);
    void endLine();
    void property(const CardProperty& property);

    std::string& out_;
    VCardVersion version_;
    std::size_t lineStart_ = 0;
    std::string folding_;
    bool carriageReturn_ = false;
};

// A card's text, as VCardWriter::card writes it.
std::string cardText(const Card& card);

}  // namespace korvale::exchange
