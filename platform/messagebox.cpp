#include "platform/messagebox.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/systeminfo.h"

namespace {

MessageBoxHost* g_host = nullptr;
std::string g_program;  // shows its own box with --message-box

int ShowOnStandardError(const std::string& text, unsigned type) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

bool OnKde() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop != nullptr && std::string_view(desktop).find("KDE") != std::string_view::npos;
}

// The command lines that show an OK box, in the order they are tried.
std::vector<std::vector<std::string>> DialogCommands(const std::string& caption,
                                                     const std::string& text) {
    std::vector<std::vector<std::string>> commands;
    if (!g_program.empty()) {
        commands.push_back({g_program, "--message-box", caption, text});
    }
    const std::vector<std::string> kdialog = {"kdialog", "--title", caption, "--msgbox", text};
    const std::vector<std::string> zenity = {"zenity", "--info", "--no-markup",
                                             "--title=" + caption, "--text=" + text};
    // Not modal, but seen: a desktop notification, where a notification service runs.
    const std::vector<std::string> notification = {"notify-send", "--app-name=" + caption, caption,
                                                   text};
    for (const auto& command : OnKde() ? std::vector{kdialog, zenity, notification}
                                       : std::vector{zenity, kdialog, notification}) {
        commands.push_back(command);
    }
    return commands;
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

}  // namespace

void SetMessageBoxProgram(const std::string& program) {
    g_program = program;
}

void SetMessageBoxHost(MessageBoxHost* host) {
    g_host = host;
}

int AfxMessageBox(const std::string& text, unsigned type) {
    return g_host != nullptr ? g_host->Show(text, type) : ShowOnStandardError(text, type);
}

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, unsigned /*type*/) {
    const std::string body =
        WithoutCarriageReturns(codepage::Cp936ToUtf8Uncached(text != nullptr ? text : ""));
    const std::string title = codepage::Cp936ToUtf8Uncached(caption != nullptr ? caption : "");
    if (sysinfo::HasDisplay()) {
        for (const std::vector<std::string>& command : DialogCommands(title, body)) {
            const bool found =
                command[0].starts_with('/') || !process::FindProgram(command[0]).empty();
            if (found && process::RunAndWait(command) == 0) {
                return IDOK;
            }
        }
    }
    std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    return IDOK;
}
