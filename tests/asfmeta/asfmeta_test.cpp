#include "asfmeta/asfmeta.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "asfmeta/asfreader.h"
#include "platform/module.h"
#include "platform/systeminfo.h"
#include "tests/support/elfexports.h"
#include "tests/support/tempdir.h"
#include "tests/support/wmawriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Output buffers as the program passes them, each followed by guard bytes that the module
// must never reach.
struct Outputs {
    static constexpr std::size_t kGuard = 16;
    std::array<char, 1024 + kGuard> title{};
    std::array<char, 64 + kGuard> artist{};
    std::array<char, 64 + kGuard> album{};

    void Fill(char byte) {
        title.fill(byte);
        artist.fill(byte);
        album.fill(byte);
    }
    bool operator==(const Outputs&) const = default;
};

struct Read {
    int result = 0;
    std::string title, artist, album;
};

template <std::size_t N>
std::string Cut(const std::array<char, N>& buffer) {
    return {buffer.data(), strnlen(buffer.data(), buffer.size())};
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

const std::string kSamples = std::string(SORTUNE_TESTDATA) + "/taglib";

class AsfmetaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = Module(ModulePath());
        s_getAsfmeta = s_module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
    }
    static void TearDownTestSuite() { s_module.Free(); }

    void SetUp() override {
        ASSERT_TRUE(s_module.IsLoaded()) << s_module.Error();
        ASSERT_NE(s_getAsfmeta, nullptr);
    }

    static std::string ModulePath() { return sysinfo::ExecutableFolder() + "/" + kAsfmetaModule; }

    // Calls the export the way the program does: zero-filled buffers.
    static Read Call(const std::string& path) {
        Outputs out;
        Read read;
        read.result =
            s_getAsfmeta(path.c_str(), out.title.data(), out.artist.data(), out.album.data());
        read.title = Cut(out.title);
        read.artist = Cut(out.artist);
        read.album = Cut(out.album);
        EXPECT_TRUE(
            std::all_of(out.artist.begin() + 64, out.artist.end(), [](char c) { return c == 0; }));
        EXPECT_TRUE(
            std::all_of(out.album.begin() + 64, out.album.end(), [](char c) { return c == 0; }));
        return read;
    }

    // The album output for a file whose WM/AlbumTitle holds `album`.
    std::string AlbumOf(const WmaValue& album) {
        const std::string path = m_dir / "album.wma";
        EXPECT_TRUE(
            WriteWmaAttributes(path, {{"Title", std::string("t")}, {"WM/AlbumTitle", album}}));
        const Read read = Call(path);
        EXPECT_EQ(read.result, 1);
        return read.album;
    }

    // Calls the export on buffers full of a marker; true when it failed and left them so.
    static bool FailsUntouched(const std::string& path) {
        Outputs out;
        out.Fill('#');
        const Outputs before = out;
        const int result =
            s_getAsfmeta(path.c_str(), out.title.data(), out.artist.data(), out.album.data());
        return result == 0 && out == before;
    }

    static Module s_module;
    static PFN_GETASFMETA s_getAsfmeta;
    TempDir m_dir;
};

Module AsfmetaTest::s_module;
PFN_GETASFMETA AsfmetaTest::s_getAsfmeta = nullptr;

TEST_F(AsfmetaTest, ExportsGetAsfmetaAlone) {
    EXPECT_EQ(DefinedDynamicSymbols(ModulePath()), std::vector<std::string>{"GetAsfmeta"});
}

TEST_F(AsfmetaTest, ReadsTitleAuthorAndAlbum) {
    const std::string path = m_dir / "song.wma";
    ASSERT_TRUE(WriteWma(path, "Title A", "Singer B", "Album C"));
    const Read read = Call(path);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.title, "Title A");
    EXPECT_EQ(read.artist, "Singer B");
    EXPECT_EQ(read.album, "Album C");
}

TEST_F(AsfmetaTest, ReadsPastLargeAttributes) {
    // Values of 20,000 and 70,000 bytes lie before the album and in the header extension.
    const std::string path = m_dir / "song.wma";
    ASSERT_TRUE(WriteWmaAttributes(path, {{"Big/Blob", Bytes(20000, 1)},
                                          {"Big/Picture", Bytes(70000, 2)},
                                          {"Title", std::string("Title A")},
                                          {"WM/AlbumTitle", std::string("Album C")},
                                          {"Author", std::string("Singer B")}}));
    const Read read = Call(path);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.title, "Title A");
    EXPECT_EQ(read.artist, "Singer B");
    EXPECT_EQ(read.album, "Album C");
}

