// dump: a compiled file, one row a record, cell or metre, in the author's
// words, in bounded memory.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace scenario::tool {

struct DumpOptions {
    std::string file;  // "-" for standard input
    bool json = false;
    bool all = false;                // empty records too
    std::string from;                // metres ("500000") or a kilometre reading ("92.5km"); empty: the start
    std::string to;                  // the same; empty: the end
    std::vector<std::string> kinds;  // record or cell kinds to show; empty: every kind
    std::size_t every = 1;           // the first selected row and every Nth after it
    std::string as;                  // "sim", "dat" or "geometry"; empty: told by the name
    std::string sim;                 // the records whose breaks give kilometre readings of a .dat or _linea.dat
};

// Writes the rows to `out` and any failure to `err`; returns the exit status.
int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
