// scenario-tool dump: the three binary files decoded with the program's own
// decoders, as aligned text or JSON lines, one row at a time: a file of any
// size is shown in bounded memory, its first row out at once.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/binary_decoding.h"
#include "compactor/file_layout.h"
#include "model/placement.h"
#include "tool/base/display_text.h"
#include "tool/base/exit_status.h"
#include "tool/binary/checked_output.h"
#include "tool/binary/dump.h"
#include "tool/binary/input_file.h"
#include "tool/binary/record_view.h"
#include "tool/binary/selection.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::int64_t metres_per_cell = cell_metres;

std::string dumped(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

void pad(std::string& line, std::string_view field, std::size_t width) {
    line.append(width > field.size() ? width - field.size() : 0, ' ');
    line += field;
}

std::size_t digits(std::uint64_t n) { return std::to_string(n).size(); }

// The widest text of a number field of this type.
template <typename Field>
constexpr std::size_t widest() {
    return std::numeric_limits<Field>::is_signed ? std::numeric_limits<Field>::digits10 + 2
                                                 : std::numeric_limits<Field>::digits10 + 1;
}

// What a dump shows, settled before the file is read.
struct Request {
    BinaryFile kind;
    bool json = false;
    bool all = false;
    bool ranged = false;  // --from or --to given
    std::vector<std::string> kinds;
    Selection selection;
};

// ---- scenario records ----

std::vector<RecordItem> record_kinds(const std::vector<std::string>& names) {
    std::vector<RecordItem> items;
    for (const std::string& name : names) {
        const auto found = std::find_if(record_items().begin(), record_items().end(), [&](RecordItem item) {
            return normal_kind(record_item_name(item)) == normal_kind(name);
        });
        if (found == record_items().end()) {
            std::string known;
            for (RecordItem item : record_items())
                known += std::string(known.empty() ? "" : ", ") + record_item_name(item);
            throw UsageError("--kind '" + name + "' is no kind of record; the kinds are " + known);
        }
        items.push_back(*found);
    }
    return items;
}

void dump_records(RecordDecoder& records, Request& request, CheckedOutput& out) {
    const std::vector<RecordItem> kinds = record_kinds(request.kinds);
    const std::optional<KilometreBreaks> breaks = kilometre_breaks(records);
    // Columns: the record, its offset in the file, the item, its values; each
    // as wide as its widest entry in any records file.
    const std::size_t offset_width = digits(largest_file_size(BinaryFile::records));
    std::size_t item_width = 0;
    for (RecordItem item : record_items()) item_width = std::max(item_width, std::strlen(record_item_name(item)));
    auto row = [&](std::string_view index, std::string_view offset, std::string_view item) {
        std::string line;
        pad(line, index, 6);
        line += "  ";
        pad(line, offset, offset_width);
        line += "  ";
        line += item;
        line.append(item_width + 2 - item.size(), ' ');
        return line;
    };
    const int stations = stations_end(records);
    if (!request.json) out.line(row("record", "offset", "item") + "values");
    for (int index = 0; index < record_count; ++index) {
        const ScenarioRecord r = records.record(index);
        const RecordItem item = record_item(index, r, stations);
        if (item == RecordItem::empty && !request.all && kinds.empty()) continue;
        if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), item) == kinds.end()) continue;
        if (request.selection.ranged()) {
            const std::optional<Stretch> stretch = record_stretch(item, r);
            if (!stretch || !request.selection.meets(stretch->from, stretch->to)) continue;
        }
        if (!request.selection.take()) continue;
        const std::vector<RowValue> values = record_values(item, r, breaks);
        if (request.json) {
            Json j;
            j["index"] = index;
            j["offset"] = records.offset(index);
            j["item"] = record_item_name(item);
            for (const RowValue& v : values) j[v.name] = v.json;
            out.line(dumped(j));
        } else {
            std::string line =
                row(std::to_string(index), std::to_string(records.offset(index)), record_item_name(item));
            for (std::size_t i = 0; i < values.size(); ++i) {
                line += (i > 0 ? "  " : "") + values[i].name + "=" + values[i].text;
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out.line(line);
        }
    }
}

