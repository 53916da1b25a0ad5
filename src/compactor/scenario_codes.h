// The scenario stamp: two marker values and two codes computed from the
// train code and the title, put into records(85) and cells(1).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/route_model.h"

namespace scenario {

// The marker values of the stamp: records(85).int1 and cells(1).data1.
inline constexpr std::int16_t record_marker = 610;
inline constexpr std::int16_t cell_marker = 5121;

// The text the codes are computed from: train code and title as stored in
// records(86) and (85), lower-cased, then the padding; 25 characters.
std::string code_text(const RouteModel& model);

// Plain sum of the character codes of the code text.
std::int16_t codice_gara_og(const RouteModel& model);
// Sum of the character codes weighted by their 1-based positions.
std::int32_t codice_gara_st(const RouteModel& model);

// Lower case in the single-byte code page: A-Z and the accented capitals.
char lower_single_byte(char c);

// Called with "1250" or "1251" when a stamp slot is already taken; in the
// program it ends the process.
using StampErrorReport = std::function<void(const std::string& number)>;

// A stamp error whose report returned instead of ending the process.
class StampError : public std::runtime_error {
public:
    explicit StampError(int number);
    int number() const { return number_; }

private:
    int number_;
};

// Writes the markers 610 and 5121 and the two codes. A slot that is not 0
// beforehand is reported through `errore` (1250 for the markers, 1251 for the
// codes); if the report returns, StampError is thrown.
void stamp_scenario(RouteModel& model, const StampErrorReport& errore);

}  // namespace scenario
