#include "tool/drawing/plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "tool/base/display_text.h"
#include "tool/drawing/route_terms.h"

namespace scenario::tool {

namespace {

// The page is A4 landscape, 297 by 210 mm, drawn in quarter millimetres:
// text of 10 units prints at 7.1 pt, the least a label is written at.
constexpr double page_width = 1188;
constexpr double page_height = 840;
constexpr double page_mm = 297;
constexpr double left_margin = 56;
constexpr double right_margin = 28;
constexpr double inner_width = page_width - left_margin - right_margin;
constexpr double small_text = 10;
constexpr double title_text = 11;
constexpr const char* font = "DejaVu Sans, Arial, Helvetica, sans-serif";
// The plan follows the geometry to within a centimetre.
constexpr double plan_tolerance = 0.01;
// Station names and the names of the plan are written slanted, 50 degrees up.
constexpr double slant_degrees = -50;

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

// How wide a label is written, a little wider than the font draws most
// letters, so that labels kept apart here stay apart on paper.
double text_width(std::string_view utf8, double size) {
    double em = 0;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) == 0x80) continue;  // the rest of a UTF-8 letter
        if (c == 'm' || c == 'w' || c == 'M' || c == 'W') {
            em += 0.95;
        } else if (c >= 0x80 || (c >= 'A' && c <= 'Z')) {
            em += 0.74;
        } else {
            em += 0.62;
        }
    }
    return em * size;
}

struct Point {
    double x = 0;
    double y = 0;
};

// A rectangle on the page, perhaps turned: the box of a mark, or of a label
// along its base line.
struct Quad {
    std::array<Point, 4> corners;

    static Quad box(double x0, double y0, double x1, double y1) {
        Quad q;
        q.corners = {Point{x0, y0}, Point{x1, y0}, Point{x1, y1}, Point{x0, y1}};
        return q;
    }
    double low(bool y) const {
        double v = 1e300;
        for (const Point& p : corners) v = std::min(v, y ? p.y : p.x);
        return v;
    }
    double high(bool y) const {
        double v = -1e300;
        for (const Point& p : corners) v = std::max(v, y ? p.y : p.x);
        return v;
    }
};

enum class Anchor { start, middle, end };

// Where a text written at `at` lies: from a little above its capitals to
// below its descenders, along the base line turned by `degrees` (as SVG
// turns it, about the anchor).
Quad text_quad(Point at, std::string_view text, double size, Anchor anchor, double degrees = 0) {
    const double w = text_width(text, size);
    const double x0 = anchor == Anchor::start ? 0 : anchor == Anchor::middle ? -w / 2 : -w;
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a);
    const double s = std::sin(a);
    Quad q;
    const Point local[] = {{x0, -0.82 * size}, {x0 + w, -0.82 * size}, {x0 + w, 0.24 * size}, {x0, 0.24 * size}};
    for (std::size_t i = 0; i < 4; ++i) {
        q.corners[i] = {at.x + local[i].x * c - local[i].y * s, at.y + local[i].x * s + local[i].y * c};
    }
    return q;
}

