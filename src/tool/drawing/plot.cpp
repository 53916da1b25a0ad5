#include "tool/drawing/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "tool/base/display_text.h"
#include "tool/drawing/route_terms.h"

namespace scenario::tool {

namespace {

constexpr double page_width = 1400;
constexpr double left_margin = 64;
constexpr double right_margin = 40;
constexpr double inner_width = page_width - left_margin - right_margin;
constexpr const char* font = "DejaVu Sans, Arial, Helvetica, sans-serif";
// The plan follows the geometry to within a centimetre.
constexpr double plan_tolerance = 0.01;

// Text for the SVG, which is UTF-8 XML: a title or train code from the
// command line may hold single-byte letters or control characters, shown as
// display_text shows them (the labels of the scenario are shown so already).
std::string escaped(std::string_view text) {
    const std::string shown = display_text(text);
    std::string out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        // U+FFFE and U+FFFF are UTF-8 but no characters of XML: U+FFFD
        // stands for them.
        const std::string_view rest = std::string_view(shown).substr(i);
        if (rest.starts_with("\xEF\xBF\xBE") || rest.starts_with("\xEF\xBF\xBF")) {
            out += "\xEF\xBF\xBD";
            i += 2;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string fmt(double v, int decimals = 1) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    std::string s = buffer;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

// Characters, not bytes, for the width of a label.
double text_width(std::string_view utf8, double size) {
    double characters = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    return characters * size * 0.6;
}

struct Point {
    double x = 0;
    double y = 0;
};

struct Box {
    double x0, y0, x1, y1;
};

// What is already on a lane: marks first, then labels, each label written
// only where it runs over nothing (otherwise its mark keeps a tooltip).
class Occupancy {
public:
    bool claim(Box b) {
        for (const Box& o : taken_) {
            if (b.x0 < o.x1 && o.x0 < b.x1 && b.y0 < o.y1 && o.y0 < b.y1) return false;
        }
        taken_.push_back(b);
        return true;
    }
    void take(Box b) { taken_.push_back(b); }

private:
    std::vector<Box> taken_;
};

// Names written at 50 degrees up from their anchors: a name is left out
// (its mark keeps a tooltip) when it would run over one already written.
class SlantedLabels {
public:
    bool claim(Point anchor, std::string_view text) {
        const double length = text_width(text, 11);
        for (const auto& [other, other_length] : placed_) {
            const double dx = anchor.x - other.x;
            const double dy = anchor.y - other.y;
            const double across = dx * sin_ + dy * cos_;  // perpendicular to the writing
            const double along = dx * cos_ - dy * sin_;   // along the writing
            if (std::abs(across) < 12 && along > -length && along < other_length) return false;
        }
        placed_.emplace_back(anchor, length);
        return true;
    }

private:
    static constexpr double cos_ = 0.6427876096865394;  // cos 50°
    static constexpr double sin_ = 0.766044443118978;   // sin 50°
    std::vector<std::pair<Point, double>> placed_;
};

std::string title_element(const std::string& text) { return "<title>" + escaped(text) + "</title>"; }

// A short tooltip for an item: its kind, where it is, its label.
std::string item_title(const RouteItem& item) {
    std::string t = kind_key(item.kind);
    if (!item.label.empty()) t += " " + item.label;
    t += item.from != item.to ? " (" + std::to_string(item.from) + " to " + std::to_string(item.to) + " m)"
                              : " (" + std::to_string(item.at) + " m)";
    return t;
}

class Page {
public:
    Page(const RouteModel& model, const RouteData& route, const PlotPage& page)
        : m_(model), r_(route), p_(page), span_(std::max<double>(1, static_cast<double>(page.to - page.from))) {}

    std::string draw();

private:
    double x_of(double metres) const {
        return left_margin + inner_width *
                                 (std::clamp(metres, static_cast<double>(p_.from), static_cast<double>(p_.to)) -
                                  static_cast<double>(p_.from)) /
                                 span_;
    }
    bool shown(const RouteItem& item) const { return item.to >= p_.from && item.from <= p_.to; }
    template <typename Visit>
    void each(ItemKind kind, Visit visit) const {
        for (const RouteItem& item : r_.items) {
            if (item.kind == kind && shown(item)) visit(item);
        }
    }
    void text(double x, double y, const std::string& s, double size, const char* colour, const char* anchor = "start",
              const char* cls = nullptr) {
        svg_ += "<text";
        if (cls != nullptr) svg_ += std::string(" class=\"") + cls + "\"";
        svg_ += " x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" font-size=\"" + fmt(size) + "\" fill=\"" + colour + "\"";
        if (std::string_view(anchor) != "start") svg_ += std::string(" text-anchor=\"") + anchor + "\"";
        svg_ += ">" + escaped(s) + "</text>\n";
    }
    // A label centred on x above `baseline`, when it runs over nothing.
    bool label(Occupancy& lane, double x, double baseline, const std::string& s, double size, const char* colour,
               const char* cls = nullptr) {
        const double w = text_width(s, size);
        if (!lane.claim({x - w / 2 - 1, baseline - size, x + w / 2 + 1, baseline + 2})) return false;
        text(x, baseline, s, size, colour, "middle", cls);
        return true;
    }

    void heading();
    void plan();
    void lane_frame(double top, double height, const std::string& label);
    void zero_line(double y, const std::string& label);
    void step_line(ItemKind kind, double (Page::*y)(double) const, const char* cls, const char* colour);
    void step_labels(Occupancy& lane, ItemKind kind, double (Page::*y)(double) const, const char* unit, double top);
    void elevation_lane(double top, double height);
    void gradient_lane(double top, double height);
    void speed_lane(double top, double height);
    void curve_lane(double top, double height);
    void span_and_sign_lane(double top, double height);
    void signal_lane(double top, double height);
    void station_lane(double top, double height);
    void kilometre_axis(double top);
    void legend(double top);

    double gradient_y(double g) const { return ly_top_ + ly_height_ * (g_high_ - g) / std::max(1.0, g_high_ - g_low_); }
    double speed_y(double v) const { return ly_top_ + ly_height_ * (1 - v / top_speed_); }

    const RouteModel& m_;
    const RouteData& r_;
    const PlotPage& p_;
    const double span_;
    std::string svg_;
    double y_ = 0;  // the top of the next part of the page
    // The value scale of the lane being drawn.
    double ly_top_ = 0;
    double ly_height_ = 1;
    double g_low_ = 0;
    double g_high_ = 0;
    double top_speed_ = 50;
};

void Page::heading() {
    std::vector<std::string> parts;
    // Each part on its own: a title of single-byte letters must not turn
    // the dash between the parts into three letters.
    if (p_.heading.title) parts.push_back(display_text(*p_.heading.title));
    if (p_.heading.trainCode) parts.push_back(display_text(*p_.heading.trainCode));
    double y = 30;
    if (!parts.empty()) {
        std::string h = parts[0];
        if (parts.size() > 1) h += " \xE2\x80\x94 " + parts[1];
        svg_ += "<text x=\"" + fmt(left_margin) + "\" y=\"34\" font-size=\"22\" font-weight=\"bold\">" + escaped(h) +
                "</text>\n";
        y = 54;
    }
    std::size_t stations = 0;
    for (const RouteItem& item : r_.items) stations += item.kind == ItemKind::station ? 1 : 0;
    std::string line = "route " + std::to_string(r_.routeLength) + " m, " + std::to_string(stations) + " stations";
    if (p_.from > 0 || p_.to < r_.extent) {
        line += "; drawn from " + std::to_string(p_.from) + " m to " + std::to_string(p_.to) + " m (km " +
                reading_text(reading_at(r_.breaks, p_.from)) + " to " + reading_text(reading_at(r_.breaks, p_.to)) +
                ")";
    }
    text(left_margin, y, line, 13, "#595959");
    y_ = y + 16;
}

void Page::plan() {
    std::vector<RouteItem> curves;
    for (const RouteItem& item : r_.items) {
        if (item.kind == ItemKind::curve) curves.push_back(item);
    }
    const std::vector<PlanPoint> all = thinned_plan(m_.track, curves, p_.to, plan_tolerance);
    // The points of the stretch, its ends included.
    auto point_at = [&all](double metre) -> std::optional<Point> {
        if (all.empty()) return std::nullopt;
        auto after = std::lower_bound(all.begin(), all.end(), metre,
                                      [](const PlanPoint& p, double m) { return static_cast<double>(p.metre) < m; });
        if (after == all.end()) return std::nullopt;
        if (after == all.begin()) return Point{after->x, after->y};
        const PlanPoint& a = *std::prev(after);
        const double t = (metre - static_cast<double>(a.metre)) / static_cast<double>(after->metre - a.metre);
        return Point{a.x + t * (after->x - a.x), a.y + t * (after->y - a.y)};
    };
    auto stretch = [&](double from, double to) {
        std::vector<Point> points;
        if (const auto p = point_at(from)) points.push_back(*p);
        for (const PlanPoint& p : all) {
            if (static_cast<double>(p.metre) > from && static_cast<double>(p.metre) < to) points.push_back({p.x, p.y});
        }
        if (const auto p = point_at(to)) points.push_back(*p);
        return points;
    };
    const std::vector<Point> points = stretch(static_cast<double>(p_.from), static_cast<double>(p_.to));
    if (points.size() < 2) {
        text(left_margin, y_ + 20, "no plan geometry to draw", 13, "#262626");
        y_ += 40;
        return;
    }

    // The plan is turned so that the stretch runs from left to right across
    // the page; an arrow shows the heading of the line's first metre.
    const Point first = points.front();
    const Point last = points.back();
    double angle = std::atan2(last.y - first.y, last.x - first.x);
    if (std::hypot(last.x - first.x, last.y - first.y) < 1) angle = std::numbers::pi / 2;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
    for (const Point& p : points) {
        const double u = p.x * c + p.y * s;
        const double v = -p.x * s + p.y * c;
        umin = std::min(umin, u);
        umax = std::max(umax, u);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
    }
    const double label_room = 110;  // above the line, for the station names
    const double max_height = 420;
    const double scale =
        std::min(inner_width / std::max(umax - umin, 1.0), (max_height - label_room - 30) / std::max(vmax - vmin, 1.0));
    const double height = std::max(160.0, (vmax - vmin) * scale + label_room + 30);
    const double top = y_ + 10;
    const double centre_x = left_margin + inner_width / 2;
    const double centre_y = top + label_room + (height - label_room) / 2;
    const double mid_u = (umin + umax) / 2;
    const double mid_v = (vmin + vmax) / 2;
    // page x = scale (u - mid_u) + centre_x, page y = centre_y - scale (v - mid_v)
    const double a = scale * c;
    const double b = scale * s;
    const double e = centre_x - scale * mid_u;
    const double f = centre_y + scale * mid_v;
    auto page = [&](Point p) { return Point{a * p.x + b * p.y + e, b * p.x - a * p.y + f}; };
    const std::string matrix = "matrix(" + fmt(a, 9) + " " + fmt(b, 9) + " " + fmt(b, 9) + " " + fmt(-a, 9) + " " +
                               fmt(e, 3) + " " + fmt(f, 3) + ")";
    auto path = [&](const std::vector<Point>& ps, const char* cls, const char* colour, double width,
                    const std::string& title) {
        svg_ += std::string("<path class=\"") + cls + "\" transform=\"" + matrix + "\" fill=\"none\" stroke=\"" +
                colour + "\" stroke-width=\"" + fmt(width) +
                "\" stroke-linejoin=\"round\" vector-effect=\"non-scaling-stroke\" d=\"";
        for (std::size_t i = 0; i < ps.size(); ++i) {
            svg_ += i == 0 ? "M" : " L";
            svg_ += fmt(ps[i].x, 2) + "," + fmt(ps[i].y, 2);
        }
        svg_ += "\">" + (title.empty() ? "" : title_element(title)) + "</path>\n";
    };

    svg_ += "<g id=\"plan\">\n";
    svg_ += "<rect x=\"" + fmt(left_margin - 10) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(inner_width + 20) +
            "\" height=\"" + fmt(height) + "\" fill=\"#f7f9fc\" stroke=\"#d0d7e2\"/>\n";
    svg_ += "<text x=\"" + fmt(left_margin) + "\" y=\"" + fmt(top + 18) +
            "\" font-size=\"13\" font-weight=\"bold\">Plan</text>\n";
    // The path in plan metres, so that its length is the line's.
    path(points, "plan", "#1f4e79", 2.5, "");
    for (const RouteItem& curve : curves) {
        if (!shown(curve)) continue;
        const double from = static_cast<double>(std::max(curve.from, p_.from));
        const double to = static_cast<double>(std::min(curve.to, p_.to));
        path(stretch(from, to), "plan-curve", curve.side < 0 ? "#2e75b6" : "#ed7d31", 4, item_title(curve));
    }

    // Scale bar and heading.
    const double nice[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000};
    double bar = nice[0];
    for (double n : nice) {
        if (n * scale <= 160) bar = n;
    }
    // Beneath the plan's frame, clear of the line.
    const double bar_y = top + height + 14;
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(bar_y) + " h" + fmt(bar * scale) +
            "\" stroke=\"#404040\" stroke-width=\"2\"/>\n";
    text(left_margin + bar * scale + 6, bar_y + 4, bar >= 1000 ? fmt(bar / 1000) + " km" : fmt(bar) + " m", 11,
         "#262626");
    const Point h0{left_margin + inner_width - 16, bar_y};
    const Point dir{s, -c};  // page direction of the plan's +y, the first heading
    svg_ += "<path d=\"M" + fmt(h0.x - 14 * dir.x) + "," + fmt(h0.y - 14 * dir.y) + " L" + fmt(h0.x + 14 * dir.x) +
            "," + fmt(h0.y + 14 * dir.y) + "\" stroke=\"#404040\" stroke-width=\"1.5\" marker-end=\"url(#arrow)\"/>\n";
    text(h0.x - 26, bar_y + 4, "first heading", 11, "#262626", "end");

    // Kilometre posts at whole readings, as many as fit.
    Occupancy posts;
    std::int64_t step = 1000;
    for (std::int64_t st : {1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000}) {
        step = st;
        if (static_cast<double>(p_.to - p_.from) / static_cast<double>(st) <= 30) break;
    }
    std::vector<std::int64_t> bounds{p_.from};
    for (const KilometreBreak& k : r_.breaks) {
        if (k.at > p_.from && k.at < p_.to) bounds.push_back(k.at);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    for (std::size_t k = 0; k < bounds.size(); ++k) {
        const std::int64_t from = bounds[k];
        const std::int64_t to = k + 1 < bounds.size() ? bounds[k + 1] - 1 : p_.to;
        const std::int64_t offset = reading_at(r_.breaks, from) - from;
        std::int64_t reading = from + offset;
        reading = (reading >= 0 ? (reading + step - 1) / step : reading / step) * step;
        for (; reading - offset <= to; reading += step) {
            const auto p = point_at(static_cast<double>(reading - offset));
            if (!p) continue;
            const Point q = page(*p);
            svg_ += "<rect class=\"km-post\" x=\"" + fmt(q.x - 2) + "\" y=\"" + fmt(q.y - 2) +
                    "\" width=\"4\" height=\"4\" fill=\"#404040\"/>\n";
            const std::string post = std::to_string(reading / 1000);
            const double w = text_width(post, 9);
            if (posts.claim({q.x + 3, q.y + 2, q.x + 5 + w, q.y + 12})) text(q.x + 4, q.y + 11, post, 9, "#7f7f7f");
        }
    }

    // Start and end, and the stations with their names.
    const Point start = page(first);
    const Point end = page(last);
    for (const Point& q : {start, end}) {
        svg_ +=
            "<rect x=\"" + fmt(q.x - 4) + "\" y=\"" + fmt(q.y - 4) + "\" width=\"8\" height=\"8\" fill=\"#1f4e79\"/>\n";
    }
    SlantedLabels labels;
    each(ItemKind::station, [&](const RouteItem& st) {
        if (st.at < p_.from || st.at > p_.to) return;
        const auto p = point_at(static_cast<double>(st.at));
        if (!p) return;
        const Point q = page(*p);
        svg_ += "<circle class=\"station\" cx=\"" + fmt(q.x) + "\" cy=\"" + fmt(q.y) + "\" r=\"4.5\" fill=\"" +
                (st.value != 0 ? "#c00000" : "#ffffff") + "\" stroke=\"#c00000\" stroke-width=\"2\">" +
                title_element(st.label + " (" + std::to_string(st.at) + " m)") + "</circle>\n";
        const Point anchor{q.x + 4, q.y - 9};
        if (!labels.claim(anchor, st.label)) return;
        svg_ += "<text x=\"" + fmt(anchor.x) + "\" y=\"" + fmt(anchor.y) +
                "\" font-size=\"11\" transform=\"rotate(-50 " + fmt(anchor.x) + " " + fmt(anchor.y) + ")\">" +
                escaped(st.label) + "</text>\n";
    });
    svg_ += "</g>\n";
    y_ = top + height + 36;
}

void Page::lane_frame(double top, double height, const std::string& label) {
    svg_ += "<rect x=\"" + fmt(left_margin) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(inner_width) + "\" height=\"" +
            fmt(height) + "\" fill=\"none\" stroke=\"#d9d9d9\"/>\n";
    svg_ += "<text x=\"" + fmt(left_margin + 4) + "\" y=\"" + fmt(top + 13) +
            "\" font-size=\"12\" font-weight=\"bold\" fill=\"#404040\">" + escaped(label) + "</text>\n";
}

// A dashed line at a lane's zero, named at its left end outside the lane.
void Page::zero_line(double y, const std::string& label) {
    svg_ += "<path class=\"zero-line\" d=\"M" + fmt(left_margin) + "," + fmt(y) + " H" +
            fmt(left_margin + inner_width) + "\" stroke=\"#a6a6a6\" stroke-dasharray=\"3 3\"/>\n";
    text(left_margin - 4, y + 3, label, 10, "#595959", "end", "zero-label");
}

void Page::step_line(ItemKind kind, double (Page::*y)(double) const, const char* cls, const char* colour) {
    std::string line;
    each(kind, [&](const RouteItem& item) {
        const double v = (this->*y)(item.value);
        line += (line.empty() ? "M" : " L") + fmt(x_of(static_cast<double>(item.from))) + "," + fmt(v) + " H" +
                fmt(x_of(static_cast<double>(item.to)));
    });
    if (line.empty()) return;
    svg_ += std::string("<path class=\"") + cls + "\" d=\"" + line + "\" fill=\"none\" stroke=\"" + colour +
            "\" stroke-width=\"1.5\"/>\n";
}

void Page::step_labels(Occupancy& lane, ItemKind kind, double (Page::*y)(double) const, const char* unit, double top) {
    each(kind, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = x_of(static_cast<double>(item.to));
        const int v = static_cast<int>(item.value);
        const std::string s = (kind == ItemKind::gradient && v > 0 ? "+" : "") + std::to_string(v) + unit;
        if (x1 - x0 < text_width(s, 10) + 4) return;
        const double baseline = std::max(top + 10, (this->*y)(item.value) - 3);
        label(lane, (x0 + x1) / 2, baseline, s, 10, "#262626", "step-value");
    });
}

void Page::elevation_lane(double top, double height) {
    lane_frame(top, height,
               "Elevation (m above the start), from the gradients; gradient of each section (\xE2\x80\xB0)");
    if (r_.elevation.empty()) return;
    const auto first = static_cast<std::size_t>(std::max<std::int64_t>(0, p_.from / cell_metres));
    const std::size_t last =
        std::min(r_.elevation.size() - 1, static_cast<std::size_t>(std::max<std::int64_t>(0, p_.to / cell_metres + 1)));
    if (first >= last) return;
    double low = 1e300;
    double high = -1e300;
    for (std::size_t i = first; i <= last; ++i) {
        low = std::min(low, r_.elevation[i]);
        high = std::max(high, r_.elevation[i]);
    }
    if (high - low < 1) high = low + 1;
    const double inner_top = top + 34;
    const double inner_height = height - 42;
    auto ey = [&](double e) { return inner_top + inner_height * (high - e) / (high - low); };
    // Lowest and highest of every column of the page, not every cell.
    std::string line;
    const double columns = inner_width;
    std::size_t i = first;
    for (int column = 0; column <= static_cast<int>(columns) && i <= last; ++column) {
        const double until = static_cast<double>(p_.from) + span_ * (column + 1) / columns;
        double lo = 1e300;
        double hi = -1e300;
        std::size_t lo_at = i;
        std::size_t hi_at = i;
        for (; i <= last && static_cast<double>(i) * cell_metres <= until; ++i) {
            if (r_.elevation[i] < lo) lo = r_.elevation[i], lo_at = i;
            if (r_.elevation[i] > hi) hi = r_.elevation[i], hi_at = i;
        }
        if (lo > hi) continue;
        for (std::size_t k : {std::min(lo_at, hi_at), std::max(lo_at, hi_at)}) {
            line += (line.empty() ? "M" : " L") + fmt(x_of(static_cast<double>(k) * cell_metres)) + "," +
                    fmt(ey(r_.elevation[k]));
        }
    }
    svg_ += "<path class=\"elevation\" d=\"" + line + "\" fill=\"none\" stroke=\"#548235\" stroke-width=\"1.5\"/>\n";
    text(left_margin - 4, ey(high) + 4, fmt(high) + " m", 10, "#595959", "end");
    text(left_margin - 4, ey(low) + 4, fmt(low) + " m", 10, "#595959", "end");
    Occupancy lane;
    each(ItemKind::gradient, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = x_of(static_cast<double>(item.to));
        const int v = static_cast<int>(item.value);
        const std::string s = (v > 0 ? "+" : "") + std::to_string(v);
        if (x1 - x0 < text_width(s, 10) + 4) return;
        label(lane, (x0 + x1) / 2, top + 27, s, 10, "#44546a", "gradient-value");
    });
}

void Page::gradient_lane(double top, double height) {
    lane_frame(top, height, "Gradient (\xE2\x80\xB0)");
    g_low_ = 0;
    g_high_ = 0;
    each(ItemKind::gradient, [&](const RouteItem& item) {
        g_low_ = std::min(g_low_, item.value);
        g_high_ = std::max(g_high_, item.value);
    });
    ly_top_ = top + 22;
    ly_height_ = height - 30;
    zero_line(gradient_y(0), "0 \xE2\x80\xB0");
    std::string area;
    each(ItemKind::gradient, [&](const RouteItem& item) {
        area += "M" + fmt(x_of(static_cast<double>(item.from))) + "," + fmt(gradient_y(0)) + " V" +
                fmt(gradient_y(item.value)) + " H" + fmt(x_of(static_cast<double>(item.to))) + " V" +
                fmt(gradient_y(0)) + " Z ";
    });
    if (!area.empty()) {
        svg_ += "<path class=\"gradient\" d=\"" + area + "\" fill=\"#d9e1f2\" stroke=\"none\"/>\n";
    }
    step_line(ItemKind::gradient, &Page::gradient_y, "gradient-line", "#44546a");
    for (double g : {g_high_, g_low_}) {
        if (g != 0) text(left_margin - 4, gradient_y(g) + 4, fmt(g), 10, "#595959", "end");
    }
    Occupancy lane;
    step_labels(lane, ItemKind::gradient, &Page::gradient_y, "", top + 14);
}

void Page::speed_lane(double top, double height) {
    lane_frame(top, height,
               "Speed (km/h): line speed, speed boards (A filled, B and C open), slowdowns, warning boards, "
               "restriction marks");
    int highest = 50;
    each(ItemKind::speed, [&](const RouteItem& item) { highest = std::max(highest, static_cast<int>(item.value)); });
    each(ItemKind::speed_boards,
         [&](const RouteItem& item) { highest = std::max(highest, static_cast<int>(item.value)); });
    // The highest speed rounded up to whole 50 km/h, and room above it.
    const int rounded_up = (highest + 49) / 50 * 50;
    top_speed_ = static_cast<double>(rounded_up + 20);
    ly_top_ = top + 24;
    ly_height_ = height - 32;
    for (int v = 50; v < top_speed_; v += 50) {
        svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(speed_y(v)) + " H" + fmt(left_margin + inner_width) +
                "\" stroke=\"#ededed\"/>\n";
        text(left_margin - 4, speed_y(v) + 3, std::to_string(v), 10, "#7f7f7f", "end");
    }
    zero_line(speed_y(0), "0 km/h");
    Occupancy lane;
    // Marks first, so that no label is written over one.
    std::vector<std::pair<const RouteItem*, Box>> slowdowns;
    each(ItemKind::slowdown, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 2);
        const double y = speed_y(std::clamp(item.value, 0.0, top_speed_));
        svg_ += "<rect class=\"slowdown\" x=\"" + fmt(x0) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"" + fmt(speed_y(0) - y) + "\" fill=\"#f8cbad\" stroke=\"#ed7d31\">" +
                title_element(item_title(item)) + "</rect>\n";
        slowdowns.push_back({&item, {x0, y, x1, speed_y(0)}});
    });
    step_line(ItemKind::speed, &Page::speed_y, "speed-limit", "#1f4e79");
    each(ItemKind::speed_boards, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        const char* ranks[] = {"rank A left (km/h)", "rank B left (km/h)", "rank C left (km/h)"};
        for (int r = 2; r >= 0; --r) {
            double v = 0;
            for (const ItemField& f : item.fields) {
                if (f.name == ranks[r]) v = static_cast<double>(std::get<std::int64_t>(f.value));
            }
            const double y = speed_y(std::clamp(v, 0.0, top_speed_));
            const double size = 4 - 0.5 * r;
            svg_ += "<path class=\"speed-board\" d=\"M" + fmt(x) + "," + fmt(y - size) + " l" + fmt(size) + "," +
                    fmt(size) + " l" + fmt(-size) + "," + fmt(size) + " l" + fmt(-size) + "," + fmt(-size) + " Z\" " +
                    (r == 0 ? "fill=\"#548235\"" : "fill=\"#ffffff\" stroke=\"#548235\"") + ">" +
                    title_element(item_title(item)) + "</path>\n";
            lane.take({x - size - 1, y - size - 1, x + size + 1, y + size + 1});
        }
    });
    const double base = speed_y(0);
    each(ItemKind::warning_board, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"warning-board\" d=\"M" + fmt(x) + "," + fmt(base - 16) +
                " l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\">" +
                title_element(item_title(item)) + "</path>\n";
        lane.take({x - 6, base - 17, x + 6, base - 6});
    });
    each(ItemKind::restriction, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"restriction\" d=\"M" + fmt(x) + "," + fmt(base - 5) + " l3,5 h-6 Z\" fill=\"#7030a0\">" +
                title_element(item_title(item)) + "</path>\n";
        lane.take({x - 4, base - 6, x + 4, base});
    });
    // Then the labels: slowdowns first, then the steps of the line speed.
    for (const auto& [item, box] : slowdowns) {
        const std::string s = item->label + " km/h, " + std::to_string(item->to - item->from) + " m";
        if (!label(lane, (box.x0 + box.x1) / 2, box.y0 - 3, s, 10, "#c55a11", "slowdown-value")) {
            label(lane, (box.x0 + box.x1) / 2, box.y0 - 3, item->label, 10, "#c55a11", "slowdown-value");
        }
    }
    step_labels(lane, ItemKind::speed, &Page::speed_y, "", top + 14);
}

