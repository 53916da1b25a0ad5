#include "reader/train_reader.h"

#include <array>
#include <string>
#include <utility>

#include "io/file_system.h"
#include "model/packing.h"
#include "model/placement.h"
#include "reader/keywords.h"
#include "reader/line_reader.h"
#include "reader/running_property.h"
#include "reader/signal_recorders.h"

namespace scenario {

namespace {

std::uint8_t adhesion_byte(std::int32_t value) { return pack_adhesion(value); }

class TrainReader {
public:
    TrainReader(Reading& reading, std::int32_t next_sign)
        : r_(reading),
          m_(reading.model),
          next_sign_(next_sign),
          speeds_(reading.model, pack_speed_limit, &RouteCell::speedLimit, reading.model.cellCount),
          adhesions_(reading.model, adhesion_byte, &RouteCell::adhesion) {}

    void run();

private:
    enum class Outcome { go_on, end_of_reading, returned };
    using Read = Outcome (TrainReader::*)(const std::string& field);

    Outcome read_record(const std::string& field);

    // One method a keyword.
    Outcome read_braked_mass(const std::string&);
    Outcome read_coaches(const std::string&);
    Outcome read_speed(const std::string&);
    Outcome read_adhesion(const std::string&);
    Outcome read_clock(const std::string&);
    Outcome read_sand(const std::string&);
    Outcome read_signal(const std::string&);
    Outcome read_slowdown(const std::string&);
    Outcome read_restriction(const std::string&);
    Outcome read_station(const std::string&);

    Outcome stop(ErrorCode code, FieldSpan at, std::optional<std::int32_t> position = std::nullopt);
    bool beyond_route(std::int32_t p, FieldSpan at, std::int64_t margin = item_margin);
    void end_of_reading();