// Whether two rectangles share any area: no side of either separates them.
bool overlap(const Quad& a, const Quad& b) {
    if (a.high(false) <= b.low(false) || b.high(false) <= a.low(false)) return false;
    if (a.high(true) <= b.low(true) || b.high(true) <= a.low(true)) return false;
    for (const Quad* q : {&a, &b}) {
        for (std::size_t i = 0; i < 2; ++i) {
            const Point& p = q->corners[i];
            const Point& r = q->corners[i + 1];
            const Point axis{r.y - p.y, p.x - r.x};
            auto extent = [&axis](const Quad& k) {
                double lo = 1e300;
                double hi = -1e300;
                for (const Point& c : k.corners) {
                    const double v = c.x * axis.x + c.y * axis.y;
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
                return std::pair{lo, hi};
            };
            const auto [alo, ahi] = extent(a);
            const auto [blo, bhi] = extent(b);
            if (ahi <= blo || bhi <= alo) return false;
        }
    }
    return true;
}

// What is already drawn on a part of the page: marks first, then labels,
// each label written only where it runs over nothing (otherwise its mark
// keeps a tooltip) and within the part's bounds.
class Occupancy {
public:
    Occupancy() = default;
    explicit Occupancy(Quad bounds) : bounds_(bounds), bounded_(true) {}

    bool claim(const Quad& q) {
        if (bounded_ && (q.low(false) < bounds_.low(false) || q.high(false) > bounds_.high(false) ||
                         q.low(true) < bounds_.low(true) || q.high(true) > bounds_.high(true))) {
            return false;
        }
        for (const Quad& o : taken_) {
            if (overlap(q, o)) return false;
        }
        taken_.push_back(q);
        return true;
    }
    void take(const Quad& q) { taken_.push_back(q); }
    void take(double x0, double y0, double x1, double y1) { taken_.push_back(Quad::box(x0, y0, x1, y1)); }

private:
    std::vector<Quad> taken_;
    Quad bounds_;
    bool bounded_ = false;
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

std::int64_t field_number(const RouteItem& item, std::string_view name) {
    for (const ItemField& f : item.fields) {
        if (f.name != name) continue;
        if (const auto* n = std::get_if<std::int64_t>(&f.value)) return *n;
    }
    return 0;
}

std::string field_text(const RouteItem& item, std::string_view name) {
    for (const ItemField& f : item.fields) {
        if (f.name != name) continue;
        if (const auto* t = std::get_if<std::string>(&f.value)) return *t;
    }
    return {};
}

// The time a station's label gives: its arrival at a stop, else its one time.
std::string call_time(const RouteItem& station) {
    const std::string call = field_text(station, "call");
    for (const char* name : {"arrival", "departure", "passing"}) {
        if (call == "stop" && std::string_view(name) != "arrival") continue;
        std::string t = field_text(station, name);
        if (!t.empty()) return t;
    }
    return {};
}

// The plan geometry of the stretch drawn, turned so that the stretch runs
// from left to right across the page, and where each metre of it lies there.
class PlanView {
public:
    PlanView(std::vector<PlanPoint> all, double from, double to) : all_(std::move(all)), points_(stretch(from, to)) {}

    bool drawable() const { return points_.size() >= 2; }
    const std::vector<Point>& points() const { return points_; }

    std::optional<Point> point_at(double metre) const {
        if (all_.empty()) return std::nullopt;
        auto after = std::lower_bound(all_.begin(), all_.end(), metre,
                                      [](const PlanPoint& p, double m) { return static_cast<double>(p.metre) < m; });
        if (after == all_.end()) return std::nullopt;
        if (after == all_.begin()) return Point{after->x, after->y};
        const PlanPoint& a = *std::prev(after);
        const double t = (metre - static_cast<double>(a.metre)) / static_cast<double>(after->metre - a.metre);
        return Point{a.x + t * (after->x - a.x), a.y + t * (after->y - a.y)};
    }
    // The points of a stretch, its ends included.
    std::vector<Point> stretch(double from, double to) const {
        std::vector<Point> points;
        if (const auto p = point_at(from)) points.push_back(*p);
        for (const PlanPoint& p : all_) {
            if (static_cast<double>(p.metre) > from && static_cast<double>(p.metre) < to) points.push_back({p.x, p.y});
        }
        if (const auto p = point_at(to)) points.push_back(*p);
        return points;
    }

    // Fits the stretch into a box of the page.
    void fit(double left, double right, double top, double bottom) {
        const Point first = points_.front();
        const Point last = points_.back();
        double angle = std::atan2(last.y - first.y, last.x - first.x);
        if (std::hypot(last.x - first.x, last.y - first.y) < 1) angle = std::numbers::pi / 2;
        c_ = std::cos(angle);
        s_ = std::sin(angle);
        double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
        for (const Point& p : points_) {
            const double u = p.x * c_ + p.y * s_;
            const double v = -p.x * s_ + p.y * c_;
            umin = std::min(umin, u);
            umax = std::max(umax, u);
            vmin = std::min(vmin, v);
            vmax = std::max(vmax, v);
        }
        scale_ = std::min((right - left) / std::max(umax - umin, 1.0), (bottom - top) / std::max(vmax - vmin, 1.0));
        // page x = scale (u - mid u) + centre x, page y = centre y - scale (v - mid v)
        a_ = scale_ * c_;
        b_ = scale_ * s_;
        e_ = (left + right) / 2 - scale_ * (umin + umax) / 2;
        f_ = (top + bottom) / 2 + scale_ * (vmin + vmax) / 2;
    }
    double scale() const { return scale_; }
    Point page(Point p) const { return Point{a_ * p.x + b_ * p.y + e_, b_ * p.x - a_ * p.y + f_}; }
    // The page direction of the plan's +y, the heading of the first metre.
    Point first_heading() const { return {s_, -c_}; }
    std::string matrix() const {
        return "matrix(" + fmt(a_, 9) + " " + fmt(b_, 9) + " " + fmt(b_, 9) + " " + fmt(-a_, 9) + " " + fmt(e_, 3) +
               " " + fmt(f_, 3) + ")";
    }

private:
    std::vector<PlanPoint> all_;
    std::vector<Point> points_;
    double c_ = 1, s_ = 0, scale_ = 1, a_ = 1, b_ = 0, e_ = 0, f_ = 0;
};

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
    void text(Point at, const std::string& s, double size, const char* colour, Anchor anchor = Anchor::start,
              const char* cls = nullptr, double degrees = 0);
    // A label where it runs over nothing on `lane`; false when it would.
    bool label(Occupancy& lane, Point at, const std::string& s, double size, const char* colour,
               Anchor anchor = Anchor::middle, const char* cls = nullptr, double degrees = 0) {
        if (!lane.claim(text_quad(at, s, size, anchor, degrees))) return false;
        text(at, s, size, colour, anchor, cls, degrees);
        return true;
    }
    // A value at the left of a lane, beside its scale.
    void scale_label(double y, const std::string& s, const char* cls = nullptr) {
        label(margin_, {left_margin - 4, y + 3.5}, s, small_text, "#595959", Anchor::end, cls);
    }

    void heading();
    void plan();
    void plan_foot(const PlanView& view, Occupancy& room, double y);
    void plan_marks(const PlanView& view, Occupancy& room);
    template <typename Visit>
    void for_each_reading(std::int64_t most, std::int64_t least_step, Visit visit) const;
    Occupancy lane_frame(double top, double height, const std::string& label);
    void zero_line(double y, const std::string& label);
    void step_line(ItemKind kind, double (Page::*y)(double) const, const char* cls, const char* colour);
    void step_labels(Occupancy& lane, ItemKind kind, double (Page::*y)(double) const, double top);
    void elevation_lane(double top, double height);
    void gradient_lane(double top, double height);
    void speed_lane(double top, double height);
    void speed_marks(Occupancy& lane, std::vector<std::pair<const RouteItem*, Quad>>& slowdowns);
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
    Occupancy margin_;  // the values written left of the lanes
    double y_ = 0;      // the top of the next part of the page
    // The value scale of the lane being drawn.
    double ly_top_ = 0;
    double ly_height_ = 1;
    double g_low_ = 0;
    double g_high_ = 0;
    double top_speed_ = 50;
};

void Page::text(Point at, const std::string& s, double size, const char* colour, Anchor anchor, const char* cls,
                double degrees) {
    svg_ += "<text";
    if (cls != nullptr) svg_ += std::string(" class=\"") + cls + "\"";
    svg_ += " x=\"" + fmt(at.x) + "\" y=\"" + fmt(at.y) + "\" font-size=\"" + fmt(size) + "\" fill=\"" + colour + "\"";
    if (anchor != Anchor::start) svg_ += anchor == Anchor::middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
    if (degrees != 0) svg_ += " transform=\"rotate(" + fmt(degrees) + " " + fmt(at.x) + " " + fmt(at.y) + ")\"";
    svg_ += ">" + escaped(s) + "</text>\n";
}

void Page::heading() {
    std::vector<std::string> parts;
    // Each part on its own: a title of single-byte letters must not turn
    // the dash between the parts into three letters.
    if (p_.heading.title) parts.push_back(display_text(*p_.heading.title));
    if (p_.heading.trainCode) parts.push_back(display_text(*p_.heading.trainCode));
    double y = 24;
    if (!parts.empty()) {
        std::string h = parts[0];
        if (parts.size() > 1) h += " \xE2\x80\x94 " + parts[1];
        svg_ += "<text class=\"heading\" x=\"" + fmt(left_margin) +
                "\" y=\"28\" font-size=\"20\" font-weight=\"bold\">" + escaped(h) + "</text>\n";
        y = 46;
    }
    std::size_t stations = 0;
    for (const RouteItem& item : r_.items) stations += item.kind == ItemKind::station ? 1 : 0;
    std::string line = "route " + std::to_string(r_.routeLength) + " m, " + std::to_string(stations) + " stations";
    if (p_.from > 0 || p_.to < r_.extent) {
        line += "; drawn from " + std::to_string(p_.from) + " m to " + std::to_string(p_.to) + " m (km " +
                reading_text(reading_at(r_.breaks, p_.from)) + " to " + reading_text(reading_at(r_.breaks, p_.to)) +
                ")";
    }
    text({left_margin, y}, line, title_text, "#595959");
    y_ = y + 8;
}

void Page::plan() {
    std::vector<RouteItem> curves;
    for (const RouteItem& item : r_.items) {
        if (item.kind == ItemKind::curve) curves.push_back(item);
    }
    PlanView view(thinned_plan(m_.track, curves, p_.to, plan_tolerance), static_cast<double>(p_.from),
                  static_cast<double>(p_.to));
    if (!view.drawable()) {
        text({left_margin, y_ + 20}, "no plan geometry to draw", title_text, "#262626");
        y_ += 32;
        return;
    }
    // Room above the line for the station names, below it for the scale.
    const double height = 186;
    const double top = y_;
    view.fit(left_margin + 10, left_margin + inner_width - 10, top + 72, top + height - 26);
    auto path = [&](const std::vector<Point>& ps, const char* cls, const char* colour, double width,
                    const std::string& title) {
        svg_ += std::string("<path class=\"") + cls + "\" transform=\"" + view.matrix() + "\" fill=\"none\" stroke=\"" +
                colour + "\" stroke-width=\"" + fmt(width) +
                "\" stroke-linejoin=\"round\" vector-effect=\"non-scaling-stroke\" d=\"";
        for (std::size_t i = 0; i < ps.size(); ++i) {
            svg_ += i == 0 ? "M" : " L";
            svg_ += fmt(ps[i].x, 2) + "," + fmt(ps[i].y, 2);
        }
        svg_ += "\">" + (title.empty() ? "" : title_element(title)) + "</path>\n";
    };
    const double frame_left = left_margin - 10;
    const double frame_right = left_margin + inner_width + 10;
    svg_ += "<g id=\"plan\">\n";
    svg_ += "<rect x=\"" + fmt(frame_left) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(frame_right - frame_left) +
            "\" height=\"" + fmt(height) + "\" fill=\"#f7f9fc\" stroke=\"#d0d7e2\"/>\n";
    Occupancy room(Quad::box(frame_left, top, frame_right, top + height));
    label(room, {left_margin - 4, top + 14}, "Plan", title_text, "#262626", Anchor::start, "lane-title");
    // The path in plan metres, so that its length is the line's.
    path(view.points(), "plan", "#1f4e79", 2.5, "");
    for (const RouteItem& curve : curves) {
        if (!shown(curve)) continue;
        const double from = static_cast<double>(std::max(curve.from, p_.from));
        const double to = static_cast<double>(std::min(curve.to, p_.to));
        path(view.stretch(from, to), "plan-curve", curve.side < 0 ? "#2e75b6" : "#ed7d31", 4, item_title(curve));
    }
    plan_foot(view, room, top + height - 12);
    plan_marks(view, room);
    svg_ += "</g>\n";
    y_ = top + height + 6;
}

// The scale bar and the first heading, in the foot of the plan's frame.
void Page::plan_foot(const PlanView& view, Occupancy& room, double y) {
    const double nice[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000};
    double bar = nice[0];
    for (double n : nice) {
        if (n * view.scale() <= 160) bar = n;
    }
    const double length = bar * view.scale();
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(y) + " h" + fmt(length) +
            "\" stroke=\"#404040\" stroke-width=\"2\"/>\n";
    room.take(left_margin, y - 2, left_margin + length, y + 2);
    label(room, {left_margin + length + 6, y + 4}, bar >= 1000 ? fmt(bar / 1000) + " km" : fmt(bar) + " m", small_text,
          "#262626", Anchor::start);
    const Point h{left_margin + inner_width - 12, y};
    const Point d = view.first_heading();
    svg_ += "<path d=\"M" + fmt(h.x - 9 * d.x) + "," + fmt(h.y - 9 * d.y) + " L" + fmt(h.x + 9 * d.x) + "," +
            fmt(h.y + 9 * d.y) + "\" stroke=\"#404040\" stroke-width=\"1.5\" marker-end=\"url(#arrow)\"/>\n";
    room.take(h.x - 11, h.y - 11, h.x + 11, h.y + 11);
    label(room, {h.x - 16, y + 4}, "first heading", small_text, "#262626", Anchor::end);
}

// The ends, the stations and the kilometre posts, then the stations' names
// and the posts' readings where they run over nothing: a name first.
void Page::plan_marks(const PlanView& view, Occupancy& room) {
    const std::vector<Point>& points = view.points();
    for (const Point& q : {view.page(points.front()), view.page(points.back())}) {
        svg_ +=
            "<rect x=\"" + fmt(q.x - 4) + "\" y=\"" + fmt(q.y - 4) + "\" width=\"8\" height=\"8\" fill=\"#1f4e79\"/>\n";
        room.take(q.x - 4, q.y - 4, q.x + 4, q.y + 4);
    }
    std::vector<std::pair<const RouteItem*, Point>> stations;
    each(ItemKind::station, [&](const RouteItem& st) {
        if (st.at < p_.from || st.at > p_.to) return;
        const auto p = view.point_at(static_cast<double>(st.at));
        if (!p) return;
        const Point q = view.page(*p);
        svg_ += "<circle class=\"station\" cx=\"" + fmt(q.x) + "\" cy=\"" + fmt(q.y) + "\" r=\"4.5\" fill=\"" +
                (st.value != 0 ? "#c00000" : "#ffffff") + "\" stroke=\"#c00000\" stroke-width=\"2\">" +
                title_element(st.label + " (" + std::to_string(st.at) + " m)") + "</circle>\n";
        room.take(q.x - 5.5, q.y - 5.5, q.x + 5.5, q.y + 5.5);
        stations.emplace_back(&st, q);
    });
    std::vector<std::pair<Point, std::string>> posts;
    for_each_reading(30, 1000, [&](std::int64_t position, std::int64_t reading, std::int64_t) {
        const auto p = view.point_at(static_cast<double>(position));
        if (!p) return;
        const Point q = view.page(*p);
        svg_ += "<rect class=\"km-post\" x=\"" + fmt(q.x - 2) + "\" y=\"" + fmt(q.y - 2) +
                "\" width=\"4\" height=\"4\" fill=\"#404040\"/>\n";
        room.take(q.x - 2, q.y - 2, q.x + 2, q.y + 2);
        posts.emplace_back(q, std::to_string(reading / 1000));
    });
    for (const auto& [st, q] : stations) {
        label(room, {q.x + 4, q.y - 9}, st->label, small_text, "#262626", Anchor::start, "station-name", slant_degrees);
    }
    for (const auto& [q, reading] : posts) {
        label(room, {q.x + 4, q.y + 13}, reading, small_text, "#595959", Anchor::start, "km-post-reading");
    }
}

// Each place of the stretch with a whole reading of the step that gives at
// most `most` of them: the position and its reading, stretch by stretch
// between the breaks.
template <typename Visit>
void Page::for_each_reading(std::int64_t most, std::int64_t least_step, Visit visit) const {
    std::int64_t step = least_step;
    for (std::int64_t st : {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000}) {
        if (st < least_step) continue;
        step = st;
        if ((p_.to - p_.from) / st <= most) break;
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
        for (; reading - offset <= to; reading += step) visit(reading - offset, reading, step);
    }
}

// A lane's frame and its title, in the lane's top row; the lane's contents
// stay clear of the title.
Occupancy Page::lane_frame(double top, double height, const std::string& title) {
    svg_ += "<rect x=\"" + fmt(left_margin) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(inner_width) + "\" height=\"" +
            fmt(height) + "\" fill=\"none\" stroke=\"#d9d9d9\"/>\n";
    Occupancy lane(Quad::box(left_margin, top, left_margin + inner_width, top + height));
    svg_ += "<text class=\"lane-title\" x=\"" + fmt(left_margin + 4) + "\" y=\"" + fmt(top + 12) + "\" font-size=\"" +
            fmt(title_text) + "\" font-weight=\"bold\" fill=\"#404040\">" + escaped(title) + "</text>\n";
    lane.take(text_quad({left_margin + 4, top + 12}, title, title_text, Anchor::start));
    return lane;
}

// A dashed line at a lane's zero, named at its left end outside the lane.
void Page::zero_line(double y, const std::string& label) {
    svg_ += "<path class=\"zero-line\" d=\"M" + fmt(left_margin) + "," + fmt(y) + " H" +
            fmt(left_margin + inner_width) + "\" stroke=\"#a6a6a6\" stroke-dasharray=\"3 3\"/>\n";
    scale_label(y, label, "zero-label");
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

// The value of each step above it, where the step is wide enough.
void Page::step_labels(Occupancy& lane, ItemKind kind, double (Page::*y)(double) const, double top) {
    each(kind, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = x_of(static_cast<double>(item.to));
        const int v = static_cast<int>(item.value);
        const std::string s = (kind == ItemKind::gradient && v > 0 ? "+" : "") + std::to_string(v);
        if (x1 - x0 < text_width(s, small_text) + 4) return;
        const double baseline = std::max(top + small_text, (this->*y)(item.value) - 3);
        label(lane, {(x0 + x1) / 2, baseline}, s, small_text, "#262626", Anchor::middle, "step-value");
    });
}

void Page::elevation_lane(double top, double height) {
    Occupancy lane =
        lane_frame(top, height, "Elevation (m above the start), with the gradient of each section (\xE2\x80\xB0)");
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
    const double inner_top = top + 30;
    const double inner_height = height - 34;
    auto ey = [&](double e) { return inner_top + inner_height * (high - e) / (high - low); };
    // Lowest and highest of every column of the page, not every cell.
    std::string line;
    std::size_t i = first;
    for (int column = 0; column <= static_cast<int>(inner_width) && i <= last; ++column) {
        const double until = static_cast<double>(p_.from) + span_ * (column + 1) / inner_width;
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
    scale_label(ey(high), fmt(high) + " m");
    scale_label(ey(low), fmt(low) + " m");
    each(ItemKind::gradient, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = x_of(static_cast<double>(item.to));
        const int v = static_cast<int>(item.value);
        const std::string s = (v > 0 ? "+" : "") + std::to_string(v);
        if (x1 - x0 < text_width(s, small_text) + 4) return;
        label(lane, {(x0 + x1) / 2, top + 25}, s, small_text, "#44546a", Anchor::middle, "gradient-value");
    });
}

void Page::gradient_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height, "Gradient (\xE2\x80\xB0)");
    g_low_ = 0;
    g_high_ = 0;
    each(ItemKind::gradient, [&](const RouteItem& item) {
        g_low_ = std::min(g_low_, item.value);
        g_high_ = std::max(g_high_, item.value);
    });
    ly_top_ = top + 18;
    ly_height_ = height - 22;
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
        if (g != 0) scale_label(gradient_y(g), fmt(g));
    }
    step_labels(lane, ItemKind::gradient, &Page::gradient_y, top + 14);
}