void Page::curve_lane(double top, double height) {
    lane_frame(top, height, "Curves: left-hand above, right-hand below; radius (m)");
    const double mid = top + height / 2 + 6;
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(mid) + " H" + fmt(left_margin + inner_width) +
            "\" stroke=\"#bfbfbf\"/>\n";
    Occupancy lane;
    std::vector<std::pair<const RouteItem*, Box>> bands;
    each(ItemKind::curve, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 1.5);
        const double h = 3 + 1.5 * std::max(1.0, item.value);
        const double y = item.side < 0 ? mid - h : mid;
        svg_ += "<rect class=\"curve\" x=\"" + fmt(x0) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"" + fmt(h) + "\" fill=\"" + (item.side < 0 ? "#2e75b6" : "#ed7d31") + "\">" +
                title_element(item_title(item)) + "</rect>\n";
        lane.take({x0, y, x1, y + h});
        bands.push_back({&item, {x0, y, x1, y + h}});
    });
    for (const auto& [item, box] : bands) {
        std::string radius;
        for (const ItemField& f : item->fields) {
            if (f.name == "radius (m)") radius = std::to_string(std::get<std::int64_t>(f.value));
        }
        const double baseline = item->side < 0 ? box.y0 - 2 : box.y1 + 9;
        label(lane, (box.x0 + box.x1) / 2, baseline, "R " + radius, 8, item->side < 0 ? "#2e75b6" : "#c55a11",
              "curve-radius");
    }
}

