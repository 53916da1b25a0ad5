#include "tool/drawing/route_items.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "reader/track_builder.h"
#include "tool/base/display_text.h"
#include "tool/base/scenario_records.h"
#include "tool/drawing/route_terms.h"

namespace scenario::tool {

namespace {

// A hand-made or damaged geometry file can turn every metre differently; the
// page stays bounded all the same.
constexpr std::size_t most_curves = 20000;
constexpr std::size_t most_plan_points = 200000;
// The plan is drawn at most at a tenth of a metre a pixel.
constexpr double plan_tolerance = 0.05;
// A slowdown's warning board stands 1200 m, 24 cells, before its start.
constexpr std::int64_t warning_board_cells = 24;

ItemField field(std::string name, std::int64_t value) { return {std::move(name), value}; }
ItemField field(std::string name, std::string value) { return {std::move(name), std::move(value)}; }
ItemField real_field(std::string name, double value) { return {std::move(name), value}; }

std::string signed_number(int value) { return (value > 0 ? "+" : "") + std::to_string(value); }

RouteItem point_item(ItemKind kind, std::int64_t cell, std::int64_t at) {
    RouteItem item;
    item.kind = kind;
    item.cell = cell;
    item.at = item.from = item.to = at;
    return item;
}

class Collector {
public:
    explicit Collector(const RouteModel& model) : m_(model) {}

    RouteData collect();

private:
    std::int64_t cell_count() const { return static_cast<std::int64_t>(m_.cells.size()); }
    const RouteCell& cell(std::int64_t i) const { return m_.cells[static_cast<std::size_t>(i)]; }
    std::string record_text(std::int64_t index) const {
        if (index < 0 || index >= record_count) return "";
        return display_text(m_.records[static_cast<std::size_t>(index)].text);
    }

    void stations();
    void cell_items();
    void slowdown(std::int64_t start);
    bool approach_marks_before(std::int64_t start) const;
    template <typename Value>
    void steps(ItemKind kind, Value value, const char* unit);
    void mountain_spans();
    void kilometre_breaks();
    void elevation();

