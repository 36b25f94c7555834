#pragma once

#include <string>
#include <vector>

#include "platform/messagebox.h"

// Collects the message boxes shown while it is installed, answering each with `answer` (OK
// boxes with IDOK).
class RecordingMessageBox : public MessageBoxHost {
public:
    explicit RecordingMessageBox(int answer = IDNO) : m_answer(answer) { SetMessageBoxHost(this); }
    ~RecordingMessageBox() override { SetMessageBoxHost(nullptr); }
    RecordingMessageBox(const RecordingMessageBox&) = delete;
    RecordingMessageBox& operator=(const RecordingMessageBox&) = delete;

    int Show(const std::string& text, unsigned type) override {
        texts.push_back(text);
        types.push_back(type);
        return (type & 0xF) == MB_YESNO ? m_answer : IDOK;
    }

    std::vector<std::string> texts;
    std::vector<unsigned> types;

private:
    int m_answer;
};
