// Rows of the descriptions that tests write again and again: a signal, a
// roadside sign and a station at a position, a train description with its
// line speed and adhesion from 0, and many rows made from their ordinal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/description_files.h"

namespace scenario::testing {

inline std::string signal_at(std::int64_t position, const std::string& codes = "2, 4, 1,  1, 0,  2,  2,1,1, 0") {
    return "segnale,  " + std::to_string(position) + ",  " + codes;
}

inline std::string sign_at(std::int64_t position, const std::string& text = "(S)") {
    return "cartello_indicatore,  " + std::to_string(position) + ",   " + text;
}

inline std::string station(std::int64_t position, int kind, std::int64_t length, const std::string& name = "S") {
    return "stazione,  " + std::to_string(position) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
           ",  0, 0, 0,  1,1,0,  2,1,1,    0,  16,3,0, " + name;
}

// A train description whose line speed and adhesion start at 0, the rows
// after them.
inline std::string train(std::vector<std::string> rows) {
    rows.insert(rows.begin(), {"velocita,   0,    100", "aderenza,   0,    90"});
    return train_description(rows);
}

// The rows row(1) to row(count).
inline std::vector<std::string> many(std::int64_t count, const std::function<std::string(std::int64_t)>& row) {
    std::vector<std::string> rows;
    for (std::int64_t i = 1; i <= count; ++i) rows.push_back(row(i));
    return rows;
}

}  // namespace scenario::testing
