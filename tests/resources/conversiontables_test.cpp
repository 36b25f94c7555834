#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "resources/embeddedresource.h"
#include "tests/support/tempdir.h"

extern char** environ;

namespace {

constexpr std::size_t kBigToGbSize = 35908;
constexpr std::size_t kGbToBigSize = 16544;

// The two-byte entry at `offset`, lead byte first.
unsigned EntryAt(std::span<const unsigned char> table, std::size_t offset) {
    return table[offset] << 8 | table[offset + 1];
}

unsigned BigToGb(unsigned big5) {
    const unsigned lead = big5 >> 8;
    const unsigned trail = big5 & 0xFF;
    return EntryAt(resources::FindResource("BIGTOGB"), ((lead - 0xA1) * 191 + (trail - 0x40)) * 2);
}

unsigned GbToBig(unsigned gb2312) {
    const unsigned lead = gb2312 >> 8;
    const unsigned row = lead <= 0xA9 ? lead - 0xA1 : lead - 0xB0 + 9;
    return EntryAt(resources::FindResource("GBTOBIG"), (row * 94 + (gb2312 & 0xFF) - 0xA1) * 2);
}

bool IsBig5Gap(unsigned trail) {
    return trail >= 0x7F && trail <= 0xA0;
}

TEST(EmbeddedResource, FindsBothTablesByExactName) {
    EXPECT_EQ(resources::FindResource("BIGTOGB").size(), kBigToGbSize);
    EXPECT_EQ(resources::FindResource("GBTOBIG").size(), kGbToBigSize);
    EXPECT_TRUE(resources::FindResource("bigtogb").empty());
    EXPECT_TRUE(resources::FindResource("").empty());
}

TEST(BigToGbTable, HoldsTheRequiredRows) {
    const std::vector<std::pair<unsigned, unsigned>> rows = {
        {0xA140, 0xA1A1},  // ideographic space
        {0xA141, 0xA3AC},  // ，
        {0xA142, 0xA1A2},  // 、
        {0xA17F, 0xA17F},  // not a Big5 character
        {0xA4A4, 0xD6D0},  // 中
        {0xB0EA, 0xB9FA},  // 國 -> 国
        {0xBB4F, 0xCCA8},  // 臺 -> 台
        {0xC5E9, 0xCCE5},  // 體 -> 体
        {0xA5C6, 0xA1A1},  // 氾 has no counterpart
        {0xFEFE, 0xA1A1},  // unassigned
    };
    for (const auto& [big5, gb2312] : rows) {
        EXPECT_EQ(BigToGb(big5), gb2312) << std::hex << big5;
    }
}

TEST(BigToGbTable, UnusedTrailsRepeatTheirPairAndEverythingElseIsGb2312) {
    int selfEntries = 0;
    int fillEntries = 0;
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const unsigned pair = lead << 8 | trail;
            const unsigned entry = BigToGb(pair);
            if (IsBig5Gap(trail)) {
                selfEntries += entry == pair ? 1 : 0;
                continue;
            }
            fillEntries += entry == 0xA1A1 ? 1 : 0;
            const unsigned gbLead = entry >> 8;
            const unsigned gbTrail = entry & 0xFF;
            const bool gb2312 =
                ((gbLead >= 0xA1 && gbLead <= 0xA9) || (gbLead >= 0xB0 && gbLead <= 0xF7)) &&
                gbTrail >= 0xA1 && gbTrail <= 0xFE;
            EXPECT_TRUE(gb2312) << std::hex << pair << " -> " << entry;
        }
    }
    EXPECT_EQ(selfEntries, 3196);
    // Big5 characters GB2312 lacks in every form, undecodable pairs and the private-use block;
    // a changed simplification rule or a failing iconv moves this count.
    EXPECT_EQ(fillEntries, 7700);
}

