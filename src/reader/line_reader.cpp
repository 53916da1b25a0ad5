#include "reader/line_reader.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "io/file_system.h"
#include "model/packing.h"
#include "model/placement.h"
#include "reader/keywords.h"
#include "reader/route_recorders.h"
#include "reader/running_property.h"
#include "reader/track_builder.h"

namespace scenario {

namespace {

// The field that ends the general section: it holds "[" and "]" and does
// not begin with "-".
bool ends_general_section(const std::string& field) {
    return contains_exact(field, "[") && contains_exact(field, "]") && (field.empty() || field.front() != '-');
}

std::uint8_t gradient_byte(std::int32_t per_mille) { return pack_gradient(per_mille); }

class LineReader {
public:
    explicit LineReader(Reading& reading)
        : r_(reading),
          m_(reading.model),
          builder_(reading.model.track),
          gradients_(reading.model, gradient_byte, &RouteCell::gradient) {}

    std::optional<std::int32_t> run();

private:
    enum class Outcome { go_on, finish, abandoned };
    using Read = Outcome (LineReader::*)(const std::string& field);

    Outcome read_general_section();
    Outcome read_general_item(const std::string& field);
    Outcome read_items();
    Outcome read_item(const std::string& field);

    // The general section, one method a keyword.
    Outcome read_route_length(const std::string& field);
    Outcome read_break_tre(const std::string&) { return read_break(record_index::break_tre); }
    Outcome read_break_due(const std::string&) { return read_break(record_index::break_due); }
    Outcome read_break_uno(const std::string&) { return read_break(record_index::break_uno); }
    Outcome read_break(int index);
    Outcome read_background_uno(const std::string&) {
        return read_background(m_.records[record_index::identity].long1);
    }
    Outcome read_background_due(const std::string&) {
        return read_background(m_.records[record_index::identity].long3);
    }
    Outcome read_background_tre(const std::string&) {
        return read_background(m_.records[record_index::identity].long2);
    }
    Outcome read_background(std::int32_t& slot);
    Outcome read_repetition(const std::string& field);

    // The items, one method a keyword.
    Outcome read_gradient(const std::string& field);
    Outcome read_curve(const std::string& field);
    Outcome read_mountain(const std::string& field);
    Outcome read_speed_boards(const std::string& field);
    Outcome read_sign(const std::string& field);

    Outcome build_curve(const std::string& field, FieldSpan keyword, std::int32_t p, std::int32_t len);
    void finish();
    Outcome abandon(ErrorCode code, FieldSpan at);
    bool position_beyond_cells(std::int32_t p, FieldSpan at);

