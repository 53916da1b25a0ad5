// The package a packaged program carries: its layout, and every way a
// package can be damaged, each refused with what is wrong.
#include "driver/package.h"

#include <gtest/gtest.h>

#include "driver/package_layout.h"
#include "io/file_system.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::TempFolder;
using testing::write_file;

const PackageContents contents{"Linea", "T 1", {"[generale]\n", "train\r\n", "notes", "", "sheet\r"}};

TEST(PackageLayout, TheChecksumIsTheUsualCrc32) {
    EXPECT_EQ(package_layout::crc32(""), 0u);
    EXPECT_EQ(package_layout::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(package_layout::crc32("56789", package_layout::crc32("1234")), 0xCBF43926u);
}

TEST(PackageLayout, PayloadAndTrailerByteByByte) {
    const std::string payload = package_payload(contents);
    EXPECT_EQ(payload, std::string("\x05\0\0\0Linea\x03\0\0\0T 1"
                                   "\x0b\0\0\0[generale]\n\x07\0\0\0train\r\n\x05\0\0\0notes\0\0\0\0\x06\0\0\0sheet\r",
                                   65));
    EXPECT_EQ(decode_payload(payload).texts, contents.texts);

    const std::string trailer = package_trailer(0x0102030405060708u, payload);
    ASSERT_EQ(trailer.size(), package_layout::trailer_size);
    const std::uint32_t crc = package_layout::crc32(payload);
    const std::string expected = std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8) +
                                 std::string("\x41\0\0\0\0\0\0\0", 8) +
                                 std::string{static_cast<char>(crc), static_cast<char>(crc >> 8),
                                             static_cast<char>(crc >> 16), static_cast<char>(crc >> 24)} +
                                 std::string("\x01\0\0\0", 4) + "SCENPACK";
    EXPECT_EQ(trailer, expected);
}

// A program file: some runner bytes, then the package as given.
std::string program(const std::string& payload, const std::string& trailer) {
    return std::string(1000, 'r') + payload + trailer;
}

TEST(ReadPackage, EveryDamageIsToldAndNothingIsTaken) {
    const std::string payload = package_payload(contents);
    const std::string whole = program(payload, package_trailer(1000, payload));
    std::string flipped_payload = whole;
    flipped_payload[1010] ^= 0x04;
    std::string newer = whole;
    newer[whole.size() - 12] = 2;
    const std::string longer = payload + "xy";
    const PackageContents outside{"../up", "T", {}};
    const std::string escaping = package_payload(outside);
    const struct {
        const char* what;
        std::string file;
        std::string damage;
    } cases[] = {
        {"empty", "", "the file is too short to end with a scenario package"},
        {"cut by a byte", whole.substr(0, whole.size() - 1),
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"cut into the payload", whole.substr(0, 1040),
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"extended by a byte", whole + "x",
         "the file does not end with a scenario package (cut short, extended or never packaged)"},
        {"a byte of the payload flipped", flipped_payload, "its checksum does not match ("},
        {"a newer format", newer, "its format version is 2, this program reads version 1"},
        {"bytes inserted before the payload", std::string(5, 'r') + whole,
         "its lengths (payload of 65 bytes at byte 1000) do not fill the file's 1102 bytes"},
        {"an offset past the end", program(payload, package_trailer(5000, payload)),
         "its lengths (payload of 65 bytes at byte 5000) do not fill the file's 1097 bytes"},
        {"bytes after the fields", program(longer, package_trailer(1000, longer)),
         "2 bytes are left over after its payload's fields"},
        {"a field past the end", program(payload.substr(0, 40), package_trailer(1000, payload.substr(0, 40))),
         "field 4 of its payload runs past the payload's end"},
        {"a title leaving the folder", program(escaping, package_trailer(1000, escaping)),
         "its title or train code holds a folder separator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string path = folder.file("T_C");
        write_file(path, c.file);
        try {
            read_package(path);
            ADD_FAILURE() << "taken";
        } catch (const DamagedPackage& damaged) {
            const std::string prefix = "the scenario packaged into '" + path + "' is damaged: ";
            const std::string what = damaged.what();
            EXPECT_EQ(what.substr(0, prefix.size() + c.damage.size()), prefix + c.damage);
            EXPECT_TRUE(what.ends_with("; nothing was written")) << what;
        }
    }
    TempFolder folder;
    write_file(folder.file("whole"), whole);
    const PackageContents read = read_package(folder.file("whole"));
    EXPECT_EQ(read.title, "Linea");
    EXPECT_EQ(read.trainCode, "T 1");
    EXPECT_EQ(read.texts, contents.texts);
}

TEST(PackagedScenario, WritesEveryLineWithCrLf) {
    const PackagedScenario scenario(contents);
    EXPECT_EQ(program_name_of(scenario), "Linea_T 1");
    EXPECT_EQ(scenario.text(ScenarioText::line_description), "[generale]\r\n");
    EXPECT_EQ(scenario.text(ScenarioText::notes), "notes\r\n");
    EXPECT_EQ(scenario.text(ScenarioText::slowdown_order), "");
    EXPECT_EQ(scenario.text(ScenarioText::timetable_sheet), "sheet\r\n");
}

}  // namespace
}  // namespace scenario
