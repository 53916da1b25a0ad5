// Peak memory of one operation on the largest scenario, in a process of its
// own: prints the process's maximum resident set size after the operation and
// after only writing the description files (the floor of the process).
//   compactor_peak_memory line|compaction
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "compactor/binary_files.h"
#include "compactor/memorizza_percorso.h"
#include "max_scenario.h"
#include "reader/memorizza_dati.h"

namespace {

long max_resident_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // KiB on Linux
}

}  // namespace

int main(int argc, char** argv) {
    using namespace scenario;
    using namespace scenario::bench;
    const bool compaction = argc > 1 && std::strcmp(argv[1], "compaction") == 0;
    if (argc < 2 || (!compaction && std::strcmp(argv[1], "line") != 0)) {
        std::fprintf(stderr, "usage: %s line|compaction\n", argv[0]);
        return 2;
    }
    BenchFolder folder;
    const ScenarioFiles& files = folder.files();
    {
        const std::string line = longest_line_description();
        write_file(files.line_description(), line);
        const std::string train = compaction ? busiest_train_description() : minimal_train_description();
        write_file(files.train_description(), train);
    }
    const long before = max_resident_kib();

    RouteModel model = fresh_model();
    if (compaction) {
        std::int32_t flag = 1;
        memorizza_percorso(model, files, flag, [](const std::string&) {});
    } else {
        model.withGeometry = 1;
        memorizza_dati(model, files);
        write_line_geometry(model.track, files.line_geometry());
    }
    const long after = max_resident_kib();
    std::printf("%s: errorCode %d (position %d), peak resident %.1f MiB (%.1f MiB before the operation)\n", argv[1],
                model.errorCode, model.errorPosition, static_cast<double>(after) / 1024.0,
                static_cast<double>(before) / 1024.0);
    return model.errorCode == 0 ? 0 : 1;
}