void Page::span_and_sign_lane(double top, double height) {
    lane_frame(top, height, "Tunnels and mountain spans (type), roadside signs (lettering)");
    const double bar_y = top + 18;
    Occupancy lane;
    std::vector<std::pair<const RouteItem*, Box>> spans;
    each(ItemKind::mountain_span, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 2);
        svg_ += "<rect class=\"mountain-span\" x=\"" + fmt(x0) + "\" y=\"" + fmt(bar_y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"8\" fill=\"#7f7f7f\">" + title_element(item_title(item)) + "</rect>\n";
        lane.take({x0, bar_y, x1, bar_y + 8});
        spans.push_back({&item, {x0, bar_y, x1, bar_y + 8}});
    });
    const double sign_y = top + height - 12;
    std::vector<std::pair<const RouteItem*, double>> signs;
    each(ItemKind::sign, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<rect class=\"sign\" x=\"" + fmt(x - 3) + "\" y=\"" + fmt(sign_y) +
                "\" width=\"6\" height=\"8\" fill=\"#375623\">" + title_element(item_title(item)) + "</rect>\n";
        lane.take({x - 3, sign_y, x + 3, sign_y + 8});
        signs.push_back({&item, x});
    });
    for (const auto& [item, box] : spans) label(lane, (box.x0 + box.x1) / 2, box.y1 + 10, item->label, 9, "#404040");
    for (const auto& [item, x] : signs) {
        // Two rows above the marks before giving up.
        if (!label(lane, x, sign_y - 3, item->label, 9, "#375623", "sign-lettering")) {
            label(lane, x, sign_y - 14, item->label, 9, "#375623", "sign-lettering");
        }
    }
}

