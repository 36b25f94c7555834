#include "organizer/trackdiscovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "organizer/diskexecutor.h"
#include "platform/systeminfo.h"
#include "tests/support/recordinghost.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

// The full paths of the entries of `folder` (dots left out) in the order the file system
// lists them, which is the order the walk meets them in.
FileList InListingOrder(const std::string& folder) {
    FileList paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    return paths;
}

// The audio files of `folder` listed before its entry `stop`.
FileList AudioFilesBefore(const std::string& folder, const std::string& stop) {
    FileList files;
    for (const std::string& path : InListingOrder(folder)) {
        if (path == stop) {
            return files;
        }
        if (path.ends_with(".mp3")) {
            files.push_back(path);
        }
    }
    ADD_FAILURE() << stop << " is not in " << folder;
    return files;
}

class TrackDiscoveryTest : public ::testing::Test {
protected:
    TempDir m_dir;
    RunState m_state;
    RecordingHost m_host;
    DiskExecutor m_executor;
    std::uint32_t m_now = 1000;
    std::uint32_t m_step = 0;  // the clock moves this far at every reading
    TickSource m_tick = [this] { return m_now += m_step; };
    TrackDiscovery m_discovery{m_state, m_host, m_executor, m_tick};

    void SetUp() override { m_state.m_bRunning = 1; }

    std::string Make(const std::string& name) {
        const std::string path = m_dir / name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << name;
        return path;
    }
    std::string MakeFolder(const std::string& name) {
        std::filesystem::create_directories(m_dir / name);
        return m_dir / name;
    }
    void MakeLink(const std::string& target, const std::string& name) {
        ASSERT_EQ(symlink(target.c_str(), (m_dir / name).c_str()), 0);
    }
    FileList Scan(const std::string& folder, int topLevel = 0) {
        FileList list;
        m_result = m_discovery.ScanFolder(folder, list, m_now, topLevel);
        return list;
    }
    int m_result = -1;
};

TEST_F(TrackDiscoveryTest, CollectsMp3AndWmaFilesWhateverTheCaseOfTheExtension) {
    const std::vector<std::string> audio = {Make("Song.MP3"), Make("song.Mp3"), Make("x.WMA"),
                                            Make(".hidden.mp3"), Make(".mp3")};
    for (const char* name : {"song.mp3x", "song.ogg", "song.mp3.bak", "mp3", "readme.txt"}) {
        Make(name);
    }
    MakeFolder("album.mp3");

    EXPECT_THAT(Scan(m_dir.path()), UnorderedElementsAreArray(audio));
    EXPECT_EQ(m_result, 0);
    EXPECT_EQ(m_state.m_nFolderCount, 1);
}

TEST_F(TrackDiscoveryTest, WithoutSubfoldersOnlyTheTopFolderIsSearched) {
    const std::string top = Make("a.mp3");
    Make("sub/b.mp3");
    Make("sub/deeper/c.wma");

    EXPECT_THAT(Scan(m_dir.path()), ElementsAre(top));
    EXPECT_EQ(m_state.m_nFolderCount, 1);
}

TEST_F(TrackDiscoveryTest, WithSubfoldersTheWholeTreeIsSearchedDepthFirst) {
    m_state.m_bSubfolders = 1;
    const std::string a = Make("a.mp3");
    const std::string b = Make("sub/b.mp3");
    const std::string c = Make("sub/deeper/c.wma");
    const std::string d = Make("sub/deeper/d.mp3");
    const std::string e = Make("other/e.mp3");
    MakeFolder("empty");

    const FileList list = Scan(m_dir.path());

    EXPECT_THAT(list, UnorderedElementsAre(a, b, c, d, e));
    EXPECT_EQ(m_state.m_nFolderCount, 5);
    // Pre-order: the files of a folder and of everything below it follow each other.
    const auto position = [&](const std::string& path) {
        return std::find(list.begin(), list.end(), path) - list.begin();
    };
    EXPECT_EQ(std::abs(position(c) - position(d)), 1);
    const auto low = std::min({position(b), position(c), position(d)});
    const auto high = std::max({position(b), position(c), position(d)});
    EXPECT_EQ(high - low, 2);
}