void Page::speed_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height,
                                "Speed (km/h): line speed, speed boards (A filled, B and C open), slowdowns, warning "
                                "boards, restriction marks");
    int highest = 50;
    each(ItemKind::speed, [&](const RouteItem& item) { highest = std::max(highest, static_cast<int>(item.value)); });
    each(ItemKind::speed_boards,
         [&](const RouteItem& item) { highest = std::max(highest, static_cast<int>(item.value)); });
    // The highest speed rounded up to whole 50 km/h, and room above it.
    const int rounded_up = (highest + 49) / 50 * 50;
    top_speed_ = static_cast<double>(rounded_up + 20);
    ly_top_ = top + 18;
    ly_height_ = height - 24;
    for (int v = 50; v < top_speed_; v += 50) {
        svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(speed_y(v)) + " H" + fmt(left_margin + inner_width) +
                "\" stroke=\"#ededed\"/>\n";
        scale_label(speed_y(v), std::to_string(v));
    }
    zero_line(speed_y(0), "0 km/h");
    // Marks first, so that no label is written over one; then the labels:
    // slowdowns first, then the steps of the line speed.
    std::vector<std::pair<const RouteItem*, Quad>> slowdowns;
    speed_marks(lane, slowdowns);
    for (const auto& [item, box] : slowdowns) {
        const std::string s = item->label + " km/h, " + std::to_string(item->to - item->from) + " m";
        const Point at{(box.low(false) + box.high(false)) / 2, box.low(true) - 3};
        if (!label(lane, at, s, small_text, "#a04000", Anchor::middle, "slowdown-value")) {
            label(lane, at, item->label, small_text, "#a04000", Anchor::middle, "slowdown-value");
        }
    }
    step_labels(lane, ItemKind::speed, &Page::speed_y, top + 14);
}

