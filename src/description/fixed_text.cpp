#include "description/fixed_text.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "io/file_system.h"

namespace scenario {

LineTable make_line_table(const std::vector<std::string>& lines) {
    LineTable table{};
    if (lines.size() + 1 > table.size()) {
        throw std::length_error("a text of " + std::to_string(lines.size()) + " lines does not fit a table of " +
                                std::to_string(table.size()) + " entries");
    }
    for (std::size_t i = 0; i < lines.size(); ++i) table[i] = lines[i];
    table[lines.size()] = std::string(end_marker);
    return table;
}

std::string fixed_text_content(const LineTable& table) {
    std::string content;
    for (const std::string& line : table) {
        if (line == end_marker) break;
        content += line;
        content += "\r\n";
    }
    return content;
}

void write_fixed_text(const std::string& path, const LineTable& table) {
    const std::string content = fixed_text_content(table);
    replace_and_write(path, [&](OutputFile& out) { out.write(content); });
}

std::string with_crlf_line_ends(std::string_view text) {
    std::string content;
    content.reserve(text.size() + text.size() / 16 + 2);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        content.append(text, at, end - at);
        content += "\r\n";
        at = end + 1;  // past the CR or LF; a CR LF is one line end
        if (end < text.size() && text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
    }
    return content;
}

namespace {

char accented_byte(unsigned char second) {
    switch (second) {
        case 0xA0:
            return static_cast<char>(0xE0);  // à
        case 0xA8:
            return static_cast<char>(0xE8);  // è
        case 0xAC:
            return static_cast<char>(0xEC);  // ì
        case 0xB2:
            return static_cast<char>(0xF2);  // ò
        case 0xB9:
            return static_cast<char>(0xF9);  // ù
        default:
            return 0;
    }
}

}  // namespace

std::vector<std::string> single_byte_lines(std::string_view utf8_text, std::string_view name) {
    std::vector<std::string> lines;
    std::string line;
    int line_number = 1;
    auto reject = [&](const std::string& what) {
        throw std::invalid_argument(std::string(name) + ":" + std::to_string(line_number) + ": " + what);
    };
    for (std::size_t i = 0; i < utf8_text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8_text[i]);
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
            ++line_number;
        } else if (c >= 0x20 && c <= 0x7E) {
            line += static_cast<char>(c);
        } else if (c == 0xC3 && i + 1 < utf8_text.size() &&
                   accented_byte(static_cast<unsigned char>(utf8_text[i + 1])) != 0) {
            line += accented_byte(static_cast<unsigned char>(utf8_text[++i]));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", c);
            reject(std::string("byte ") + hex + " is not printable ASCII nor one of the letters à è ì ò ù");
        }
    }
    if (!line.empty()) reject("the last line has no line end");
    return lines;
}

}  // namespace scenario
