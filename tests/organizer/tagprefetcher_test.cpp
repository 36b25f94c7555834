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
#include "organizer/dryrunexecutor.h"
#include "organizer/organizerengine.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "tests/support/encode.h"
#include "tests/support/fileio.h"
#include "tests/support/loadedtables.h"
#include "tests/support/mp3writer.h"
#include "tests/support/recordinghost.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"
#include "tests/support/treesnapshot.h"
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
    tags.firstSet.title = path;
    return tags;
}

TEST(TagPrefetcherTest, HandsOutEveryFileInOrderWithAnyNumberOfReaders) {
    const FileList list = Paths(300);
    for (const std::size_t readers : {0, 1, 3, 16}) {
        for (const std::size_t window : {1, 7, 64}) {
            TagPrefetcher prefetcher(list, Echo, readers, window);
            for (std::size_t i = 0; i < list.size(); ++i) {
                ASSERT_EQ(prefetcher.Take(i).firstSet.title, list[i])
                    << readers << " readers, window " << window;
            }
        }
    }
}

TEST(TagPrefetcherTest, ReadersStayWithinTheWindowAndItsBytes) {
    const FileList list = Paths(500);
    constexpr std::size_t kReaders = 4;
    struct Case {
        const char* name;
        std::size_t window;
        std::size_t tagBytes;  // of each file's tags; 0 for those of Echo
        std::size_t heldBytes;
        // Files read ahead at least and at most: the readers sleep until half of the window
        // or its bytes is free, so up to half of it may wait for the next files; and each
        // reader may take a file while the bytes held are below the bound.
        std::size_t least;
        std::size_t most;
    };
    const std::vector<Case> cases = {
        {"files", 10, 0, kReadAheadBytes, 6, 10},
        {"bytes", 100, 1000, 10 * 1000, 6, 10 - 1 + kReaders},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<std::size_t> reads = 0;
        std::atomic<std::size_t> furthest = 0;
        const auto counting = [&](const std::string& path) {
            const std::size_t index = std::stoul(fs::path(path).stem().string());
            std::size_t seen = furthest.load();
            while (index > seen && !furthest.compare_exchange_weak(seen, index)) {
            }
            ++reads;
            FileTags tags = Echo(path);
            tags.firstSet.title.resize(std::max(c.tagBytes, path.size()), ' ');
            return tags;
        };
        TagPrefetcher prefetcher(list, counting, kReaders, c.window, c.heldBytes);
        std::size_t taken = 0;
        for (const std::size_t until : {0U, 50U, 53U}) {
            while (taken < until) {
                EXPECT_EQ(prefetcher.Take(taken).firstSet.title.substr(0, list[taken].size()),
                          list[taken]);
                ++taken;
            }
            ASSERT_TRUE(Eventually([&] { return reads.load() >= taken + c.least; }))
                << reads.load();
            std::this_thread::sleep_for(20ms);
            EXPECT_LE(reads.load(), taken + c.most);
            EXPECT_EQ(furthest.load() + 1, reads.load());  // in order, none twice
        }
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
        EXPECT_EQ(prefetcher.Take(i).firstSet.title, list[i]);
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
        EXPECT_EQ(prefetcher.Take(i).firstSet.title, list[i]);
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
    const std::size_t processors = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t byMachine = std::clamp<std::size_t>(8 * processors, 8, kMaxReaders);
    const std::vector<std::pair<std::optional<std::string>, std::size_t>> cases = {
        {std::nullopt, byMachine}, {"0", 0},        {"3", 3},         {"1000", kMaxReaders},
        {"x", byMachine},          {"", byMachine}, {"4x", byMachine}};
    for (const auto& [setting, readers] : cases) {
        const ScopedVariable variable("SORTUNE_READ_AHEAD", setting);
        EXPECT_EQ(ReadAheadReaders(), readers) << setting.value_or("(unset)");
    }
}

// How a song of a random tree holds its title and artist.
enum class Holder {
    Id3v1Gbk,
    Id3v1Big5,
    Id3v1Latin1,
    Id3v2Gbk,   // bytes in a frame of encoding 0
    Id3v2Big5,  // the same
    Id3v2Utf16,
    Id3v2Utf8,
    BothSets,  // an unclean ID3v1 title, so that the ID3v2 set is the one taken
    Untagged,
    Wma,
};
constexpr unsigned kHolders = 10;

// The code page of a holder that stores 8-bit text, else null.
const char* CodePageOf(Holder holder) {
    switch (holder) {
        case Holder::Id3v1Gbk:
        case Holder::Id3v2Gbk:
            return "GBK";
        case Holder::Id3v1Big5:
        case Holder::Id3v2Big5:
            return "CP950";
        case Holder::Id3v1Latin1:
            return "CP1252";
        default:
            return nullptr;
    }
}

// The tags of an MP3 song. Text that the holder's code page lacks goes into UTF-8 frames.
Mp3Fixture SongTags(Holder holder, const std::string& title, const std::string& artist) {
    const Id3v2Tag unicode{.version = 4,
                           .frames = {{"TIT2", Utf8Text(title)}, {"TPE1", Utf8Text(artist)}}};
    if (const char* codePage = CodePageOf(holder)) {
        const std::optional<std::string> t = EncodeAs(title, codePage);
        const std::optional<std::string> a = EncodeAs(artist, codePage);
        if (!t || !a) {
            return {.id3v2 = unicode};
        }
        if (holder == Holder::Id3v2Gbk || holder == Holder::Id3v2Big5) {
            return {.id3v2 =
                        Id3v2Tag{.frames = {{"TIT2", Latin1Text(*t)}, {"TPE1", Latin1Text(*a)}}}};
        }
        return {.id3v1 = Id3v1Tag{.title = *t, .artist = *a}};
    }
    switch (holder) {
        case Holder::Id3v2Utf16:
            return {.id3v2 = Id3v2Tag{.frames = {{"TIT2", Utf16Text(Utf16Of(title))},
                                                 {"TPE2", Utf16Text(Utf16Of(artist))}}}};
        case Holder::BothSets:
            return {.id3v1 = Id3v1Tag{.title = *EncodeAs("小雨（live）", "GBK"), .artist = "v1"},
                    .id3v2 = unicode};
        case Holder::Untagged:
            return {};
        default:
            return {.id3v2 = unicode};
    }
}

// A collection drawn at random from `seed`; the same seed writes the same tree. Songs in
// nested folders with titles that collide, in every way a tag stores text, MP3 and WMA;
// links to songs that the run renames before or after it comes to the link; a link of a
// song's name whose target is gone; shortcuts that work, dead ones and one that is no link;
// a file that already holds the name of many titles.
void WriteRandomTree(const std::string& root, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](const auto& pool) { return pool[random() % pool.size()]; };
    const std::vector<std::string> folders = {"", "pop/", "pop/live/", "老歌/"};
    const std::vector<std::string> titles = {
        "小雨",       "紅豆", "說謊",   "01.後來",  "童話",       "Café del Mar", "Señor Sí",
        "Über Alles", "..",   "사랑해", "\x01\x1B", "Don’t Stop", "AC/DC: Live?"};
    const std::vector<std::string> artists = {"歌手甲",  "樂隊",          "",
                                              "Beyoncé", "abccom-張學友", ". ."};
    for (const std::string& folder : folders) {
        fs::create_directories(root + "/" + folder);
    }
    std::vector<std::string> songs;
    for (int i = 0; i < 40; ++i) {
        const std::string path = root + "/" + pick(folders) + "track" + std::to_string(i);
        const std::string title = pick(titles);
        const std::string artist = pick(artists);
        const auto holder = static_cast<Holder>(random() % kHolders);
        if (holder == Holder::Wma) {
            ASSERT_TRUE(WriteWma(path + ".wma", title, artist, ""));
            continue;
        }
        songs.push_back(path + (random() % 4 == 0 ? ".MP3" : ".mp3"));
        ASSERT_TRUE(WriteMp3(songs.back(), SongTags(holder, title, artist)));
    }
    for (int i = 0; i < 6; ++i) {
        const fs::path song = pick(songs);
        const fs::path link = root + "/" + pick(folders) + "link" + std::to_string(i) + ".mp3";
        fs::create_symlink(i % 2 == 0 ? song : song.lexically_relative(link.parent_path()), link);
    }
    fs::create_symlink(root + "/gone.mp3", root + "/pop/dangling.mp3");
    fs::create_symlink(pick(songs), root + "/" + pick(folders) + "works.mp3.lnk");
    fs::create_symlink(root + "/gone.mp3", root + "/pop/gone.mp3.lnk");
    fs::create_symlink("gone.wma", root + "/gone.wma.lnk");
    WriteFile(root + "/windows.mp3.lnk", std::string("L\0\0\0", 4));
    ASSERT_TRUE(WriteMp3(root + "/小雨.mp3", {}));
}