void Page::signal_lane(double top, double height) {
    lane_frame(top, height, "Signals (left type / right type), warning boards, restriction marks");
    const double base = top + height - 6;
    Occupancy lane;
    std::vector<std::pair<const RouteItem*, double>> signals;
    each(ItemKind::signal, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"signal\" d=\"M" + fmt(x) + "," + fmt(base) + " V" + fmt(base - 22) +
                "\" stroke=\"#c00000\" stroke-width=\"1.2\">" + title_element(item_title(item)) + "</path>\n";
        lane.take({x - 1, base - 22, x + 1, base});
        signals.push_back({&item, x});
    });
    each(ItemKind::warning_board, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"warning-board\" d=\"M" + fmt(x) + "," + fmt(base - 26) +
                " l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\"/>\n";
        lane.take({x - 5, base - 26, x + 5, base - 17});
    });
    each(ItemKind::restriction, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ +=
            "<path class=\"restriction\" d=\"M" + fmt(x) + "," + fmt(base - 8) + " l3,5 h-6 Z\" fill=\"#7030a0\"/>\n";
    });
    for (const auto& [item, x] : signals) {
        const double w = text_width(item->label, 8);
        if (lane.claim({x + 2, base - 20, x + 3 + w, base - 11})) text(x + 2, base - 12, item->label, 8, "#c00000");
    }
}

