#pragma once

#include <string>

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
