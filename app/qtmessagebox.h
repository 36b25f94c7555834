#pragma once

#include <string>

#include "platform/messagebox.h"

// The program's message boxes once it has a window system: modal boxes with the program's
// name as their caption, over the active window. Installed for as long as the object lives.
class QtMessageBox : public MessageBoxHost {
public:
    QtMessageBox();
    ~QtMessageBox() override;
    QtMessageBox(const QtMessageBox&) = delete;
    QtMessageBox& operator=(const QtMessageBox&) = delete;

    int Show(const std::string& text, unsigned type) override;
};
