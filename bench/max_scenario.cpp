#include "max_scenario.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace scenario::bench {

namespace {

void add(std::string& text, const std::string& line) {
    text += line;
    text += "\r\n";
}

std::string n(long value) { return std::to_string(value); }

// Positions used below, in route cells (a point item at p lands in cell
// round(p / 50 + 1)); the choices keep every item on a cell of its own:
//   signals        1000 j + 50      -> cells 20 j + 2
//   speed boards   10000 k + 3450   -> cells 200 k + 70
//   signs          300000 k + 7400  -> cells 6000 k + 149
//   stations       13500 k + 500    -> stop cells 270 k + 13
//   slowdowns      54000 k + 25500  -> warning 1080 k + 487, start + 511,
//                                      end + 521 or + 533, approach + 483..486
// Stations and slowdowns share the period of 1080 cells, so no stop cell
// ever falls among a slowdown's cells or the marks the completion pass puts
// around them.
constexpr int station_count = 75;
constexpr int slowdown_count = 18;

}  // namespace

std::string line_description_in_steps(const LineSteps& steps) {
    std::string text;
    add(text, "[generale]");
    add(text, "lunghezza percorso,    " + n(longest_route));
    add(text, "progressiva chilometrica uno,    500000,    -1000,    0");
    add(text, "progressiva chilometrica due,    800000,    2000,    1");
    add(text, "progressiva chilometrica tre,    0,    0,    0");
    add(text, "sfondo uno,    1");
    add(text, "sfondo due,    0");
    add(text, "sfondo tre,    0");
    add(text, "ripetizione segnali 4 codici,    2100,    990050");
    add(text, "[curve]");
    // One curve every step, all classes, both hands, each shorter than the
    // step; the last ends well before metre 1000000.
    const long curves = 998000 / steps.curve;
    for (long k = 0; k < curves; ++k) {
        const long start = steps.curve * k + 700;
        const long length = 300 + steps.curve / 20 * (k % 10);
        const std::string keyword = std::string("curva") + (k % 2 == 0 ? "s" : "d") + n(1 + k % 6);
        add(text, keyword + ",  " + n(start) + ",  " + n(length));
    }
    add(text, "[pendenze]");
    for (long p = 0; p <= 1000000; p += steps.gradient) {
        add(text, "pendenza,  " + n(p) + ",   " + n((p / steps.gradient) % 25 - 12));
    }
    add(text, "[montagne]");
    for (int k = 0; k < 8; ++k) {
        const long start = 120000L * k + 40000;
        add(text, "montagna,   " + n(start) + ",  " + n(start + 5000) + ",  " + n(k % 2 == 0 ? 11 : 12));
    }
    add(text, "[cartelli]");
    add(text, "cartello_indicatore,  7400,   (Cippo )(  Km  )(7+400)");
    add(text, "cartello_indicatore,  307400,   (Galleria Monte Alto)");
    add(text, "cartello_indicatore,  607400,   (Bivio Sud)");
    add(text, "[indicazioni]");
    for (int k = 0; k < 100; ++k) {
        add(text, "indicatori_vmax,  " + n(10000L * k + 3450) + ",  105,  110,  125,  " + n(k % 3) + ",  ,  ,  ,  0");
    }
    add(text, "[fine]");
    return text;
}

std::string longest_line_description() { return line_description_in_steps({}); }

std::string busiest_train_description() { return train_description_in_steps(20000); }

std::string train_description_in_steps(long speed_step) {
    std::string text;
    add(text, "[generale]");
    add(text, "numero vetture,    13");
    add(text, "percentuale massa frenata,    130");
    add(text, "sabbia,    200");
    add(text, "orologio,    6              0            0 ");
    add(text, "[aderenze]");
    for (long p = 0; p < longest_route; p += 50000)
        add(text, "aderenza,  " + n(p) + ",    " + n(75 + (p / 50000) % 22));
    add(text, "[vel_limite]");
    for (long p = 0; p < longest_route; p += speed_step)
        add(text, "velocita,  " + n(p) + ",    " + n(p == 0 ? 30 : 100 + (p / speed_step) % 13 * 5));
    add(text, "[stazioni]");
    add(text, "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  6, 0, 0, Capolinea");
    for (int k = 1; k < station_count; ++k) {
        const long p = 13500L * k + 500;
        const long seconds = 6L * 3600 + 600L * k;
        add(text, "stazione,  " + n(p) + ", 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,  " + n(seconds / 3600) + "," +
                      n(seconds / 60 % 60) + ", 0, Fermata " + n(k));
    }
    add(text, "[rallentamenti]");
    for (int k = 0; k < slowdown_count; ++k) {
        const long x = 54000L * k + 25500;
        add(text, "rallentamento,  " + n(x) + ",    " + (k % 2 == 0 ? "60,  500" : "105, 1100") + ", 0,  1,  " +
                      (k % 2 == 0 ? "60" : "0"));
    }
    add(text, "[segnali]");
    for (long j = 1; j < 1000; ++j) add(text, "segnale,  " + n(1000 * j + 50) + ",   2, 4, 1,  1, 0,    2,  2,1,1, 0");
    add(text, "segnale,  1000050,   2, 2, 3,  1, 0,    0,  0,0,0, 245");
    add(text, "[codici]");
    add(text, "[fine]");
    add(text, "");
    return text;
}

std::string minimal_train_description() {
    std::string text;
    add(text, "[generale]");
    add(text, "velocita,   0,    30");
    add(text, "aderenza,   0,    90");
    add(text, "[fine]");
    add(text, "");
    return text;
}

BenchFolder::BenchFolder() {
    const char* chosen = std::getenv("COMPACTOR_BENCH_DIR");
    const std::filesystem::path base =
        chosen != nullptr ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path();
    static int count = 0;
    path_ = base / ("compactor bench " + std::to_string(::getpid()) + "." + std::to_string(++count));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    files_ = ScenarioFiles{path_.string(), '/', "Valcorvina", "IC 318"};
}

BenchFolder::~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RouteModel fresh_model() {
    RouteModel model;
    model.title = "Valcorvina";
    model.trainCode = "IC 318";
    return model;
}

void write_file(const std::string& path, const std::string& bytes) { plain_write(path, bytes); }

void plain_write(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "open " + path);
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    const int saved = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(bytes.size())) {
        throw std::system_error(saved, std::generic_category(), "write " + path);
    }
}

}  // namespace scenario::bench
