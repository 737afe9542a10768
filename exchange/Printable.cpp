#include "exchange/Printable.h"

#include <cstdio>

namespace korvale::exchange {

std::string printable(std::string_view text, LineBreaks breaks) {
    std::string shown;
    shown.reserve(text.size());
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == '\n' && breaks == LineBreaks::Kept) {
            shown += '\n';
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else if (byte == 0xC2 && next >= 0x80 && next < 0xA0) {
            // U+0080 to U+009F in UTF-8: the C1 controls, CSI among them.
            std::snprintf(escape, sizeof escape, "\\u%04x", next);
            shown += escape;
            ++i;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

}  // namespace korvale::exchange
