// A route model filled from the three binary files of a compiled scenario,
// read back with the compactor's own decoders, so that what was compiled can
// be drawn like what is described.
#pragma once

#include <string>

#include "model/route_model.h"

namespace scenario::tool {

struct CompiledFiles {
    std::string records;   // the .sim file
    std::string cells;     // the .dat file
    std::string geometry;  // the _linea.dat file; may be empty (no plan)
};

// A file that cannot be read is a UsageError; one that does not decode is a
// CompiledFileError naming the file and the byte where decoding failed.
RouteModel read_compiled(const CompiledFiles& files);

class CompiledFileError : public std::runtime_error {
public:
    CompiledFileError(const std::string& file, const std::string& what)
        : std::runtime_error(file + ": cannot decode: " + what) {}
};

}  // namespace scenario::tool
