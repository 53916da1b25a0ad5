// The platform on the Windows desktop: Form1 is a real window with its label,
// the message box and the fatal error report are message boxes, the program
// folder is the folder of the running executable.
#pragma once

#include <windows.h>

#include <string>

#include "driver/platform.h"
#include "driver/program_identity.h"

namespace scenario {

class WindowsPlatform : public Platform {
public:
    // show_command is the one WinMain received, used the first time the
    // window is shown; `name` is the title of the window and the boxes.
    WindowsPlatform(HINSTANCE instance, int show_command, std::string name = program_name);

    // Creates Form1 and its label, shows it modeless and paints it at once.
    // Messages are not pumped afterwards: the window is not painted again.
    void show_window() override;
    // " Errore n. ..." with one OK button, no icon, the program's name as title.
    void message_box(const std::string& text) override;
    std::string program_folder() const override;
    std::string program_file() const override;
    void set_program_name(const std::string& name) override { name_ = name; }
    char separator() const override { return '\\'; }
    [[noreturn]] void end_process(int status) override;
    // A message box naming the failure (and the file, which the description
    // holds), then the end of the process.
    [[noreturn]] void fatal_error(const std::string& description) override;

protected:
    HWND form() const { return form_; }
    HWND label() const { return label_; }

private:
    HINSTANCE instance_;
    int show_command_;
    std::string name_;
    HWND form_ = nullptr;
    HWND label_ = nullptr;
    HFONT label_font_ = nullptr;
};

}  // namespace scenario
