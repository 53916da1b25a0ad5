// scenario-tool diff: what differs between two compiled files of one kind,
// record by record, cell by cell, or as stretches of the plan geometry, in
// the names and metres that dump shows.
#include <algorithm>
#include <bit>
#include <cmath>
#include <map>

#include "compactor/binary_decoding.h"
#include "compactor/file_layout.h"
#include "model/placement.h"
#include "tool/base/display_text.h"
#include "tool/base/exit_status.h"
#include "tool/base/os.h"
#include "tool/binary/checked_output.h"
#include "tool/binary/diff.h"
#include "tool/binary/input_file.h"
#include "tool/binary/record_view.h"

namespace scenario::tool {

namespace {

constexpr auto metres_per_cell = static_cast<std::int64_t>(cell_length);

// A file that does not decode, named.
class Undecodable : public std::runtime_error {
public:
    Undecodable(const std::string& file, const DecodeError& bad)
        : std::runtime_error(file + ": cannot decode: " + bad.what()) {}
};

template <typename Decoder>
Decoder decoded(const InputFile& file) {
    try {
        return Decoder(file);
    } catch (const DecodeError& bad) {
        throw Undecodable(file.name(), bad);
    }
}

std::string changed(const std::string& a, const std::string& b) { return a + " -> " + b; }

// "1 cell differs", "3 cells differ".
std::string differ(std::size_t n, const std::string& thing, const std::string& of = "") {
    return std::to_string(n) + of + " " + thing + (n == 1 && of.empty() ? "" : "s") + (n == 1 ? " differs" : " differ");
}

// ---- scenario records ----

std::string described(RecordItem item, const ScenarioRecord& r) {
    std::string text = record_item_name(item);
    for (const RowValue& v : record_values(item, r, std::nullopt)) text += " " + v.name + "=" + v.text;
    return text;
}

std::size_t diff_records(const InputFile& a, const InputFile& b, CheckedOutput& out) {
    RecordDecoder ra = decoded<RecordDecoder>(a);
    RecordDecoder rb = decoded<RecordDecoder>(b);
    const int stations_a = stations_end(ra);
    const int stations_b = stations_end(rb);
    std::size_t differing = 0;
    for (int index = 0; index < record_count; ++index) {
        const ScenarioRecord ea = ra.record(index);
        const ScenarioRecord eb = rb.record(index);
        if (ea == eb) continue;
        ++differing;
        const RecordItem ia = record_item(index, ea, stations_a);
        const RecordItem ib = record_item(index, eb, stations_b);
        const std::string record = "record " + std::to_string(index);
        if (ia != ib) {
            out.line(record + ": " + changed(described(ia, ea), described(ib, eb)));
            continue;
        }
        // The same item: the values that changed, under their names.
        std::string line = record + ", " + record_item_name(ia);
        if (ia == RecordItem::station)
            line += " \"" + display_text(ea.text) + "\" at " + std::to_string(ea.long3) + " m";
        if (ia == RecordItem::kilometre_break) line += " at " + std::to_string(ea.long1) + " m";
        std::map<std::string, std::pair<std::string, std::string>> values;
        std::vector<std::string> order;
        for (const RowValue& v : record_values(ia, ea, std::nullopt)) {
            values[v.name].first = v.text;
            order.push_back(v.name);
        }
        for (const RowValue& v : record_values(ib, eb, std::nullopt)) {
            if (!values.contains(v.name)) order.push_back(v.name);
            values[v.name].second = v.text;
        }
        std::string changes;
        for (const std::string& name : order) {
            auto [va, vb] = values[name];
            if (va == vb) continue;
            changes +=
                (changes.empty() ? ": " : ", ") + name + " " + changed(va.empty() ? "0" : va, vb.empty() ? "0" : vb);
        }
        // Texts that show alike but whose bytes differ.
        out.line(line + (changes.empty() ? ": the bytes of its text differ" : changes));
    }
    if (differing > 0) out.line(differ(differing, "record", " of " + std::to_string(record_count)));
    return differing;
}

// ---- route cells ----

std::string cell_place(std::size_t index) {
    const auto from = static_cast<std::int64_t>(index) * metres_per_cell;
    return "cell " + std::to_string(index) + ", " + std::to_string(from) + " to " +
           std::to_string(from + metres_per_cell) + " m";
}

std::string cell_item(const RouteCell& c) { return kind_name(c.kind); }

std::size_t diff_cells(const InputFile& a, const InputFile& b, CheckedOutput& out) {
    CellDecoder ca = decoded<CellDecoder>(a);
    CellDecoder cb = decoded<CellDecoder>(b);
    std::size_t differing = 0;
    const std::size_t common = std::min(ca.count(), cb.count());
    for (std::size_t i = 0; i < common; ++i) {
        const RouteCell ea = ca.cell(i);
        const RouteCell eb = cb.cell(i);
        if (ea == eb) continue;
        ++differing;
        std::string line = cell_place(i) + ", ";
        line += ea.kind == eb.kind ? cell_item(ea) : changed(cell_item(ea), cell_item(eb));
        std::vector<std::int64_t> numbers;
        layout::cell_fields(ea, [&numbers](const char*, const auto& field) { numbers.push_back(field); });
        std::size_t field = 0;
        std::string changes;
        layout::cell_fields(eb, [&](const char* name, const auto& value) {
            const std::int64_t before = numbers[field++];
            if (before == value || std::string_view(name) == "kind") return;
            changes += (changes.empty() ? ": " : ", ") + std::string(name) + " " +
                       changed(std::to_string(before), std::to_string(value));
        });
        out.line(line + changes);
    }
    if (differing > 0) out.line(differ(differing, "cell"));
    if (ca.count() != cb.count()) {
        out.line(terminal_text(a.name()) + " holds " + std::to_string(ca.count()) + " cells, " +
                 terminal_text(b.name()) + " " + std::to_string(cb.count()) + ": the cells from " +
                 std::to_string(common) + " on are in one only");
        ++differing;
    }
    return differing;
}

// ---- plan geometry ----

bool same(const TrackValue& a, const TrackValue& b) {
    return a.tag == b.tag && std::bit_cast<std::uint64_t>(a.value) == std::bit_cast<std::uint64_t>(b.value);
}

std::string coordinate(const TrackValue& v) {
    if (v.tag == TrackTag::empty) return "-";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", v.value);
    return buffer;
}

std::string point(const TrackValue& x, const TrackValue& y) {
    std::string text = "(";
    text += coordinate(x);
    text += ", ";
    text += coordinate(y);
    text += ')';
    return text;
}

// One stretch of metres whose points differ.
struct DifferingStretch {
    std::size_t first = 0;
    std::size_t last = 0;
    double largest = -1;  // the largest distance between the two points; -1 while none had both
    std::size_t at = 0;
    std::string before;
    std::string after;
};

std::size_t diff_geometry(const InputFile& a, const InputFile& b, CheckedOutput& out) {
    GeometryDecoder ga = decoded<GeometryDecoder>(a);
    GeometryDecoder gb = decoded<GeometryDecoder>(b);
    const std::size_t common = std::min(ga.metres(), gb.metres());
    std::size_t metres = 0;
    std::size_t stretches = 0;
    std::optional<DifferingStretch> open;
    auto close = [&]() {
        if (!open) return;
        ++stretches;
        std::string line = "metres " + std::to_string(open->first) + " to " + std::to_string(open->last) + " (" +
                           std::to_string(open->last - open->first + 1) + " m): ";
        if (open->largest >= 0) {
            char distance[64];
            std::snprintf(distance, sizeof distance, "%.3f", open->largest);
            line += "largest shift " + std::string(distance) + " m at metre " + std::to_string(open->at);
        } else {
            line += "the kind of value differs, first at metre " + std::to_string(open->at);
        }
        out.line(line + ": " + changed(open->before, open->after));
        open.reset();
    };
    for (std::size_t m = 0; m < common; ++m) {
        const TrackValue xa = ga.x(m);
        const TrackValue ya = ga.y(m);
        const TrackValue xb = gb.x(m);
        const TrackValue yb = gb.y(m);
        if (same(xa, xb) && same(ya, yb)) {
            close();
            continue;
        }
        ++metres;
        if (!open) open = DifferingStretch{m, m, -1, m, point(xa, ya), point(xb, yb)};
        open->last = m;
        const bool both = xa.tag != TrackTag::empty && ya.tag != TrackTag::empty && xb.tag != TrackTag::empty &&
                          yb.tag != TrackTag::empty;
        if (both) {
            const double distance = std::hypot(xb.value - xa.value, yb.value - ya.value);
            if (distance > open->largest) {
                open->largest = distance;
                open->at = m;
                open->before = point(xa, ya);
                open->after = point(xb, yb);
            }
        }
    }
    close();
    if (metres > 0) {
        out.line(differ(metres, "metre") + ", in " + std::to_string(stretches) +
                 (stretches == 1 ? " stretch" : " stretches"));
    }
    if (ga.metres() != gb.metres()) {
        out.line(terminal_text(a.name()) + " holds " + std::to_string(ga.metres()) + " metres, " +
                 terminal_text(b.name()) + " " + std::to_string(gb.metres()) + ": the metres from " +
                 std::to_string(common) + " on are in one only");
        ++metres;
    }
    return metres;
}

}  // namespace

int diff_command(const DiffOptions& options, std::ostream& out, std::ostream& err) {
    const BinaryFile kind = binary_file_kind(options.a, options.as);
    if (options.as.empty() && binary_file_kind(options.b, options.as) != kind) {
        throw UsageError("'" + options.a + "' and '" + options.b + "' are not the same kind of file");
    }
    os::writes_fail_instead_of_ending();
    CheckedOutput output(out);
    try {
        const InputFile a(options.a, kind);
        const InputFile b(options.b, kind);
        std::size_t differences = 0;
        switch (kind) {
            case BinaryFile::records:
                differences = diff_records(a, b, output);
                break;
            case BinaryFile::cells:
                differences = diff_cells(a, b, output);
                break;
            case BinaryFile::geometry:
                differences = diff_geometry(a, b, output);
                break;
        }
        output.flush();
        return differences == 0 ? exit_status::done : exit_status::differ;
    } catch (const InputError& refused) {
        err << terminal_text(refused.what()) << "\n";
        return refused.status();
    } catch (const Undecodable& bad) {
        err << terminal_text(bad.what()) << "\n";
        return exit_status::bad_data;
    } catch (const OutputFailure& failed) {
        err << program_name << ": cannot write the differences: " << failed.what() << "\n";
        return exit_status::cannot_write;
    }
}

}  // namespace scenario::tool
