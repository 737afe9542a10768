#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korvale::exchange {

enum class VCardVersion { V3, V4 };

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
    // A value of components separated by ";", each escaped as text (N, ADR).
    void components(std::string_view nameAndParameters, std::initializer_list<std::string_view> parts);
    // A value written as it is: one that has nothing to escape (a date).
    void plain(std::string_view nameAndParameters, std::string_view value);

private:
    // A line is written straight into the text and folded there in the rare case it is too long.
    void startLine(std::string_view nameAndParameters);
    void endLine();
    void appendEscaped(std::string_view value);

    std::string& out_;
    VCardVersion version_;
    std::size_t lineStart_ = 0;
    std::string folding_;
};

}  // namespace korvale::exchange
