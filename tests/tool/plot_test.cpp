// scenario-tool plot: a well-formed SVG page with a mark for every station
// and the plan of the whole line, on an A4 landscape page whose labels are
// large enough to read and never written over another label or a mark.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tool/authoring.h"
#include "tool/base/compaction.h"
#include "tool/base/kilometres.h"
#include "tool/drawing/plot.h"

namespace scenario::tool {
namespace {

using testing::Outcome;
using testing::read_file;
using testing::TempFolder;

// Just enough XML to hold the page to the rules of well-formed XML: one root,
// nested elements closed in order, quoted attributes, known entities.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<Element>> children;
    std::string text;

    void collect(const std::string& tag, const std::string& cls, std::vector<const Element*>& found) const {
        auto c = attributes.find("class");
        if (name == tag && (cls.empty() || (c != attributes.end() && c->second == cls))) found.push_back(this);
        for (const auto& child : children) child->collect(tag, cls, found);
    }
};

class XmlParser {
public:
    explicit XmlParser(std::string text) : s_(std::move(text)) {}

    std::unique_ptr<Element> document() {
        skip_prolog();
        auto root = element();
        skip_misc();
        if (at_ < s_.size()) fail("content after the root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(what + " at byte " + std::to_string(at_));
    }
    bool starts(const char* prefix) const { return s_.compare(at_, std::strlen(prefix), prefix) == 0; }
    void skip_space() {
        while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
    }
    void skip_until(const char* end) {
        const std::size_t found = s_.find(end, at_);
        if (found == std::string::npos) fail(std::string("no closing ") + end);
        at_ = found + std::strlen(end);
    }
    void skip_misc() {
        for (;;) {
            skip_space();
            if (starts("<!--")) {
                skip_until("-->");
            } else if (starts("<?")) {
                skip_until("?>");
            } else {
                return;
            }
        }
    }
    void skip_prolog() {
        if (!starts("<?xml")) fail("no XML declaration");
        skip_misc();
    }
    std::string name() {
        const std::size_t start = at_;
        while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '-' ||
                                   s_[at_] == '_' || s_[at_] == ':' || s_[at_] == '.')) {
            ++at_;
        }
        if (at_ == start) fail("a name is missing");
        return s_.substr(start, at_ - start);
    }
    std::string characters(char stop) {
        std::string out;
        while (at_ < s_.size() && s_[at_] != stop) {
            if (s_[at_] == '<') fail("'<' inside text");
            if (s_[at_] == '&') {
                const std::size_t semi = s_.find(';', at_);
                if (semi == std::string::npos) fail("an entity is not closed");
                const std::string entity = s_.substr(at_, semi - at_ + 1);
                static const std::map<std::string, char> known{
                    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
                auto it = known.find(entity);
                if (it == known.end()) fail("unknown entity " + entity);
                out += it->second;
                at_ = semi + 1;
            } else {
                out += s_[at_++];
            }
        }
        return out;
    }
    std::unique_ptr<Element> element() {
        if (!starts("<")) fail("an element is expected");
        ++at_;
        auto e = std::make_unique<Element>();
        e->name = name();
        for (;;) {
            skip_space();
            if (starts("/>")) {
                at_ += 2;
                return e;
            }
            if (starts(">")) {
                ++at_;
                break;
            }
            const std::string attribute = name();
            skip_space();
            if (!starts("=")) fail("an attribute without value");
            ++at_;
            skip_space();
            if (!starts("\"")) fail("an attribute value without quotes");
            ++at_;
            const std::string value = characters('"');
            if (!starts("\"")) fail("an attribute value is not closed");
            ++at_;
            if (!e->attributes.emplace(attribute, value).second) fail("attribute " + attribute + " given twice");
        }
        for (;;) {
            e->text += characters('<');
            if (at_ >= s_.size()) fail("element " + e->name + " is not closed");
            if (starts("</")) {
                at_ += 2;
                if (name() != e->name) fail("element " + e->name + " closed by another name");
                skip_space();
                if (!starts(">")) fail("a closing tag is not closed");
                ++at_;
                return e;
            }
            if (starts("<!--")) {
                skip_until("-->");
                continue;
            }
            e->children.push_back(element());
        }
    }

    std::string s_;
    std::size_t at_ = 0;
};

// The length of a path made of M and L commands, in its own units.
double path_length(const std::string& d) {
    std::istringstream in(d);
    double length = 0;
    double x = 0;
    double y = 0;
    bool started = false;
    for (std::string step; in >> step;) {
        const char command = step[0];
        const std::size_t comma = step.find(',');
        const double nx = std::stod(step.substr(1, comma - 1));
        const double ny = std::stod(step.substr(comma + 1));
        if (command == 'L' && started) length += std::hypot(nx - x, ny - y);
        x = nx;
        y = ny;
        started = true;
    }
    return length;
}

Outcome plot(const Sources& sources, const std::string& svg) {
    return testing::run_command(plot_command, {sources, svg});
}

TEST(Plot, EmbeddedScenarioPage) {
    TempFolder folder;
    const std::string svg = folder.file("Valcorvina.svg");
    const Outcome r = plot({testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"}, svg);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "drew " + svg + "\n");
    EXPECT_EQ(folder.files(), std::vector<std::string>{"Valcorvina.svg"});  // nothing else is left

    std::unique_ptr<Element> root;
    ASSERT_NO_THROW(root = XmlParser(read_file(svg)).document());
    EXPECT_EQ(root->name, "svg");
    EXPECT_EQ(root->attributes["xmlns"], "http://www.w3.org/2000/svg");

    std::vector<const Element*> stations;
    root->collect("circle", "station", stations);
    ASSERT_EQ(stations.size(), 25u);
    EXPECT_EQ(stations.front()->children.at(0)->text, "Brenzola (0 m)");
    EXPECT_EQ(stations.back()->children.at(0)->text, "Ostrevo (213950 m)");

    // The plan's path is drawn in metres of the plan, from the first metre of
    // the line to its last: as long as the plan geometry of the route.
    TempFolder scratch;
    const Compaction c = compact({testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"},
                                 scratch.path(), {.keep = false});
    double line_length = 0;
    for (std::int64_t m = 1; m <= 218000; ++m) {
        line_length += std::hypot(c.model.track.number(m, Track::x) - c.model.track.number(m - 1, Track::x),
                                  c.model.track.number(m, Track::y) - c.model.track.number(m - 1, Track::y));
    }
    std::vector<const Element*> plan;
    root->collect("path", "plan", plan);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_NEAR(path_length(plan[0]->attributes.at("d")), line_length, line_length * 1e-5);
    EXPECT_GT(line_length, 218000.0);  // the steps of the curves lengthen the plan a little

    std::vector<const Element*> breaks;
    root->collect("text", "km-break", breaks);
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_EQ(breaks[0]->text, "km 180.350 \xE2\x86\x92 0.000");
    EXPECT_EQ(breaks[1]->text, "km 14.350 \xE2\x86\x92 178.300");
}

TEST(Plot, KilometreReadingsFollowTheBreaks) {
    RouteModel model;
    model.records[81].long1 = 194700;
    model.records[81].long2 = -16400;
    model.records[82].long1 = 180350;
    model.records[82].long2 = -180350;
    EXPECT_EQ(kilometre_reading(model, 0), 0);
    EXPECT_EQ(kilometre_reading(model, 180349), 180349);
    EXPECT_EQ(kilometre_reading(model, 180350), 0);
    EXPECT_EQ(kilometre_reading(model, 194700), 178300);
}

TEST(Plot, AScenarioWithAnErrorIsStillDrawnWithNamesEscaped) {
    testing::Author author;
    using scenario::testing::line_description;
    using scenario::testing::train_description;
    testing::write_file(author.line, line_description(20000, {"curvad2,  2000,  300"}));
    testing::write_file(author.train, train_description({"velocita,   0,    100", "aderenza,   0,    90",
                                                         "stazione,  1000, 24, 300,  0, 0, 0,  1,1,0,  2,1,1, "
                                                         "   0,  16,3,0, Rio <Alto> & Citt\xE0",
                                                         "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}));
    const std::string svg = author.out.file("p.svg");
    const Outcome r = plot(author.sources(), svg);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(":5:13: error: the signal at 1050 m goes into route cell 22, which already holds the stop "
                         "of station Rio <Alto> & Città [signal-cell-taken]"),
              std::string::npos)
        << r.err;
    std::unique_ptr<Element> root;
    ASSERT_NO_THROW(root = XmlParser(read_file(svg)).document());
    std::vector<const Element*> stations;
    root->collect("circle", "station", stations);
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0]->children.at(0)->text, "Rio <Alto> & Città (1000 m)");
    std::vector<const Element*> plan;
    root->collect("path", "plan", plan);
    EXPECT_NEAR(path_length(plan.at(0)->attributes.at("d")), 20000.1, 0.2);
}

// ---------------------------------------------------------------- print

// A text or mark on the page as a rectangle, perhaps turned.
struct Shape {
    std::array<std::array<double, 2>, 4> corners;
    std::string what;
};

Shape rectangle(double x0, double y0, double x1, double y1, std::string what) {
    return {{{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}}, std::move(what)};
}

// Where a text lies, estimated: 0.6 of its size a letter, from three
// quarters of its size above the base line to a fifth below, turned as its
// transform says.
Shape text_shape(const Element& text) {
    const auto& a = text.attributes;
    const double x = std::stod(a.at("x"));
    const double y = std::stod(a.at("y"));
    const double size = std::stod(a.at("font-size"));
    double letters = 0;
    for (char c : text.text) letters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    const double w = 0.6 * size * letters;
    const auto anchor = a.find("text-anchor");
    const double left = anchor == a.end() ? 0 : anchor->second == "middle" ? -w / 2 : -w;
    double degrees = 0;
    if (const auto t = a.find("transform"); t != a.end()) degrees = std::stod(t->second.substr(7));
    const double c = std::cos(degrees * std::acos(-1.0) / 180);
    const double s = std::sin(degrees * std::acos(-1.0) / 180);
    Shape shape = rectangle(left, -0.75 * size, left + w, 0.2 * size, "text '" + text.text + "'");
    for (auto& [px, py] : shape.corners) {
        const double turned_x = x + px * c - py * s;
        py = y + px * s + py * c;
        px = turned_x;
    }
    return shape;
}

// The box of a path of absolute and relative moves, lines and Z, with its
// stroke.
Shape path_shape(const std::string& d, const std::string& what) {
    double x = 0, y = 0, x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    std::istringstream in(d);
    for (std::string step; in >> step;) {
        const char command = step[0];
        if (command == 'Z') continue;
        const std::string numbers = step.substr(1);
        const std::size_t comma = numbers.find(',');
        const double a = std::stod(numbers);
        const double b = comma == std::string::npos ? 0 : std::stod(numbers.substr(comma + 1));
        switch (command) {
            case 'M':
            case 'L':
                x = a;
                y = b;
                break;
            case 'l':
                x += a;
                y += b;
                break;
            case 'H':
                x = a;
                break;
            case 'h':
                x += a;
                break;
            case 'V':
                y = a;
                break;
            default:
                y += a;
        }
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    // A line is as wide as its stroke.
    return rectangle(x0 - 0.6, y0 - 0.6, x1 + 0.6, y1 + 0.6, what);
}

// Whether two shapes share area: no side of either separates them.
bool overlap(const Shape& p, const Shape& q) {
    for (const Shape* side_of : {&p, &q}) {
        for (std::size_t i = 0; i < 2; ++i) {
            const auto& [ax, ay] = side_of->corners[i];
            const auto& [bx, by] = side_of->corners[i + 1];
            const double nx = by - ay, ny = ax - bx;
            auto extent = [&](const Shape& k) {
                double lo = 1e300, hi = -1e300;
                for (const auto& [cx, cy] : k.corners) {
                    lo = std::min(lo, cx * nx + cy * ny);
                    hi = std::max(hi, cx * nx + cy * ny);
                }
                return std::pair{lo, hi};
            };
            const auto [plo, phi] = extent(p);
            const auto [qlo, qhi] = extent(q);
            if (phi <= qlo + 1e-6 || qhi <= plo + 1e-6) return false;
        }
    }
    return true;
}

// The marks of the page that a label must leave clear.
std::vector<Shape> marks_of(const Element& root) {
    std::vector<Shape> marks;
    for (const char* cls : {"signal", "warning-board", "speed-board", "restriction"}) {
        std::vector<const Element*> found;
        root.collect("path", cls, found);
        for (const Element* e : found) marks.push_back(path_shape(e->attributes.at("d"), cls));
    }
    for (const char* cls : {"slowdown", "curve", "mountain-span", "sign", "station-extent", "km-post"}) {
        std::vector<const Element*> found;
        root.collect("rect", cls, found);
        for (const Element* e : found) {
            const double x = std::stod(e->attributes.at("x")), y = std::stod(e->attributes.at("y"));
            marks.push_back(rectangle(x, y, x + std::stod(e->attributes.at("width")),
                                      y + std::stod(e->attributes.at("height")), cls));
        }
    }
    for (const char* cls : {"station", "station-mark"}) {
        std::vector<const Element*> found;
        root.collect("circle", cls, found);
        for (const Element* e : found) {
            const double x = std::stod(e->attributes.at("cx")), y = std::stod(e->attributes.at("cy"));
            const double r = std::stod(e->attributes.at("r"));
            marks.push_back(rectangle(x - r, y - r, x + r, y + r, cls));
        }
    }
    return marks;
}

struct PrintCase {
    const char* name;
    const char* from;
    const char* to;
};

class PrintedPlot : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintedPlot, IsAnA4LandscapePageWithNothingWrittenOverAnything) {
    TempFolder folder;
    PlotOptions options{{testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"},
                        folder.file("p.svg")};
    options.from = GetParam().from;
    options.to = GetParam().to;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(plot_command(options, out, err), 0) << err.str();
    std::unique_ptr<Element> root;
    ASSERT_NO_THROW(root = XmlParser(read_file(folder.file("p.svg"))).document());

    EXPECT_EQ(root->attributes["width"], "297mm");
    EXPECT_EQ(root->attributes["height"], "210mm");
    std::istringstream box(root->attributes["viewBox"]);
    double x0 = 0, y0 = 0, width = 0, height = 0;
    box >> x0 >> y0 >> width >> height;
    EXPECT_NEAR(width / height, 297.0 / 210.0, 0.001);

    std::vector<const Element*> texts;
    root->collect("text", "", texts);
    ASSERT_GT(texts.size(), 50u);
    const double points_per_unit = 297.0 / width * 72 / 25.4;
    std::vector<Shape> labels;
    for (const Element* t : texts) {
        EXPECT_GE(std::stod(t->attributes.at("font-size")) * points_per_unit, 7.0) << t->text;
        labels.push_back(text_shape(*t));
        const Shape& l = labels.back();
        for (const auto& [x, y] : l.corners) {
            EXPECT_TRUE(x >= 0 && x <= width && y >= 0 && y <= height) << l.what << " leaves the page";
        }
    }
    const std::vector<Shape> marks = marks_of(*root);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t k = i + 1; k < labels.size(); ++k) {
            EXPECT_FALSE(overlap(labels[i], labels[k])) << labels[i].what << " and " << labels[k].what;
        }
        for (const Shape& mark : marks)
            EXPECT_FALSE(overlap(labels[i], mark)) << labels[i].what << " on a " << mark.what;
    }
    // The warning boards stand clear of the signals.
    for (const Shape& board : marks) {
        if (board.what != "warning-board") continue;
        for (const Shape& signal : marks) {
            if (signal.what == "signal") {
                EXPECT_FALSE(overlap(board, signal));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stretches, PrintedPlot,
                         ::testing::Values(PrintCase{"whole_route", "", ""},
                                           PrintCase{"five_kilometres", "90km", "95km"},
                                           PrintCase{"across_both_breaks", "178000", "200000"},
                                           PrintCase{"one_station", "128000", "129000"}),
                         [](const ::testing::TestParamInfo<PrintCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace scenario::tool
