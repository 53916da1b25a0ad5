// The train half of the reading.
#pragma once

#include <cstdint>

#include "reader/reading.h"

namespace scenario {

// Reads the train description into the model and deletes it. `next_sign` is
// the line half's next free sign record: stations must stay below it.
void read_train_description(Reading& reading, std::int32_t next_sign);

}  // namespace scenario
