// Which line description goes with which train description: by the names a
// scenario folder gives them, TITLE_linea.txt and TITLE_CODE-.txt, among the
// files of the folder and the documents open in it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario::tool::lsp {

enum class Role { line, train, other };

// What a file's name makes it.
Role role_of(const std::string& file_name);

struct Pair {
    std::string linePath;   // may not exist
    std::string trainPath;  // may not exist
    std::string title;
    std::string trainCode;
};

// The pair a description belongs to, its partner found among `names` (the
// folder's files and open documents). A line description with several
// trains takes the first open one, else the first by name; one with none is
// paired with the train it would have, TITLE_-.txt, which is missing. Nothing
// for a file of another name.
std::optional<Pair> pair_of(const std::string& path, const std::vector<std::string>& names,
                            const std::vector<std::string>& open_names);

}  // namespace scenario::tool::lsp
