// Writes the largest scenario's line and train descriptions into a folder,
// for timing the authoring tool on them.
//   max_scenario_descriptions FOLDER [--detailed]
//     -> FOLDER/max_line.txt, FOLDER/max_train.txt
// --detailed describes the same route in finer steps (a curve every
// kilometre, a gradient every 250 m, a line speed every 3 km): 199 KB and
// 6,585 rows, the size of the longest routes authors write, for timing
// the language server.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "max_scenario.h"

int main(int argc, char** argv) {
    const bool detailed = argc == 3 && std::strcmp(argv[2], "--detailed") == 0;
    if (argc != 2 && !detailed) {
        std::fprintf(stderr, "usage: %s FOLDER [--detailed]\n", argv[0]);
        return 2;
    }
    using namespace scenario::bench;
    const std::string folder = argv[1];
    std::ofstream line(folder + "/max_line.txt", std::ios::binary);
    line << (detailed ? line_description_in_steps({1000, 250}) : longest_line_description());
    std::ofstream train(folder + "/max_train.txt", std::ios::binary);
    train << (detailed ? train_description_in_steps(3000) : busiest_train_description());
    line.close();
    train.close();
    if (!line || !train) {
        std::fprintf(stderr, "cannot write the descriptions into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
