// scenario-tool dump: the three binary files decoded with the program's own
// decoders, as aligned text or JSON lines.
#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
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

void dump_records(std::string_view bytes, bool json, Output& out) {
    const std::vector<ScenarioRecord> records = decode_records(bytes);
    Table table({"index", "offset", "tag", "long1", "long2", "long3", "byte1", "int1", "int2", "int3", "int4", "int5",
                 "byte2", "byte3", "byte4", "byte5", "long4", "text"});
    std::size_t offset = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ScenarioRecord& r = records[i];
        const std::string text = display_text(r.text);
        if (json) {
            Json j;
            j["index"] = i;
            j["offset"] = offset;
            j["tag"] = r.tag;
            j["long1"] = r.long1;
            j["long2"] = r.long2;
            j["long3"] = r.long3;
            j["byte1"] = r.byte1;
            j["text"] = text;
            j["int1"] = r.int1;
            j["int2"] = r.int2;
            j["int3"] = r.int3;
            j["int4"] = r.int4;
            j["int5"] = r.int5;
            j["byte2"] = r.byte2;
            j["byte3"] = r.byte3;
            j["byte4"] = r.byte4;
            j["byte5"] = r.byte5;
            j["long4"] = r.long4;
            out.line(dumped(j));
        } else {
            table.add({num(i), num(offset), num(r.tag), num(r.long1), num(r.long2), num(r.long3), num(r.byte1),
                       num(r.int1), num(r.int2), num(r.int3), num(r.int4), num(r.int5), num(r.byte2), num(r.byte3),
                       num(r.byte4), num(r.byte5), num(r.long4), "\"" + text + "\""});
        }
        offset += 34 + r.text.size();
    }
    if (!json) table.write(out);
}

void dump_cells(std::string_view bytes, bool json, Output& out) {
    const std::vector<RouteCell> cells = decode_cells(bytes);
    Table table({"cell", "from", "to", "kind", "data1", "data2", "data3", "data4", "data5", "approachCode",
                 "mountainType", "speedLimit", "gradient", "adhesion", "item"});
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RouteCell& c = cells[i];
        if (json) {
            Json j;
            j["index"] = i;
            j["from"] = 50 * i;
            j["to"] = 50 * i + 50;
            j["kind"] = c.kind;
            j["data1"] = c.data1;
            j["data2"] = c.data2;
            j["data3"] = c.data3;
            j["data4"] = c.data4;
            j["data5"] = c.data5;
            j["approachCode"] = c.approachCode;
            j["mountainType"] = c.mountainType;
            j["speedLimit"] = c.speedLimit;
            j["gradient"] = c.gradient;
            j["adhesion"] = c.adhesion;
            out.line(dumped(j));
        } else {
            table.add({num(i), num(50 * i), num(50 * i + 50), num(c.kind), num(c.data1), num(c.data2), num(c.data3),
                       num(c.data4), num(c.data5), num(c.approachCode), num(c.mountainType), num(c.speedLimit),
                       num(c.gradient), num(c.adhesion), c.kind == cell_kind::empty ? "" : kind_name(c.kind)});
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
