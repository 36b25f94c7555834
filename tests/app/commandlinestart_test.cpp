#include "app/commandlinestart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

namespace {

struct StartCase {
    const char* argument;
    const char* folder;
};

TEST(StartFolderOfTest, TakesTheFolderHoldingTheNamedFileOrFolder) {
    const StartCase cases[] = {
        {"/music/pop/Song.mp3", "/music/pop"},
        {"/Music/Pop/", "/Music/Pop"},    // the case is kept
        {"/music/pop", "/music"},         // a folder: the one that holds it
        {"/a/b.mp3", "/a"},               // 8 bytes
        {"/a/b.mp", ""},                  // 7 bytes: no run
        {"song-without-folder.mp3", ""},  // no '/': no run
        {"/abcdefg.mp3", "/"},            // a file in the root folder
        {"/音乐/小雨.mp3", "/音乐"},
        {"", ""},
    };
    for (const StartCase& c : cases) {
        EXPECT_EQ(StartFolderOf(c.argument), c.folder) << c.argument;
    }
}

TEST(StartFolderOfTest, ARelativePathIsTakenFromTheCurrentFolder) {
    char current[PATH_MAX];
    ASSERT_NE(getcwd(current, sizeof current), nullptr);
    EXPECT_EQ(StartFolderOf("music/pop/a.mp3"), std::string(current) + "/music/pop");
    EXPECT_EQ(StartFolderOf("./a.mp3"), "");  // 7 bytes
    EXPECT_EQ(StartFolderOf("./ab.mp3"), current);
}

}  // namespace
