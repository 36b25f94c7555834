#include "platform/filedescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"

namespace {

// A file of `size` bytes that takes no room on disk.
void MakeSparseFile(const std::string& path, off_t size) {
    const FileDescriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_TRUE(file);
    ASSERT_EQ(ftruncate(file.get(), size), 0);
}

// Whatever takes the place of a file the program keeps for itself is refused at once: a named
// pipe without a writer would block a plain open, a link to /dev/zero would feed a plain read
// without end. A refusal leaves the text as it was.
TEST(ReadWholeFile, ReadsOnlyARegularFileWithinTheBound) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path, const TempDir& dir)> make;
        std::size_t limit;
        FinalLink link;
        int error;
        std::string text;
    };
    const auto regular = [](const std::string& path, const TempDir&) { WriteFile(path, "abcd"); };
    const auto linkToRegular = [](const std::string& path, const TempDir& dir) {
        WriteFile(dir / "target", "abcd");
        ASSERT_EQ(symlink((dir / "target").c_str(), path.c_str()), 0);
    };
    const auto linkToZero = [](const std::string& path, const TempDir&) {
        ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    };
    const std::vector<Case> cases = {
        {"regular", regular, 4, FinalLink::kRefuse, 0, "kept abcd"},
        {"larger than the limit", regular, 3, FinalLink::kRefuse, EFBIG, "kept "},
        {"sparse beyond the default limit",
         [](const std::string& path, const TempDir&) {
             MakeSparseFile(path, static_cast<off_t>(kWholeFileLimit) + 1);
         },
         kWholeFileLimit, FinalLink::kRefuse, EFBIG, "kept "},
        {"named pipe",
         [](const std::string& path, const TempDir&) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); },
         kWholeFileLimit, FinalLink::kRefuse, EINVAL, "kept "},
        {"folder",
         [](const std::string& path, const TempDir&) { std::filesystem::create_directory(path); },
         kWholeFileLimit, FinalLink::kRefuse, EISDIR, "kept "},
        {"link to a regular file", linkToRegular, kWholeFileLimit, FinalLink::kRefuse, ELOOP,
         "kept "},
        {"link to /dev/zero", linkToZero, kWholeFileLimit, FinalLink::kRefuse, ELOOP, "kept "},
        {"followed link to a regular file", linkToRegular, kWholeFileLimit, FinalLink::kFollow, 0,
         "kept abcd"},
        {"followed link to /dev/zero", linkToZero, kWholeFileLimit, FinalLink::kFollow, EINVAL,
         "kept "},
        {"missing", [](const std::string&, const TempDir&) {}, kWholeFileLimit, FinalLink::kRefuse,
         ENOENT, "kept "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string path = dir / "file";
        c.make(path, dir);
        std::string text = "kept ";
        EXPECT_EQ(ReadWholeFile(path, text, c.limit, c.link), c.error);
        EXPECT_EQ(text, c.text);
    }
}

}  // namespace
