#include "reader/line_reader.h"

#include <string>

#include "io/file_system.h"
#include "model/placement.h"
#include "reader/route_recorders.h"
#include "reader/track_builder.h"

namespace scenario {

namespace {

constexpr std::int32_t longest_route = 1000000;
constexpr std::int64_t last_track_metre_of_curves = 1000000;
constexpr int general_hyphen_skips = 10;

bool has_hyphen(const std::string& field) { return field.find('-') != std::string::npos; }

// The field that ends the general section: it holds "[" and "]" and does
// not begin with "-".
bool ends_general_section(const std::string& field) {
    return contains_exact(field, "[") && contains_exact(field, "]") && (field.empty() || field.front() != '-');
}

class LineReader {
public:
    explicit LineReader(Reading& reading) : r_(reading), m_(reading.model), builder_(reading.model.track) {}

    std::optional<std::int32_t> run();

private:
    enum class Outcome { go_on, finish, abandoned };

    Outcome read_general_section();
    Outcome read_general_item(const std::string& field);
    Outcome read_items();
    Outcome read_item(const std::string& field, FieldLocation keyword);
    void finish();
    void abandon(std::int32_t code, FieldLocation at);
    void close_and_delete();
    bool position_beyond_cells(std::int32_t p, FieldLocation at);
    void write_gradients_up_to(std::int64_t n);
    Outcome build_curve(const std::string& field, FieldLocation keyword, std::int32_t p, std::int32_t len);

    Reading& r_;
    RouteModel& m_;
    TrackBuilder builder_;
    std::int32_t next_sign_ = record_index::first_sign;
    std::int64_t next_gradient_cell_ = 0;
    std::int32_t pending_gradient_ = 0;
};

std::optional<std::int32_t> LineReader::run() {
    if (!file_exists(r_.files.line_description())) {
        m_.errorCode = 101;
        return std::nullopt;
    }
    r_.open(r_.files.line_description(), ReadDiagnostics::Source::line_description);

    // Everything before the first "[generale]" field is ignored.
    for (;;) {
        const std::string& field = r_.read_field();
        if (r_.at_end()) {
            abandon(102, r_.last_location());
            return std::nullopt;
        }
        if (contains_ignoring_case(field, "[generale]")) break;
    }

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
        for (int i = 0; i < general_hyphen_skips && has_hyphen(field); ++i) field = r_.read_field();
        if (read_general_item(field) == Outcome::abandoned) return Outcome::abandoned;
        if (ends_general_section(field)) return Outcome::go_on;
    }
}

LineReader::Outcome LineReader::read_general_item(const std::string& field) {
    const FieldLocation keyword = r_.last_location();
    auto read_break = [&](int index) {
        ScenarioRecord& rec = m_.records[static_cast<std::size_t>(index)];
        rec.long1 = r_.read_long();
        const FieldLocation position = r_.last_location();
        rec.long2 = r_.read_long();
        const FieldLocation offset = r_.last_location();
        rec.long3 = r_.read_long();
        // Checked only once both files are read (code 2); kept for the diagnostic.
        std::optional<Reading::Place>& misplaced =
            r_.misplacedBreaks[static_cast<std::size_t>(index - record_index::break_tre)];
        misplaced.reset();
        if (rec.long1 % 50 != 0) {
            misplaced = r_.place(position);
        } else if (rec.long2 % 50 != 0) {
            misplaced = r_.place(offset);
        }
    };
    ScenarioRecord& identity = m_.records[record_index::identity];

    if (contains_ignoring_case(field, "lunghezza") && contains_ignoring_case(field, "percorso")) {
        const std::int32_t length = r_.read_long();
        m_.records[record_index::train_sizes].long2 = length;
        if (length > longest_route) {
            abandon(1, r_.last_location());
            return Outcome::abandoned;
        }
        m_.trackLength = length + 7000;
        m_.cellCount = static_cast<std::int32_t>(rounded_index(static_cast<double>(m_.trackLength) / 50.0));
        m_.cells.clear();
        m_.track.clear();
        m_.create_cells(m_.cellCount);
        if (m_.withGeometry != 0) m_.track.create(m_.trackLength);
    }
    if (contains_exact(field, "tre") && contains_exact(field, "progressiva")) read_break(record_index::break_tre);
    if (contains_exact(field, "due") && contains_exact(field, "progressiva")) read_break(record_index::break_due);
    if (contains_exact(field, "uno") && contains_exact(field, "progressiva")) read_break(record_index::break_uno);
    if (contains_exact(field, "sfondo") && contains_exact(field, "uno")) identity.long1 = r_.read_long();
    if (contains_exact(field, "sfondo") && contains_exact(field, "due")) identity.long3 = r_.read_long();
    if (contains_exact(field, "sfondo") && contains_exact(field, "tre")) identity.long2 = r_.read_long();
    if (contains_exact(field, "segnali") && contains_exact(field, "ripetizione")) {
        ScenarioRecord& rep = m_.records[record_index::repetition];
        rep.long1 = r_.read_long();
        const FieldLocation first = r_.last_location();
        rep.long2 = r_.read_long();
        const FieldLocation second = r_.last_location();
        if (rep.long1 % 50 != 0) {
            abandon(3, first);
            return Outcome::abandoned;
        }
        if (rep.long2 % 50 != 0) {
            abandon(4, second);
            return Outcome::abandoned;
        }
        if (contains_exact(field, "4")) {
            rep.long3 = 4;
        } else if (contains_exact(field, "9")) {
            rep.long3 = 9;
        } else {
            abandon(5, keyword);
            return Outcome::abandoned;
        }
        if (rep.long2 == 0) rep.long3 = 0;
    }
    return Outcome::go_on;
}

LineReader::Outcome LineReader::read_items() {
    for (;;) {
        if (r_.at_end()) return Outcome::finish;
        std::string field = r_.read_field();
        if (r_.at_end()) return Outcome::finish;
        for (int i = 0; i < 2 && has_hyphen(field); ++i) {
            field = r_.read_field();
            if (r_.at_end()) return Outcome::finish;
        }
        const Outcome outcome = read_item(field, r_.last_location());
        if (outcome != Outcome::go_on) return outcome;
    }
}

bool LineReader::position_beyond_cells(std::int32_t p, FieldLocation at) {
    if (!beyond_cells(p, m_.cellCount)) return false;
    r_.fail(15, at, p);
    return true;
}

void LineReader::write_gradients_up_to(std::int64_t n) {
    do {
        m_.cell(next_gradient_cell_).gradient =
            static_cast<std::uint8_t>((std::int64_t{pending_gradient_} + 100) & 0xFF);
        ++next_gradient_cell_;
    } while (next_gradient_cell_ < n);
}

LineReader::Outcome LineReader::read_item(const std::string& field, FieldLocation keyword) {
    if (contains_ignoring_case(field, "pendenza")) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::int32_t g = r_.read_long();
        if (position_beyond_cells(p, at)) return Outcome::finish;
        const std::int64_t n = property_cell(p);
        if (n > 0) write_gradients_up_to(n);
        pending_gradient_ = g;
    }
    if (contains_ignoring_case(field, "curva") && m_.withGeometry != 0) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::int32_t len = r_.read_long();
        if (position_beyond_cells(p, at)) return Outcome::finish;
        const Outcome outcome = build_curve(field, keyword, p, len);
        if (outcome != Outcome::go_on) return outcome;
    }
    if (contains_ignoring_case(field, "montagna")) {
        std::int32_t inizio = r_.read_long();
        const FieldLocation at = r_.last_location();
        std::int32_t fine = r_.read_long();
        std::int32_t tipo = r_.read_long();
        if (position_beyond_cells(inizio, at)) return Outcome::finish;
        r_.note_location(at);
        memo_montagna(m_, inizio, fine, tipo);
    }
    if (contains_ignoring_case(field, "indicatori_v")) {
        const std::int32_t posizione = r_.read_long();
        const FieldLocation at = r_.last_location();
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
                              static_cast<std::int16_t>(strisced & 0xFFFF));
        if (m_.errorCode > 0) {
            r_.fail(m_.errorCode, at, posizione);
            close_and_delete();
            return Outcome::abandoned;
        }
    }
    if (contains_ignoring_case(field, "indicat") && contains_ignoring_case(field, "cartello")) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::string& lettering = r_.read_field();
        if (position_beyond_cells(p, at)) return Outcome::finish;
        r_.note_location(at);
        RouteCell& cell = m_.cell(point_cell(p));
        if (!is_free(cell)) {
            r_.fail(6, at, p);
            close_and_delete();
            return Outcome::abandoned;
        }
        if (next_sign_ <= 0) throw ReadFault(Fault::too_many_signs, "more than 80 roadside signs");
        cell.kind = cell_kind::roadside_sign;
        cell.data1 = static_cast<std::int16_t>(next_sign_);
        RouteModel::store_text(m_.records[static_cast<std::size_t>(next_sign_)], lettering);
        --next_sign_;
    }
    return Outcome::go_on;
}

