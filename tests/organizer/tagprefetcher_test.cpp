#include "organizer/tagprefetcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "organizer/conversiontables.h"
#include "organizer/diskexecutor.h"
#include "organizer/organizerengine.h"
#include "organizer/previewexecutor.h"
#include "platform/codepage.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "resources/embeddedresource.h"
#include "tests/support/encode.h"
#include "tests/support/filetree.h"
#include "tests/support/mp3writer.h"
#include "tests/support/recordinghost.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::size_t ThreadCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

// Waits up to a second for `done`.
template <typename Predicate>
bool Eventually(Predicate done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

FileList Paths(std::size_t count) {
    FileList list;
    for (std::size_t i = 0; i < count; ++i) {
        list.push_back("/nowhere/" + std::to_string(i) + ".mp3");
    }
    return list;
}

// A read that names the file it read in its title.
FileTags Echo(const std::string& path) {
    FileTags tags;
    tags.first.title = path;
    return tags;
}

TEST(TagPrefetcherTest, HandsOutEveryFileInOrderWithAnyNumberOfReaders) {
    const FileList list = Paths(300);
    for (const std::size_t readers : {0, 1, 3, 16}) {
        for (const std::size_t window : {1, 7, 64}) {
            TagPrefetcher prefetcher(list, Echo, readers, window);
            for (std::size_t i = 0; i < list.size(); ++i) {
                ASSERT_EQ(prefetcher.Take(i).first.title, list[i])
                    << readers << " readers, window " << window;
            }
        }
    }
}

TEST(TagPrefetcherTest, ReadersStayWithinTheWindow) {
    const FileList list = Paths(500);
    constexpr std::size_t kWindow = 10;
    std::atomic<std::size_t> reads = 0;
    std::atomic<std::size_t> furthest = 0;
    const auto counting = [&](const std::string& path) {
        const std::size_t index = std::stoul(fs::path(path).stem().string());
        std::size_t seen = furthest.load();
        while (index > seen && !furthest.compare_exchange_weak(seen, index)) {
        }
        ++reads;
        return Echo(path);
    };
    TagPrefetcher prefetcher(list, counting, 4, kWindow);
    std::size_t taken = 0;
    for (const std::size_t until : {0U, 50U}) {
        while (taken < until) {
            prefetcher.Take(taken++);
        }
        // The readers fill the window ahead of the files taken, and go no further.
        ASSERT_TRUE(Eventually([&] { return reads.load() == taken + kWindow; })) << reads.load();
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(reads.load(), taken + kWindow);
        EXPECT_EQ(furthest.load(), taken + kWindow - 1);
    }
}

TEST(TagPrefetcherTest, ALinkIsReadAtItsTurnOnThePassThread) {
    TempDir dir;
    const std::string file = dir / "a.mp3";
    const std::string link = dir / "link.mp3";
    ASSERT_TRUE(WriteMp3(file, {}));
    fs::create_symlink(file, link);
    const FileList list = {file, link, file};
    const std::thread::id pass = std::this_thread::get_id();
    std::map<std::string, std::vector<bool>> onPass;
    std::mutex mutex;
    const auto recording = [&](const std::string& path) {
        const std::lock_guard lock(mutex);
        onPass[path].push_back(std::this_thread::get_id() == pass);
        return Echo(path);
    };
    TagPrefetcher prefetcher(list, recording, 2, 8);
    ASSERT_TRUE(Eventually([&] {
        const std::lock_guard lock(mutex);
        return onPass[file].size() == 2;
    }));
    EXPECT_TRUE(onPass[link].empty());  // not read ahead
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(prefetcher.Take(i).first.title, list[i]);
    }
    EXPECT_EQ(onPass[file], (std::vector<bool>{false, false}));
    EXPECT_EQ(onPass[link], (std::vector<bool>{true}));
}

TEST(TagPrefetcherTest, AReadThatThrowsIsReadAgainAtItsTurn) {
    const FileList list = Paths(3);
    std::atomic<int> calls = 0;
    const auto failingOnce = [&](const std::string& path) {
        if (path == list[1] && calls++ == 0) {
            throw std::runtime_error("disk trouble");
        }
        return Echo(path);
    };
    TagPrefetcher prefetcher(list, failingOnce, 2, 4);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(prefetcher.Take(i).first.title, list[i]);
    }
    EXPECT_EQ(calls.load(), 2);
}

