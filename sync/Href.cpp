#include "sync/Href.h"

#include <cctype>

namespace korvale::sync {

namespace {

// The characters a path segment may hold unencoded, and the separator.
bool plain(unsigned char c) {
    return std::isalnum(c) != 0 ||
           std::string_view("-._~!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void encode(std::string& out, unsigned char c) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

}  // namespace

std::string normalHref(std::string_view href) {
    std::string out;
    out.reserve(href.size());
    for (std::size_t i = 0; i < href.size(); ++i) {
        auto c = static_cast<unsigned char>(href[i]);
        if (c == '%' && i + 2 < href.size() && hexValue(href[i + 1]) >= 0 && hexValue(href[i + 2]) >= 0) {
            c = static_cast<unsigned char>(hexValue(href[i + 1]) * 16 + hexValue(href[i + 2]));
            i += 2;
            if (plain(c)) {
                out += static_cast<char>(c);
            } else {
                encode(out, c);
            }
        } else if (c == '/' || plain(c)) {
            out += static_cast<char>(c);
        } else {
            encode(out, c);
        }
    }
    return out;
}

}  // namespace korvale::sync