void Page::station_lane(double top, double height) {
    lane_frame(top, height, "Stations: filled stop, open pass; timetable time");
    const double bar_y = top + height - 14;
    SlantedLabels labels;
    each(ItemKind::station, [&](const RouteItem& st) {
        const double x0 = x_of(static_cast<double>(st.from));
        const double x1 = std::max(x_of(static_cast<double>(st.to)), x0 + 2);
        svg_ += "<rect class=\"station-extent\" x=\"" + fmt(x0) + "\" y=\"" + fmt(bar_y) + "\" width=\"" +
                fmt(x1 - x0) + "\" height=\"8\" fill=\"#a6a6a6\"/>\n";
        const double x = x_of(static_cast<double>(st.at));
        std::string call;
        std::string time;
        for (const ItemField& f : st.fields) {
            if (f.name == "call") call = std::get<std::string>(f.value);
            if (f.name == "departure" || f.name == "arrival" || f.name == "passing") {
                if (time.empty()) time = std::get<std::string>(f.value).substr(0, 5);
            }
        }
        svg_ += "<circle class=\"station-mark\" cx=\"" + fmt(x) + "\" cy=\"" + fmt(bar_y + 4) + "\" r=\"4\" fill=\"" +
                (st.value != 0 ? "#c00000" : "#ffffff") + "\" stroke=\"#c00000\" stroke-width=\"1.5\">" +
                title_element(st.label + ": " + call + (time.empty() ? "" : " " + time) + " (" + std::to_string(st.at) +
                              " m)") +
                "</circle>\n";
        const std::string s = st.label + (time.empty() ? "" : " " + time) + (call == "stop" ? " stop" : "");
        if (!labels.claim({x + 3, bar_y - 7}, s)) return;
        svg_ += "<text class=\"station-name\" x=\"" + fmt(x + 3) + "\" y=\"" + fmt(bar_y - 7) +
                "\" font-size=\"11\" transform=\"rotate(-50 " + fmt(x + 3) + " " + fmt(bar_y - 7) + ")\">" +
                escaped(s) + "</text>\n";
    });
}