// ---- route cells ----

std::vector<std::uint8_t> cell_kinds(const std::vector<std::string>& names) {
    std::vector<std::uint8_t> kinds;
    for (const std::string& name : names) {
        std::optional<std::uint8_t> kind;
        unsigned number = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
        if (error == std::errc() && end == name.data() + name.size() && number <= 255) {
            kind = static_cast<std::uint8_t>(number);
        }
        for (unsigned k = 0; k <= 255 && !kind; ++k) {
            if (normal_kind(kind_name(static_cast<std::uint8_t>(k))) == normal_kind(name)) kind = k;
        }
        if (!kind) {
            std::string known;
            for (unsigned k = 0; k <= 255; ++k) {
                const std::string n = kind_name(static_cast<std::uint8_t>(k));
                if (n != kind_name(255)) known += (known.empty() ? "" : ", ") + n;
            }
            throw UsageError("--kind '" + name + "' is no kind of cell; the kinds are " + known +
                             ", or a kind's number");
        }
        kinds.push_back(*kind);
    }
    return kinds;
}

void dump_cells(CellDecoder& cells, Request& request, CheckedOutput& out) {
    const std::vector<std::uint8_t> kinds = cell_kinds(request.kinds);
    const std::size_t cell_width = std::max<std::size_t>(4, digits(cells.count()));
    const std::size_t metre_width = std::max<std::size_t>(4, digits(cells.count() * metres_per_cell));
    std::vector<std::size_t> widths;
    std::string header;
    pad(header, "cell", cell_width);
    header += "  ";
    pad(header, "from", metre_width);
    header += "  ";
    pad(header, "to", metre_width);
    const RouteCell blank{};
    layout::cell_fields(blank, [&]<typename Field>(const char* name, const Field&) {
        widths.push_back(std::max(std::string_view(name).size(), widest<Field>()));
        header += "  ";
        pad(header, name, widths.back());
    });
    header += "  item";
    if (!request.json) out.line(header);

    for (std::size_t i = 0; i < cells.count(); ++i) {
        const auto from = static_cast<std::int64_t>(i) * metres_per_cell;
        const std::int64_t to = from + metres_per_cell;
        // A cell covers its first metre up to, not including, the next cell's.
        if (!request.selection.meets(from, to - 1)) continue;
        const RouteCell c = cells.cell(i);
        if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), c.kind) == kinds.end()) continue;
        if (!request.selection.take()) continue;
        const std::string item = c.kind == cell_kind::empty ? "" : kind_name(c.kind);
        if (request.json) {
            Json j;
            j["index"] = i;
            j["from"] = from;
            j["to"] = to;
            j["item"] = c.kind == cell_kind::empty ? Json(nullptr) : Json(item);
            layout::cell_fields(c, [&j](const char* name, const auto& field) { j[name] = field; });
            out.line(dumped(j));
            continue;
        }
        std::string line;
        pad(line, std::to_string(i), cell_width);
        line += "  ";
        pad(line, std::to_string(from), metre_width);
        line += "  ";
        pad(line, std::to_string(to), metre_width);
        std::size_t column = 0;
        layout::cell_fields(c, [&](const char*, const auto& field) {
            line += "  ";
            pad(line, std::to_string(field), widths[column++]);
        });
        if (!item.empty()) line += "  " + item;
        out.line(line);
    }
}

// ---- plan geometry ----

constexpr std::size_t coordinate_width = 14;

// Metres to the millimetre; a value no file of the program holds (beyond a
// billion metres, or not a number) as it comes.
std::string millimetres(double value) {
    char buffer[64];
    const bool plain = std::isfinite(value) && std::fabs(value) < 1e9;
    const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3)
                              : std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    return text == "-0.000" ? "0.000" : text;
}

