#include "app/stopsignal.h"

#include <signal.h>

#include <atomic>

namespace {

std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "the handler may only touch a lock-free atomic");

void NoteStop(int signal) {
    g_stopSignal.store(signal, std::memory_order_relaxed);
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStop;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on; the handler goes after the first signal, so a second
    // one takes the default course and ends the process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
    return g_stopSignal.load(std::memory_order_relaxed);
}