void Page::speed_marks(Occupancy& lane, std::vector<std::pair<const RouteItem*, Quad>>& slowdowns) {
    const double base = speed_y(0);
    each(ItemKind::slowdown, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 2);
        const double y = speed_y(std::clamp(item.value, 0.0, top_speed_));
        svg_ += "<rect class=\"slowdown\" x=\"" + fmt(x0) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"" + fmt(base - y) + "\" fill=\"#f8cbad\" stroke=\"#ed7d31\">" +
                title_element(item_title(item)) + "</rect>\n";
        lane.take(x0, y, x1, base);
        slowdowns.emplace_back(&item, Quad::box(x0, y, x1, base));
    });
    step_line(ItemKind::speed, &Page::speed_y, "speed-limit", "#1f4e79");
    each(ItemKind::speed_boards, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        const char* ranks[] = {"vas", "vbs", "vcs"};
        for (int r = 2; r >= 0; --r) {
            const double v = static_cast<double>(field_number(item, ranks[r]));
            const double y = speed_y(std::clamp(v, 0.0, top_speed_));
            const double size = 4 - 0.5 * r;
            svg_ += "<path class=\"speed-board\" d=\"M" + fmt(x) + "," + fmt(y - size) + " l" + fmt(size) + "," +
                    fmt(size) + " l" + fmt(-size) + "," + fmt(size) + " l" + fmt(-size) + "," + fmt(-size) + " Z\" " +
                    (r == 0 ? "fill=\"#548235\"" : "fill=\"#ffffff\" stroke=\"#548235\"") + ">" +
                    title_element(item_title(item)) + "</path>\n";
            lane.take(x - size - 1, y - size - 1, x + size + 1, y + size + 1);
        }
    });
    each(ItemKind::warning_board, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"warning-board\" d=\"M" + fmt(x) + "," + fmt(base - 16) +
                " l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\">" +
                title_element(item_title(item)) + "</path>\n";
        lane.take(x - 6, base - 17, x + 6, base - 6);
    });
    each(ItemKind::restriction, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"restriction\" d=\"M" + fmt(x) + "," + fmt(base - 5) + " l3,5 h-6 Z\" fill=\"#7030a0\">" +
                title_element(item_title(item)) + "</path>\n";
        lane.take(x - 4, base - 6, x + 4, base);
    });
}

