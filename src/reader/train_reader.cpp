#include "reader/train_reader.h"

#include <string>

#include "io/file_system.h"
#include "model/placement.h"
#include "reader/signal_recorders.h"

namespace scenario {

namespace {

bool has_hyphen(const std::string& field) { return field.find('-') != std::string::npos; }

std::uint8_t fifth_of_speed(std::int32_t speed) {
    const double fifth = round_half_even(static_cast<double>(speed) / 5.0);
    if (!(fifth >= 0.0 && fifth <= 255.0)) {
        throw ReadFault(Fault::value_out_of_range,
                        "a line speed of " + std::to_string(speed) + " km/h does not fit the speed byte");
    }
    return static_cast<std::uint8_t>(fifth);
}

std::int32_t fit_long(double value, const char* what) {
    auto fitted = rounded_to_int32(value);
    if (!fitted) throw ReadFault(Fault::value_out_of_range, std::string(what) + " does not fit a 32-bit field");
    return *fitted;
}

class TrainReader {
public:
    TrainReader(Reading& reading, std::int32_t next_sign) : r_(reading), m_(reading.model), next_sign_(next_sign) {}

    void run();

private:
    enum class Outcome { go_on, end_of_reading, returned };

    Outcome read_record(const std::string& field);
    Outcome read_station();
    Outcome stop(std::int32_t code, FieldLocation at, std::optional<std::int32_t> position = std::nullopt);
    void note_pending_speed(FieldLocation fallback);
    bool beyond_route(std::int32_t p, FieldLocation at, std::int64_t margin = 100);
    void end_of_reading();
    void close_and_delete();