    Reading& r_;
    RouteModel& m_;
    const std::int32_t next_sign_;
    std::int32_t station_index_ = record_index::first_station;
    RunningProperty speeds_;
    RunningProperty adhesions_;
    // Where the pending speed was read: a speed that does not fit the speed
    // byte is that field's fault.
    std::optional<Reading::Place> pending_speed_at_;
};

void TrainReader::run() {
    r_.open(r_.files.train_description(), Source::train_description);
    // Everything before the first "[generale]" field is skipped.
    while (!r_.at_end()) {
        if (keyword::general_header.matches(r_.read_field())) {
            r_.header_found();
            break;
        }
        r_.prologue_field();
    }
    while (const std::optional<std::string> field = r_.next_keyword_candidate(Part::train)) {
        const Outcome outcome = read_record(*field);
        if (outcome == Outcome::returned) return;
        if (outcome == Outcome::end_of_reading) break;
    }
    end_of_reading();
}

TrainReader::Outcome TrainReader::read_record(const std::string& field) {
    static constexpr std::array<std::pair<const Keyword*, Read>, keyword::train_records.size()> table{{
        {&keyword::braked_mass, &TrainReader::read_braked_mass},
        {&keyword::coaches, &TrainReader::read_coaches},
        {&keyword::speed, &TrainReader::read_speed},
        {&keyword::adhesion, &TrainReader::read_adhesion},
        {&keyword::clock, &TrainReader::read_clock},
        {&keyword::sand, &TrainReader::read_sand},
        {&keyword::signal, &TrainReader::read_signal},
        {&keyword::slowdown, &TrainReader::read_slowdown},
        {&keyword::restriction, &TrainReader::read_restriction},
        {&keyword::station, &TrainReader::read_station},
    }};
    return r_.apply(*this, Part::train, field, table, Outcome::go_on);
}

bool TrainReader::beyond_route(std::int32_t p, FieldSpan at, std::int64_t margin) {
    if (!beyond_cells(p, m_.cellCount, margin)) return false;
    r_.fail(ErrorCode::item_beyond_route, at, p);
    return true;
}

TrainReader::Outcome TrainReader::stop(ErrorCode code, FieldSpan at, std::optional<std::int32_t> position) {
    r_.fail(code, at, position);
    r_.close_and_delete();
    return Outcome::returned;
}

TrainReader::Outcome TrainReader::read_braked_mass(const std::string&) {
    m_.records[record_index::train_sizes].long1 = r_.read_long();
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_coaches(const std::string&) {
    m_.records[record_index::train_sizes].long3 = r_.read_long();
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_speed(const std::string&) {
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::int32_t s = r_.read_long();
    const FieldSpan speed_at = r_.last_span();
    if (beyond_route(p, at)) return Outcome::end_of_reading;
    if (pending_speed_at_) {
        r_.note_place(*pending_speed_at_);
    } else {
        r_.note_location(at);
    }
    const std::int64_t n = property_cell(p);
    if (n > 0) speeds_.fill_up_to(n);
    speeds_.set_pending(s);
    pending_speed_at_ = r_.place(speed_at);
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_adhesion(const std::string&) {
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::int32_t a = r_.read_long();
    if (beyond_route(p, at)) return Outcome::end_of_reading;
    r_.note_location(at);
    const std::int64_t n = property_cell(p);
    if (n > 0) adhesions_.fill_up_to(n);
    adhesions_.set_pending(a);
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_clock(const std::string&) {
    ScenarioRecord& rep = m_.records[record_index::repetition];
    rep.int3 = r_.read_integer();
    rep.int4 = r_.read_integer();
    rep.int5 = r_.read_integer();
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_sand(const std::string&) {
    m_.records[record_index::repetition].int1 = r_.read_integer();
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_signal(const std::string&) {
    const std::int32_t posizione = r_.read_long();
    const FieldSpan at = r_.last_span();
    std::int32_t v[10];
    for (std::int32_t& value : v) value = r_.read_long();
    if (beyond_route(posizione, at)) return Outcome::end_of_reading;
    r_.note_location(at);
    memo_segnale(m_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], r_.observer());
    // Any code set before, 15 of the line half included, ends the reading here.
    if (m_.errorCode > 0) return stop(static_cast<ErrorCode>(m_.errorCode), at, posizione);
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_slowdown(const std::string&) {
    const std::int32_t x = r_.read_long();
    const FieldSpan at = r_.last_span();
    std::int32_t v = r_.read_long();
    std::int32_t l = r_.read_long();
    const FieldSpan length_at = r_.last_span();
    std::int32_t f_tt = r_.read_long();
    const std::int32_t f_ta = r_.read_long();
    std::int32_t d_v = r_.read_long();
    if (beyond_route(x, at)) return Outcome::end_of_reading;
    r_.note_location(at);
    memo_rallentamento(m_, x, v, l, f_tt, f_ta, d_v, r_.observer());
    if (m_.errorCode > 0) {
        const auto code = static_cast<ErrorCode>(m_.errorCode);
        // The end cell is decided by the length.
        return stop(code, code == ErrorCode::slowdown_end_cell_taken ? length_at : at, x);
    }
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_restriction(const std::string&) {
    const std::int32_t p = r_.read_long();
    const FieldSpan at = r_.last_span();
    const std::int32_t w = r_.read_long();
    if (beyond_route(p, at)) return Outcome::end_of_reading;
    r_.note_location(at);
    RouteCell& cell = m_.cell(property_cell(p));
    if (!is_free(cell)) return stop(ErrorCode::restriction_cell_taken, at, p);
    if (w > 0) {
        cell.kind = cell_kind::restriction;
        cell.data1 = low_16(w);
    } else {
        cell.kind = cell_kind::restriction_without_speed;
    }
    r_.placed(property_cell(p), cell.kind);
    return Outcome::go_on;
}

TrainReader::Outcome TrainReader::read_station(const std::string&) {
    ScenarioRecord& st = m_.record(station_index_);
    st.long3 = r_.read_long();
    const std::int32_t P = st.long3;
    const FieldSpan at = r_.last_span();
    if (beyond_route(P, at, station_margin)) return Outcome::end_of_reading;
    if (P % station_position_multiple != 0) return stop(ErrorCode::station_position_not_on_50, at, P);
    st.tag = r_.read_byte();
    const std::int32_t L = r_.read_long();
    if (L % station_length_multiple != 0) return stop(ErrorCode::station_length_not_on_100, r_.last_span(), P);
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
    st.long4 = pack_station_time(h, mi, s);
    RouteModel::store_text(st, r_.read_field());
    r_.note_location(at);

    // Extent of the station from its kind; an end that does not fit leaves
    // the one stored before it.
    if (ends_past_position(st.tag)) {
        st.long2 = station_end(st.tag, P, L, st.byte4);
        st.long1 = station_start(st.tag, P, L);
    } else {
        st.long1 = station_start(st.tag, P, L);
        st.long2 = station_end(st.tag, P, L, st.byte4);
    }
    if (!keeps_end_extension(st.tag)) st.byte4 = 0;
    if (L < 600) st.byte5 = 0;
    if (station_index_ == record_index::first_station) {
        st.byte4 = 0;
        st.byte5 = 0;
    }

    if (st.tag < station_kind_without_cells && st.tag != 5 && st.tag != 6) {
        for (int k = 1; k <= 4; ++k) {
            const double t = static_cast<double>(st.long2) / cell_length - k - 1;
            if (t <= 1) continue;
            const std::uint8_t code = station_approach_code(k);
            m_.cell(rounded_index(t)).approachCode = code;
            r_.approach_code(rounded_index(t), code);
        }
    }
    if (st.tag < station_kind_without_cells) {
        const double t = static_cast<double>(st.long2) / cell_length - 1;
        if (t <= 1) return stop(ErrorCode::stop_cell_too_early, at);
        RouteCell& stop_cell = m_.cell(rounded_index(t));
        stop_cell.kind = cell_kind::station_stop;
        stop_cell.data1 = static_cast<std::int16_t>(station_index_);
        r_.placed(rounded_index(t), cell_kind::station_stop);
    }
    if (station_index_ > record_index::first_station &&
        std::int64_t{st.long1} - station_gap < m_.record(station_index_ - 1).long2) {
        return stop(ErrorCode::stations_too_close, at, P);
    }
    ++station_index_;
    if (station_index_ >= next_sign_) return stop(ErrorCode::station_table_full, at);
    return Outcome::go_on;
}

void TrainReader::end_of_reading() {
    // A speed that does not fit its byte is found after the file is closed.
    if (pending_speed_at_) r_.keep(*pending_speed_at_);
    r_.close_and_delete();
    if (pending_speed_at_) r_.note_place(*pending_speed_at_);
    speeds_.fill_rest();
    r_.forget_item();
    adhesions_.fill_rest();

    bool misplaced = false;
    for (int index : {record_index::break_tre, record_index::break_due, record_index::break_uno}) {
        const ScenarioRecord& b = m_.records[static_cast<std::size_t>(index)];
        if (b.long1 % break_multiple != 0 || b.long2 % break_multiple != 0) misplaced = true;
    }
    if (!misplaced) return;
    // The diagnostic points at the first such break in the line description.
    Reading::Place at;
    at.source = Source::line_description;
    for (const std::optional<Reading::Place>& place : r_.misplacedBreaks) {
        if (place && (at.location.line == 0 || place->location.line < at.location.line)) at = *place;
    }
    r_.fail(ErrorCode::break_not_on_50, at);
}

}  // namespace

void read_train_description(Reading& reading, std::int32_t next_sign) { TrainReader(reading, next_sign).run(); }

}  // namespace scenario