// Folders whose names start with a dot are other programs' data and the trash: the walk
// counts them and stays out, at any depth; hidden files are still taken, and a folder given to
// the walk is walked whatever its name.
TEST_F(TrackDiscoveryTest, HiddenFoldersAreCountedNotEntered) {
    m_state.m_bSubfolders = 1;
    for (const char* hidden :
         {".cache/a.mp3", ".local/share/Trash/files/b.mp3", "music/.thumbnails/c.mp3",
          "music/cd1/.git/objects/d.wma", "music/cd1/disc/..x/e.mp3"}) {
        Make(hidden);
    }
    const std::string f = Make("music/.f.mp3");
    const std::string g = Make("music/cd1/disc/g.mp3");
    const std::string h = Make(".hidden album/h.mp3");
    Make(".hidden album/.covers/i.mp3");

    EXPECT_THAT(Scan(m_dir.path()), UnorderedElementsAre(f, g));
    EXPECT_EQ(m_state.m_nHiddenFolders, 6);
    EXPECT_EQ(m_state.m_nFolderCount, 4);

    m_state.m_nHiddenFolders = 0;
    EXPECT_THAT(Scan(m_dir / ".hidden album"), ElementsAre(h));
    EXPECT_EQ(m_state.m_nHiddenFolders, 1);

    m_state.m_nHiddenFolders = 0;
    m_state.m_bSubfolders = 0;
    Scan(m_dir.path());
    EXPECT_EQ(m_state.m_nHiddenFolders, 0) << "without sub-folders none would be entered";
}

TEST_F(TrackDiscoveryTest, SystemFoldersAreSkippedWithEverythingBelowThem) {
    m_state.m_bSubfolders = 1;
    const std::string kept = Make("music/a.mp3");
    Make("system/b.mp3");
    Make("system/inner/c.mp3");
    m_state.m_strWindowsDir = {m_dir / "system"};

    EXPECT_THAT(Scan(m_dir.path()), ElementsAre(kept));
    EXPECT_EQ(m_state.m_nFolderCount, 2);
}

TEST_F(TrackDiscoveryTest, TheLinuxSystemFoldersAreNeverEntered) {
    m_state.m_bSubfolders = 1;
    m_state.m_strWindowsDir = sysinfo::SystemFolders();
    for (const std::string& folder : sysinfo::SystemFolders()) {
        EXPECT_THAT(Scan(folder), IsEmpty()) << folder;
        EXPECT_EQ(m_state.m_nFolderCount, 0) << folder;
    }
    EXPECT_EQ(m_host.pumps, 0);
}

TEST_F(TrackDiscoveryTest, DeadShortcutsAreDeletedAndLiveOnesKeptNeitherListed) {
    const std::string song = Make("song.mp3");
    MakeLink(song, "live.mp3.lnk");
    MakeLink(m_dir.path(), "folder.wma.lnk");
    MakeLink(m_dir / "gone.mp3", "dead.mp3.lnk");
    MakeLink(m_dir / "gone.wma", "DEAD.WMA.LNK");
    MakeLink(m_dir / "gone.mp3", "dead.lnk");  // not a music shortcut: left alone
    Make("windows.mp3.lnk");

    EXPECT_THAT(Scan(m_dir.path()), ElementsAre(song));

    const auto exists = [&](const char* name) {
        return std::filesystem::exists(std::filesystem::symlink_status(m_dir / name));
    };
    EXPECT_TRUE(exists("live.mp3.lnk"));
    EXPECT_TRUE(exists("folder.wma.lnk"));
    EXPECT_FALSE(exists("dead.mp3.lnk"));
    EXPECT_FALSE(exists("DEAD.WMA.LNK"));
    EXPECT_TRUE(exists("dead.lnk"));
    EXPECT_TRUE(exists("windows.mp3.lnk"));
}

TEST_F(TrackDiscoveryTest, LinksToFoldersAreNotFollowed) {
    m_state.m_bSubfolders = 1;
    const std::string song = Make("sub/a.mp3");
    MakeLink(m_dir.path(), "sub/loop");
    MakeLink(m_dir / "sub", "sub/self");

    EXPECT_THAT(Scan(m_dir.path()), ElementsAre(song));
    EXPECT_EQ(m_state.m_nFolderCount, 2);
}

TEST_F(TrackDiscoveryTest, AFolderThatCannotBeListedCountsAndTheWalkGoesOn) {
    m_state.m_bSubfolders = 1;
    const std::string kept = Make("kept/a.mp3");
    const std::string vanishing = MakeFolder("vanishing");
    // Removed by the first message, before the walk comes to it.
    m_host.onPump = [&](int pump) {
        if (pump == 1) {
            std::filesystem::remove(vanishing);
        }
    };

    EXPECT_THAT(Scan(m_dir.path()), ElementsAre(kept));
    EXPECT_EQ(m_state.m_nFolderCount, 3);
}