    Reading& r_;
    RouteModel& m_;
    const std::int32_t next_sign_;
    std::int32_t station_index_ = record_index::first_station;
    std::int64_t speed_fill_ = 0;
    std::int64_t adhesion_fill_ = 0;
    std::int32_t pending_speed_ = 0;
    std::int32_t pending_adhesion_ = 0;
    // Where pendingSpeed was read: a speed that does not fit the speed byte
    // is that field's fault.
    std::optional<Reading::Place> pending_speed_at_;
};

void TrainReader::run() {
    r_.open(r_.files.train_description(), ReadDiagnostics::Source::train_description);
    // Everything before the first "[generale]" field is skipped.
    while (!r_.at_end()) {
        if (contains_ignoring_case(r_.read_field(), "[generale]")) break;
    }
    for (;;) {
        if (r_.at_end()) break;
        std::string field = r_.read_field();
        if (r_.at_end()) break;
        bool ended = false;
        for (int i = 0; i < 2 && has_hyphen(field); ++i) {
            field = r_.read_field();
            if (r_.at_end()) {
                ended = true;
                break;
            }
        }
        if (ended) break;
        const Outcome outcome = read_record(field);
        if (outcome == Outcome::returned) return;
        if (outcome == Outcome::end_of_reading) break;
    }
    end_of_reading();
}

bool TrainReader::beyond_route(std::int32_t p, FieldLocation at, std::int64_t margin) {
    if (!beyond_cells(p, m_.cellCount, margin)) return false;
    r_.fail(15, at, p);
    return true;
}

TrainReader::Outcome TrainReader::stop(std::int32_t code, FieldLocation at, std::optional<std::int32_t> position) {
    r_.fail(code, at, position);
    close_and_delete();
    return Outcome::returned;
}

void TrainReader::note_pending_speed(FieldLocation fallback) {
    if (pending_speed_at_) {
        r_.note_place(*pending_speed_at_);
    } else {
        r_.note_location(fallback);
    }
}

TrainReader::Outcome TrainReader::read_record(const std::string& field) {
    if (contains_ignoring_case(field, "frenata") && contains_ignoring_case(field, "massa")) {
        m_.records[record_index::train_sizes].long1 = r_.read_long();
    }
    if (contains_ignoring_case(field, "vetture")) m_.records[record_index::train_sizes].long3 = r_.read_long();
    if (contains_ignoring_case(field, "velocit")) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::int32_t s = r_.read_long();
        const FieldLocation speed_at = r_.last_location();
        if (beyond_route(p, at)) return Outcome::end_of_reading;
        note_pending_speed(at);
        const std::int64_t n = property_cell(p);
        if (n > 0) {
            do {
                if (speed_fill_ >= m_.cellCount) break;
                m_.cell(speed_fill_).speedLimit = fifth_of_speed(pending_speed_);
                ++speed_fill_;
            } while (speed_fill_ < n);
        }
        pending_speed_ = s;
        pending_speed_at_ = r_.place(speed_at);
    }
    if (contains_ignoring_case(field, "aderenza")) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::int32_t a = r_.read_long();
        if (beyond_route(p, at)) return Outcome::end_of_reading;
        r_.note_location(at);
        const std::int64_t n = property_cell(p);
        if (n > 0) {
            do {
                m_.cell(adhesion_fill_).adhesion = static_cast<std::uint8_t>(pending_adhesion_ & 0xFF);
                ++adhesion_fill_;
            } while (adhesion_fill_ < n);
        }
        pending_adhesion_ = a;
    }
    if (contains_ignoring_case(field, "orologio")) {
        ScenarioRecord& rep = m_.records[record_index::repetition];
        rep.int3 = r_.read_integer();
        rep.int4 = r_.read_integer();
        rep.int5 = r_.read_integer();
    }
    if (contains_ignoring_case(field, "sabbia")) m_.records[record_index::repetition].int1 = r_.read_integer();
    if (contains_ignoring_case(field, "segnale")) {
        const std::int32_t posizione = r_.read_long();
        const FieldLocation at = r_.last_location();
        std::int32_t v[10];
        for (std::int32_t& value : v) value = r_.read_long();
        if (beyond_route(posizione, at)) return Outcome::end_of_reading;
        r_.note_location(at);
        memo_segnale(m_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
        if (m_.errorCode > 0) return stop(m_.errorCode, at, posizione);
    }
    if (contains_ignoring_case(field, "rallentamento")) {
        const std::int32_t x = r_.read_long();
        const FieldLocation at = r_.last_location();
        std::int32_t v = r_.read_long();
        std::int32_t l = r_.read_long();
        const FieldLocation length_at = r_.last_location();
        std::int32_t f_tt = r_.read_long();
        const std::int32_t f_ta = r_.read_long();
        std::int32_t d_v = r_.read_long();
        if (beyond_route(x, at)) return Outcome::end_of_reading;
        r_.note_location(at);
        memo_rallentamento(m_, x, v, l, f_tt, f_ta, d_v);
        if (m_.errorCode > 0) {
            r_.note_item({x, v, l, f_tt, f_ta, d_v});
            // The end cell is decided by the length.
            return stop(m_.errorCode, m_.errorCode == 19 ? length_at : at, x);
        }
    }
    if (contains_ignoring_case(field, "abbattimento")) {
        const std::int32_t p = r_.read_long();
        const FieldLocation at = r_.last_location();
        const std::int32_t w = r_.read_long();
        if (beyond_route(p, at)) return Outcome::end_of_reading;
        r_.note_location(at);
        RouteCell& cell = m_.cell(property_cell(p));
        if (!is_free(cell)) return stop(7, at, p);
        if (w > 0) {
            cell.kind = cell_kind::restriction;
            cell.data1 = static_cast<std::int16_t>(static_cast<std::uint16_t>(w & 0xFFFF));
        } else {
            cell.kind = cell_kind::restriction_without_speed;
        }
    }
    if (contains_ignoring_case(field, "stazione")) return read_station();
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_station() {
    ScenarioRecord& st = m_.record(station_index_);
    st.long3 = r_.read_long();
    const std::int32_t P = st.long3;
    const FieldLocation at = r_.last_location();
    if (beyond_route(P, at, 800)) return Outcome::end_of_reading;
    r_.note_item({P}, station_index_);
    if (P % 50 != 0) return stop(8, at, P);
    st.tag = r_.read_byte();
    const std::int32_t L = r_.read_long();
    r_.note_item({P, L}, station_index_);
    if (L % 100 != 0) return stop(9, r_.last_location(), P);
    st.byte1 = r_.read_byte();
    st.byte5 = r_.read_byte();
    st.byte4 = r_.read_byte();
    st.int1 = r_.read_integer();
    st.int2 = r_.read_integer();
    st.byte2 = r_.read_byte();
    st.int3 = r_.read_integer();
    st.int4 = r_.read_integer();
    st.int5 = r_.read_integer();
    st.byte3 = r_.read_byte();
    const std::int64_t h = r_.read_long();
    const std::int64_t mi = r_.read_long();
    const std::int64_t s = r_.read_long();
    st.long4 = fit_long(static_cast<double>((h * 60 + mi) * 60 + s), "a station's timetable time");
    RouteModel::store_text(st, r_.read_field());
    r_.note_location(at);

    // Extent of the station from its kind.
    const double p = P;
    const double len = L;
    if (st.tag == 5 || st.tag == 6) {
        st.long2 = fit_long(p + 150.0, "a station's end");
        st.long1 = fit_long(p - len, "a station's start");
        st.byte4 = 0;
    } else if (st.tag == 7 || st.tag == 8) {
        st.long1 = fit_long(p - len, "a station's start");
        st.long2 = fit_long(p + len, "a station's end");
        st.byte4 = 0;
    } else {
        st.long1 = fit_long(p - len / 2.0, "a station's start");
        st.long2 = fit_long(st.byte4 != 0 ? p + len / 2.0 + 50.0 : p + len / 2.0, "a station's end");
    }
    if (L < 600) st.byte5 = 0;
    if (station_index_ == record_index::first_station) {
        st.byte4 = 0;
        st.byte5 = 0;
    }

    if (st.tag < 25 && st.tag != 5 && st.tag != 6) {
        for (int k = 1; k <= 4; ++k) {
            const double t = static_cast<double>(st.long2) / 50.0 - k - 1;
            if (t > 1) m_.cell(rounded_index(t)).approachCode = static_cast<std::uint8_t>(80 + k);
        }
    }
    if (st.tag < 25) {
        const double t = static_cast<double>(st.long2) / 50.0 - 1;
        if (t <= 1) return stop(24, at);
        RouteCell& stop_cell = m_.cell(rounded_index(t));
        stop_cell.kind = cell_kind::station_stop;
        stop_cell.data1 = static_cast<std::int16_t>(station_index_);
    }
    if (station_index_ > record_index::first_station &&
        std::int64_t{st.long1} - 350 < m_.record(station_index_ - 1).long2) {
        return stop(22, at, P);
    }
    ++station_index_;
    if (station_index_ >= next_sign_) return stop(10, at);
    r_.note_item({});
    return Outcome::go_on;
}

void TrainReader::end_of_reading() {
    close_and_delete();
    if (pending_speed_at_) r_.note_place(*pending_speed_at_);
    do {
        m_.cell(speed_fill_).speedLimit = fifth_of_speed(pending_speed_);
        ++speed_fill_;
    } while (speed_fill_ < std::int64_t{m_.cellCount} - 2);
    r_.forget_item();
    do {
        m_.cell(adhesion_fill_).adhesion = static_cast<std::uint8_t>(pending_adhesion_ & 0xFF);
        ++adhesion_fill_;
    } while (adhesion_fill_ < std::int64_t{m_.cellCount} - 2);

    bool misplaced = false;
    for (int index : {record_index::break_tre, record_index::break_due, record_index::break_uno}) {
        const ScenarioRecord& b = m_.records[static_cast<std::size_t>(index)];
        if (b.long1 % 50 != 0 || b.long2 % 50 != 0) misplaced = true;
    }
    if (!misplaced) return;
    // The diagnostic points at the first such break in the line description.
    Reading::Place at{ReadDiagnostics::Source::line_description, {}, {}};
    for (const std::optional<Reading::Place>& place : r_.misplacedBreaks) {
        if (place && (at.location.line == 0 || place->location.line < at.location.line)) at = *place;
    }
    r_.fail(2, at);
}

void TrainReader::close_and_delete() {
    r_.close();
    delete_file(r_.files.train_description());
}

}  // namespace

void read_train_description(Reading& reading, std::int32_t next_sign) { TrainReader(reading, next_sign).run(); }

}  // namespace scenario