TEST(TagPrefetcherTest, GoingAwayAbandonsTheRestAndLeavesNoThread) {
    const std::size_t before = ThreadCount();
    const FileList list = Paths(10000);
    std::atomic<std::size_t> reads = 0;
    {
        TagPrefetcher prefetcher(
            list,
            [&](const std::string& path) {
                std::this_thread::sleep_for(1ms);
                ++reads;
                return Echo(path);
            },
            8, 64);
        EXPECT_EQ(ThreadCount(), before + 8);
        prefetcher.Take(0);
    }
    EXPECT_EQ(ThreadCount(), before);
    EXPECT_LE(reads.load(), 1U + 64U);
}

TEST(ReadAheadReadersTest, FollowsTheMachineUnlessABenchmarkSaysOtherwise) {
    const char* old = std::getenv("SORTUNE_READ_AHEAD");
    const std::optional<std::string> saved =
        old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    const std::size_t processors = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t byMachine = std::clamp<std::size_t>(8 * processors, 8, kMaxReaders);
    unsetenv("SORTUNE_READ_AHEAD");
    EXPECT_EQ(ReadAheadReaders(), byMachine);
    const std::vector<std::pair<const char*, std::size_t>> cases = {
        {"0", 0}, {"3", 3}, {"1000", kMaxReaders}, {"x", byMachine}, {"", byMachine}};
    for (const auto& [setting, readers] : cases) {
        setenv("SORTUNE_READ_AHEAD", setting, 1);
        EXPECT_EQ(ReadAheadReaders(), readers) << setting;
    }
    if (saved) {
        setenv("SORTUNE_READ_AHEAD", saved->c_str(), 1);
    } else {
        unsetenv("SORTUNE_READ_AHEAD");
    }
}

const ConversionTables& Tables() {
    static const ConversionTables tables = [] {
        ConversionTables loaded;
        loaded.Load(resources::FindResource);
        return loaded;
    }();
    return tables;
}

// The bytes of a title in a code page, or its UTF-8 bytes in a Unicode frame when the code
// page lacks a character.
Mp3Fixture TaggedIn(int encoding, const std::string& title, const std::string& artist) {
    const auto in = [](const std::string& text, const char* charset) {
        return EncodeAs(text, charset);
    };
    switch (encoding) {
        case 0:
            if (auto t = in(title, "GBK"), a = in(artist, "GBK"); t && a) {
                return {.id3v1 = Id3v1Tag{.title = *t, .artist = *a}};
            }
            break;
        case 1:
            if (auto t = in(title, "CP950"), a = in(artist, "CP950"); t && a) {
                return {.id3v1 = Id3v1Tag{.title = *t, .artist = *a}};
            }
            break;
        case 2:
            if (auto t = in(title, "CP1252"), a = in(artist, "CP1252"); t && a) {
                return {.id3v1 = Id3v1Tag{.title = *t, .artist = *a}};
            }
            break;
        case 3:
            return {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Utf16Of(title))},
                                                 {"TPE1", Utf16Text(Utf16Of(artist))}}}};
        case 4:
            return {};
        default:
            break;
    }
    return {.id3v2 = Id3v2Tag{.version = 4,
                              .frames = {{"TIT2", Utf8Text(title)}, {"TPE1", Utf8Text(artist)}}}};
}

// A collection drawn at random from `seed`: nested folders, titles that collide, GBK, Big5,
// Windows-1252 and Unicode tags, WMA files, links to songs, a file already named after a
// title and a dead shortcut. The same seed writes the same tree.
void WriteRandomTree(const std::string& root, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](const auto& pool) { return pool[random() % pool.size()]; };
    const std::vector<std::string> folders = {"", "pop/", "pop/live/", "老歌/"};
    const std::vector<std::string> titles = {"小雨",         "愛情", "紅豆",   "01.後來",   "Café",
                                             "AC/DC: Live?", "..",   "사랑해", "Don’t Stop"};
    const std::vector<std::string> artists = {"歌手甲", "樂隊", "", "Beyoncé"};
    for (const std::string& folder : folders) {
        fs::create_directories(root + "/" + folder);
    }
    std::vector<std::string> songs;
    for (int i = 0; i < 30; ++i) {
        const std::string path = root + "/" + pick(folders) + "track" + std::to_string(i);
        const std::string title = pick(titles);
        const std::string artist = pick(artists);
        if (random() % 6 == 0) {
            ASSERT_TRUE(WriteWma(path + ".wma", title, artist, ""));
            continue;
        }
        ASSERT_TRUE(
            WriteMp3(path + ".mp3", TaggedIn(static_cast<int>(random() % 6), title, artist)));
        songs.push_back(path + ".mp3");
    }
    for (int i = 0; i < 4; ++i) {
        fs::create_symlink(pick(songs),
                           root + "/" + pick(folders) + "link" + std::to_string(i) + ".mp3");
    }
    ASSERT_TRUE(WriteMp3(root + "/小雨.mp3", {}));
    fs::create_symlink(root + "/gone.mp3", root + "/pop/gone.mp3.lnk");
}

