// A scenario packaged with the runner into a program of its own: the payload
// and trailer the tool appends to the runner (package_layout.h), read back by
// the packaged program before it writes anything.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "driver/platform.h"
#include "driver/scenario_source.h"

namespace scenario {

struct PackageContents {
    std::string title;
    std::string trainCode;
    // As the author wrote them, in the order of ScenarioText.
    std::array<std::string, scenario_text_count> texts;
};

// The payload of the contents, and the trailer that follows it when the
// runner before it is `runner_length` bytes long.
std::string package_payload(const PackageContents& contents);
std::string package_trailer(std::uint64_t runner_length, std::string_view payload);

// A package that does not hold together; what() says what is wrong.
class DamagedPackage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The contents of a payload. A DamagedPackage when a field runs past its end,
// bytes are left over, or the title or train code could name a file outside
// the program's folder.
PackageContents decode_payload(std::string_view payload);

// The contents packaged at the end of `program_file`: magic, version,
// lengths and checksum are checked first. A DamagedPackage names the file
// and the damage; a file that cannot be read is a FileError.
PackageContents read_package(const std::string& program_file);

// A packaged scenario: each text is written line by line, every line
// followed by CR LF, however many there are.
class PackagedScenario : public ScenarioSource {
public:
    explicit PackagedScenario(PackageContents contents) : contents_(std::move(contents)) {}

    const std::string& title() const override { return contents_.title; }
    const std::string& train_code() const override { return contents_.trainCode; }
    std::string text(ScenarioText which) const override;

private:
    PackageContents contents_;
};

// A packaged program's run: the scenario packaged into the program's own
// file, run as the built-in program runs its own. A damaged package is
// reported through the platform's fatal error report before anything is
// written.
[[noreturn]] void run_packaged_program(Platform& platform);

}  // namespace scenario
