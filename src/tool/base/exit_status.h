// The tool's name in its messages and its exit statuses, named once: every
// command returns one of these, and --help lists them all.
#pragma once

namespace scenario::tool {

inline constexpr const char* program_name = "scenario-tool";

// The statuses from 64 on are those of the BSD sysexits convention, which
// scripts and other tools already know.
namespace exit_status {
inline constexpr int done = 0;
inline constexpr int scenario_error = 1;  // an error code of the reading or the completion pass
inline constexpr int stamp_error = 2;     // 1250 or 1251: nothing written
inline constexpr int differ = 1;          // diff: the two files differ
inline constexpr int usage = 64;          // a command line that cannot be carried out
inline constexpr int bad_data = 65;       // a compiled file (or standard input) that does not decode
inline constexpr int no_input = 66;       // an input that does not exist, or is not a regular file that can be read
inline constexpr int failed = 70;         // anything else that stops the tool
inline constexpr int cannot_create = 73;  // an output file or folder that cannot be created
inline constexpr int cannot_write = 74;   // a read or write that failed on the way
}  // namespace exit_status

// What --help lists under the commands: every status above.
inline constexpr const char* exit_status_help =
    "Exit status:\n"
    "  0   done\n"
    "  1   the descriptions have an error (compile writes the files all the same); diff: the files differ\n"
    "  2   the scenario stamp was refused (error 1250 or 1251): nothing written\n"
    "  64  a wrong command line\n"
    "  65  a compiled file that does not decode\n"
    "  66  an input that does not exist or cannot be read\n"
    "  70  an unexpected failure\n"
    "  73  an output file or folder that cannot be created\n"
    "  74  a read or write that failed (the reason is named)\n";

}  // namespace scenario::tool