LineReader::Outcome LineReader::build_curve(const std::string& field, FieldLocation keyword, std::int32_t p,
                                            std::int32_t len) {
    double k = 0.0;
    for (int curve_class = 1; curve_class <= 6; ++curve_class) {
        if (contains_exact(field, std::to_string(curve_class))) {
            k = curvature_of_class(curve_class);
            break;
        }
    }
    if (k == 0.0) {
        abandon(103, keyword);
        return Outcome::abandoned;
    }
    if (contains_ignoring_case(field, "s")) k = -k;

    r_.note_location(keyword);
    const std::int64_t curve_end = std::int64_t{p} + len;
    while (builder_.next_metre() <= p) {
        builder_.straight_step();
        if (builder_.next_metre() > last_track_metre_of_curves) {
            abandon(103, keyword);
            return Outcome::abandoned;
        }
    }
    while (builder_.next_metre() <= curve_end) {
        builder_.curved_step(k);
        if (builder_.next_metre() > last_track_metre_of_curves) {
            abandon(103, keyword);
            return Outcome::abandoned;
        }
    }
    return Outcome::go_on;
}

void LineReader::finish() {
    close_and_delete();
    write_gradients_up_to(std::int64_t{m_.cellCount} - 2);
    if (m_.withGeometry != 0) {
        while (builder_.next_metre() <= std::int64_t{m_.trackLength} - 2) builder_.straight_step();
    }
}

void LineReader::close_and_delete() {
    r_.close();
    delete_file(r_.files.line_description());
}

void LineReader::abandon(std::int32_t code, FieldLocation at) {
    r_.fail(code, at);
    close_and_delete();
}

}  // namespace

std::optional<std::int32_t> read_line_description(Reading& reading) { return LineReader(reading).run(); }

}  // namespace scenario