void Page::curve_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height, "Curves: left-hand above, right-hand below; radius (m)");
    const double mid = top + height / 2 + 4;
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(mid) + " H" + fmt(left_margin + inner_width) +
            "\" stroke=\"#bfbfbf\"/>\n";
    std::vector<std::pair<const RouteItem*, Quad>> bands;
    each(ItemKind::curve, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 1.5);
        const double h = 2 + 1.2 * std::max(1.0, item.value);
        const double y = item.side < 0 ? mid - h : mid;
        svg_ += "<rect class=\"curve\" x=\"" + fmt(x0) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"" + fmt(h) + "\" fill=\"" + (item.side < 0 ? "#2e75b6" : "#ed7d31") + "\">" +
                title_element(item_title(item)) + "</rect>\n";
        lane.take(x0, y, x1, y + h);
        bands.emplace_back(&item, Quad::box(x0, y, x1, y + h));
    });
    for (const auto& [item, box] : bands) {
        const double baseline = item->side < 0 ? box.low(true) - 3 : box.high(true) + 9;
        label(lane, {(box.low(false) + box.high(false)) / 2, baseline},
              "R " + std::to_string(field_number(*item, "radius")), small_text, item->side < 0 ? "#1f5a8c" : "#a04000",
              Anchor::middle, "curve-radius");
    }
}

