// scenario-tool dump: the three binary files decoded with the program's own
// decoders, as aligned text or JSON lines.
#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
#include "compactor/file_layout.h"
#include "io/file_system.h"
#include "tool/commands.h"
#include "tool/display_text.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

enum class FileKind { records, cells, geometry };

bool ends_with(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending;
}

FileKind kind_of(const std::string& path) {
    if (ends_with(path, "_linea.dat")) return FileKind::geometry;
    if (ends_with(path, ".sim")) return FileKind::records;
    if (ends_with(path, ".dat")) return FileKind::cells;
    throw UsageError("cannot tell what '" + path + "' holds: its name must end in .sim, .dat or _linea.dat");
}

// Output in large pieces: a line geometry file has two million values.
class Output {
public:
    explicit Output(std::ostream& out) : out_(out) { buffer_.reserve(limit + 4096); }
    ~Output() { flush(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void line(std::string_view text) {
        buffer_ += text;
        buffer_ += '\n';
        if (buffer_.size() >= limit) flush();
    }
    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

private:
    static constexpr std::size_t limit = 1 << 20;
    std::ostream& out_;
    std::string buffer_;
};

std::string dumped(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A table whose columns are as wide as their widest entry; numbers right
// aligned, the last column (a text) left aligned.
class Table {
public:
    explicit Table(std::vector<std::string> headers) : rows_{std::move(headers)} {}
    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    void write(Output& out) const {
        std::vector<std::size_t> widths(rows_.front().size(), 0);
        for (const auto& row : rows_) {
            for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
        }
        std::string text;
        for (const auto& row : rows_) {
            text.clear();
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i > 0) text += "  ";
                if (i + 1 == row.size()) {
                    text += row[i];
                    while (!text.empty() && text.back() == ' ') text.pop_back();
                } else {
                    text.append(widths[i] - row[i].size(), ' ');
                    text += row[i];
                }
            }
            out.line(text);
        }
    }

private:
    std::vector<std::vector<std::string>> rows_;
};

template <typename T>
std::string num(T value) {
    return std::to_string(value);
}

std::string real(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The headers of a table, one a field of the file's layout.
template <typename Element, typename Fields>
std::vector<std::string> field_names(Fields fields) {
    std::vector<std::string> names;
    Element element{};
    fields(element, [&names](const char* name, const auto&) { names.push_back(name); });
    return names;
}

std::string field_text(const std::string& text) { return "\"" + display_text(text) + "\""; }
template <typename T>
std::string field_text(T value) {
    return num(value);
}
Json field_json(const std::string& text) { return display_text(text); }
template <typename T>
Json field_json(T value) {
    return value;
}

void dump_records(std::string_view bytes, bool json, Output& out) {
    const std::vector<ScenarioRecord> records = decode_records(bytes);
    std::vector<std::string> headers{"index", "offset"};
    for (std::string& name : field_names<ScenarioRecord>([](auto&r, auto&&v) { layout::record_fields(r, v); })) {
        // The text goes last: the one column left aligned.
        if (name != "text") headers.push_back(std::move(name));
    }
    headers.push_back("text");
    Table table(headers);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ScenarioRecord& r = records[i];
        if (json) {
            Json j;
            j["index"] = i;
            j["offset"] = offset;
            layout::record_fields(r, [&j](const char* name, const auto& field) { j[name] = field_json(field); });
            out.line(dumped(j));
        } else {
            std::vector<std::string> row{num(i), num(offset)};
            layout::record_fields(r, [&row](const char* name, const auto& field) {
                if (std::string_view(name) != "text") row.push_back(field_text(field));
            });
            row.push_back(field_text(r.text));
            table.add(std::move(row));
        }
        offset += layout::record_size_without_text + r.text.size();
    }
    if (!json) table.write(out);
}

void dump_cells(std::string_view bytes, bool json, Output& out) {
    const std::vector<RouteCell> cells = decode_cells(bytes);
    std::vector<std::string> headers{"cell", "from", "to"};
    for (std::string& name : field_names<RouteCell>([](auto&c, auto&&v) { layout::cell_fields(c, v); })) {
        headers.push_back(std::move(name));
    }
    headers.push_back("item");
    Table table(headers);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RouteCell& c = cells[i];
        const std::string item = c.kind == cell_kind::empty ? "" : kind_name(c.kind);
        if (json) {
            Json j;
            j["index"] = i;
            j["from"] = 50 * i;
            j["to"] = 50 * i + 50;
            layout::cell_fields(c, [&j](const char* name, const auto& field) { j[name] = field_json(field); });
            out.line(dumped(j));
        } else {
            std::vector<std::string> row{num(i), num(50 * i), num(50 * i + 50)};
            layout::cell_fields(c, [&row](const char*, const auto& field) { row.push_back(field_text(field)); });
            row.push_back(item);
            table.add(std::move(row));
        }
    }
    if (!json) table.write(out);
}