// The exact value, as short as reads back to the same double.
std::string exact(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string tag_text(const TrackValue& x, const TrackValue& y) {
    std::string text = std::to_string(static_cast<unsigned>(x.tag));
    if (y.tag != x.tag) text += "/" + std::to_string(static_cast<unsigned>(y.tag));
    return text;
}

void geometry_row(std::size_t metre, const TrackValue& x, const TrackValue& y, std::size_t metre_width, bool json,
                  std::string& line) {
    line.clear();
    if (json) {
        line += "{\"metre\":" + std::to_string(metre);
        line += ",\"x\":" + (x.tag == TrackTag::empty ? std::string("null") : exact(x.value));
        line += ",\"y\":" + (y.tag == TrackTag::empty ? std::string("null") : exact(y.value));
        line += ",\"tag\":" + std::to_string(static_cast<unsigned>(x.tag));
        if (y.tag != x.tag) line += ",\"yTag\":" + std::to_string(static_cast<unsigned>(y.tag));
        line += "}";
        return;
    }
    pad(line, std::to_string(metre), metre_width);
    line += "  ";
    pad(line, x.tag == TrackTag::empty ? "-" : millimetres(x.value), coordinate_width);
    line += "  ";
    pad(line, y.tag == TrackTag::empty ? "-" : millimetres(y.value), coordinate_width);
    line += "  ";
    line += tag_text(x, y);
}

void dump_geometry(GeometryDecoder& geometry, Request& request, CheckedOutput& out) {
    if (!request.kinds.empty()) throw UsageError("--kind selects records or cells; the plan geometry has none");
    const std::size_t metres = geometry.metres();
    const std::size_t metre_width = std::max<std::size_t>(5, digits(metres == 0 ? 0 : metres - 1));
    std::string line;
    if (!request.json) {
        pad(line, "metre", metre_width);
        line += "  ";
        pad(line, "x", coordinate_width);
        line += "  ";
        pad(line, "y", coordinate_width);
        line += "  tag";
        out.line(line);
    }
    std::vector<Stretch> stretches = request.selection.stretches();
    if (!request.selection.ranged()) stretches = {{0, static_cast<std::int64_t>(metres) - 1}};
    for (const Stretch& s : stretches) {
        const std::int64_t first = std::max<std::int64_t>(s.from, 0);
        const std::int64_t last = std::min<std::int64_t>(s.to, static_cast<std::int64_t>(metres) - 1);
        for (std::int64_t m = first; m <= last; ++m) {
            if (!request.selection.take()) continue;
            const auto metre = static_cast<std::size_t>(m);
            geometry_row(metre, geometry.x(metre), geometry.y(metre), metre_width, request.json, line);
            out.line(line);
        }
    }
}

// ---- the command ----

// The scenario records beside a route cells or plan geometry file, whose
// breaks turn kilometre readings into metres: "T_C.sim" beside "T_C.dat";
// the one "T_*.sim" beside "T_linea.dat".
std::optional<std::string> records_beside(const std::string& path, BinaryFile kind) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (kind == BinaryFile::cells && name_ends_with(path, ".dat")) {
        const std::string sim = path.substr(0, path.size() - 4) + ".sim";
        if (fs::is_regular_file(sim, ignored)) return sim;
    }
    if (kind == BinaryFile::geometry && name_ends_with(path, "_linea.dat")) {
        const fs::path file(path);
        const std::string stem = file.filename().string();
        const std::string title = stem.substr(0, stem.size() - std::string_view("linea.dat").size());
        std::optional<std::string> found;
        const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(title, 0) == 0 && name_ends_with(name, ".sim") && entry.is_regular_file(ignored)) {
                if (found) return std::nullopt;  // more than one train: the author must say which
                found = entry.path().string();
            }
        }
        return found;
    }
    return std::nullopt;
}

