#include "tool/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "tool/display_text.h"

namespace scenario::tool {

namespace {

constexpr double page_width = 1400;
constexpr double margin = 40;
constexpr double inner_width = page_width - 2 * margin;
constexpr const char* font = "DejaVu Sans, Arial, Helvetica, sans-serif";

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
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
                // Control characters have no place in XML text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

std::string text_of(std::string_view single_byte) { return escaped(display_text(single_byte)); }

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

std::string reading_text(std::int64_t metres) {
    const bool negative = metres < 0;
    const std::int64_t m = negative ? -metres : metres;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%03lld", negative ? "-" : "", static_cast<long long>(m / 1000),
                  static_cast<long long>(m % 1000));
    return buffer;
}

struct Point {
    double x = 0;
    double y = 0;
};

// Names written at 50 degrees up from their anchors: a name is left out
// (its mark keeps a tooltip) when it would run over one already written.
class SlantedLabels {
public:
    bool claim(Point anchor, std::string_view text) {
        const double length = 6.5 * static_cast<double>(text.size());
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

class Page {
public:
    explicit Page(const RouteModel& model)
        : m_(model),
          route_(std::max<std::int64_t>(1, model.records[record_index::train_sizes].long2)),
          stations_(station_records(model)) {}

    std::string draw();

private:
    double route_x(double position) const {
        return margin +
               inner_width * std::clamp(position, 0.0, static_cast<double>(route_)) / static_cast<double>(route_);
    }
    std::int64_t last_cell() const {
        // Cells that lie on the route; the last three cells carry no running properties.
        return std::min<std::int64_t>(static_cast<std::int64_t>(m_.cells.size()) - 1, route_ / 50);
    }
    std::optional<Point> track_point(std::int64_t metre) const;

    void title();
    void plan();
    void lane_frame(double top, double height, const std::string& label);
    void gradient_lane(double top, double height);
    void speed_lane(double top, double height);
    void signal_lane(double top, double height);
    void station_lane(double top, double height);
    void kilometre_axis(double top);
    void legend(double top);

    const RouteModel& m_;
    const std::int64_t route_;
    const std::vector<int> stations_;
    std::string svg_;
    double y_ = 0;  // the top of the next part of the page
};

std::optional<Point> Page::track_point(std::int64_t metre) const {
    if (!m_.track.exists() || metre < 0 || metre > m_.track.last_metre()) return std::nullopt;
    const TrackValue x = m_.track.at(metre, Track::x);
    const TrackValue y = m_.track.at(metre, Track::y);
    if (x.tag == TrackTag::empty || y.tag == TrackTag::empty) return std::nullopt;
    return Point{x.value, y.value};
}

void Page::title() {
    const ScenarioRecord& identity = m_.records[record_index::identity];
    const ScenarioRecord& train = m_.records[record_index::repetition];
    svg_ += "<text x=\"" + fmt(margin) + "\" y=\"34\" font-size=\"22\" font-weight=\"bold\">" + text_of(identity.text) +
            " \xE2\x80\x94 " + text_of(train.text) + "</text>\n";
    svg_ += "<text x=\"" + fmt(margin) + "\" y=\"54\" font-size=\"13\" fill=\"#595959\">route " +
            std::to_string(route_) + " m, " + std::to_string(stations_.size()) + " stations</text>\n";
    y_ = 70;
}

void Page::plan() {
    // The points of the line, one every `step` metres and the last metre.
    std::vector<std::pair<std::int64_t, Point>> points;
    const std::int64_t step = std::max<std::int64_t>(1, route_ / 5000);
    for (std::int64_t metre = 0;; metre = std::min(metre + step, route_)) {
        const std::optional<Point> p = track_point(metre);
        if (!p) break;
        points.emplace_back(metre, *p);
        if (metre == route_) break;
    }
    if (points.size() < 2) {
        svg_ += "<text x=\"" + fmt(margin) + "\" y=\"" + fmt(y_ + 20) +
                "\" font-size=\"13\">no plan geometry to draw</text>\n";
        y_ += 40;
        return;
    }

    // The plan is turned so that the line runs from left to right across the
    // page; an arrow shows the heading of its first metre.
    const Point first = points.front().second;
    const Point last = points.back().second;
    double angle = std::atan2(last.y - first.y, last.x - first.x);
    if (std::hypot(last.x - first.x, last.y - first.y) < 1) angle = std::numbers::pi / 2;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
    for (const auto& [metre, p] : points) {
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
    const double centre_x = margin + inner_width / 2;
    const double centre_y = top + label_room + (height - label_room) / 2;
    const double mid_u = (umin + umax) / 2;
    const double mid_v = (vmin + vmax) / 2;
    // page x = scale (u - mid_u) + centre_x, page y = centre_y - scale (v - mid_v)
    const double a = scale * c;
    const double b = scale * s;
    const double e = centre_x - scale * mid_u;
    const double f = centre_y + scale * mid_v;
    auto page = [&](Point p) { return Point{a * p.x + b * p.y + e, b * p.x - a * p.y + f}; };

    svg_ += "<g id=\"plan\">\n";
    svg_ += "<rect x=\"" + fmt(margin - 10) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(inner_width + 20) +
            "\" height=\"" + fmt(height) + "\" fill=\"#f7f9fc\" stroke=\"#d0d7e2\"/>\n";
    svg_ += "<text x=\"" + fmt(margin) + "\" y=\"" + fmt(top + 18) +
            "\" font-size=\"13\" font-weight=\"bold\">Plan</text>\n";
    // The path in plan metres, so that its length is the line's.
    svg_ += "<path class=\"plan\" transform=\"matrix(" + fmt(a, 9) + " " + fmt(b, 9) + " " + fmt(b, 9) + " " +
            fmt(-a, 9) + " " + fmt(e, 3) + " " + fmt(f, 3) +
            ")\" fill=\"none\" stroke=\"#1f4e79\" stroke-width=\"2.5\" stroke-linejoin=\"round\" "
            "vector-effect=\"non-scaling-stroke\" d=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        svg_ += i == 0 ? "M" : " L";
        svg_ += fmt(points[i].second.x, 2) + "," + fmt(points[i].second.y, 2);
    }
    svg_ += "\"/>\n";

    // Scale bar and heading.
    const double nice[] = {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000};
    double bar = nice[0];
    for (double n : nice) {
        if (n * scale <= 160) bar = n;
    }
    // Beneath the plan's frame, clear of the line.
    const double bar_y = top + height + 14;
    svg_ += "<path d=\"M" + fmt(margin) + "," + fmt(bar_y) + " h" + fmt(bar * scale) +
            "\" stroke=\"#404040\" stroke-width=\"2\"/>\n";
    svg_ += "<text x=\"" + fmt(margin + bar * scale + 6) + "\" y=\"" + fmt(bar_y + 4) + "\" font-size=\"11\">" +
            (bar >= 1000 ? fmt(bar / 1000) + " km" : fmt(bar) + " m") + "</text>\n";
    const Point h0{margin + inner_width - 16, bar_y};
    const Point dir{s, -c};  // page direction of the plan's +y, the first heading
    svg_ += "<path d=\"M" + fmt(h0.x - 14 * dir.x) + "," + fmt(h0.y - 14 * dir.y) + " L" + fmt(h0.x + 14 * dir.x) +
            "," + fmt(h0.y + 14 * dir.y) + "\" stroke=\"#404040\" stroke-width=\"1.5\" marker-end=\"url(#arrow)\"/>\n";
    svg_ += "<text x=\"" + fmt(h0.x - 26) + "\" y=\"" + fmt(bar_y + 4) +
            "\" font-size=\"11\" text-anchor=\"end\">first heading</text>\n";

    // Start and end, and the stations with their names.
    const Point start = page(first);
    const Point end = page(last);
    svg_ += "<rect x=\"" + fmt(start.x - 4) + "\" y=\"" + fmt(start.y - 4) +
            "\" width=\"8\" height=\"8\" fill=\"#1f4e79\"/>\n";
    svg_ +=
        "<rect x=\"" + fmt(end.x - 4) + "\" y=\"" + fmt(end.y - 4) + "\" width=\"8\" height=\"8\" fill=\"#1f4e79\"/>\n";
    SlantedLabels labels;
    for (int k : stations_) {
        const ScenarioRecord& st = m_.records[static_cast<std::size_t>(k)];
        const std::int64_t at = std::clamp<std::int64_t>(st.long3, 0, route_);
        const std::optional<Point> p = track_point(at);
        if (!p) continue;
        const Point q = page(*p);
        svg_ += "<circle class=\"station\" cx=\"" + fmt(q.x) + "\" cy=\"" + fmt(q.y) +
                "\" r=\"4.5\" fill=\"#ffffff\" stroke=\"#c00000\" stroke-width=\"2\"><title>" + text_of(st.text) +
                " (" + std::to_string(st.long3) + " m)</title></circle>\n";
        const Point anchor{q.x + 4, q.y - 9};
        if (!labels.claim(anchor, display_text(st.text))) continue;
        svg_ += "<text x=\"" + fmt(anchor.x) + "\" y=\"" + fmt(anchor.y) +
                "\" font-size=\"11\" transform=\"rotate(-50 " + fmt(anchor.x) + " " + fmt(anchor.y) + ")\">" +
                text_of(st.text) + "</text>\n";
    }
    svg_ += "</g>\n";
    y_ = top + height + 36;
}

void Page::lane_frame(double top, double height, const std::string& label) {
    svg_ += "<rect x=\"" + fmt(margin) + "\" y=\"" + fmt(top) + "\" width=\"" + fmt(inner_width) + "\" height=\"" +
            fmt(height) + "\" fill=\"none\" stroke=\"#d9d9d9\"/>\n";
    svg_ += "<text x=\"" + fmt(margin + 4) + "\" y=\"" + fmt(top + 13) +
            "\" font-size=\"12\" font-weight=\"bold\" fill=\"#404040\">" + label + "</text>\n";
}

void Page::gradient_lane(double top, double height) {
    lane_frame(top, height, "Gradient (\xE2\x80\xB0)");
    const std::int64_t last = last_cell();
    int low = 0;
    int high = 0;
    for (std::int64_t i = 0; i <= last; ++i) {
        const int g = m_.cells[static_cast<std::size_t>(i)].gradient - 100;
        low = std::min(low, g);
        high = std::max(high, g);
    }
    const double span = std::max(1, high - low);
    const double inner_top = top + 20;
    const double inner_height = height - 28;
    auto gy = [&](int g) { return inner_top + inner_height * (high - g) / span; };
    const double zero = gy(0);
    svg_ += "<path d=\"M" + fmt(margin) + "," + fmt(zero) + " H" + fmt(margin + inner_width) +
            "\" stroke=\"#a6a6a6\" stroke-dasharray=\"3 3\"/>\n";
    std::string area = "M" + fmt(margin) + "," + fmt(zero);
    std::string line;
    for (std::int64_t i = 0; i <= last;) {
        const int g = m_.cells[static_cast<std::size_t>(i)].gradient - 100;
        std::int64_t j = i;
        while (j + 1 <= last && m_.cells[static_cast<std::size_t>(j + 1)].gradient - 100 == g) ++j;
        const double x0 = route_x(50.0 * i);
        const double x1 = route_x(50.0 * (j + 1));
        area += " V" + fmt(gy(g)) + " H" + fmt(x1);
        line += (line.empty() ? "M" : " L") + fmt(x0) + "," + fmt(gy(g)) + " H" + fmt(x1);
        i = j + 1;
    }
    area += " V" + fmt(zero) + " Z";
    svg_ += "<path class=\"gradient\" d=\"" + area + "\" fill=\"#d9e1f2\" stroke=\"none\"/>\n";
    svg_ += "<path d=\"" + line + "\" fill=\"none\" stroke=\"#44546a\" stroke-width=\"1\"/>\n";
    for (int g : {high, low}) {
        svg_ += "<text x=\"" + fmt(margin + inner_width - 4) + "\" y=\"" + fmt(gy(g) + (g == high ? 10 : -2)) +
                "\" font-size=\"10\" text-anchor=\"end\" fill=\"#595959\">" + std::to_string(g) + "</text>\n";
    }
}

void Page::speed_lane(double top, double height) {
    lane_frame(top, height, "Speed (km/h): line limit, speed boards, slowdowns");
    const std::int64_t last = last_cell();
    int top_speed = 50;
    for (std::int64_t i = 0; i <= last; ++i)
        top_speed = std::max(top_speed, m_.cells[static_cast<std::size_t>(i)].speedLimit * 5);
    for (std::int64_t i = 0; i <= last; ++i) {
        const RouteCell& cell = m_.cells[static_cast<std::size_t>(i)];
        if (cell.kind == cell_kind::speed_boards) top_speed = std::max(top_speed, cell.data1 / 20);
    }
    top_speed = ((top_speed + 49) / 50) * 50;
    const double inner_top = top + 20;
    const double inner_height = height - 26;
    auto sy = [&](double v) { return inner_top + inner_height * (1 - v / top_speed); };
    for (int v = 50; v <= top_speed; v += 50) {
        svg_ += "<path d=\"M" + fmt(margin) + "," + fmt(sy(v)) + " H" + fmt(margin + inner_width) +
                "\" stroke=\"#ededed\"/>\n";
        svg_ += "<text x=\"" + fmt(margin + inner_width - 4) + "\" y=\"" + fmt(sy(v) - 2) +
                "\" font-size=\"10\" text-anchor=\"end\" fill=\"#7f7f7f\">" + std::to_string(v) + "</text>\n";
    }
    // Slowdowns: from each start cell to the end cell after it.
    for (std::int64_t i = 0; i <= last; ++i) {
        const RouteCell& cell = m_.cells[static_cast<std::size_t>(i)];
        if (cell.kind != cell_kind::slowdown_start) continue;
        std::int64_t j = i + 1;
        while (j < static_cast<std::int64_t>(m_.cells.size()) - 1 &&
               m_.cells[static_cast<std::size_t>(j)].kind != cell_kind::slowdown_end) {
            ++j;
        }
        const double x0 = route_x(50.0 * (i - 1));
        const double x1 = std::max(route_x(50.0 * (j - 1)), x0 + 2);
        const double v = std::clamp<double>(cell.data1, 0, top_speed);
        svg_ += "<rect class=\"slowdown\" x=\"" + fmt(x0) + "\" y=\"" + fmt(sy(v)) + "\" width=\"" + fmt(x1 - x0) +
                "\" height=\"" + fmt(sy(0) - sy(v)) + "\" fill=\"#f8cbad\" stroke=\"#ed7d31\"><title>slowdown " +
                std::to_string(cell.data1) + " km/h</title></rect>\n";
        svg_ += "<text x=\"" + fmt((x0 + x1) / 2) + "\" y=\"" + fmt(sy(v) - 3) +
                "\" font-size=\"10\" text-anchor=\"middle\" fill=\"#c55a11\">" + std::to_string(cell.data1) +
                "</text>\n";
    }
    // The line speed limit.
    std::string line;
    for (std::int64_t i = 0; i <= last;) {
        const int v = m_.cells[static_cast<std::size_t>(i)].speedLimit * 5;
        std::int64_t j = i;
        while (j + 1 <= last && m_.cells[static_cast<std::size_t>(j + 1)].speedLimit * 5 == v) ++j;
        line += (line.empty() ? "M" : " L") + fmt(route_x(50.0 * i)) + "," + fmt(sy(v)) + " H" +
                fmt(route_x(50.0 * (j + 1)));
        i = j + 1;
    }
    svg_ += "<path class=\"speed-limit\" d=\"" + line + "\" fill=\"none\" stroke=\"#1f4e79\" stroke-width=\"1.5\"/>\n";
    // Speed boards at the left-hand speed of rank A.
    for (std::int64_t i = 0; i <= last; ++i) {
        const RouteCell& cell = m_.cells[static_cast<std::size_t>(i)];
        if (cell.kind != cell_kind::speed_boards) continue;
        const double x = route_x(50.0 * (i - 1));
        const double v = std::clamp<double>(cell.data1 / 20, 0, top_speed);
        svg_ += "<path class=\"speed-board\" d=\"M" + fmt(x) + "," + fmt(sy(v) - 4) +
                " l4,4 l-4,4 l-4,-4 Z\" fill=\"#548235\"><title>speed board " + std::to_string(cell.data1 / 20) +
                " / " + std::to_string(cell.data2 / 20) + " / " + std::to_string(cell.data3 / 20) +
                " km/h</title></path>\n";
    }
}

void Page::signal_lane(double top, double height) {
    lane_frame(top, height, "Signals, warning boards, restriction marks");
    const std::int64_t last = last_cell();
    const double base = top + height - 6;
    for (std::int64_t i = 0; i <= last; ++i) {
        const RouteCell& cell = m_.cells[static_cast<std::size_t>(i)];
        const double x = route_x(50.0 * (i - 1));
        if (cell.kind == cell_kind::signal) {
            svg_ += "<path class=\"signal\" d=\"M" + fmt(x) + "," + fmt(base) + " V" + fmt(base - 22) +
                    "\" stroke=\"#c00000\" stroke-width=\"1.2\"/>\n";
        } else if (cell.kind == cell_kind::slowdown_warning) {
            svg_ += "<path class=\"warning-board\" d=\"M" + fmt(x) + "," + fmt(base - 26) +
                    " l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\"/>\n";
        } else if (cell.kind == cell_kind::restriction || cell.kind == cell_kind::restriction_without_speed) {
            svg_ += "<path class=\"restriction\" d=\"M" + fmt(x) + "," + fmt(base - 8) +
                    " l3,5 h-6 Z\" fill=\"#7030a0\"/>\n";
        }
    }
}

void Page::station_lane(double top, double height) {
    lane_frame(top, height, "Stations");
    const double bar_y = top + height - 14;
    SlantedLabels labels;
    for (int k : stations_) {
        const ScenarioRecord& st = m_.records[static_cast<std::size_t>(k)];
        const double x0 = route_x(st.long1);
        const double x1 = std::max(route_x(st.long2), x0 + 2);
        svg_ += "<rect class=\"station-extent\" x=\"" + fmt(x0) + "\" y=\"" + fmt(bar_y) + "\" width=\"" +
                fmt(x1 - x0) + "\" height=\"8\" fill=\"#a6a6a6\"/>\n";
        const double x = route_x(st.long3);
        svg_ += "<path d=\"M" + fmt(x) + "," + fmt(bar_y - 2) + " V" + fmt(bar_y + 10) +
                "\" stroke=\"#404040\" stroke-width=\"1.2\"/>\n";
        if (!labels.claim({x + 3, bar_y - 5}, display_text(st.text))) continue;
        svg_ += "<text x=\"" + fmt(x + 3) + "\" y=\"" + fmt(bar_y - 5) + "\" font-size=\"11\" transform=\"rotate(-50 " +
                fmt(x + 3) + " " + fmt(bar_y - 5) + ")\">" + text_of(st.text) + "</text>\n";
    }
}

void Page::kilometre_axis(double top) {
    svg_ +=
        "<path d=\"M" + fmt(margin) + "," + fmt(top) + " H" + fmt(margin + inner_width) + "\" stroke=\"#404040\"/>\n";
    // Stretches of route with one kilometre offset each, between the breaks.
    std::vector<std::int64_t> bounds{0};
    for (int index : {record_index::break_uno, record_index::break_due, record_index::break_tre}) {
        const std::int64_t p = m_.records[static_cast<std::size_t>(index)].long1;
        if (p > 0 && p < route_) bounds.push_back(p);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    bounds.push_back(route_);

    std::int64_t step = 1000;
    for (std::int64_t s : {1000, 2000, 5000, 10000, 20000, 50000, 100000}) {
        step = s;
        if (route_ / s <= 25) break;
    }
    const double room = static_cast<double>(route_) * 0.025;  // keep tick labels clear of a break
    for (std::size_t k = 0; k + 1 < bounds.size(); ++k) {
        const std::int64_t from = bounds[k];
        const std::int64_t to = bounds[k + 1];
        const std::int64_t offset = kilometre_reading(m_, from) - from;
        std::int64_t reading = from + offset;
        reading = (reading >= 0 ? (reading + step - 1) / step : reading / step) * step;
        for (; reading - offset <= to; reading += step) {
            const std::int64_t p = reading - offset;
            if (k > 0 && p - from < room) continue;
            if (k + 2 < bounds.size() && to - p < room) continue;
            const double x = route_x(static_cast<double>(p));
            svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top) + " v6\" stroke=\"#404040\"/>\n";
            svg_ += "<text class=\"km\" x=\"" + fmt(x) + "\" y=\"" + fmt(top + 18) +
                    "\" font-size=\"11\" text-anchor=\"middle\">" + std::to_string(reading / 1000) + "</text>\n";
        }
        if (k > 0) {
            // Successive breaks take turns on two rows, so that near ones stay apart.
            const double row = top + (k % 2 == 1 ? 34 : 48);
            const double x = route_x(static_cast<double>(from));
            svg_ += "<path d=\"M" + fmt(x) + "," + fmt(top - 4) + " V" + fmt(row - 9) +
                    "\" stroke=\"#c00000\" stroke-dasharray=\"2 2\"/>\n";
            svg_ += "<text class=\"km-break\" x=\"" + fmt(x) + "\" y=\"" + fmt(row) +
                    "\" font-size=\"10\" text-anchor=\"middle\" fill=\"#c00000\">km " +
                    reading_text(kilometre_reading(m_, from - 1) + 1) + " \xE2\x86\x92 " +
                    reading_text(kilometre_reading(m_, from)) + "</text>\n";
        }
    }
    svg_ += "<text x=\"" + fmt(margin + inner_width) + "\" y=\"" + fmt(top + 66) +
            "\" font-size=\"11\" text-anchor=\"end\" fill=\"#404040\">kilometre readings (km); breaks in red</text>\n";
}

void Page::legend(double top) {
    struct Entry {
        const char* swatch;
        const char* text;
    };
    const Entry entries[] = {
        {"<path d=\"M0,5 h18\" stroke=\"#1f4e79\" stroke-width=\"2\"/>", "line speed limit"},
        {"<rect x=\"2\" y=\"0\" width=\"14\" height=\"10\" fill=\"#f8cbad\" stroke=\"#ed7d31\"/>", "slowdown"},
        {"<path d=\"M9,1 l4,4 l-4,4 l-4,-4 Z\" fill=\"#548235\"/>", "speed board (rank A)"},
        {"<path d=\"M9,-2 V12\" stroke=\"#c00000\" stroke-width=\"1.2\"/>", "signal"},
        {"<path d=\"M9,0 l5,9 h-10 Z\" fill=\"#ffc000\" stroke=\"#7f6000\" stroke-width=\"0.8\"/>",
         "slowdown warning board"},
        {"<path d=\"M9,2 l3,5 h-6 Z\" fill=\"#7030a0\"/>", "restriction mark"},
        {"<circle cx=\"9\" cy=\"5\" r=\"4.5\" fill=\"#ffffff\" stroke=\"#c00000\" stroke-width=\"2\"/>", "station"},
    };
    double x = margin;
    for (const Entry& entry : entries) {
        svg_ += "<g transform=\"translate(" + fmt(x) + " " + fmt(top) + ")\">" + entry.swatch +
                "<text x=\"24\" y=\"9\" font-size=\"11\">" + entry.text + "</text></g>\n";
        x += 44 + 6.2 * std::char_traits<char>::length(entry.text);
    }
}

std::string Page::draw() {
    std::string body;
    title();
    plan();
    const double lanes_top = y_;
    gradient_lane(lanes_top, 110);
    speed_lane(lanes_top + 118, 170);
    signal_lane(lanes_top + 296, 46);
    station_lane(lanes_top + 350, 120);
    kilometre_axis(lanes_top + 478);
    legend(lanes_top + 560);
    const double height = lanes_top + 590;

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

bool has_number(const ScenarioRecord& r) {
    return r.tag != 0 || r.long1 != 0 || r.long2 != 0 || r.long3 != 0 || r.byte1 != 0 || r.int1 != 0 || r.int2 != 0 ||
           r.int3 != 0 || r.int4 != 0 || r.int5 != 0 || r.byte2 != 0 || r.byte3 != 0 || r.byte4 != 0 || r.byte5 != 0 ||
           r.long4 != 0;
}

}  // namespace

std::vector<int> station_records(const RouteModel& model) {
    std::vector<int> records;
    for (int k = record_index::first_station; k < record_index::first_sign; ++k) {
        if (!has_number(model.records[static_cast<std::size_t>(k)])) break;
        records.push_back(k);
    }
    return records;
}

std::int64_t kilometre_reading(const RouteModel& model, std::int64_t position) {
    std::optional<std::int64_t> from;
    std::int64_t offset = 0;
    for (int index : {record_index::break_uno, record_index::break_due, record_index::break_tre}) {
        const ScenarioRecord& b = model.records[static_cast<std::size_t>(index)];
        if (b.long1 <= position && (!from || b.long1 > *from)) {
            from = b.long1;
            offset = b.long2;
        }
    }
    return position + offset;
}

std::string plot_svg(const RouteModel& model) { return Page(model).draw(); }

}  // namespace scenario::tool
