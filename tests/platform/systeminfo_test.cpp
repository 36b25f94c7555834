#include "platform/systeminfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

TEST(LanguageId, FollowsLocaleNames) {
    const std::pair<const char*, sysinfo::LANGID> cases[] = {
        {"zh_CN.UTF-8", 0x0804}, {"zh_CN.GB18030", 0x0804}, {"zh_TW.UTF-8", 0x0404},
        {"zh_HK", 0x0C04},       {"zh_SG.GBK", 0x1004},     {"zh", 0x0804},
        {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},         {"de_DE@euro", 0x0407},
        {"de_AT.UTF-8", 0x0407}, {"ja_JP.eucJP", 0x0411},   {"C", 0x0409},
        {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},       {"", 0x0409},
    };
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(sysinfo::LangIdFromLocale(locale), id) << locale;
    }
}

class LanguageEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) {
            unsetenv(name);
        }
    }
    void TearDown() override { SetUp(); }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};
};

TEST_F(LanguageEnvironment, TakesLcAllThenLcCtypeThenLang) {
    EXPECT_EQ(sysinfo::GetSystemDefaultLangID(), sysinfo::kLangEnglishUS);
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(sysinfo::GetSystemDefaultLangID(), sysinfo::kLangChineseSimplified);
    setenv("LC_CTYPE", "zh_TW.UTF-8", 1);
    EXPECT_EQ(sysinfo::GetSystemDefaultLangID(), 0x0404);
    setenv("LC_ALL", "", 1);  // empty counts as unset
    EXPECT_EQ(sysinfo::GetSystemDefaultLangID(), 0x0404);
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(sysinfo::GetSystemDefaultLangID(), sysinfo::kLangEnglishUS);
}

TEST(TickCount, AdvancesInMilliseconds) {
    const std::uint32_t start = sysinfo::GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::uint32_t elapsed = sysinfo::GetTickCount() - start;
    EXPECT_GE(elapsed, 25U);
    EXPECT_LT(elapsed, 10000U);
}

TEST(ExecutablePath, NamesThisTestProgram) {
    const std::string path = sysinfo::ExecutablePath();
    EXPECT_TRUE(path.starts_with('/'));
    EXPECT_TRUE(path.ends_with("/platform_tests"));
    EXPECT_EQ(sysinfo::ExecutableFolder() + "/platform_tests", path);
}

}  // namespace
