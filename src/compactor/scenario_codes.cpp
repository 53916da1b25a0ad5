#include "compactor/scenario_codes.h"

#include "model/error_codes.h"

namespace scenario {

namespace {

constexpr std::string_view padding = "aabbccddeeffgghhiillmmnnoo";
constexpr std::size_t code_length = 25;

}  // namespace

char lower_single_byte(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);  // À..Þ except ×
    switch (u) {
        case 0x8A:
            return static_cast<char>(0x9A);  // Š
        case 0x8C:
            return static_cast<char>(0x9C);  // Œ
        case 0x8E:
            return static_cast<char>(0x9E);  // Ž
        case 0x9F:
            return static_cast<char>(0xFF);  // Ÿ
        default:
            return c;
    }
}

std::string code_text(const RouteModel& model) {
    std::string text = model.records[record_index::repetition].text + model.records[record_index::identity].text;
    for (char& c : text) c = lower_single_byte(c);
    text += padding;
    return text.substr(0, code_length);
}

std::int16_t codice_gara_og(const RouteModel& model) {
    std::int32_t sum = 0;
    for (char c : code_text(model)) sum += static_cast<unsigned char>(c);
    return static_cast<std::int16_t>(sum);
}

std::int32_t codice_gara_st(const RouteModel& model) {
    const std::string text = code_text(model);
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        sum += static_cast<unsigned char>(text[i]) * static_cast<std::int32_t>(i + 1);
    }
    return sum;
}

StampError::StampError(int number) : std::runtime_error(" Errore n. " + std::to_string(number)), number_(number) {}

void stamp_scenario(RouteModel& model, const StampErrorReport& errore) {
    ScenarioRecord& identity = model.records[record_index::identity];
    RouteCell& cell1 = model.cells.at(1);
    if (identity.int1 != 0 || cell1.data1 != 0) {
        errore(std::to_string(value_of(ErrorCode::stamp_marker_taken)));
        throw StampError(value_of(ErrorCode::stamp_marker_taken));
    }
    identity.int1 = record_marker;
    cell1.data1 = cell_marker;
    if (identity.long4 != 0 || cell1.data2 != 0) {
        errore(std::to_string(value_of(ErrorCode::stamp_code_taken)));
        throw StampError(value_of(ErrorCode::stamp_code_taken));
    }
    identity.long4 = codice_gara_st(model);
    cell1.data2 = codice_gara_og(model);
}

}  // namespace scenario
