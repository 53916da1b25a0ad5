// The tool holds paths as UTF-8 text, as the command line gives them (on
// Windows, converted from its wide characters). A std::filesystem::path made
// from a plain string takes it in the system's narrow encoding, which on
// Windows is a code page, not UTF-8: every path the tool hands to the
// standard library goes through utf8_path, and comes back through path_text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace scenario::tool {

inline std::filesystem::path utf8_path(std::string_view text) {
    std::u8string utf8(text.size(), u8'\0');
    for (std::size_t i = 0; i < text.size(); ++i) utf8[i] = static_cast<char8_t>(text[i]);
    return std::filesystem::path(utf8);
}

inline std::string path_text(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    std::string text(utf8.size(), '\0');
    for (std::size_t i = 0; i < utf8.size(); ++i) text[i] = static_cast<char>(utf8[i]);
    return text;
}

}  // namespace scenario::tool
