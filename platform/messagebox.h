#pragma once

#include <string>

#include "platform/wintypes.h"

// Modal message boxes. The window layer installs a host that shows real boxes; until one is
// installed (a run without a display) the text goes to standard error and a question is
// answered with its safe choice, No.

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class MessageBoxHost {
public:
    virtual ~MessageBoxHost() = default;
    // Shows `text` (UTF-8) with the buttons of `type`; returns the id of the button chosen.
    virtual int Show(const std::string& text, unsigned type) = 0;
};

// Installs the host that shows the boxes, or restores the standard-error one with nullptr.
// The caller keeps ownership and removes its host before destroying it.
void SetMessageBoxHost(MessageBoxHost* host);

int AfxMessageBox(const std::string& text, unsigned type = MB_OK);

// The system's message box, for a module that runs in another program's process (a shell
// extension in its host) and cannot rely on that program's window layer. `text` and `caption`
// are code page 936 text; a CR LF breaks a line. With a display, the box is shown by the
// program set with SetMessageBoxProgram (`PROGRAM --message-box CAPTION TEXT`, which exits 0
// once it was shown), else by the first dialog program found in PATH that shows it (kdialog first
// on KDE, then zenity, kdialog) and the call returns when the user closes it; failing those, a
// desktop notification (notify-send); without a display, or when none of them shows it, the caption
// and the text go to standard error. (xmessage is not used: it cannot draw Chinese text.) Only the
// OK box is shown; the icon is left to the dialog program. Returns IDOK.
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);
// The program whose own box MessageBoxA shows first; "" for none.
void SetMessageBoxProgram(const std::string& program);
