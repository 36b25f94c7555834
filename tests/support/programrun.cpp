#include "tests/support/programrun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

[[noreturn]] void Exec(const std::string& program, const std::vector<std::string>& args,
                       const ProgramEnvironment& environment) {
    setenv("LANG", environment.lang.c_str(), 1);
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "DISPLAY", "WAYLAND_DISPLAY"}) {
        unsetenv(name);
    }
    for (const auto& [name, value] : environment.extra) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Appends what is there to read; false at the end (or on an error, a closed terminal say).
bool ReadSome(int fd, std::string& into) {
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<std::size_t>(got));
    }
    return got > 0;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const ProgramEnvironment& environment) {
    RunningProgram running(program, args, environment);
    return running.Finish();
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args,
                               const ProgramEnvironment& environment, int errorFd) {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || (errorFd < 0 && pipe2(err, O_CLOEXEC) != 0)) {
        return;
    }
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(errorFd >= 0 ? errorFd : err[1], STDERR_FILENO);
        Exec(program, args, environment);
    }
    close(out[1]);
    m_out = out[0];
    if (errorFd < 0) {
        close(err[1]);
        m_err = err[0];
    }
}

RunningProgram::~RunningProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        Finish();
    }
}

bool RunningProgram::WaitForError(const std::string& text) {
    while (m_result.err.find(text) == std::string::npos) {
        if (m_err < 0 || !ReadSome(m_err, m_result.err)) {
            return false;
        }
    }
    return true;
}

ProgramResult RunningProgram::Finish() {
    std::vector<pollfd> fds;
    for (const int fd : {m_out, m_err}) {
        if (fd >= 0) {
            fds.push_back({fd, POLLIN, 0});
        }
    }
    while (!fds.empty()) {
        poll(fds.data(), fds.size(), -1);
        for (auto it = fds.begin(); it != fds.end();) {
            std::string& into = it->fd == m_out ? m_result.out : m_result.err;
            if (it->revents != 0 && !ReadSome(it->fd, into)) {
                close(it->fd);
                it = fds.erase(it);
            } else {
                ++it;
            }
        }
    }
    m_out = m_err = -1;
    int status = 0;
    if (m_pid > 0 && waitpid(m_pid, &status, 0) == m_pid) {
        m_result.status = WIFEXITED(status)     ? WEXITSTATUS(status)
                          : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                                : -1;
    }
    m_pid = -1;
    return m_result;
}
