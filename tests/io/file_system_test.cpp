// Outputs replaced in one step, inputs that must be files, the folder lock.
#include "io/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>

#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

// Every name in the folder, hidden ones and folders included.
std::vector<std::string> entries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void write_new(const std::string& path) {
    replace_and_write(path, [](OutputFile& out) { out.write("new"); });
}

// Bytes written at an offset land there, past the end too, after what was
// buffered; the writing in order goes on where it was.
TEST(OutputFile, WritesAtAnOffsetBesideTheWritingInOrder) {
    TempFolder folder;
    const std::string path = folder.file("out.dat");
    replace_and_write(path, [](OutputFile& out) {
        out.write("abc");
        out.write_at(10, "xyz");
        out.write_at(1, "B");
        out.write("de");
    });
    EXPECT_EQ(read_file(path), std::string("aBcde\0\0\0\0\0xyz", 13));
}

// Links, FIFOs, folders at an output name and a full disk are tried on the
// whole program (driver/program_faults_test.cpp); here what it cannot show.
TEST(OutputFile, AProducerThatFailsLeavesTheEarlierFileAndNoTemporaryFile) {
    TempFolder folder;
    write_file(folder.file("out.dat"), "earlier");
    EXPECT_THROW(replace_and_write(folder.file("out.dat"),
                                   [](OutputFile& out) {
                                       out.write(std::string(200000, 'y'));
                                       throw std::runtime_error("stopped");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(read_file(folder.file("out.dat")), "earlier");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"out.dat"});
}

// A writer of out.dat sweeps only stale temporary files of out.dat: never
// another name's, a look-alike, something that is not a file, or one that a
// writer at work still holds.
TEST(OutputFile, RemovesOnlyTheStaleTemporaryFilesOfItsOwnName) {
    using Put = std::function<void(const std::string& name)>;
    const Put file = [](auto& name) { write_file(name, "partial"); };
    const Put folder = [](auto& name) {
        fs::create_directory(name);
        write_file(name + "/inside", "kept");
    };
    const Put fifo = [](auto& name) { ::mkfifo(name.c_str(), 0600); };
    const Put link = [](auto& name) { fs::create_symlink(name + ".target", name); };
    const std::tuple<const char*, Put, bool> cases[] = {
        // name, what stands there, removed
        {".out.dat.Ab3dE9.partial", file, true},
        {".out.dat.000000.partial", file, true},
        {".myown.ABCDEF.partial", file, false},
        {".notes.txt.QWERTY.partial", file, false},
        {".x.partial", file, false},
        {"kept.partial", file, false},
        {".out.Ab3dE9.partial", file, false},
        {".not.dat.Ab3dE9.partial", file, false},
        {".out.dat.x.Ab3dE9.partial", file, false},
        {"out.dat.Ab3dE9.partial", file, false},
        {".out.dat.Ab3dE.partial", file, false},
        {".out.dat.Ab3dE9x.partial", file, false},
        {".out.dat.ab-cde.partial", file, false},
        {".out.dat.Ab3dE9.partial.bak", file, false},
        {".out.dat.Folder.partial", folder, false},
        {".out.dat.FiFo00.partial", fifo, false},
        {".out.dat.LinkTo.partial", link, false},
    };
    TempFolder at;
    std::vector<std::string> kept{"out.dat", ".out.dat.LinkTo.partial.target", ".out.dat.Zz9yY8.partial"};
    for (const auto& [name, put, removed] : cases) {
        put(at.file(name));
        if (!removed) kept.emplace_back(name);
    }
    write_file(at.file(".out.dat.LinkTo.partial.target"), "kept");
    write_file(at.file(".out.dat.Zz9yY8.partial"), "partial");
    const int writer = ::open(at.file(".out.dat.Zz9yY8.partial").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    write_new(at.file("out.dat"));
    ::close(writer);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries(at), kept);
    EXPECT_EQ(read_file(at.file(".out.dat.Folder.partial/inside")), "kept");
    EXPECT_EQ(read_file(at.file(".out.dat.LinkTo.partial.target")), "kept");
}

TEST(InputFile, ReadsRegularFilesOnlyAndNeverWaits) {
    struct Case {
        const char* what;
        std::function<void(const std::string& name, const std::string& file)> put;
        Links links;
        std::string refusal;  // empty: read
    };
    const Case cases[] = {
        {"a file", [](auto& name, auto&) { write_file(name, "bytes"); }, Links::refuse, ""},
        {"a link to a file", [](auto& name, auto& file) { fs::create_symlink(file, name); }, Links::follow, ""},
        {"a link to a file, links refused", [](auto& name, auto& file) { fs::create_symlink(file, name); },
         Links::refuse, "cannot open for reading (is a link) '"},
        {"nothing", [](auto&, auto&) {}, Links::follow, "cannot open for reading (does not exist) '"},
        {"a folder", [](auto& name, auto&) { fs::create_directory(name); }, Links::follow,
         "cannot open for reading (is a folder) '"},
        {"a FIFO", [](auto& name, auto&) { ::mkfifo(name.c_str(), 0600); }, Links::follow,
         "cannot open for reading (is not a regular file) '"},
        {"a link to /dev/zero", [](auto& name, auto&) { fs::create_symlink("/dev/zero", name); }, Links::follow,
         "cannot open for reading (is not a regular file) '"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string name = folder.file("in.dat");
        const std::string file = folder.file("file");
        write_file(file, "bytes");
        c.put(name, file);
        try {
            EXPECT_EQ(read_whole_file(name, c.links), "bytes");
            EXPECT_EQ(c.refusal, "");
        } catch (const FileError& refused) {
            EXPECT_EQ(refused.what(), c.refusal + name + "'");
        }
    }
}

TEST(FolderLock, ASecondRunWaitsThenGivesUpNamingTheFolder) {
    TempFolder folder;
    const std::string path = folder.path().string();
    {
        const FolderLock first(path, std::chrono::milliseconds(0));
        ASSERT_TRUE(first.held());
        try {
            const FolderLock second(path, std::chrono::milliseconds(1000));
            ADD_FAILURE() << "two runs held the folder";
        } catch (const FileError& refused) {
            EXPECT_EQ(refused.what(),
                      "cannot start (another run has been working in this folder for 1 s) '" + path + "'");
        }
    }
    const FolderLock after(path, std::chrono::milliseconds(0));
    EXPECT_TRUE(after.held());
    EXPECT_TRUE(entries(folder).empty()) << "the lock leaves no file";
}

}  // namespace
}  // namespace scenario
