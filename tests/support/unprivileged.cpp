#include "tests/support/unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

constexpr uid_t kNobody = 65534;

void HandOver(const std::string& folder) {
    lchown(folder.c_str(), kNobody, kNobody);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        lchown(entry.path().c_str(), kNobody, kNobody);
    }
}

}  // namespace

int RunUnprivileged(const std::string& folder, const std::function<int()>& body) {
    if (geteuid() != 0) {
        return body();
    }
    HandOver(folder);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
            setresuid(kNobody, kNobody, kNobody) != 0) {
            _exit(255);
        }
        _exit(body() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
