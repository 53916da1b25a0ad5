#include "tool/lsp/documents.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tool/base/display_text.h"
#include "tool/base/sources.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

Document::Document(std::string uri, std::string utf8_text, int version)
    : uri_(std::move(uri)), text_(std::move(utf8_text)), version_(version) {
    index_lines();
}

void Document::index_lines() {
    starts_.assign(1, 0);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
        if (c == '\r' || c == '\n') starts_.push_back(i + 1);
    }
}

std::string_view Document::line(int number) const {
    if (number < 0 || static_cast<std::size_t>(number) >= starts_.size()) return {};
    const std::size_t start = starts_[static_cast<std::size_t>(number)];
    std::size_t end = text_.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text_.size();
    return std::string_view(text_).substr(start, end - start);
}

std::size_t Document::offset_of(Position at) const {
    if (at.line < 0) return 0;
    if (static_cast<std::size_t>(at.line) >= starts_.size()) return text_.size();
    const std::size_t start = starts_[static_cast<std::size_t>(at.line)];
    return start + byte_of_utf16(line(at.line), static_cast<std::size_t>(std::max(at.character, 0)));
}

void Document::change(const std::optional<Range>& range, std::string_view utf8_text, int version) {
    version_ = version;
    if (!range) {
        text_.assign(utf8_text);
    } else {
        const std::size_t from = offset_of(range->start);
        const std::size_t to = std::max(from, offset_of(range->end));
        text_.replace(from, to - from, utf8_text);
    }
    index_lines();
}

Position Document::position_of(int line, int column) const {
    if (line <= 0) return {0, 0};
    const std::size_t characters = column > 1 ? static_cast<std::size_t>(column - 1) : 0;
    return {line - 1, static_cast<int>(utf16_units_before(this->line(line - 1), characters))};
}

std::pair<int, int> Document::column_of(Position at) const {
    const std::size_t characters =
        characters_before(line(at.line), static_cast<std::size_t>(std::max(at.character, 0)));
    return {at.line + 1, static_cast<int>(characters) + 1};
}

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> path_of_uri(std::string_view uri) {
    constexpr std::string_view scheme = "file://";
    if (uri.substr(0, scheme.size()) != scheme) return std::nullopt;
    uri.remove_prefix(scheme.size());
    // "file://host/path": only the local host is ours.
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && host != "localhost") return std::nullopt;
    uri.remove_prefix(slash);
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && hex_value(uri[i + 1]) >= 0 && hex_value(uri[i + 2]) >= 0) {
            path.push_back(static_cast<char>(hex_value(uri[i + 1]) * 16 + hex_value(uri[i + 2])));
            i += 2;
        } else {
            path.push_back(uri[i]);
        }
    }
#ifdef _WIN32
    // "/C:/a/b" is the path "C:/a/b".
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
#endif
    return path;
}

std::string uri_of_path(std::string_view path) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string uri = "file://";
#ifdef _WIN32
    // "C:\a\b" is "file:///C%3A/a/b".
    if (!path.empty() && path[0] != '/' && path[0] != '\\') uri.push_back('/');
#endif
    for (char ch : path) {
#ifdef _WIN32
        if (ch == '\\') ch = '/';
#endif
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || ch == '/' ||
                           ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (plain) {
            uri.push_back(ch);
        } else {
            uri.push_back('%');
            uri.push_back(digits[c >> 4]);
            uri.push_back(digits[c & 0xF]);
        }
    }
    return uri;
}

Document& Workspace::open(const std::string& uri, std::string utf8_text, int version) {
    const std::string path = path_of_uri(uri).value_or(uri);
    auto& slot = byPath_[path];
    slot = std::make_shared<Document>(uri, std::move(utf8_text), version);
    return *slot;
}

void Workspace::close(const std::string& uri) { byPath_.erase(path_of_uri(uri).value_or(uri)); }

Document* Workspace::find_uri(const std::string& uri) {
    const auto found = byPath_.find(path_of_uri(uri).value_or(uri));
    return found == byPath_.end() ? nullptr : found->second.get();
}

const Document* Workspace::open_at(const std::string& path) const {
    const auto found = byPath_.find(path);
    return found == byPath_.end() ? nullptr : found->second.get();
}

namespace {

// A file's bytes, when it is a regular file no larger than a description may
// be.
std::optional<std::string> disk_text(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > largest_description) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<std::string> Workspace::latin1_text(const std::string& path) const {
    if (const Document* d = open_at(path)) return latin1_of_utf8(d->text());
    return disk_text(path);
}

std::shared_ptr<const Document> Workspace::view(const std::string& path) const {
    const auto found = byPath_.find(path);
    if (found != byPath_.end()) return found->second;
    return std::make_shared<Document>(uri_of_path(path), latin1_to_utf8(disk_text(path).value_or("")));
}

std::vector<std::string> Workspace::open_names(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& [path, document] : byPath_) {
        const std::filesystem::path p(path);
        if (p.parent_path() == std::filesystem::path(folder)) names.push_back(p.filename().string());
    }
    return names;
}

}  // namespace scenario::tool::lsp