void Page::span_and_sign_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height, "Tunnels and mountain spans (type), roadside signs (lettering)");
    const double bar_y = top + 15;
    std::vector<std::pair<const RouteItem*, double>> spans;
    each(ItemKind::mountain_span, [&](const RouteItem& item) {
        const double x0 = x_of(static_cast<double>(item.from));
        const double x1 = std::max(x_of(static_cast<double>(item.to)), x0 + 2);
        svg_ += "<rect class=\"mountain-span\" x=\"" + fmt(x0) + "\" y=\"" + fmt(bar_y) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"7\" fill=\"#7f7f7f\">" + title_element(item_title(item)) + "</rect>\n";
        lane.take(x0, bar_y, x1, bar_y + 7);
        spans.emplace_back(&item, x0);
    });
    const double sign_y = top + height - 9;
    std::vector<std::pair<const RouteItem*, double>> signs;
    each(ItemKind::sign, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<rect class=\"sign\" x=\"" + fmt(x - 3) + "\" y=\"" + fmt(sign_y) +
                "\" width=\"6\" height=\"8\" fill=\"#375623\">" + title_element(item_title(item)) + "</rect>\n";
        lane.take(x - 3, sign_y, x + 3, sign_y + 8);
        signs.emplace_back(&item, x);
    });
    for (const auto& [item, x] : spans) {
        label(lane, {x, bar_y + 17}, item->label, small_text, "#404040", Anchor::start, "span-type");
    }
    // Two rows above the marks before giving up.
    for (const auto& [item, x] : signs) {
        if (!label(lane, {x, sign_y - 3}, item->label, small_text, "#375623", Anchor::middle, "sign-lettering")) {
            label(lane, {x, sign_y - 14}, item->label, small_text, "#375623", Anchor::middle, "sign-lettering");
        }
    }
}

