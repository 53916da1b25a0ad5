// The program with a test-only addition (see CMakeLists.txt): what it noted
// goes to "probe *.txt" files in the program folder, for run_under_wine.sh.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "driver/package.h"
#include "driver/run.h"
#include "driver/windows_platform.h"

namespace scenario {
namespace {

std::string folder_of_this_program() {
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\'));
}

void note(const std::string& name, const std::string& text) {
    std::ofstream(folder_of_this_program() + "\\" + name, std::ios::binary) << text;
}

std::string window_text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string class_of(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

#ifdef PROBE_HOLDS_WINDOW

bool exists(const std::string& name) {
    return GetFileAttributesA((folder_of_this_program() + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string rect_text(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + " " +
           std::to_string(r.bottom - r.top);
}

// Notes the window as the window system has it, then holds it on the screen
// until run_under_wine.sh has taken its screenshot.
class HoldingPlatform : public WindowsPlatform {
public:
    using WindowsPlatform::WindowsPlatform;

    void show_window() override {
        WindowsPlatform::show_window();
        RECT client{};
        GetClientRect(form(), &client);
        RECT label_at{};
        GetWindowRect(label(), &label_at);
        MapWindowPoints(nullptr, form(), reinterpret_cast<POINT*>(&label_at), 2);
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label(), WM_GETFONT, 0, 0)), sizeof font, &font);
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        HDC label_dc = GetDC(label());
        SelectObject(label_dc, reinterpret_cast<HFONT>(SendMessageA(label(), WM_GETFONT, 0, 0)));
        char drawn_with[LF_FACESIZE] = "";
        GetTextFaceA(label_dc, sizeof drawn_with, drawn_with);
        ReleaseDC(label(), label_dc);
        std::string seen = "title: " + window_text(form()) + "\n";
        seen += "visible: " + std::to_string(IsWindowVisible(form()) != 0) + "\n";
        seen += "dpi: " + std::to_string(dpi) + "\n";
        seen += "client: " + rect_text(client) + "\n";
        seen += "label: " + class_of(label()) + " \"" + window_text(label()) + "\" " + rect_text(label_at) + "\n";
        seen += std::string("font: ") + font.lfFaceName + " " + std::to_string(font.lfHeight) + " " +
                std::to_string(font.lfWeight) + " " + std::to_string(font.lfCharSet) + "\n";
        seen += std::string("drawn with: ") + drawn_with + "\n";
        note("probe window.txt", seen);
        note("probe window shown", "");
        for (int waited = 0; waited < 60000 && !exists("screenshot taken"); waited += 100) Sleep(100);
    }
};
using ProbePlatform = HoldingPlatform;

#else

// Waits for the message box of this process, notes it and closes it.
DWORD WINAPI watch_for_message_box(void*) {
    const DWORD me = GetCurrentProcessId();
    HWND box = nullptr;
    for (int waited = 0; waited < 60000 && box == nullptr; waited += 50) {
        Sleep(50);
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
            DWORD owner_process = 0;
            GetWindowThreadProcessId(w, &owner_process);
            if (owner_process == me && IsWindowVisible(w)) box = w;
        }
    }
    if (box == nullptr) return 1;
    Sleep(300);  // let it finish drawing

    std::string seen = "title: " + window_text(box) + "\n";
    HWND ok = nullptr;
    int buttons = 0;
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::string kind = class_of(child);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (kind == "Button") {
            ++buttons;
            ok = child;
            seen += "button: " + window_text(child) + "\n";
        } else if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
            icon = icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        } else if (kind == "Static" && !window_text(child).empty()) {
            seen += "text: " + window_text(child) + "\n";
        }
    }
    seen += "buttons: " + std::to_string(buttons) + "\n";
    seen += std::string("icon: ") + (icon ? "shown" : "none") + "\n";
    seen += std::string("owned by the window: ") + (GetWindow(box, GW_OWNER) != nullptr ? "yes" : "no") + "\n";
#ifdef PROBE_CLOSES_DIALOG_BY_ok
    seen += "closed by: OK\n";
    note("probe message box.txt", seen);
    if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
#else
    seen += "closed by: close control\n";
    note("probe message box.txt", seen);
    static_cast<void>(ok);
    PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
#endif
    return 0;
}

class WatchedPlatform : public WindowsPlatform {
public:
    WatchedPlatform(HINSTANCE instance, int show_command) : WindowsPlatform(instance, show_command) {
        CloseHandle(CreateThread(nullptr, 0, watch_for_message_box, nullptr, 0, nullptr));
    }
};
using ProbePlatform = WatchedPlatform;

#endif

}  // namespace
}  // namespace scenario

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int show_command) {
    scenario::ProbePlatform platform(instance, show_command);
#ifdef PROBE_RUNS_PACKAGE
    scenario::run_packaged_program(platform);
#else
    scenario::run_program(platform);
#endif
}