// Runs with and without reading ahead, to compare.
class ReadAheadRunTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = Module(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    }
    static void TearDownTestSuite() { s_module.Free(); }

    void Organize(const std::string& root, PlanExecutor& executor, std::size_t readers,
                  int subfolders, int artistDirs) {
        OrganizerEngine engine(m_host, executor, m_converter);
        engine.SetTagModule(s_module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport));
        engine.SetReadAheadReaders(readers);
        engine.State().m_bSubfolders = subfolders;
        engine.State().m_bArtistDirs = artistDirs;
        engine.StartRun(root);
    }

    std::string Preview(const std::string& root, std::size_t readers, int subfolders,
                        int artistDirs) {
        std::ostringstream out;
        PreviewExecutor preview(out);
        Organize(root, preview, readers, subfolders, artistDirs);
        return out.str();
    }

    // The tree after a run, with the root's own path taken out of link targets.
    std::vector<std::string> RunAndList(const std::string& root, std::size_t readers,
                                        int subfolders, int artistDirs) {
        DiskExecutor disk;
        Organize(root, disk, readers, subfolders, artistDirs);
        std::vector<std::string> entries = Tree(root);
        for (std::string& entry : entries) {
            if (const auto at = entry.find(root); at != std::string::npos) {
                entry.replace(at, root.size(), "ROOT");
            }
        }
        return entries;
    }

    static Module s_module;
    RecordingHost m_host;
    ChineseConverter m_converter{Tables()};
};

Module ReadAheadRunTest::s_module;

TEST_F(ReadAheadRunTest, ReadingAheadChangesNoDecision) {
    ASSERT_TRUE(s_module.IsLoaded()) << s_module.Error();
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (const int subfolders : {0, 1}) {
            for (const int artistDirs : {0, 1}) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", sub-folders " << subfolders
                                                << ", artist folders " << artistDirs);
                TempDir ahead;
                TempDir inTurn;
                WriteRandomTree(ahead.path(), seed);
                WriteRandomTree(inTurn.path(), seed);
                const std::string shown = Preview(ahead.path(), 8, subfolders, artistDirs);
                EXPECT_EQ(shown, Preview(ahead.path(), 0, subfolders, artistDirs));
                EXPECT_TRUE(shown.find("rename\t") != std::string::npos ||
                            shown.find("link\t") != std::string::npos);
                EXPECT_EQ(RunAndList(ahead.path(), 8, subfolders, artistDirs),
                          RunAndList(inTurn.path(), 0, subfolders, artistDirs));
            }
        }
    }
}

TEST_F(ReadAheadRunTest, AStopLeavesNoThreadAndRenamesNothingAfterIt) {
    TempDir dir;
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(WriteMp3(dir / ("track" + std::to_string(i) + ".mp3"),
                             {.id3v1 = Id3v1Tag{.title = "title" + std::to_string(i)}}));
    }
    const std::size_t before = ThreadCount();
    std::size_t during = 0;
    OrganizerEngine* running = nullptr;
    m_host.onPump = [&](int) {
        during = std::max(during, ThreadCount());
        if (running->State().m_nProgressPos == 40) {
            running->State().m_bRunning = 0;  // the Open button, pressed at the 40th file
        }
    };
    DiskExecutor disk;
    OrganizerEngine engine(m_host, disk, m_converter);
    running = &engine;
    engine.SetReadAheadReaders(8);
    engine.StartRun(dir.path());

    EXPECT_EQ(ThreadCount(), before);
    EXPECT_EQ(during, before + 8);
    int renamed = 0;
    for (const std::string& name : Tree(dir.path())) {
        renamed += name.starts_with("title") ? 1 : 0;
    }
    EXPECT_EQ(renamed, 40);
    EXPECT_EQ(engine.State().m_nRenamed, 40);
}

}  // namespace
