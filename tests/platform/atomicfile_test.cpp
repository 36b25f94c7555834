#include "platform/atomicfile.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/support/fileio.h"
#include "tests/support/tempdir.h"

namespace {

int EntryCount(const std::string& folder) {
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(WriteFileAtomically, ReplacesWithTheGivenModeAndLeavesNothingBeside) {
    const TempDir dir;
    const std::string path = dir / "menu.desktop";
    ASSERT_EQ(WriteFileAtomically(path, "first", 0755), 0);
    EXPECT_EQ(ModeOf(path), 0755u);
    const mode_t old = umask(0077);  // the mode is exact whatever the umask
    ASSERT_EQ(WriteFileAtomically(path, std::string("sec\0nd", 6), 0644), 0);
    umask(old);
    EXPECT_EQ(ReadFile(path), std::string("sec\0nd", 6));
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_EQ(EntryCount(dir.path()), 1);
}

TEST(WriteFileAtomically, AFailureLeavesThePlaceAsItWas) {
    const TempDir dir;
    EXPECT_EQ(WriteFileAtomically(dir / "missing/file", "x", 0600), ENOENT);
    std::filesystem::create_directories(dir / "taken/inside");
    EXPECT_NE(WriteFileAtomically(dir / "taken", "x", 0600), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken/inside"));
    EXPECT_EQ(EntryCount(dir.path()), 1);
}

}  // namespace
