// The tool's system calls on Windows. Paths are UTF-8 in the tool and reach
// the system as wide characters.
#include <direct.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <random>

#include "io/file_system.h"
#include "tool/base/os.h"
#include "tool/base/scratch_folder.h"

namespace scenario::tool::os {

namespace {

// What the console's control handler removes. The handler runs in a thread
// of its own while the tool goes on, so the lists are guarded by a lock
// that needs no destructor: the handler takes it for good, since the process
// ends right after it.
SRWLOCK cleanup_lock = SRWLOCK_INIT;
std::string scratch_to_remove;
// The hold on the scratch folder, closed by the handler first: a folder
// still open is only removed when its last handle goes, and until then the
// folder above it is not empty.
HANDLE scratch_hold = INVALID_HANDLE_VALUE;
std::vector<std::string> folders_to_remove;  // innermost first

class Guard {
public:
    Guard() { AcquireSRWLockExclusive(&cleanup_lock); }
    ~Guard() { ReleaseSRWLockExclusive(&cleanup_lock); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

BOOL WINAPI remove_and_end(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            break;
        default:
            return FALSE;
    }
    // Never released: nothing is recorded any more while the process ends.
    AcquireSRWLockExclusive(&cleanup_lock);
    if (scratch_hold != INVALID_HANDLE_VALUE) CloseHandle(scratch_hold);
    scratch_hold = INVALID_HANDLE_VALUE;
    if (!scratch_to_remove.empty()) remove_flat_folder(scratch_to_remove.c_str());
    for (const std::string& folder : folders_to_remove) remove_if_empty(folder.c_str());
    // The next handler, the system's own, ends the tool as the event would
    // have.
    return FALSE;
}

// Installed once, before anything is recorded, and never taken away: with
// nothing recorded it does nothing. Installing and removing it while the
// lock is held could meet the system's own lock around the handlers.
void install_handler() {
    static const bool installed = SetConsoleCtrlHandler(remove_and_end, TRUE) != 0;
    (void)installed;
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle on what stands at `path`, links followed, for its attributes.
HANDLE open_attributes(const std::string& path) {
    return CreateFileW(to_wide(path).c_str(), FILE_READ_ATTRIBUTES, share_all, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::wstring joined(const std::wstring& folder, const wchar_t* name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + name;
}

bool dots(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

char random_letter(std::mt19937& pick) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    return letters[pick() % (sizeof letters - 1)];
}

}  // namespace

ProcessId process_id() { return ProcessId{GetCurrentProcessId()}; }

int make_scratch_folder(std::string& pattern) {
    install_handler();
    constexpr std::size_t random_part = 6;
    if (pattern.size() < random_part) return EINVAL;
    std::random_device entropy;
    std::mt19937 pick(entropy() ^ GetCurrentProcessId() ^ static_cast<unsigned>(GetTickCount64()));
    // Made and recorded under the lock: the handler finds either no folder
    // or one it removes.
    const Guard guard;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        for (std::size_t i = pattern.size() - random_part; i < pattern.size(); ++i) pattern[i] = random_letter(pick);
        error = _wmkdir(to_wide(pattern).c_str()) == 0 ? 0 : errno;
    }
    if (error == 0) scratch_to_remove = pattern;
    return error;
}

std::intptr_t hold_folder(const std::string& folder) {
    // Open for reading, so that an open that shares nothing fails while it
    // lasts; deleting is shared, so that the folder can still be removed.
    const HANDLE hold = CreateFileW(to_wide(folder).c_str(), FILE_LIST_DIRECTORY, share_all, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hold == INVALID_HANDLE_VALUE) return -1;
    const Guard guard;
    if (folder == scratch_to_remove) scratch_hold = hold;
    return reinterpret_cast<std::intptr_t>(hold);
}

void release_folder(std::intptr_t hold) {
    if (hold == -1) return;
    // Under the lock: once the handler has closed it, it is not closed again.
    const Guard guard;
    const auto handle = reinterpret_cast<HANDLE>(hold);
    if (handle == scratch_hold) scratch_hold = INVALID_HANDLE_VALUE;
    CloseHandle(handle);
}

bool abandoned(const std::string& folder, ProcessId pid) {
    if (pid <= 0 || pid > ProcessId{UINT32_MAX}) return false;
    // A process the tool may not open is alive all the same.
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process != nullptr) {
        const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        CloseHandle(process);
        if (!ended) return false;
    } else if (GetLastError() != ERROR_INVALID_PARAMETER) {
        return false;
    }
    // Ids come back soon on Windows: the hold of a tool at work tells.
    const HANDLE alone = CreateFileW(to_wide(folder).c_str(), FILE_LIST_DIRECTORY, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (alone == INVALID_HANDLE_VALUE) return false;
    CloseHandle(alone);
    return true;
}

std::vector<std::string> entry_names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(joined(to_wide(folder), L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!dots(found.cFileName)) names.push_back(to_utf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void remove_flat_folder(const char* path) {
    const std::wstring folder = to_wide(path);
    // A link or junction at the name is not followed.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return;
    }
    // A file open for writing cannot be deleted on Windows, and the console
    // handler meets the tool's own files at any moment. The marker goes last,
    // and only when nothing else is left: a folder that keeps its marker is
    // swept by the next tool, once this one has ended.
    const std::wstring marker = to_wide(scratch_marker);
    bool all_gone = true;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(joined(folder, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            // A folder inside is not removed, nor what is in it.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || found.cFileName == marker) continue;
            if (!DeleteFileW(joined(folder, found.cFileName).c_str())) all_gone = false;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (!all_gone) return;
    DeleteFileW(joined(folder, marker.c_str()).c_str());
    RemoveDirectoryW(folder.c_str());
}

void remove_if_empty(const char* path) { RemoveDirectoryW(to_wide(path).c_str()); }

// Windows does not tell who holds a named mutex.
std::optional<Holder> lock_holder(const std::string& /*folder*/) { return std::nullopt; }

std::optional<Identity> identity(const std::string& path) {
    const HANDLE file = open_attributes(path);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return Identity{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

void scratch_removed() {
    const Guard guard;
    scratch_to_remove.clear();
}

int make_output_folder(const std::string& path, std::vector<std::string>& created) {
    install_handler();
    const Guard guard;
    if (_wmkdir(to_wide(path).c_str()) != 0) return errno;
    created.insert(created.begin(), path);
    folders_to_remove = created;
    return 0;
}

void keep_output_folders() {
    const Guard guard;
    folders_to_remove.clear();
}

std::string file_trouble(const std::string& path) {
    const HANDLE file = open_attributes(path);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return "does not exist";
        return "cannot be read (" + windows_reason(error) + ")";
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    const bool known = disk && GetFileInformationByHandle(file, &info) != 0;
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!disk) return "is not a regular file";
    if (!known) return "cannot be read (" + windows_reason(error) + ")";
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "is a folder";
    return {};
}

// Whether a file may be created is told by the access rules of the folder
// and of the user, which only creating one weighs up; the read-only mark of
// a folder does not forbid it. A folder that refuses is told when its first
// file cannot be created, with the same exit status.
bool writable_folder(const std::string& /*folder*/) { return true; }

// Every file system Windows writes to (NTFS, FAT32, exFAT, ReFS) takes
// names of up to 255 UTF-16 units.
std::size_t longest_name(const std::string& /*folder*/) { return 255; }

// Names are counted in the UTF-16 units the file system stores.
std::size_t name_length(std::string_view name) { return to_wide(name).size(); }

const char* const name_length_unit = "characters";

namespace {

constexpr char forbidden[] =
    "/\\:*?\"<>|"
    "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
    "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f";

}  // namespace

const std::string_view forbidden_in_names(forbidden, sizeof forbidden - 1);

// A write on Windows never ends the process: a failed one returns its
// reason.
void writes_fail_instead_of_ending() {}

std::string windows_reason(unsigned long code) { return system_reason(code); }

}  // namespace scenario::tool::os
