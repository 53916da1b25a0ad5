// What the author is told after a compaction: the error code explained in
// plain words, with the file, line and column of the field at fault.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tool/compaction.h"

namespace scenario::tool {

struct Diagnosis {
    std::int32_t code = 0;
    std::optional<std::int32_t> position;  // the route position the code names, in metres
    std::optional<std::string> file;       // the author's file, as given
    std::optional<int> line;
    std::optional<int> column;  // character column of the field
    std::string message;
    std::string sourceLine;  // the line of the field in UTF-8, controls unescaped: show it through source_excerpt
    int caretLength = 1;     // characters of the field under the caret
    // A completion-pass code replaces the reader's: where the reading had
    // stopped before, as "FILE:LINE:COLUMN".
    std::optional<std::string> earlierStop;
};

// The diagnosis of a compaction whose errorCode is not 0.
Diagnosis diagnose(const Compaction& compaction, const Sources& sources);

// Why the stamp was refused: what stands in route cell 1.
std::string explain_stamp(const Compaction& compaction);

// "FILE:LINE:COLUMN: error CODE: message (at POSITION m)", then the source
// line and a caret under the field, each line ended by a line feed.
std::string render(const Diagnosis& diagnosis, const std::string& program);

}  // namespace scenario::tool
