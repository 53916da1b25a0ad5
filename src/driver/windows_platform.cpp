#include "driver/windows_platform.h"

#include <cstdio>
#include <stdexcept>
#include <utility>
#include <vector>

#include "driver/form1_window.h"
#include "driver/program_identity.h"
#include "io/file_system.h"

namespace scenario {

namespace {

constexpr const char* form_class = "Valcorvina_Form1";
constexpr int label_id = 1;

[[noreturn]] void window_system_failure(const char* what) {
    const DWORD code = GetLastError();
    throw std::runtime_error(std::string(what) + " (system error " + std::to_string(code) + ")");
}

// The window has no behaviour of its own; the user cannot close it, the
// process ends by itself.
LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

void register_form_class(HINSTANCE instance) {
    WNDCLASSEXA form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = form_procedure;
    form.hInstance = instance;
    form.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    form.hCursor = LoadCursor(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = form_class;
    if (RegisterClassExA(&form) == 0) window_system_failure("cannot register the window class");
}

struct ScreenResolution {
    int x = 96;
    int y = 96;
};

ScreenResolution screen_resolution() {
    ScreenResolution dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.x = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

}  // namespace

WindowsPlatform::WindowsPlatform(HINSTANCE instance, int show_command, std::string name)
    : instance_(instance), show_command_(show_command), name_(std::move(name)) {}

void WindowsPlatform::show_window() {
    namespace w = form1_window;
    register_form_class(instance_);
    const ScreenResolution dpi = screen_resolution();

    const DWORD style = WS_OVERLAPPEDWINDOW;
    const w::Rect client = w::to_pixels(w::client_twips, dpi.x, dpi.y);
    RECT frame{0, 0, client.width, client.height};
    if (!AdjustWindowRectEx(&frame, style, FALSE, 0)) window_system_failure("cannot size the window");
    form_ = CreateWindowExA(0, form_class, w::title_bar, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance_, nullptr);
    if (form_ == nullptr) window_system_failure("cannot create the window");
    // Another scenario's program has its own name, in any letters.
    if (name_ != w::title_bar) SetWindowTextW(form_, to_wide(name_).c_str());

    const w::Rect at = w::to_pixels(w::label_twips, dpi.x, dpi.y);
    label_ =
        CreateWindowExA(0, "STATIC", w::label_caption, WS_CHILD | WS_VISIBLE | SS_LEFT, at.left, at.top, at.width,
                        at.height, form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(label_id)), instance_, nullptr);
    if (label_ == nullptr) window_system_failure("cannot create the label");
    label_font_ = CreateFontA(w::font_height(w::label_font_points, dpi.y), 0, 0, 0, w::label_font_weight, FALSE, FALSE,
                              FALSE, w::label_font_charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, w::label_font_face);
    if (label_font_ != nullptr) SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(label_font_), FALSE);

    ShowWindow(form_, show_command_);
    UpdateWindow(form_);
}

void WindowsPlatform::message_box(const std::string& text) {
    MessageBoxW(form_, to_wide(text).c_str(), to_wide(name_).c_str(), MB_OK);
}

// In UTF-8, as every path of the run is held; the file functions hand it to
// the system as wide characters, so any folder name works.
std::string running_program_file() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return to_utf8(std::wstring_view(path.data(), n));
        path.resize(path.size() * 2);
    }
}

std::string WindowsPlatform::program_file() const {
    std::string file = running_program_file();
    if (file.empty()) window_system_failure("cannot find the program's own file");
    return file;
}

std::string WindowsPlatform::program_folder() const { return form1_window::folder_of_module(program_file()); }

void WindowsPlatform::end_process(int status) {
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}

void WindowsPlatform::fatal_error(const std::string& description) {
    const std::string text = "Run-time error:\n\n" + description;
    MessageBoxW(form_, to_wide(text).c_str(), to_wide(name_).c_str(), MB_OK | MB_ICONERROR);
    WindowsPlatform::end_process(exit_status::fatal);
}

}  // namespace scenario
