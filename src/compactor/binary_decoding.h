// Reading the three binary files back: the inverse of the writers, for
// checking written scenarios. Decoding never reads outside the bytes given;
// a file whose length does not fit its layout is a DecodeError naming the
// byte offset where decoding failed.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "model/route_model.h"

namespace scenario {

class DecodeError : public std::runtime_error {
public:
    DecodeError(std::size_t offset, const std::string& what);
    std::size_t offset() const { return offset_; }

private:
    std::size_t offset_;
};

// The 87 elements of a ".sim" file.
std::vector<ScenarioRecord> decode_records(std::string_view bytes);
// The cells of a ".dat" file, 15 bytes each.
std::vector<RouteCell> decode_cells(std::string_view bytes);
// The tagged values of a "_linea.dat" file: the x half followed by the y
// half, one value a metre; `metres` receives how many metres each half holds.
std::vector<TrackValue> decode_line_geometry(std::string_view bytes, std::size_t& metres);

}  // namespace scenario
