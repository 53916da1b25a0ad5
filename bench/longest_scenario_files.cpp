// Writes the largest scenario's descriptions into a folder, for timing the
// authoring tool on them:
//   longest_scenario_files FOLDER   ->  FOLDER/line.txt, FOLDER/train.txt
#include <cstdio>
#include <string>

#include "max_scenario.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    scenario::bench::write_file(folder + "/line.txt", scenario::bench::longest_line_description());
    scenario::bench::write_file(folder + "/train.txt", scenario::bench::busiest_train_description());
    return 0;
}
