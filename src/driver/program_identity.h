// The scenario this program carries.
#pragma once

namespace scenario {

inline constexpr const char* scenario_title = "Valcorvina";
inline constexpr const char* scenario_train_code = "IC 318";
inline constexpr const char* program_name = "Valcorvina_IC 318";

}  // namespace scenario