// Signals stand on the foot of the lane, the warning boards of slowdowns in
// a row above them, so that neither covers the other.
void Page::signal_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height, "Signals (sx / dx), with the warning boards of slowdowns above them");
    const double base = top + height - 2;
    const double board_top = top + 15;
    std::vector<std::pair<const RouteItem*, double>> signals;
    each(ItemKind::signal, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"signal\" d=\"M" + fmt(x) + "," + fmt(base) + " V" + fmt(base - 12) +
                "\" stroke=\"#c00000\" stroke-width=\"1.2\">" + title_element(item_title(item)) + "</path>\n";
        lane.take(x - 1, base - 12, x + 1, base);
        signals.emplace_back(&item, x);
    });
    each(ItemKind::warning_board, [&](const RouteItem& item) {
        const double x = x_of(static_cast<double>(item.at));
        svg_ += "<path class=\"warning-board\" d=\"M" + fmt(x) + "," + fmt(board_top) +
                " l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\">" +
                title_element(item_title(item)) + "</path>\n";
        lane.take(x - 5, board_top, x + 5, board_top + 9);
    });
    for (const auto& [item, x] : signals) {
        label(lane, {x + 2, base - 3}, item->label, small_text, "#c00000", Anchor::start, "signal-types");
    }
}

void Page::station_lane(double top, double height) {
    Occupancy lane = lane_frame(top, height, "Stations: filled stop, open pass; timetable time");
    const double bar_y = top + height - 12;
    std::vector<std::pair<const RouteItem*, double>> stations;
    each(ItemKind::station, [&](const RouteItem& st) {
        const double x0 = x_of(static_cast<double>(st.from));
        const double x1 = std::max(x_of(static_cast<double>(st.to)), x0 + 2);
        svg_ += "<rect class=\"station-extent\" x=\"" + fmt(x0) + "\" y=\"" + fmt(bar_y) + "\" width=\"" +
                fmt(x1 - x0) + "\" height=\"8\" fill=\"#a6a6a6\"/>\n";
        lane.take(x0, bar_y, x1, bar_y + 8);
        const double x = x_of(static_cast<double>(st.at));
        const std::string time = call_time(st);
        svg_ += "<circle class=\"station-mark\" cx=\"" + fmt(x) + "\" cy=\"" + fmt(bar_y + 4) + "\" r=\"4\" fill=\"" +
                (st.value != 0 ? "#c00000" : "#ffffff") + "\" stroke=\"#c00000\" stroke-width=\"1.5\">" +
                title_element(st.label + ": " + field_text(st, "call") + (time.empty() ? "" : " " + time) + " (" +
                              std::to_string(st.at) + " m)") +
                "</circle>\n";
        lane.take(x - 5, bar_y - 1, x + 5, bar_y + 9);
        stations.emplace_back(&st, x);
    });
    // Each name with its time on the lowest of five rows where it fits.
    for (const auto& [st, x] : stations) {
        const std::string time = call_time(*st);
        const std::string s = st->label + (time.empty() ? "" : " " + time);
        for (int row = 0; row < 5; ++row) {
            if (label(lane, {x, bar_y - 4 - 12.0 * row}, s, small_text, "#262626", Anchor::middle, "station-name")) {
                break;
            }
        }
    }
}