// Shows the outcome of each step that another executor carries out, as a preview shows it.
class ShowingExecutor : public ChangeExecutor {
public:
    ShowingExecutor(ChangeExecutor& inner, std::ostream& out) : inner_(inner), out_(out) {}

    Outcome Execute(const Change& step) override {
        Outcome outcome = inner_.Execute(step);
        out_ << FormatStep(outcome.change) << "\n";
        return outcome;
    }
    const PlannedEntries& Entries() const override { return inner_.Entries(); }
    bool ChangesDisk() const override { return inner_.ChangesDisk(); }

private:
    ChangeExecutor& inner_;
    std::ostream& out_;
};

// Runs with and without reading ahead, to compare.
class ReadAheadRunTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = Module(sysinfo::ExecutableFolder() + "/" + kAsfmetaModule);
    }
    static void TearDownTestSuite() { s_module.Free(); }

    struct Options {
        int subfolders;
        int artistDirs;
    };

    // Everything a run over `root` lets be seen, in order: what it told its host, each step
    // with its outcome, the count of files placed and, after a real run, the tree it left.
    // Root's own path is written ROOT, so that the runs over two copies compare.
    std::vector<std::string> Record(const std::string& root, bool preview, std::size_t readers,
                                    Options options) {
        RecordingHost host;
        std::ostringstream shown;
        DryRunExecutor previewer(shown);
        DiskExecutor disk;
        ShowingExecutor carrier(disk, shown);
        OrganizerEngine engine(host, preview ? static_cast<ChangeExecutor&>(previewer) : carrier,
                               m_converter);
        engine.SetTagModule(s_module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport));
        engine.SetReadAheadReaders(readers);
        engine.SetTickSource([tick = 0U]() mutable { return tick += 7; });
        engine.State().m_bSubfolders = options.subfolders;
        engine.State().m_bArtistDirs = options.artistDirs;
        engine.StartRun(root);

        std::vector<std::string> record = host.events;
        std::istringstream lines(shown.str());
        for (std::string line; std::getline(lines, line);) {
            record.push_back(line);
        }
        record.push_back("placed " + std::to_string(engine.State().m_nRenamed));
        if (!preview) {
            const std::vector<std::string> tree = TreeSnapshot(root);
            record.insert(record.end(), tree.begin(), tree.end());
        }
        for (std::string& line : record) {
            for (auto at = line.find(root); at != std::string::npos; at = line.find(root, at)) {
                line.replace(at, root.size(), "ROOT");
            }
        }
        return record;
    }

    static Module s_module;
    ChineseConverter m_converter{LoadedTables()};
};

