// A stand-in for a program that another one starts: records the arguments it was given, each
// followed by a NUL, in a new file in the folder $SORTUNE_RECORD_DIR (named after its process
// id), and ends. Tests read the records to see exactly what arrived and how often.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* folder = std::getenv("SORTUNE_RECORD_DIR");
    if (folder == nullptr) {
        return 2;
    }
    std::string record;
    for (int i = 1; i < argc; ++i) {
        record.append(argv[i]);
        record += '\0';
    }
    const std::string base = std::string(folder) + "/" + std::to_string(getpid());
    const int fd = open((base + ".part").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0 || write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size()) ||
        close(fd) != 0) {
        return 1;
    }
    // Complete records only: the name appears when the content is there.
    return rename((base + ".part").c_str(), (base + ".run").c_str()) == 0 ? 0 : 1;
}