TEST_F(TrackDiscoveryTest, AFolderWithoutReadPermissionGivesNothing) {
    m_state.m_bSubfolders = 1;
    Make("kept/a.mp3");
    Make("locked/b.mp3");
    ASSERT_EQ(chmod((m_dir / "locked").c_str(), 0300), 0);

    const int result = RunUnprivileged(m_dir.path(), [&] {
        const FileList list = Scan(m_dir.path());
        const bool onlyKept = list.size() == 1 && list[0] == m_dir / "kept/a.mp3";
        return onlyKept && m_state.m_nFolderCount == 3 ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(TrackDiscoveryTest, AStopEndsEveryLevelAfterItsCurrentEntry) {
    m_state.m_bSubfolders = 1;
    for (int i = 0; i < 5; ++i) {
        Make("a/b/c/" + std::to_string(i) + ".mp3");
        Make("a/b/" + std::to_string(i) + ".mp3");
        Make(std::to_string(i) + ".mp3");
    }
    int stopAt = 0;
    m_host.onPump = [&](int pump) {
        // Stop at the first entry of the deepest folder.
        if (stopAt == 0 && m_state.m_nFolderCount == 4) {
            stopAt = pump;
            m_state.m_bRunning = 0;
        }
    };

    const FileList list = Scan(m_dir.path());

    ASSERT_GT(stopAt, 0);
    EXPECT_EQ(m_host.pumps, stopAt) << "no entry is looked at after the stop";
    EXPECT_EQ(m_state.m_nFolderCount, 4);
    // Each level has the files it met before the entry it was on, the deepest one the entry
    // it stopped at.
    FileList expected = AudioFilesBefore(m_dir.path(), m_dir / "a");
    const FileList middle = AudioFilesBefore(m_dir / "a/b", m_dir / "a/b/c");
    expected.insert(expected.end(), middle.begin(), middle.end());
    expected.push_back(InListingOrder(m_dir / "a/b/c").front());
    EXPECT_EQ(list, expected);
}

TEST_F(TrackDiscoveryTest, TheCaptionShowsFoldersEnteredMoreThan500msAfterTheirParent) {
    m_state.m_bSubfolders = 1;
    MakeFolder("sub/deeper");
    m_step = 500;
    Scan(m_dir.path());
    EXPECT_THAT(m_host.captions, IsEmpty());

    m_step = 501;
    Scan(m_dir.path());
    EXPECT_THAT(m_host.captions,
                ElementsAre("mp3名称整理 - 已查找4个文件夹", "mp3名称整理 - 已查找5个文件夹",
                            "mp3名称整理 - 已查找6个文件夹"));
}

TEST_F(TrackDiscoveryTest, TheCaptionRuleSurvivesTheClockWrappingAround) {
    FileList list;
    m_now = 0x100;
    m_discovery.ScanFolder(m_dir.path(), list, 0xFFFFFF00u, 0);
    EXPECT_THAT(m_host.captions, ElementsAre("mp3名称整理 - 已查找1个文件夹"));

    m_discovery.ScanFolder(m_dir.path(), list, 0xFFFFFFF0u, 0);
    EXPECT_EQ(m_host.captions.size(), 1U);
}

TEST_F(TrackDiscoveryTest, TheTopLevelConfirmationIsAskedOnlyWhenAsked) {
    m_state.m_bSubfolders = 1;
    m_state.m_bArtistDirs = 1;
    Make("a.mp3");
    Make("sub/b.mp3");
    const std::string question = "ask 2个MP3文件将被转移到" + m_dir.path() + "下, 您确定吗?";

    Scan(m_dir.path(), 0);
    EXPECT_EQ(m_result, 0);
    EXPECT_THAT(m_host.events, IsEmpty());

    m_host.answer = false;
    Scan(m_dir.path(), 1);
    EXPECT_EQ(m_result, 1);
    EXPECT_THAT(m_host.events, ElementsAre(question));

    m_host.answer = true;
    Scan(m_dir.path(), 1);
    EXPECT_EQ(m_result, 0);
    EXPECT_EQ(m_host.events.size(), 2U);
}

TEST_F(TrackDiscoveryTest, TheConfirmationNeedsBothOptionsAndMoreThanAudioFiles) {
    Make("a.mp3");
    Make("b.wma");
    struct Case {
        int subfolders;
        int artistDirs;
    };
    for (const Case c : {Case{0, 1}, Case{1, 0}, Case{1, 1}}) {
        m_state.m_bSubfolders = c.subfolders;
        m_state.m_bArtistDirs = c.artistDirs;
        Scan(m_dir.path(), 1);
        EXPECT_EQ(m_result, 0);
    }
    EXPECT_THAT(m_host.events, IsEmpty()) << "only audio files: nothing to confirm";

    Make("cover.jpg");
    m_state.m_bSubfolders = 0;
    Scan(m_dir.path(), 1);
    EXPECT_THAT(m_host.events, IsEmpty());

    const std::string question = "ask 2个MP3文件将被转移到" + m_dir.path() + "下, 您确定吗?";
    m_state.m_bSubfolders = 1;
    m_host.answer = false;
    Scan(m_dir.path(), 1);
    EXPECT_EQ(m_result, 1);
    EXPECT_THAT(m_host.events, ElementsAre(question)) << "a file that is no audio file";

    std::filesystem::remove(m_dir / "cover.jpg");
    MakeLink(m_dir / "a.mp3", "a.mp3.lnk");
    m_host.answer = true;
    Scan(m_dir.path(), 1);
    EXPECT_EQ(m_result, 0);
    EXPECT_THAT(m_host.events, ElementsAre(question, question)) << "a shortcut";
}

}  // namespace