TEST(BigToGbTable, SimplifiesCommonTraditionalCharacters) {
    // Several of these have a simplified form shared with another traditional character, which
    // OpenCC lists first in the other direction (为 -> 爲, 里 -> 裏, 钟 -> 鍾).
    const std::vector<std::pair<unsigned, unsigned>> pairs = {
        {0xACB0, 0xCEAA},  // 為 -> 为
        {0xB8CC, 0xC0EF},  // 裡 -> 里
        {0xBE76, 0xB7A2},  // 髮 -> 发
        {0xB0A6, 0xD6BB},  // 隻 -> 只
        {0xC4D1, 0xC3E6},  // 麵 -> 面
        {0xC4C1, 0xD6D3},  // 鐘 -> 钟
        {0xBB73, 0xD6C6},  // 製 -> 制
        {0xBDC6, 0xB8B4},  // 複 -> 复
        {0xB0EA, 0xB9FA},  // 國 -> 国
        {0xB752, 0xB0AE},  // 愛 -> 爱
    };
    for (const auto& [big5, gb2312] : pairs) {
        EXPECT_EQ(BigToGb(big5), gb2312) << std::hex << big5;
    }
}

TEST(GbToBigTable, HoldsTheRequiredRows) {
    const std::vector<std::pair<unsigned, unsigned>> rows = {
        {0xA1A1, 0xA140},  // ideographic space
        {0xA3A1, 0xA149},  // ！
        {0xB0A1, 0xB0DA},  // 啊
        {0xB9FA, 0xB0EA},  // 国 -> 國
        {0xD6D0, 0xA4A4},  // 中
        {0xCEAA, 0xACB0},  // 为 -> 為, though OpenCC prefers 爲, which Big5 lacks
    };
    for (const auto& [gb2312, big5] : rows) {
        EXPECT_EQ(GbToBig(gb2312), big5) << std::hex << gb2312;
    }
}

TEST(GbToBigTable, UserDefinedRowsFollowTheBig5UserArea) {
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
        EXPECT_EQ(GbToBig(0xF800 | trail), 0xA140u);
        EXPECT_EQ(GbToBig(0xF900 | trail), 0xA140u);
    }
    unsigned expected = 0xFA40;
    for (unsigned lead = 0xFA; lead <= 0xFD; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            ASSERT_EQ(GbToBig(lead << 8 | trail), expected) << std::hex << (lead << 8 | trail);
            expected = (expected & 0xFF) == 0x7E   ? (expected & 0xFF00) | 0xA1
                       : (expected & 0xFF) == 0xFE ? (expected & 0xFF00) + 0x140
                                                   : expected + 1;
        }
    }
}

TEST(ConversionTables, NoEntryHoldsAZeroByte) {
    for (const char* name : {"BIGTOGB", "GBTOBIG"}) {
        const auto table = resources::FindResource(name);
        EXPECT_EQ(std::count(table.begin(), table.end(), 0), 0) << name;
    }
}

std::vector<unsigned char> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> Bytes(std::span<const unsigned char> data) {
    return {data.begin(), data.end()};
}

TEST(ConversionTables, EmbeddedBytesAreTheCommittedFiles) {
    const std::filesystem::path folder = SORTUNE_RESOURCE_DIR;
    EXPECT_EQ(Bytes(resources::FindResource("BIGTOGB")), ReadFile(folder / "bigtogb.bin"));
    EXPECT_EQ(Bytes(resources::FindResource("GBTOBIG")), ReadFile(folder / "gbtobig.bin"));
}

bool IsOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

int RunGenerator(const std::string& outFolder) {
    std::vector<std::string> arguments = {SORTUNE_MAKETABLES, outFolder};
    std::vector<char*> argv = {arguments[0].data(), arguments[1].data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TableGenerator, ReproducesTheCommittedTables) {
    if (!IsOnPath("opencc_dict")) {
        GTEST_SKIP() << "opencc_dict is not installed";
    }
    const TempDir out;
    ASSERT_EQ(RunGenerator(out.path()), 0);
    const std::filesystem::path committed = SORTUNE_RESOURCE_DIR;
    for (const char* file : {"bigtogb.bin", "gbtobig.bin"}) {
        EXPECT_EQ(ReadFile(out / file), ReadFile(committed / file)) << file;
    }
}

}  // namespace