TEST_F(AsfmetaTest, MissingAttributesReadEmptyAndStillSucceed) {
    const std::string path = m_dir / "song.wma";
    ASSERT_TRUE(WriteWma(path, "Title A", "Singer B", ""));
    Read read = Call(path);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.title, "Title A");
    EXPECT_EQ(read.artist, "Singer B");
    EXPECT_EQ(read.album, "");

    ASSERT_TRUE(WriteWma(path, "", "", ""));
    Outputs out;
    out.Fill('#');
    EXPECT_EQ(s_getAsfmeta(path.c_str(), out.title.data(), out.artist.data(), out.album.data()), 1);
    EXPECT_EQ(out.title[0], '\0');
    EXPECT_EQ(out.artist[0], '\0');
    EXPECT_EQ(out.album[0], '\0');
    // Only the string and its NUL are written, nothing past them.
    EXPECT_EQ(out.title[1], '#');
    EXPECT_EQ(out.album[1], '#');
}

TEST_F(AsfmetaTest, ChineseTextComesOutAsGbk) {
    const std::string path = m_dir / "song.wma";
    ASSERT_TRUE(WriteWma(path, "小雨", "周杰伦", "叶惠美"));
    const Read read = Call(path);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.title, "\xD0\xA1\xD3\xEA");
    EXPECT_EQ(read.artist, "\xD6\xDC\xBD\xDC\xC2\xD7");
    EXPECT_EQ(read.album, "\xD2\xB6\xBB\xDD\xC3\xC0");
}

TEST_F(AsfmetaTest, LongTextIsCutToSixtyThreeBytes) {
    const std::string path = m_dir / "song.wma";
    const std::string hundred(100, 'x');
    ASSERT_TRUE(WriteWma(path, hundred, std::string(64, 'a'), std::string(63, 'b')));
    Read read = Call(path);
    EXPECT_EQ(read.title, std::string(63, 'x'));
    EXPECT_EQ(read.artist, std::string(63, 'a'));
    EXPECT_EQ(read.album, std::string(63, 'b'));

    // "ab" and 31 times 小 make 64 bytes: the cut keeps the lead byte of the last one alone.
    std::string title = "ab";
    std::string expected = "ab";
    for (int i = 0; i < 31; ++i) {
        title += "小";
        expected += i < 30 ? "\xD0\xA1" : "\xD0";
    }
    ASSERT_TRUE(WriteWma(path, title, "", ""));
    read = Call(path);
    EXPECT_EQ(read.title, expected);
    EXPECT_EQ(read.title.size(), 63u);
}

TEST_F(AsfmetaTest, ValueLargerThanTheReadingBufferReadsEmpty) {
    // 4095 UTF-16 units and the NUL fill the 8192-byte buffer exactly; one more does not fit.
    EXPECT_EQ(AlbumOf(std::string(4095, 'q')), std::string(63, 'q'));
    EXPECT_EQ(AlbumOf(std::string(4096, 'q')), "");
}