    const RouteModel& m_;
    RouteData d_;
    std::int64_t last_cell_ = -1;  // the last cell on the route
};

RouteData Collector::collect() {
    d_.routeLength = std::max<std::int64_t>(0, m_.records[record_index::train_sizes].long2);
    d_.title = display_text(m_.records[record_index::identity].text);
    d_.trainCode = display_text(m_.records[record_index::repetition].text);
    if (cell_count() > 0) {
        // The reader leaves the last three cells without running properties.
        last_cell_ = d_.routeLength > 0 ? std::min(cell_count() - 1, (d_.routeLength - 1) / cell_metres)
                                        : std::max<std::int64_t>(0, cell_count() - 4);
    }
    kilometre_breaks();
    stations();
    cell_items();
    mountain_spans();
    steps(ItemKind::gradient, gradient_per_mille, "\xE2\x80\xB0");
    steps(ItemKind::speed, speed_limit_kmh, " km/h");
    steps(
        ItemKind::adhesion, [](const RouteCell& c) { return static_cast<int>(c.adhesion); }, "");
    elevation();

    std::int64_t extent = std::max(d_.routeLength, cell_start(last_cell_ + 1));
    if (m_.track.exists()) {
        const std::int64_t last = std::min(m_.track.last_metre(), std::max(extent, cell_start(cell_count())));
        std::vector<RouteItem> curves = curves_of(m_.track, last);
        d_.plan = thinned_plan(m_.track, curves, last, plan_tolerance);
        d_.trackMetres = m_.track.last_metre() + 1;
        for (RouteItem& c : curves) d_.items.push_back(std::move(c));
    }
    for (const RouteItem& item : d_.items) extent = std::max(extent, item.to);
    d_.extent = std::min(extent, cell_start(cell_count()));
    std::stable_sort(d_.items.begin(), d_.items.end(), [](const RouteItem& a, const RouteItem& b) {
        return a.at != b.at ? a.at < b.at : static_cast<int>(a.kind) < static_cast<int>(b.kind);
    });
    return std::move(d_);
}

// Who calls where: the first station is left, the last reached; in between a
// timetable time with a dwell is a stop, any other a passing time.
void Collector::stations() {
    std::map<int, std::int64_t> stop_cells;
    for (std::int64_t i = 0; i < cell_count(); ++i) {
        if (cell(i).kind == cell_kind::station_stop) stop_cells.emplace(cell(i).data1, i);
    }
    const std::vector<int> records = station_records(m_);
    for (std::size_t n = 0; n < records.size(); ++n) {
        const int index = records[n];
        const ScenarioRecord& r = m_.records[static_cast<std::size_t>(index)];
        RouteItem item;
        item.kind = ItemKind::station;
        item.at = r.long3;
        item.from = std::min<std::int64_t>(r.long1, r.long3);
        item.to = std::max<std::int64_t>(r.long2, r.long3);
        if (auto stop = stop_cells.find(index); stop != stop_cells.end()) item.cell = stop->second;
        item.label = display_text(r.text);

        const bool first = n == 0;
        const bool last = n + 1 == records.size() && !first;
        const bool dwell = r.byte3 >= shortest_dwell_seconds && r.byte3 <= longest_dwell_seconds;
        std::string call = "pass";
        if (first) {
            call = "departure";
        } else if (last) {
            call = "arrival";
        } else if (dwell && r.long4 != 0) {
            call = "stop";
        }
        item.value = call == "pass" ? 0 : 1;
        // The values in the names of the station row (its name heads the
        // details, its clock is the time of the call).
        item.fields = {field("record", index),  field("kind", r.tag),  field("position", r.long3),
                       field("start", r.long1), field("end", r.long2), field("call", call)};
        if (r.long4 != 0 || first) {
            if (call == "stop") {
                item.fields.push_back(field("arrival", clock_text(r.long4)));
                item.fields.push_back(field("departure", clock_text(r.long4 + r.byte3)));
            } else {
                item.fields.push_back(field(call == "pass" ? "passing" : call, clock_text(r.long4)));
            }
        }
        const std::pair<const char*, std::int64_t> stored[] = {
            {"flag1", r.byte1}, {"flag2", r.byte5}, {"extend50", r.byte4}, {"code1", r.int1}, {"code2", r.int2},
            {"code3", r.byte2}, {"code4", r.int3},  {"code5", r.int4},     {"code6", r.int5}, {"code7", r.byte3}};
        for (const auto& [name, value] : stored) item.fields.push_back(field(name, value));
        if (item.cell >= 0) item.fields.push_back(field("stop cell", item.cell));
        d_.items.push_back(std::move(item));
    }
}

void Collector::cell_items() {
    for (std::int64_t i = 0; i < cell_count(); ++i) {
        const RouteCell& c = cell(i);
        switch (c.kind) {
            case cell_kind::signal: {
                RouteItem item = point_item(ItemKind::signal, i, point_item_metres(i));
                const SignalKind s = unpack_signal_kind(c.data4);
                const SignalCodes codes[] = {unpack_signal_codes(c.data1), unpack_signal_codes(c.data2),
                                             unpack_signal_codes(c.data3)};
                item.value = static_cast<double>(combined_signal_type(s.leftType, s.rightType));
                item.label = std::to_string(s.leftType) + "/" + std::to_string(s.rightType);
                // The signal row's values, in its order, as stored.
                item.fields = {field("posizione", item.at), field("sx", s.leftType),     field("s1", codes[0].left),
                               field("s2", codes[1].left),  field("s3", codes[2].left),  field("rapp", s.rapp),
                               field("dx", s.rightType),    field("d1", codes[0].right), field("d2", codes[1].right),
                               field("d3", codes[2].right), field("tempo", c.data5)};
                d_.items.push_back(std::move(item));
                break;
            }
            case cell_kind::speed_boards: {
                RouteItem item = point_item(ItemKind::speed_boards, i, point_item_metres(i));
                const BoardSpeeds a = unpack_board_speeds(c.data1);
                const BoardSpeeds b = unpack_board_speeds(c.data2);
                const BoardSpeeds cc = unpack_board_speeds(c.data3);
                item.value = static_cast<double>(a.left);
                item.label = std::to_string(a.left) + "/" + std::to_string(b.left) + "/" + std::to_string(cc.left);
                const Stripes stripes = unpack_stripes(c.data4);
                item.fields = {field("posizione", item.at),
                               field("vas", a.left),
                               field("vbs", b.left),
                               field("vcs", cc.left),
                               field("strisces", stripes.left),
                               field("vad", a.right),
                               field("vbd", b.right),
                               field("vcd", cc.right),
                               field("strisced", stripes.right)};
                d_.items.push_back(std::move(item));
                break;
            }
            case cell_kind::slowdown_start:
                slowdown(i);
                break;
            case cell_kind::slowdown_warning: {
                RouteItem item = point_item(ItemKind::warning_board, i, point_item_metres(i));
                item.value = c.data1;
                item.label = std::to_string(c.data1);
                item.fields = {field("v", c.data1), field("d_v", c.data2)};
                d_.items.push_back(std::move(item));
                break;
            }
            case cell_kind::slowdown_approach: {
                RouteItem item = point_item(ItemKind::slowdown_approach, i, cell_start(i));
                item.value = c.data1;
                item.label = std::to_string(c.data1);
                item.fields = {field("order", c.data1), field("d_v given", c.data2 != 0 ? "yes" : "no")};
                d_.items.push_back(std::move(item));
                break;
            }
            case cell_kind::restriction:
            case cell_kind::restriction_without_speed: {
                RouteItem item = point_item(ItemKind::restriction, i, cell_start(i));
                const bool with_speed = c.kind == cell_kind::restriction;
                item.value = with_speed ? c.data1 : 0;
                item.label = with_speed ? std::to_string(c.data1) : "";
                item.fields = {with_speed ? field("value", c.data1) : field("value", "none (0 or below)")};
                d_.items.push_back(std::move(item));
                break;
            }
            case cell_kind::roadside_sign: {
                RouteItem item = point_item(ItemKind::sign, i, point_item_metres(i));
                item.label = record_text(c.data1);
                item.fields = {field("record", c.data1), field("lettering", item.label)};
                d_.items.push_back(std::move(item));
                break;
            }
            default:
                break;
        }
    }
}

// The four approach marks a slowdown's warning board may ask for stand just
// before it; the warning board stands 1200 m before the start.
bool Collector::approach_marks_before(std::int64_t start) const {
    const std::int64_t warning = start - warning_board_cells;
    if (warning - 4 < 0 || cell(warning).kind != cell_kind::slowdown_warning) return false;
    for (std::int64_t i = warning - 4; i < warning; ++i) {
        if (cell(i).kind != cell_kind::slowdown_approach) return false;
    }
    return true;
}

void Collector::slowdown(std::int64_t start) {
    const RouteCell& c = cell(start);
    std::int64_t end = start + 1;
    while (end < cell_count() && cell(end).kind != cell_kind::slowdown_end) ++end;
    RouteItem item = point_item(ItemKind::slowdown, start, point_item_metres(start));
    const bool ended = end < cell_count();
    if (ended) item.to = point_item_metres(end);
    item.value = c.data1;
    item.label = std::to_string(c.data1);
    // The slowdown row's values: f_ta is not kept, but the approach marks
    // before the warning board it asked for are.
    item.fields = {field("x", item.at), field("v", c.data1)};
    item.fields.push_back(ended ? field("l", item.to - item.at) : field("l", "no end cell after the start"));
    item.fields.push_back(field("f_tt", c.data3));
    item.fields.push_back(field("f_ta", approach_marks_before(start) ? "set: approach marks placed" : "0"));
    item.fields.push_back(field("d_v", c.data2));
    if (ended) item.fields.push_back(field("end cell", end));
    d_.items.push_back(std::move(item));
}

template <typename Value>
void Collector::steps(ItemKind kind, Value value, const char* unit) {
    for (std::int64_t i = 0; i <= last_cell_;) {
        const int v = value(cell(i));
        std::int64_t j = i;
        while (j + 1 <= last_cell_ && value(cell(j + 1)) == v) ++j;
        RouteItem item;
        item.kind = kind;
        item.cell = i;
        item.at = item.from = cell_start(i);
        item.to = cell_start(j + 1);
        item.value = v;
        item.label = (kind == ItemKind::gradient ? signed_number(v) : std::to_string(v)) + unit;
        item.fields = {field("position", item.from), field(kind_key(kind), v), field("first cell", i),
                       field("last cell", j), field("length", item.to - item.from)};
        if (kind == ItemKind::gradient) {
            item.fields.push_back(field("stored", cell(i).gradient));
            item.fields.push_back(
                real_field("rise", std::round(v * static_cast<double>(item.to - item.from)) / 1000.0));
        } else if (kind == ItemKind::speed) {
            item.fields.push_back(field("stored", cell(i).speedLimit));
        }
        d_.items.push_back(std::move(item));
        i = j + 1;
    }
}

void Collector::mountain_spans() {
    for (std::int64_t i = 0; i < cell_count();) {
        const int type = cell(i).mountainType;
        if (type == 0) {
            ++i;
            continue;
        }
        std::int64_t j = i;
        int markers = cell(i).kind == cell_kind::mountain_marker ? 1 : 0;
        while (j + 1 < cell_count() && cell(j + 1).mountainType == type) {
            ++j;
            if (cell(j).kind == cell_kind::mountain_marker) ++markers;
        }
        RouteItem item;
        item.kind = ItemKind::mountain_span;
        item.cell = i;
        item.at = item.from = cell_start(i);
        item.to = cell_start(j + 1);
        item.value = type;
        item.label = "type " + std::to_string(type);
        item.fields = {field("inizio", item.from), field("fine", item.to), field("tipo", type),
                       field("first cell", i),     field("last cell", j),  field("length", item.to - item.from),
                       field("markers", markers)};
        d_.items.push_back(std::move(item));
        i = j + 1;
    }
}

void Collector::kilometre_breaks() {
    d_.breaks = scenario::tool::kilometre_breaks(m_);
    for (int index : {record_index::break_uno, record_index::break_due, record_index::break_tre}) {
        const ScenarioRecord& r = m_.records[static_cast<std::size_t>(index)];
        if (r.long1 <= 0) continue;
        RouteItem item;
        item.kind = ItemKind::kilometre_break;
        item.at = item.from = item.to = r.long1;
        item.value = r.long2;
        const std::int64_t before = reading_at(d_.breaks, r.long1 - 1) + 1;
        const std::int64_t after = reading_at(d_.breaks, r.long1);
        item.label = "km " + reading_text(before) + " \xE2\x86\x92 " + reading_text(after);
        item.fields = {field("record", index),
                       field("position", r.long1),
                       field("offset", r.long2),
                       field("flag", r.long3),
                       field("reading before", reading_text(before)),
                       field("reading after", reading_text(after))};
        d_.items.push_back(std::move(item));
    }
}

void Collector::elevation() {
    if (last_cell_ < 0) return;
    d_.elevation.reserve(static_cast<std::size_t>(last_cell_) + 2);
    double height = 0;
    d_.elevation.push_back(0);
    for (std::int64_t i = 0; i <= last_cell_; ++i) {
        height += gradient_per_mille(cell(i)) * static_cast<double>(cell_metres) / 1000.0;
        d_.elevation.push_back(std::round(height * 100) / 100);
    }
}

// The curvature of each class, 1 to 6 (index 0 unused).
struct CurvatureTable {
    double nominal[7] = {};
    CurvatureTable() {
        for (int c = 1; c <= 6; ++c) nominal[c] = curvature_of_class(c);
    }
    // The class whose curvature lies within a tenth of |k|, 0 when none does.
    int class_of(double k) const {
        const double magnitude = std::abs(k);
        for (int c = 1; c <= 6; ++c) {
            if (std::abs(magnitude - nominal[c]) <= 0.1 * nominal[c]) return c;
        }
        return 0;
    }
};

RouteItem curve_item(std::int64_t first, std::int64_t last, int cls, int side, double sum_k) {
    RouteItem item;
    item.kind = ItemKind::curve;
    item.at = item.from = first - 1;
    item.to = last;
    item.side = side;
    item.value = cls;
    const std::int64_t length = last - first + 1;
    const double k = cls > 0 ? curvature_of_class(cls) : std::abs(sum_k) / static_cast<double>(length);
    const double radius = std::round(1.0 / k);
    item.label = std::string(side < 0 ? "left" : "right") + " R " + std::to_string(static_cast<std::int64_t>(radius));
    // The keyword that draws such a curve: its class, and s or d for the hand.
    const std::string keyword = std::string("curva") + (side < 0 ? "s" : "d") + std::to_string(cls);
    item.fields = {cls > 0 ? field("keyword", keyword) : field("keyword", "none (irregular geometry)"),
                   field("start", item.from),
                   field("length", length),
                   field("end", item.to),
                   field("radius", static_cast<std::int64_t>(radius)),
                   real_field("curvature", side * k)};
    return item;
}

double curvature_of(const RouteItem& curve) {
    for (const ItemField& f : curve.fields) {
        if (f.name == "curvature") return std::abs(std::get<double>(f.value));
    }
    return 0;
}

}  // namespace

const char* kind_key(ItemKind kind) {
    switch (kind) {
        case ItemKind::station:
            return "station";
        case ItemKind::signal:
            return "signal";
        case ItemKind::speed_boards:
            return "speed-boards";
        case ItemKind::slowdown:
            return "slowdown";
        case ItemKind::warning_board:
            return "warning-board";
        case ItemKind::slowdown_approach:
            return "slowdown-approach";
        case ItemKind::restriction:
            return "restriction";
        case ItemKind::sign:
            return "sign";
        case ItemKind::mountain_span:
            return "mountain-span";
        case ItemKind::curve:
            return "curve";
        case ItemKind::gradient:
            return "gradient";
        case ItemKind::speed:
            return "speed";
        case ItemKind::adhesion:
            return "adhesion";
        case ItemKind::kilometre_break:
            return "kilometre-break";
    }
    return "item";
}

std::vector<RouteItem> curves_of(const Track& track, std::int64_t last_metre) {
    std::vector<RouteItem> curves;
    if (!track.exists()) return curves;
    const std::int64_t last = std::min(last_metre, track.last_metre());
    const auto xs = track.values(Track::x);
    const auto ys = track.values(Track::y);
    const auto xt = track.tags(Track::x);
    const auto yt = track.tags(Track::y);
    auto built = [&](std::int64_t m) {
        const auto i = static_cast<std::size_t>(m);
        return xt[i] != 0 && yt[i] != 0;
    };

    const CurvatureTable table;
    const double least = 0.5 * table.nominal[1];
    std::int64_t first = -1;  // the first metre of the curve being followed
    int cls = 0;
    int side = 0;
    double sum_k = 0;
    auto close = [&](std::int64_t last_curved) {
        if (first >= 0 && curves.size() < most_curves)
            curves.push_back(curve_item(first, last_curved, cls, side, sum_k));
        first = -1;
    };
    int built_run = 0;  // metres built in a row, up to m
    for (std::int64_t m = 0; m <= last; ++m) {
        built_run = built(m) ? built_run + 1 : 0;
        if (m < 2) continue;
        double k = 0;
        if (built_run >= 3) {
            const auto i = static_cast<std::size_t>(m);
            const double dx0 = xs[i - 1] - xs[i - 2];
            const double dy0 = ys[i - 1] - ys[i - 2];
            const double dx1 = xs[i] - xs[i - 1];
            const double dy1 = ys[i] - ys[i - 1];
            const double square = dx0 * dx0 + dy0 * dy0;
            const double cross = dx0 * dy1 - dy0 * dx1;
            // A curved step turns (dx, dy) into (dx + k dy, dy - k dx); a
            // straight one leaves it as it is.
            if (square > 0 && std::abs(cross) >= least * square) k = -cross / square;
        }
        const bool curved = k != 0;
        const int c = curved ? table.class_of(k) : 0;
        const int s = k < 0 ? -1 : 1;
        if (first >= 0 && (!curved || c != cls || s != side)) close(m - 1);
        if (curved && first < 0) {
            first = m;
            cls = c;
            side = s;
            sum_k = 0;
        }
        if (curved) sum_k += k;
    }
    close(last);
    return curves;
}

std::vector<PlanPoint> thinned_plan(const Track& track, const std::vector<RouteItem>& curves, std::int64_t last_metre,
                                    double tolerance) {
    std::vector<PlanPoint> plan;
    if (!track.exists()) return plan;
    const std::int64_t last = std::min(last_metre, track.last_metre());
    const auto xs = track.values(Track::x);
    const auto ys = track.values(Track::y);
    const auto xt = track.tags(Track::x);
    const auto yt = track.tags(Track::y);
    auto keep = [&](std::int64_t m) {
        if (m < 0 || m > last) return;
        const auto i = static_cast<std::size_t>(m);
        if (xt[i] == 0 || yt[i] == 0) return;
        if (!plan.empty() && plan.back().metre >= m) return;
        plan.push_back({m, xs[i], ys[i]});
    };
    // The built metres end where the entries become empty.
    std::int64_t last_built = last;
    while (last_built >= 0 &&
           (xt[static_cast<std::size_t>(last_built)] == 0 || yt[static_cast<std::size_t>(last_built)] == 0)) {
        --last_built;
    }
    keep(0);
    for (const RouteItem& curve : curves) {
        keep(curve.from);
        // A chord of length s on a circle of radius R lies s² / 8R from it.
        const double radius = 1.0 / std::max(1e-9, curvature_of(curve));
        const auto step = static_cast<std::int64_t>(
            std::clamp(std::sqrt(8 * radius * tolerance), 1.0, static_cast<double>(cell_metres)));
        for (std::int64_t m = curve.from + step; m < curve.to; m += step) keep(m);
        keep(curve.to);
    }
    keep(last_built);
    if (plan.size() > most_plan_points) {
        const std::size_t stride = (plan.size() + most_plan_points - 1) / most_plan_points;
        std::vector<PlanPoint> fewer;
        for (std::size_t i = 0; i < plan.size(); i += stride) fewer.push_back(plan[i]);
        if (fewer.back().metre != plan.back().metre) fewer.push_back(plan.back());
        plan = std::move(fewer);
    }
    return plan;
}

RouteData route_data(const RouteModel& model) { return Collector(model).collect(); }

}  // namespace scenario::tool