Module ReadAheadRunTest::s_module;

bool HasStep(const std::vector<std::string>& record, const std::string& kind) {
    return std::any_of(record.begin(), record.end(),
                       [&](const std::string& line) { return line.starts_with(kind + "\t"); });
}

TEST_F(ReadAheadRunTest, ReadingAheadChangesNothingThatCanBeSeen) {
    ASSERT_TRUE(s_module.IsLoaded()) << s_module.Error();
    for (unsigned seed = 1; seed <= 5; ++seed) {
        for (const Options options : {Options{0, 0}, Options{1, 0}, Options{0, 1}, Options{1, 1}}) {
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", sub-folders " << options.subfolders
                         << ", artist folders " << options.artistDirs);
            TempDir ahead;
            TempDir inTurn;
            ASSERT_NO_FATAL_FAILURE(WriteRandomTree(ahead.path(), seed));
            ASSERT_NO_FATAL_FAILURE(WriteRandomTree(inTurn.path(), seed));

            const auto shown = Record(ahead.path(), true, kMaxReaders, options);
            EXPECT_EQ(shown, Record(ahead.path(), true, 0, options));
            const auto done = Record(ahead.path(), false, kMaxReaders, options);
            EXPECT_EQ(done, Record(inTurn.path(), false, 0, options));

            // A tree that gave the runs nothing to do would prove nothing.
            EXPECT_TRUE(HasStep(shown, "rename")) << testing::PrintToString(shown);
            EXPECT_TRUE(HasStep(shown, "delete"));
            EXPECT_TRUE(HasStep(shown, "keep"));
            EXPECT_EQ(HasStep(shown, "link"), options.artistDirs == 1);
        }
    }
}

// More files than the readers may read ahead, so that a stop finds them in the middle.
TEST_F(ReadAheadRunTest, AStopLeavesNoThreadAndRenamesNothingAfterIt) {
    constexpr int kFiles = 3 * static_cast<int>(kReadAheadWindow);
    for (const int stopAt : {1, 40, kFiles - 1}) {
        SCOPED_TRACE(testing::Message() << "stopped at file " << stopAt);
        TempDir dir;
        for (int i = 0; i < kFiles; ++i) {
            ASSERT_TRUE(WriteMp3(dir / ("track" + std::to_string(i) + ".mp3"),
                                 {.id3v1 = Id3v1Tag{.title = "title" + std::to_string(i)}}));
        }
        const std::size_t threadsBefore = ThreadCount();
        std::size_t threadsDuring = 0;
        RecordingHost host;
        DiskExecutor disk;
        OrganizerEngine engine(host, disk, m_converter);
        host.onPump = [&](int) {
            threadsDuring = std::max(threadsDuring, ThreadCount());
            if (engine.State().m_nProgressPos == stopAt) {
                engine.State().m_bRunning = 0;  // the Open button, pressed at this file
            }
        };
        engine.SetReadAheadReaders(8);
        engine.StartRun(dir.path());

        EXPECT_EQ(threadsDuring, threadsBefore + 8);
        EXPECT_EQ(ThreadCount(), threadsBefore);
        EXPECT_EQ(engine.State().m_nRenamed, stopAt);
        const std::vector<std::string> tree = TreeSnapshot(dir.path());
        EXPECT_EQ(
            std::count_if(tree.begin(), tree.end(),
                          [](const std::string& entry) { return entry.starts_with("title"); }),
            stopAt);
        EXPECT_EQ(tree.size(), static_cast<std::size_t>(kFiles));
    }
}

}  // namespace