    Reading& r_;
    RouteModel& m_;
    TrackBuilder builder_;
    RunningProperty gradients_;
    std::int32_t next_sign_ = record_index::first_sign;
    FieldSpan keyword_;  // where the keyword of the row being read stands
};

std::optional<std::int32_t> LineReader::run() {
    if (!r_.exists(r_.files.line_description(), Source::line_description)) {
        m_.errorCode = value_of(ErrorCode::line_description_missing);
        return std::nullopt;
    }
    r_.open(r_.files.line_description(), Source::line_description);

    // Everything before the first "[generale]" field is ignored.
    for (;;) {
        const std::string& field = r_.read_field();
        if (r_.at_end()) {
            abandon(ErrorCode::general_header_missing, r_.last_span());
            return std::nullopt;
        }
        if (keyword::general_header.matches(field)) break;
        r_.prologue_field();
    }
    r_.header_found();

    if (read_general_section() == Outcome::abandoned) return std::nullopt;

    progressive_ordina(m_);
    m_.mountainCount = 0;
    if (m_.withGeometry != 0) builder_.start();

    if (read_items() == Outcome::abandoned) return std::nullopt;
    finish();
    return next_sign_;
}

LineReader::Outcome LineReader::read_general_section() {
    for (;;) {
        if (r_.at_end()) return Outcome::go_on;
        std::string field = r_.read_field();
        if (r_.at_end()) return Outcome::go_on;  // the last field is not interpreted
        // A field with a hyphen (a comment) is passed over; no end test here,
        // so reading past the end of the file is a failure.
        for (int i = 0; i < general_hyphen_skips && has_hyphen(field); ++i) {
            r_.skipped_for_hyphen(Part::line_general);
            field = r_.read_field();
        }
        if (read_general_item(field) == Outcome::abandoned) return Outcome::abandoned;
        if (ends_general_section(field)) return Outcome::go_on;
    }
}

LineReader::Outcome LineReader::read_general_item(const std::string& field) {
    static constexpr std::array<std::pair<const Keyword*, Read>, keyword::line_general.size()> table{{
        {&keyword::route_length, &LineReader::read_route_length},
        {&keyword::break_tre, &LineReader::read_break_tre},
        {&keyword::break_due, &LineReader::read_break_due},
        {&keyword::break_uno, &LineReader::read_break_uno},
        {&keyword::background_uno, &LineReader::read_background_uno},
        {&keyword::background_due, &LineReader::read_background_due},
        {&keyword::background_tre, &LineReader::read_background_tre},
        {&keyword::repetition, &LineReader::read_repetition},
    }};
    keyword_ = r_.last_span();
    return r_.apply(*this, Part::line_general, field, table, Outcome::go_on);
}

LineReader::Outcome LineReader::read_route_length(const std::string&) {
    const std::int32_t length = r_.read_long();
    m_.records[record_index::train_sizes].long2 = length;
    if (length > longest_route) return abandon(ErrorCode::route_too_long, r_.last_span());
    m_.trackLength = length + geometry_beyond_route;
    m_.cellCount = static_cast<std::int32_t>(rounded_index(static_cast<double>(m_.trackLength) / cell_length));
    m_.cells.clear();
    m_.track.clear();
    m_.create_cells(m_.cellCount);
    if (m_.withGeometry != 0) {
        if (r_.keeps_geometry()) {
            m_.track.create(m_.trackLength);
        } else {
            m_.track.create_bounds_only(m_.trackLength);
        }
    }
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_break(int index) {
    ScenarioRecord& rec = m_.records[static_cast<std::size_t>(index)];
    rec.long1 = r_.read_long();
    const FieldSpan position = r_.last_span();
    rec.long2 = r_.read_long();
    const FieldSpan offset = r_.last_span();
    rec.long3 = r_.read_long();
    // Checked only once both files are read (code 2); kept for the diagnostic.
    std::optional<Reading::Place>& misplaced =
        r_.misplacedBreaks[static_cast<std::size_t>(index - record_index::break_tre)];
    misplaced.reset();
    if (rec.long1 % break_multiple != 0) {
        misplaced = r_.place(position);
    } else if (rec.long2 % break_multiple != 0) {
        misplaced = r_.place(offset);
    }
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_background(std::int32_t& slot) {
    slot = r_.read_long();
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_repetition(const std::string& field) {
    ScenarioRecord& rep = m_.records[record_index::repetition];
    rep.long1 = r_.read_long();
    const FieldSpan first = r_.last_span();
    rep.long2 = r_.read_long();
    const FieldSpan second = r_.last_span();
    if (rep.long1 % repetition_multiple != 0) return abandon(ErrorCode::repetition_start_not_on_50, first);
    if (rep.long2 % repetition_multiple != 0) return abandon(ErrorCode::repetition_end_not_on_50, second);
    if (contains_exact(field, "4")) {
        rep.long3 = 4;
    } else if (contains_exact(field, "9")) {
        rep.long3 = 9;
    } else {
        return abandon(ErrorCode::repetition_without_codes, keyword_);
    }
    if (rep.long2 == 0) rep.long3 = 0;
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_items() {
    for (;;) {
        const std::optional<std::string> field = r_.next_keyword_candidate(Part::line_items);
        if (!field) return Outcome::finish;
        const Outcome outcome = read_item(*field);
        if (outcome != Outcome::go_on) return outcome;
    }
}

LineReader::Outcome LineReader::read_item(const std::string& field) {
    static constexpr std::array<std::pair<const Keyword*, Read>, keyword::line_items.size()> table{{
        {&keyword::gradient, &LineReader::read_gradient},
        {&keyword::curve, &LineReader::read_curve},
        {&keyword::mountain, &LineReader::read_mountain},
        {&keyword::speed_boards, &LineReader::read_speed_boards},
        {&keyword::sign, &LineReader::read_sign},
    }};
    keyword_ = r_.last_span();
    return r_.apply(*this, Part::line_items, field, table, Outcome::go_on);
}

bool LineReader::position_beyond_cells(std::int32_t p, FieldSpan at) {
    if (!beyond_cells(p, m_.cellCount)) return false;
    r_.fail(ErrorCode::item_beyond_route, at, p);
    return true;
}

LineReader::Outcome LineReader::read_gradient(const std::string&) {
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::int32_t g = r_.read_long();
    if (position_beyond_cells(p, at)) return Outcome::finish;
    const std::int64_t n = property_cell(p);
    if (n > 0) gradients_.fill_up_to(n);
    gradients_.set_pending(g);
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_curve(const std::string& field) {
    if (m_.withGeometry == 0) return Outcome::go_on;
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::int32_t len = r_.read_long();
    if (position_beyond_cells(p, at)) return Outcome::finish;
    return build_curve(field, keyword_, p, len);
}

LineReader::Outcome LineReader::read_mountain(const std::string&) {
    std::int32_t inizio = r_.read_long();
    const FieldSpan at = r_.last_span();
    std::int32_t fine = r_.read_long();
    std::int32_t tipo = r_.read_long();
    if (position_beyond_cells(inizio, at)) return Outcome::finish;
    r_.note_location(at);
    memo_montagna(m_, inizio, fine, tipo, r_.observer());
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_speed_boards(const std::string&) {
    const std::int32_t posizione = r_.read_long();
    const FieldSpan at = r_.last_span();
    std::int32_t vas = r_.read_long();
    std::int32_t vbs = r_.read_long();
    std::int32_t vcs = r_.read_long();
    const std::int32_t strisces = r_.read_long();
    std::int32_t vad = r_.read_long();
    std::int32_t vbd = r_.read_long();
    std::int32_t vcd = r_.read_long();
    const std::int32_t strisced = r_.read_long();
    if (position_beyond_cells(posizione, at)) return Outcome::finish;
    r_.note_location(at);
    memo_indicatori_v_max(m_, posizione, vas, vbs, vcs, static_cast<std::int16_t>(strisces & 0xFFFF), vad, vbd, vcd,
                          static_cast<std::int16_t>(strisced & 0xFFFF), r_.observer());
    if (m_.errorCode > 0) {
        r_.fail(static_cast<ErrorCode>(m_.errorCode), at, posizione);
        r_.close_and_delete();
        return Outcome::abandoned;
    }
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_sign(const std::string&) {
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::string& lettering = r_.read_field();
    if (position_beyond_cells(p, at)) return Outcome::finish;
    r_.note_location(at);
    RouteCell& cell = m_.cell(point_cell(p));
    if (!is_free(cell)) {
        r_.fail(ErrorCode::sign_cell_taken, at, p);
        r_.close_and_delete();
        return Outcome::abandoned;
    }
    if (next_sign_ <= 0) throw ReadFault(Fault::too_many_signs, "more than 80 roadside signs");
    cell.kind = cell_kind::roadside_sign;
    cell.data1 = static_cast<std::int16_t>(next_sign_);
    r_.placed(point_cell(p), cell_kind::roadside_sign);
    RouteModel::store_text(m_.records[static_cast<std::size_t>(next_sign_)], lettering);
    --next_sign_;
    return Outcome::go_on;
}

LineReader::Outcome LineReader::build_curve(const std::string& field, FieldSpan keyword, std::int32_t p,
                                            std::int32_t len) {
    double k = 0.0;
    for (int curve_class = 1; curve_class <= 6; ++curve_class) {
        if (contains_exact(field, std::to_string(curve_class))) {
            k = curvature_of_class(curve_class);
            break;
        }
    }
    if (k == 0.0) return abandon(ErrorCode::curve_without_class, keyword);
    if (contains_ignoring_case(field, "s")) k = -k;

    r_.note_location(keyword);
    // Building the last metre a curve row may reach ends the reading.
    const std::int64_t curve_end = std::int64_t{p} + len;
    builder_.straight_to(std::min(std::int64_t{p}, last_metre_of_curves));
    if (builder_.next_metre() > last_metre_of_curves) return abandon(ErrorCode::curve_without_class, keyword);
    builder_.curve_to(std::min(curve_end, last_metre_of_curves), k);
    if (builder_.next_metre() > last_metre_of_curves) return abandon(ErrorCode::curve_without_class, keyword);
    return Outcome::go_on;
}

void LineReader::finish() {
    r_.close_and_delete();
    gradients_.fill_up_to(std::int64_t{m_.cellCount} - 2);
    if (m_.withGeometry != 0) {
        builder_.straight_to(std::int64_t{m_.trackLength} - 2);
    }
}

LineReader::Outcome LineReader::abandon(ErrorCode code, FieldSpan at) {
    r_.fail(code, at);
    r_.close_and_delete();
    return Outcome::abandoned;
}

}  // namespace

std::optional<std::int32_t> read_line_description(Reading& reading) { return LineReader(reading).run(); }

}  // namespace scenario
