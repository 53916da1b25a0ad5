// Writes the largest scenario's line and train descriptions into a folder,
// for timing the authoring tool on them.
//   max_scenario_descriptions FOLDER   -> FOLDER/max_line.txt, FOLDER/max_train.txt
#include <cstdio>
#include <fstream>
#include <string>

#include "max_scenario.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream line(folder + "/max_line.txt", std::ios::binary);
    line << scenario::bench::longest_line_description();
    std::ofstream train(folder + "/max_train.txt", std::ios::binary);
    train << scenario::bench::busiest_train_description();
    line.close();
    train.close();
    if (!line || !train) {
        std::fprintf(stderr, "cannot write the descriptions into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