void Page::kilometre_axis(double top) {
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(top) + " H" + fmt(left_margin + inner_width) +
            "\" stroke=\"#404040\"/>\n";
    // Stretches of route with one kilometre offset each, between the breaks.
    std::vector<std::int64_t> bounds{p_.from};
    for (const KilometreBreak& b : r_.breaks) {
        if (b.at > p_.from && b.at < p_.to) bounds.push_back(b.at);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    bounds.push_back(p_.to);

    std::int64_t step = 100;
    for (std::int64_t s : {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000}) {
        step = s;
        if ((p_.to - p_.from) / s <= 25) break;
    }
    const double room = span_ * 0.025;  // keep tick labels clear of a break
    for (std::size_t k = 0; k + 1 < bounds.size(); ++k) {
        const std::int64_t from = bounds[k];
        const std::int64_t to = bounds[k + 1];
        const std::int64_t offset = reading_at(r_.breaks, from) - from;
        std::int64_t reading = from + offset;
        reading = (reading >= 0 ? (reading + step - 1) / step : reading / step) * step;
        for (; reading - offset <= to; reading += step) {
            const std::int64_t p = reading - offset;
            if (k > 0 && static_cast<double>(p - from) < room) continue;
            if (k + 2 < bounds.size() && static_cast<double>(to - p) < room) continue;
            const double x = x_of(static_cast<double>(p));
            svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top) + " v6\" stroke=\"#404040\"/>\n";
            const std::string s =
                step >= 1000 ? std::to_string(reading / 1000) : fmt(static_cast<double>(reading) / 1000.0, 1);
            text(x, top + 18, s, 11, "#262626", "middle", "km");
        }
        if (k > 0) {
            // Successive breaks take turns on two rows, so that near ones stay apart.
            const double row = top + (k % 2 == 1 ? 34 : 48);
            const double x = x_of(static_cast<double>(from));
            svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top - 4) + " V" + fmt(row - 9) +
                    "\" stroke=\"#c00000\" stroke-dasharray=\"2 2\"/>\n";
            text(x, row,
                 "km " + reading_text(reading_at(r_.breaks, from - 1) + 1) + " \xE2\x86\x92 " +
                     reading_text(reading_at(r_.breaks, from)),
                 10, "#c00000", "middle", "km-break");
        }
    }
    text(left_margin + inner_width, top + 66, "kilometre readings (km); breaks in red", 11, "#404040", "end");
}

