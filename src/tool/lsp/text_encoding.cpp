#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

namespace {

// The length in bytes of the UTF-8 sequence a lead byte starts; a stray
// continuation byte counts as one (the editor's text is valid UTF-8, so it
// is only a guard).
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// One character of a UTF-8 text from byte `i`: its code point and length,
// never past the end.
struct Decoded {
    char32_t code = 0;
    std::size_t length = 1;
};
Decoded decode(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = sequence_length(lead);
    if (i + length > text.size()) length = text.size() - i;
    if (length == 1) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return {code, length};
}

}  // namespace

std::string latin1_of_utf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded c = decode(utf8, i);
        out.push_back(c.code <= 0xFF ? static_cast<char>(static_cast<unsigned char>(c.code)) : '?');
        i += c.length;
    }
    return out;
}

std::size_t utf16_units_before(std::string_view line, std::size_t characters) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < line.size() && characters > 0; --characters) {
        const Decoded c = decode(line, i);
        units += c.code > 0xFFFF ? 2 : 1;
        i += c.length;
    }
    return units;
}

std::size_t characters_before(std::string_view line, std::size_t units) {
    std::size_t characters = 0;
    std::size_t counted = 0;
    for (std::size_t i = 0; i < line.size();) {
        const Decoded c = decode(line, i);
        counted += c.code > 0xFFFF ? 2 : 1;
        if (counted > units) break;
        ++characters;
        i += c.length;
    }
    return characters;
}

std::size_t byte_of_utf16(std::string_view line, std::size_t units) {
    std::size_t counted = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        const Decoded c = decode(line, i);
        counted += c.code > 0xFFFF ? 2 : 1;
        if (counted > units) break;
        i += c.length;
    }
    return i;
}

}  // namespace scenario::tool::lsp