std::string value_text(const TrackValue& v) { return v.tag == TrackTag::empty ? "-" : real(v.value); }

Json value_json(const TrackValue& v) { return v.tag == TrackTag::empty ? Json(nullptr) : Json(v.value); }

void dump_geometry(std::string_view bytes, bool json, Output& out) {
    std::size_t metres = 0;
    const std::vector<TrackValue> values = decode_line_geometry(bytes, metres);
    auto x = [&](std::size_t m) { return values[m]; };
    auto y = [&](std::size_t m) { return values[metres + m]; };
    auto tag_of = [](const TrackValue& v) { return static_cast<unsigned>(v.tag); };

    if (json) {
        for (std::size_t m = 0; m < metres; ++m) {
            Json j;
            j["metre"] = m;
            j["x"] = value_json(x(m));
            j["y"] = value_json(y(m));
            j["tag"] = tag_of(x(m));
            if (tag_of(y(m)) != tag_of(x(m))) j["yTag"] = tag_of(y(m));
            out.line(dumped(j));
        }
        return;
    }
    // Columns as wide as their widest entry, found in a first pass.
    std::size_t xw = 1;
    std::size_t yw = 1;
    for (std::size_t m = 0; m < metres; ++m) {
        xw = std::max(xw, value_text(x(m)).size());
        yw = std::max(yw, value_text(y(m)).size());
    }
    const std::size_t mw = std::max<std::size_t>(5, num(metres == 0 ? 0 : metres - 1).size());
    auto pad = [](std::string& line, const std::string& field, std::size_t width) {
        line.append(width > field.size() ? width - field.size() : 0, ' ');
        line += field;
    };
    std::string line;
    pad(line, "metre", mw);
    line += "  ";
    pad(line, "x", xw);
    line += "  ";
    pad(line, "y", yw);
    line += "  tag";
    out.line(line);
    for (std::size_t m = 0; m < metres; ++m) {
        line.clear();
        pad(line, num(m), mw);
        line += "  ";
        pad(line, value_text(x(m)), xw);
        line += "  ";
        pad(line, value_text(y(m)), yw);
        line += "  ";
        line += num(tag_of(x(m)));
        if (tag_of(y(m)) != tag_of(x(m))) {
            line += '/';
            line += num(tag_of(y(m)));
        }
        out.line(line);
    }
}

}  // namespace

int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err) {
    const FileKind kind = kind_of(options.file);
    std::string bytes;
    try {
        bytes = read_whole_file(options.file);
    } catch (const FileError& unreadable) {
        throw UsageError(unreadable.what());
    }
    Output output(out);
    try {
        switch (kind) {
            case FileKind::records:
                dump_records(bytes, options.json, output);
                break;
            case FileKind::cells:
                dump_cells(bytes, options.json, output);
                break;
            case FileKind::geometry:
                dump_geometry(bytes, options.json, output);
                break;
        }
    } catch (const DecodeError& bad) {
        if (options.json) {
            Json j;
            j["file"] = options.file;
            j["error"] = bad.what();
            j["offset"] = bad.offset();
            output.line(dumped(j));
        }
        output.flush();
        err << options.file << ": cannot decode: " << bad.what() << "\n";
        return exit_status::scenario_error;
    }
    return exit_status::done;
}

}  // namespace scenario::tool
