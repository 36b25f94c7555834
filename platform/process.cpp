#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/filedescriptor.h"

extern char** environ;

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

// A program ready to start: everything is prepared before any fork, so that the child only
// calls what is safe there.
class Launch {
public:
    Launch(std::vector<std::string> arguments, const char* directory)
        : arguments_(std::move(arguments)) {
        posix_spawn_file_actions_init(&actions_);
        if (directory != nullptr) {
            posix_spawn_file_actions_addchdir_np(&actions_, directory);
        }
        if (!arguments_.empty() && !arguments_[0].empty()) {
            program_ = process::FindProgram(arguments_[0]);
        }
        for (std::string& argument : arguments_) {
            argv_.push_back(argument.data());
        }
        argv_.push_back(nullptr);
    }
    ~Launch() { posix_spawn_file_actions_destroy(&actions_); }
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Starts the program and returns its pid, or -1.
    pid_t Start() {
        pid_t pid = -1;
        if (program_.empty() ||
            posix_spawn(&pid, program_.c_str(), &actions_, nullptr, argv_.data(), environ) != 0) {
            return -1;
        }
        return pid;
    }

    // Starts the program from a child that ends at once, so that the program is not ours to
    // wait for; returns its pid, or -1.
    pid_t StartDetached() {
        int report[2];
        if (program_.empty() || pipe2(report, O_CLOEXEC) != 0) {
            return -1;
        }
        FileDescriptor reader(report[0]);
        FileDescriptor writer(report[1]);
        const pid_t middle = fork();
        if (middle < 0) {
            return -1;
        }
        if (middle == 0) {
            const pid_t pid = Start();
            _exit(write(writer.get(), &pid, sizeof pid) == sizeof pid ? 0 : 1);
        }
        writer.Close();
        pid_t pid = -1;
        ssize_t got = -1;
        do {
            got = read(reader.get(), &pid, sizeof pid);
        } while (got < 0 && errno == EINTR);
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
        return got == sizeof pid ? pid : -1;
    }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> argv_;
    std::string program_;
    posix_spawn_file_actions_t actions_;
};

bool IsExecutableFile(const std::string& path) {
    return access(path.c_str(), X_OK) == 0 && access((path + "/.").c_str(), F_OK) != 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsSeparator(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return arguments;
        }
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsSeparator(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, '\\');
                if (i < line.size() && (quoted || !IsSeparator(line[i]))) {
                    argument += line[i++];
                }
            }
        }
        arguments.push_back(std::move(argument));
    }
}

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote, too.
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}

BOOL CreateProcessA(const char* applicationName, char* commandLine, void* /*processAttributes*/,
                    void* /*threadAttributes*/, BOOL /*inheritHandles*/, DWORD /*creationFlags*/,
                    void* environment, const char* currentDirectory, STARTUPINFOA* /*startupInfo*/,
                    PROCESS_INFORMATION* processInformation) {
    if (applicationName != nullptr || commandLine == nullptr || environment != nullptr ||
        processInformation == nullptr) {
        return FALSE;
    }
    const pid_t pid = Launch(SplitCommandLine(commandLine), currentDirectory).StartDetached();
    if (pid <= 0) {
        return FALSE;
    }
    *processInformation = PROCESS_INFORMATION{reinterpret_cast<HANDLE>(std::intptr_t{pid}),
                                              reinterpret_cast<HANDLE>(std::intptr_t{pid}),
                                              static_cast<DWORD>(pid), static_cast<DWORD>(pid)};
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    return handle != nullptr ? TRUE : FALSE;
}

std::string process::FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? name : std::string{};
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!name.empty()) {
        const auto colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        const std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            break;
        }
        folders.remove_prefix(colon + 1);
    }
    return {};
}

int process::RunAndWait(const std::vector<std::string>& arguments) {
    const pid_t pid = Launch(arguments, nullptr).Start();
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
