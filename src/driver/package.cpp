#include "driver/package.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "compactor/little_endian.h"
#include "description/fixed_text.h"
#include "driver/package_layout.h"
#include "driver/run.h"
#include "io/file_system.h"

namespace scenario {

namespace layout = package_layout;

namespace {

void put_u64(std::string& out, std::uint64_t value) {
    put_u32(out, static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
    put_u32(out, static_cast<std::uint32_t>(value >> 32));
}

std::uint64_t get_u64(std::string_view in, std::size_t at) {
    return get_u32(in, at) | (std::uint64_t{get_u32(in, at + 4)} << 32);
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// A title or train code becomes part of file names in the program's folder.
bool fits_a_file_name(std::string_view part) {
#ifdef _WIN32
    return part.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
#else
    return part.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
#endif
}

// Reads exactly `count` bytes; a file that ends before is damaged.
std::string read_exactly(InputFile& file, std::uint64_t offset, std::size_t count) {
    file.seek(offset);
    std::string bytes(count, '\0');
    std::size_t have = 0;
    while (have < count) {
        const std::size_t n = file.read(bytes.data() + have, count - have);
        if (n == 0) throw DamagedPackage("the file ends early");
        have += n;
    }
    return bytes;
}

// The payload's place in the file, from a trailer whose every field holds.
std::string checked_payload(InputFile& file) {
    const std::uint64_t size = file.size();
    if (size < layout::trailer_size) throw DamagedPackage("the file is too short to end with a scenario package");
    const std::string trailer = read_exactly(file, size - layout::trailer_size, layout::trailer_size);
    if (std::string_view(trailer).substr(layout::magic_at) != layout::magic) {
        throw DamagedPackage("the file does not end with a scenario package (cut short, extended or never packaged)");
    }
    const std::uint32_t version = get_u32(trailer, layout::version_at);
    if (version != layout::format_version) {
        throw DamagedPackage("its format version is " + std::to_string(version) + ", this program reads version " +
                             std::to_string(layout::format_version));
    }
    const std::uint64_t offset = get_u64(trailer, layout::payload_offset_at);
    const std::uint64_t length = get_u64(trailer, layout::payload_length_at);
    const std::uint64_t room = size - layout::trailer_size;
    if (offset > room || length != room - offset) {
        throw DamagedPackage("its lengths (payload of " + std::to_string(length) + " bytes at byte " +
                             std::to_string(offset) + ") do not fill the file's " + std::to_string(size) + " bytes");
    }
    std::string payload = read_exactly(file, offset, static_cast<std::size_t>(length));
    const std::uint32_t stored = get_u32(trailer, layout::checksum_at);
    const std::uint32_t computed = layout::crc32(payload);
    if (stored != computed) {
        throw DamagedPackage("its checksum does not match (" + hex(computed) + " where " + hex(stored) + " is stored)");
    }
    return payload;
}

// The name shown before the scenario is read: the program file's own.
std::string name_of_program_file(const std::string& file) {
    std::string name = file.substr(file.find_last_of("/\\") + 1);
#ifdef _WIN32
    if (name.size() > 4 && (name.ends_with(".exe") || name.ends_with(".EXE"))) name.resize(name.size() - 4);
#endif
    return name;
}

}  // namespace

std::string package_payload(const PackageContents& contents) {
    std::size_t size = 0;
    for (const std::string& text : contents.texts) size += text.size();
    std::string payload;
    payload.reserve(size + contents.title.size() + contents.trainCode.size() +
                    layout::payload_fields * layout::field_length_size);
    const auto field = [&payload](const std::string& bytes) {
        put_u32(payload, static_cast<std::uint32_t>(bytes.size()));
        payload += bytes;
    };
    field(contents.title);
    field(contents.trainCode);
    for (const std::string& text : contents.texts) field(text);
    return payload;
}

std::string package_trailer(std::uint64_t runner_length, std::string_view payload) {
    std::string trailer;
    put_u64(trailer, runner_length);
    put_u64(trailer, payload.size());
    put_u32(trailer, layout::crc32(payload));
    put_u32(trailer, layout::format_version);
    trailer += layout::magic;
    return trailer;
}

PackageContents decode_payload(std::string_view payload) {
    std::size_t at = 0;
    int number = 0;
    const auto field = [&]() {
        ++number;
        if (payload.size() - at < layout::field_length_size) {
            throw DamagedPackage("its payload ends before field " + std::to_string(number));
        }
        const std::uint32_t length = get_u32(payload, at);
        at += layout::field_length_size;
        if (payload.size() - at < length) {
            throw DamagedPackage("field " + std::to_string(number) + " of its payload runs past the payload's end");
        }
        std::string bytes(payload.substr(at, length));
        at += length;
        return bytes;
    };
    PackageContents contents;
    contents.title = field();
    contents.trainCode = field();
    for (std::string& text : contents.texts) text = field();
    if (at != payload.size()) {
        throw DamagedPackage(std::to_string(payload.size() - at) + " bytes are left over after its payload's fields");
    }
    if (!fits_a_file_name(contents.title) || !fits_a_file_name(contents.trainCode)) {
        throw DamagedPackage("its title or train code holds a folder separator");
    }
    return contents;
}

PackageContents read_package(const std::string& program_file) {
    InputFile file(program_file);
    try {
        return decode_payload(checked_payload(file));
    } catch (const DamagedPackage& damage) {
        throw DamagedPackage("the scenario packaged into '" + program_file + "' is damaged: " + damage.what() +
                             "; nothing was written");
    }
}

std::string PackagedScenario::text(ScenarioText which) const {
    return with_crlf_line_ends(contents_.texts[static_cast<std::size_t>(which)]);
}

void run_packaged_program(Platform& platform) {
    std::optional<PackagedScenario> scenario;
    try {
        const std::string file = platform.program_file();
        platform.set_program_name(name_of_program_file(file));
        scenario.emplace(read_package(file));
    } catch (const std::exception& damage) {
        platform.fatal_error(damage.what());
    }
    platform.set_program_name(program_name_of(*scenario));
    run_program(platform, *scenario);
}

}  // namespace scenario