TEST_F(AsfmetaTest, RendersNumbersAndIgnoresOtherTypes) {
    struct Case {
        WmaValue value;
        std::string expected;
    };
    const std::vector<Case> cases{
        {std::uint32_t{7}, "7"},
        {std::uint32_t{0xFFFFFFFF}, "-1"},
        {std::uint32_t{0x80000000}, "-2147483648"},
        {std::uint64_t{2'050'000'000}, "3:25"},
        {std::uint64_t{0}, "0:00"},
        {std::uint64_t{599'999'999}, "0:59"},      // seconds are truncated
        {std::uint64_t{36'000'000'000}, "60:00"},  // minutes take the digits they need
        {std::uint64_t{(4'294'967'296ULL + 205) * 10'000'000ULL}, "3:25"},  // low 32 bits
        {std::uint64_t{2'147'483'648ULL * 10'000'000ULL}, "-35791394:-8"},  // taken as signed
        {std::uint16_t{5}, ""},
        {true, ""},
        {Bytes{1, 2, 3}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AlbumOf(c.value), c.expected) << "case index " << (&c - cases.data());
    }
}

TEST_F(AsfmetaTest, FailureLeavesTheBuffersUntouched) {
    EXPECT_TRUE(FailsUntouched(m_dir / "missing.wma"));
    EXPECT_TRUE(FailsUntouched(m_dir.path()));

    const std::string empty = m_dir / "empty.wma";
    WriteBytes(empty, {});
    EXPECT_TRUE(FailsUntouched(empty));

    const std::string text = m_dir / "text.wma";
    WriteBytes(text, Bytes(4096, 'A'));
    EXPECT_TRUE(FailsUntouched(text));

    // A header without its stream properties is not a file TagLib reads.
    const std::string headerOnly = m_dir / "header.wma";
    Bytes header = MinimalAsfFile();
    header.resize(30);
    WriteBytes(headerOnly, header);
    EXPECT_TRUE(FailsUntouched(headerOnly));
}

TEST_F(AsfmetaTest, FifoFailsWithoutWaiting) {
    const std::string fifo = m_dir / "pipe.wma";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(FailsUntouched(fifo));
}

TEST_F(AsfmetaTest, NullArgumentsFail) {
    const std::string path = m_dir / "song.wma";
    ASSERT_TRUE(WriteWma(path, "t", "a", "b"));
    Outputs out;
    EXPECT_EQ(s_getAsfmeta(nullptr, out.title.data(), out.artist.data(), out.album.data()), 0);
    EXPECT_EQ(s_getAsfmeta(path.c_str(), nullptr, out.artist.data(), out.album.data()), 0);
    EXPECT_EQ(s_getAsfmeta(path.c_str(), out.title.data(), nullptr, out.album.data()), 0);
    EXPECT_EQ(s_getAsfmeta(path.c_str(), out.title.data(), out.artist.data(), nullptr), 0);
    EXPECT_EQ(out.artist[0], '\0');
}

TEST_F(AsfmetaTest, ReadsRealFilesWithoutChangingThem) {
    ASSERT_TRUE(std::filesystem::is_directory(kSamples)) << "no sample folder " << kSamples;
    struct Case {
        const char* file;
        const char* title;
        const char* artist;
        const char* album;
    };
    for (const Case& c :
         {Case{"real_example.wma", "Wake Up, Get Up, Get Out There", "Shoji Meguro",
               "Persona 5: Sounds of Rebellion"},
          Case{"silence-1.wma", "test", "", ""}, Case{"lossless.wma", "", "", ""}}) {
        const std::string copy = m_dir / c.file;
        std::filesystem::copy_file(kSamples + "/" + c.file, copy);
        const Bytes before = ReadBytes(copy);
        const Read read = Call(copy);
        EXPECT_EQ(read.result, 1) << c.file;
        EXPECT_EQ(read.title, c.title) << c.file;
        EXPECT_EQ(read.artist, c.artist) << c.file;
        EXPECT_EQ(read.album, c.album) << c.file;
        EXPECT_EQ(ReadBytes(copy), before) << c.file;
    }
}

// Damaged copies of real files and of a written one: each read either fails cleanly or
// gives NUL-terminated outputs; the sanitizer build reports any stray access.
TEST_F(AsfmetaTest, DamagedFilesFailOrReadCleanly) {
    std::vector<Bytes> originals;
    for (const char* file : {"real_example.wma", "silence-1.wma", "lossless.wma"}) {
        originals.push_back(ReadBytes(kSamples + "/" + file));
        ASSERT_FALSE(originals.back().empty()) << "no sample " << file;
    }
    const std::string written = m_dir / "written.wma";
    ASSERT_TRUE(WriteWmaAttributes(written, {{"Title", std::string("小雨")},
                                             {"Author", std::string("a")},
                                             {"WM/AlbumTitle", std::uint64_t{2'050'000'000}},
                                             {"WM/Genre", Bytes(300, 7)}}));
    originals.push_back(ReadBytes(written));

    std::mt19937 random(20240607);
    const std::string damaged = m_dir / "damaged.wma";
    int read = 0;
    int failed = 0;
    for (const Bytes& original : originals) {
        // The header is all that is read; damage it and the bytes just after it.
        const std::size_t reach = std::min<std::size_t>(original.size(), 8192);
        std::vector<Bytes> copies;
        for (std::size_t length = 0; length < reach; length += 1 + length / 16) {
            copies.emplace_back(original.begin(), original.begin() + static_cast<long>(length));
        }
        for (int i = 0; i < 400; ++i) {
            Bytes copy = original;
            const int flips = 1 + static_cast<int>(random() % 8);
            for (int f = 0; f < flips; ++f) {
                copy[random() % reach] ^= static_cast<unsigned char>(1U << (random() % 8));
            }
            copies.push_back(std::move(copy));
        }
        for (const Bytes& copy : copies) {
            WriteBytes(damaged, copy);
            Outputs out;
            out.Fill('#');
            const Outputs before = out;
            const int result = s_getAsfmeta(damaged.c_str(), out.title.data(), out.artist.data(),
                                            out.album.data());
            if (result == 0) {
                ++failed;
                ASSERT_TRUE(out == before);
                continue;
            }
            ++read;
            ASSERT_EQ(result, 1);
            ASSERT_LT(strnlen(out.title.data(), 64), 64u);
            ASSERT_LT(strnlen(out.artist.data(), 64), 64u);
            ASSERT_LT(strnlen(out.album.data(), 64), 64u);
        }
    }
    // Both outcomes must occur, or the damage was not what this test is about.
    EXPECT_GT(read, 0);
    EXPECT_GT(failed, 0);
}

// --- Headers made to cost the reader the most ---------------------------------------------

std::string LittleEndian(std::uint64_t value, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

std::string AsfObject(const std::string& id, const std::string& body) {
    return id + LittleEndian(24 + body.size(), 8) + body;
}

const std::string kHeaderId("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kContentId("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C",
                             16);
const std::string kExtendedContentId(
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kUnknownId(16, '\x5A');

// A header announcing `count` objects: those of the smallest file TagLib reads, `before`, a
// content description with the title "t", then `after`.
std::string AsfHeader(const std::string& before, const std::string& after, std::uint32_t count) {
    const Bytes minimal = MinimalAsfFile();
    const std::size_t end = minimal[16] | minimal[17] << 8;
    const std::string title = AsfObject(
        kContentId, LittleEndian(4, 2) + std::string(8, '\0') + std::string("t\0\0\0", 4));
    const std::string objects =
        std::string(minimal.begin() + 30, minimal.begin() + static_cast<long>(end)) + before +
        title + after;
    return kHeaderId + LittleEndian(30 + objects.size(), 8) + LittleEndian(count, 4) + "\x01\x02" +
           objects;
}

std::string Times(std::size_t count, const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += bytes;
    }
    return out;
}

// The peak resident size of this process, in bytes.
std::size_t PeakResidentSize() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stoul(line.substr(6)) * 1024;
        }
    }
    return 0;
}

// Makes the peak resident size that of the present, once the memory freed so far is given
// back: memory allocated after it then adds to the resident size.
bool ResetPeakResidentSize() {
    malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    return static_cast<bool>(clear << "5" << std::flush);
}

// What TagLib makes of a header, and the reader keeps while the file is open, is a few MB at
// most (hostiletags_bench measures it), whatever the header claims; unbounded, it would be
// 60 MB for the attributes a file of 270 bytes announces, the whole of a large object, and
// 350 bytes for each 24 of empty objects.
TEST(AsfReaderTest, HostileHeadersAreReadWithinBounds) {
    constexpr std::size_t kMegabyte = 1024 * 1024;
    const std::string emptyObject = AsfObject(kUnknownId, "");
    const std::size_t emptyObjects = 4 * kMegabyte / emptyObject.size();
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"65,535 attributes announced where the file ends",
         AsfHeader("", kExtendedContentId + LittleEndian(1ULL << 40, 8) + LittleEndian(0xFFFF, 2),
                   5),
         true},
        {"attributes of 6 bytes each",
         AsfHeader("",
                   Times(4, AsfObject(kExtendedContentId,
                                      LittleEndian(0xFFFF, 2) + std::string(6 * 0xFFFF, '\0'))),
                   8),
         true},
        {"an object of 16 MB before the title",
         AsfHeader(AsfObject(kUnknownId, std::string(16 * kMegabyte, 'o')), "", 5), true},
        {"4 MB of empty objects",
         AsfHeader("", Times(emptyObjects, emptyObject),
                   static_cast<std::uint32_t>(4 + emptyObjects)),
         false},
    };
    TempDir dir;
    const std::string path = dir / "hostile.wma";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, Bytes(c.bytes.begin(), c.bytes.end()));
        asfmeta::AsfReader reader;
        ASSERT_TRUE(ResetPeakResidentSize());
        const std::size_t before = PeakResidentSize();
        ASSERT_EQ(reader.Open(path), c.opens);
        // Far below what an unbounded read costs (16 to 60 MB), with room for the overhead of
        // a sanitizer build (about 5 MB here).
        EXPECT_LE(PeakResidentSize() - before, 12 * kMegabyte);
        if (c.opens) {
            const auto title = reader.GetAttributeByName("Title");
            ASSERT_TRUE(title);
            EXPECT_EQ(title->text, u"t");
        }
    }
}

// Runs after the suite above has unloaded its module.
TEST(AsfmetaModuleTest, UnloadsCompletelyAfterUse) {
    TempDir dir;
    const std::string song = dir / "song.wma";
    ASSERT_TRUE(WriteWma(song, "小雨", "周杰伦", "叶惠美"));
    const std::string path = sysinfo::ExecutableFolder() + "/" + kAsfmetaModule;
    {
        const Module module(path);
        const auto getAsfmeta = module.GetProcAddress<PFN_GETASFMETA>(kGetAsfmetaExport);
        ASSERT_NE(getAsfmeta, nullptr) << module.Error();
        Outputs out;
        ASSERT_EQ(getAsfmeta(song.c_str(), out.title.data(), out.artist.data(), out.album.data()),
                  1);
    }
    // Nothing a call leaves behind (such as thread-local state) may keep the module loaded.
    EXPECT_EQ(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