void Page::legend(double top) {
    struct Entry {
        const char* swatch;
        const char* text;
    };
    const Entry entries[] = {
        {"<path d=\"M0,5 h18\" stroke=\"#1f4e79\" stroke-width=\"2\"/>", "line speed"},
        {"<rect x=\"2\" y=\"0\" width=\"14\" height=\"10\" fill=\"#f8cbad\" stroke=\"#ed7d31\"/>", "slowdown"},
        {"<path d=\"M9,1 l4,4 l-4,4 l-4,-4 Z\" fill=\"#548235\"/>", "speed board"},
        {"<path d=\"M9,-2 V12\" stroke=\"#c00000\" stroke-width=\"1.2\"/>", "signal"},
        {"<path d=\"M9,0 l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\"/>", "warning board"},
        {"<path d=\"M9,2 l3,5 h-6 Z\" fill=\"#7030a0\"/>", "restriction mark"},
        {"<rect x=\"2\" y=\"0\" width=\"7\" height=\"10\" fill=\"#2e75b6\"/><rect x=\"9\" y=\"0\" width=\"7\" "
         "height=\"10\" fill=\"#ed7d31\"/>",
         "curve left / right"},
        {"<rect x=\"2\" y=\"1\" width=\"14\" height=\"8\" fill=\"#7f7f7f\"/>", "tunnel or span"},
        {"<rect x=\"6\" y=\"1\" width=\"6\" height=\"8\" fill=\"#375623\"/>", "roadside sign"},
        {"<circle cx=\"9\" cy=\"5\" r=\"4.5\" fill=\"#c00000\" stroke=\"#c00000\" stroke-width=\"2\"/>", "stop"},
        {"<circle cx=\"9\" cy=\"5\" r=\"4.5\" fill=\"#ffffff\" stroke=\"#c00000\" stroke-width=\"2\"/>", "pass"},
    };
    double x = left_margin;
    for (const Entry& entry : entries) {
        svg_ += "<g transform=\"translate(" + fmt(x) + " " + fmt(top) + ")\">" + entry.swatch +
                "<text x=\"24\" y=\"9\" font-size=\"11\">" + entry.text + "</text></g>\n";
        x += 36 + 6.2 * static_cast<double>(std::char_traits<char>::length(entry.text));
    }
}

std::string Page::draw() {
    heading();
    plan();
    double y = y_;
    elevation_lane(y, 110);
    y += 118;
    gradient_lane(y, 100);
    y += 108;
    speed_lane(y, 180);
    y += 188;
    curve_lane(y, 50);
    y += 58;
    span_and_sign_lane(y, 62);
    y += 70;
    signal_lane(y, 46);
    y += 54;
    station_lane(y, 130);
    y += 138;
    kilometre_axis(y);
    legend(y + 82);
    const double height = y + 112;

    std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    page += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fmt(page_width) + "\" height=\"" + fmt(height) +
            "\" viewBox=\"0 0 " + fmt(page_width) + " " + fmt(height) + "\" font-family=\"" + font + "\">\n";
    page +=
        "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"8\" refY=\"5\" markerWidth=\"6\" "
        "markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 Z\" fill=\"#404040\"/></marker></defs>\n";
    page += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    page += svg_;
    page += "</svg>\n";
    return page;
}

}  // namespace

std::string plot_svg(const RouteModel& model, const RouteData& route, const PlotPage& page) {
    return Page(model, route, page).draw();
}

}  // namespace scenario::tool
