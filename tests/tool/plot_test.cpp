// scenario-tool plot: a well-formed SVG page with a mark for every station
// and the plan of the whole line.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario::tool
