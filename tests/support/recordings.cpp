#include "tests/support/recordings.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/fileio.h"

std::vector<RecordedRun> RecordedRuns(const std::string& folder) {
    std::vector<RecordedRun> runs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".run") {
            continue;
        }
        const std::string record = ReadFile(entry.path().string());
        RecordedRun run;
        for (std::size_t start = 0; start < record.size();) {
            const std::size_t nul = record.find('\0', start);
            run.push_back(record.substr(start, nul - start));
            start = nul + 1;
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

std::vector<RecordedRun> WaitForRuns(const std::string& folder, std::size_t count, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::vector<RecordedRun> runs = RecordedRuns(folder);
    while (runs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        runs = RecordedRuns(folder);
    }
    return runs;
}