void Page::kilometre_axis(double top) {
    svg_ += "<path d=\"M" + fmt(left_margin) + "," + fmt(top) + " H" + fmt(left_margin + inner_width) +
            "\" stroke=\"#404040\"/>\n";
    Occupancy axis(Quad::box(left_margin - 30, top, left_margin + inner_width + 26, top + 50));
    // The breaks first, taking turns on two rows so that near ones stay apart.
    int row = 0;
    for (const KilometreBreak& b : r_.breaks) {
        if (b.at <= p_.from || b.at >= p_.to) continue;
        const double x = x_of(static_cast<double>(b.at));
        const std::string s = "km " + reading_text(reading_at(r_.breaks, b.at - 1) + 1) + " \xE2\x86\x92 " +
                              reading_text(reading_at(r_.breaks, b.at));
        for (int tries = 0; tries < 2; ++tries, ++row) {
            const double y = top + (row % 2 == 0 ? 30 : 42);
            if (!label(axis, {x, y}, s, small_text, "#c00000", Anchor::middle, "km-break")) continue;
            svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top - 4) + " V" + fmt(y - 9) +
                    "\" stroke=\"#c00000\" stroke-dasharray=\"2 2\"/>\n";
            axis.take(x - 1, top, x + 1, y - 9);
            ++row;
            break;
        }
    }
    for_each_reading(25, 100, [&](std::int64_t position, std::int64_t reading, std::int64_t step) {
        const double x = x_of(static_cast<double>(position));
        const std::string s =
            step >= 1000 ? std::to_string(reading / 1000) : fmt(static_cast<double>(reading) / 1000.0, 1);
        if (!label(axis, {x, top + 16}, s, small_text, "#262626", Anchor::middle, "km")) return;
        svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top) + " v5\" stroke=\"#404040\"/>\n";
    });
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
        {"<path d=\"M9,2 l3,5 h-6 Z\" fill=\"#7030a0\"/>", "restriction"},
        {"<rect x=\"2\" y=\"0\" width=\"7\" height=\"10\" fill=\"#2e75b6\"/><rect x=\"9\" y=\"0\" width=\"7\" "
         "height=\"10\" fill=\"#ed7d31\"/>",
         "curve left / right"},
        {"<rect x=\"2\" y=\"1\" width=\"14\" height=\"8\" fill=\"#7f7f7f\"/>", "tunnel or span"},
        {"<rect x=\"6\" y=\"1\" width=\"6\" height=\"8\" fill=\"#375623\"/>", "roadside sign"},
        {"<circle cx=\"9\" cy=\"5\" r=\"4.5\" fill=\"#c00000\" stroke=\"#c00000\" stroke-width=\"2\"/>", "stop"},
        {"<circle cx=\"9\" cy=\"5\" r=\"4.5\" fill=\"#ffffff\" stroke=\"#c00000\" stroke-width=\"2\"/>", "pass"},
        {"<path d=\"M9,-2 V12\" stroke=\"#c00000\" stroke-dasharray=\"2 2\"/>", "km break"},
    };
    // The entries spread over the width of the lanes.
    double widths = 0;
    for (const Entry& entry : entries) widths += 22 + text_width(entry.text, small_text);
    const double gap = std::max(6.0, (inner_width - widths) / static_cast<double>(std::size(entries) - 1));
    double x = left_margin;
    for (const Entry& entry : entries) {
        svg_ += "<g transform=\"translate(" + fmt(x) + " " + fmt(top) + ")\">" + entry.swatch + "</g>\n";
        text({x + 22, top + 9}, entry.text, small_text, "#262626", Anchor::start, "legend");
        x += 22 + text_width(entry.text, small_text) + gap;
    }
}

std::string Page::draw() {
    heading();
    plan();
    double y = y_;
    const std::pair<void (Page::*)(double, double), double> lanes[] = {
        {&Page::elevation_lane, 66},     {&Page::gradient_lane, 50}, {&Page::speed_lane, 126}, {&Page::curve_lane, 50},
        {&Page::span_and_sign_lane, 54}, {&Page::signal_lane, 40},   {&Page::station_lane, 90}};
    for (const auto& [lane, height] : lanes) {
        (this->*lane)(y, height);
        y += height + 6;
    }
    kilometre_axis(y - 6);
    legend(page_height - 22);

    std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    page += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fmt(page_mm) + "mm\" height=\"" +
            fmt(page_mm * page_height / page_width) + "mm\" viewBox=\"0 0 " + fmt(page_width) + " " + fmt(page_height) +
            "\" font-family=\"" + font + "\">\n";
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