KilometreBreaks breaks_from(const std::string& path) {
    const InputFile file(path, BinaryFile::records);
    try {
        RecordDecoder records(file);
        return kilometre_breaks(records);
    } catch (const DecodeError& bad) {
        throw InputError(exit_status::bad_data, path + ": cannot decode: " + bad.what());
    }
}

// Route cells with their records beside them, or given with --sim, are
// refused when they are fewer than the records' route length needs: a
// ".dat" cut short or emptied. Records beside the cells that cannot be read
// leave them unchecked; records given with --sim must be read.
void check_against_records(std::size_t cells, const DumpOptions& options) {
    const bool given = !options.sim.empty();
    const std::optional<std::string> sim =
        given ? std::optional(options.sim) : records_beside(options.file, BinaryFile::cells);
    if (!sim) return;
    ScenarioRecord sizes;
    try {
        const InputFile file(*sim, BinaryFile::records);
        RecordDecoder records(file);
        sizes = records.record(record_index::train_sizes);
    } catch (const InputError&) {
        if (given) throw;
        return;
    } catch (const DecodeError& bad) {
        if (given) throw InputError(exit_status::bad_data, *sim + ": cannot decode: " + bad.what());
        return;
    }
    require_route_cells(cells, sizes, *sim);
}

void dump_file(const InputFile& file, const DumpOptions& options, Request& request, CheckedOutput& out) {
    switch (request.kind) {
        case BinaryFile::records: {
            // The records carry their own breaks.
            RecordDecoder records(file);
            if (request.ranged) {
                request.selection.limit_to(Selection::stretches(options.from, options.to, kilometre_breaks(records)));
            }
            dump_records(records, request, out);
            return;
        }
        case BinaryFile::cells: {
            CellDecoder cells(file);
            check_against_records(cells.count(), options);
            dump_cells(cells, request, out);
            return;
        }
        case BinaryFile::geometry: {
            GeometryDecoder geometry(file);
            dump_geometry(geometry, request, out);
            return;
        }
    }
}

}  // namespace

int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err) {
    Request request{binary_file_kind(options.file, options.as),   options.json,  options.all,
                    !options.from.empty() || !options.to.empty(), options.kinds, {}};
    if (options.every == 0) throw UsageError("--every must be 1 or more");
    request.selection.keep_every(options.every);
    // A wrong range is told before anything is read.
    Selection::stretches(options.from, options.to, KilometreBreaks{});

    ignore_closed_pipes();
    CheckedOutput output(out);
    try {
        if (request.ranged && request.kind != BinaryFile::records) {
            std::optional<KilometreBreaks> breaks;
            if (Selection::needs_breaks(options.from, options.to)) {
                const std::optional<std::string> sim =
                    !options.sim.empty() ? std::optional(options.sim) : records_beside(options.file, request.kind);
                if (!sim) {
                    throw UsageError(
                        "a kilometre reading needs the kilometre-point breaks: give the scenario "
                        "records with --sim FILE.sim");
                }
                breaks = breaks_from(*sim);
            }
            request.selection.limit_to(Selection::stretches(options.from, options.to, breaks));
        }
        const InputFile file(options.file, request.kind);
        try {
            dump_file(file, options, request, output);
        } catch (const DecodeError& bad) {
            if (options.json) {
                Json j;
                j["file"] = utf8_text(file.name());
                j["error"] = bad.what();
                j["offset"] = bad.offset();
                output.line(dumped(j));
                output.flush();
            }
            err << terminal_text(file.name() + ": cannot decode: " + bad.what()) << "\n";
            return exit_status::bad_data;
        }
        output.flush();
    } catch (const InputError& refused) {
        err << terminal_text(refused.what()) << "\n";
        return refused.status();
    } catch (const OutputFailure& failed) {
        err << program_name << ": cannot write the dump: " << failed.what() << "\n";
        return exit_status::cannot_write;
    }
    return exit_status::done;
}

}  // namespace scenario::tool
