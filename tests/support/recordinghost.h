#pragma once

#include <functional>
#include <string>
#include <vector>

#include "organizer/runhost.h"

// A run host that writes down what the run asked of it, in order, as short lines:
// "folder F", "caption C", "progress P/T", "busy R I", "timer on", "timer off", "ask Q".
// Dispatched messages are counted rather than written down; `onPump` stands for the message
// that arrives with the n-th dispatch (the Open button, say).
class RecordingHost : public RunHost {
public:
    std::vector<std::string> events;
    std::vector<std::string> captions;
    int pumps = 0;
    bool answer = false;  // the answer to every question
    std::function<void(int pump)> onPump;

    void AddFolder(const std::string& folder) override { events.push_back("folder " + folder); }
    void SetWindowText(const std::string& caption) override {
        captions.push_back(caption);
        events.push_back("caption " + caption);
    }
    void DrawProgress(int pos, int total) override {
        events.push_back("progress " + std::to_string(pos) + "/" + std::to_string(total));
    }
    void SetBusy(int running, int setIcon) override {
        events.push_back("busy " + std::to_string(running) + " " + std::to_string(setIcon));
    }
    void StartBusyTimer() override { events.push_back("timer on"); }
    void KillBusyTimer() override { events.push_back("timer off"); }
    bool AskYesNo(const std::string& question) override {
        events.push_back("ask " + question);
        return answer;
    }
    void PumpOneMessage() override {
        ++pumps;
        if (onPump) {
            onPump(pumps);
        }
    }
};
