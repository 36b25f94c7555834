#include "platform/module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <utility>

#include "tests/support/tempdir.h"

namespace {

// zlib is on every system this runs on, and this test program does not link it, so
// whether it is loaded shows whether a Module holds it.
constexpr const char* kLibrary = "libz.so.1";
using ZlibVersion = const char* (*)();

bool IsResident(const char* library) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    dlclose(handle);
    return true;
}

TEST(ModuleTest, LoadsAndBindsExports) {
    const Module module(kLibrary);
    ASSERT_TRUE(module.IsLoaded()) << module.Error();
    EXPECT_EQ(module.Error(), "");
    const auto version = module.GetProcAddress<ZlibVersion>("zlibVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::strncmp(version(), "1.", 2), 0);
    EXPECT_EQ(module.GetProcAddress("NoSuchExport"), nullptr);
}

TEST(ModuleTest, FailedLoadSaysWhyAndBindsNothing) {
    TempDir dir;
    const std::string text = dir / "notelf.so";
    std::ofstream(text) << "not a shared object";
    for (const std::string& path : {dir / "missing.so", text}) {
        const Module module(path);
        EXPECT_FALSE(module.IsLoaded()) << path;
        EXPECT_NE(module.Error(), "") << path;
        EXPECT_EQ(module.GetProcAddress("zlibVersion"), nullptr) << path;
    }
    const Module empty;
    EXPECT_FALSE(empty.IsLoaded());
    EXPECT_EQ(empty.GetProcAddress("zlibVersion"), nullptr);
}

TEST(ModuleTest, UnloadsOnceWhenFreedMovedOrDestroyed) {
    ASSERT_FALSE(IsResident(kLibrary));
    {
        Module first(kLibrary);
        ASSERT_TRUE(IsResident(kLibrary));
        Module second(std::move(first));
        EXPECT_FALSE(first.IsLoaded());
        EXPECT_TRUE(second.IsLoaded());
        first.Free();  // holds nothing: must not unload the module second holds
        EXPECT_TRUE(IsResident(kLibrary));

        Module third;
        third = std::move(second);
        EXPECT_TRUE(IsResident(kLibrary));
        third.Free();
        EXPECT_FALSE(IsResident(kLibrary));
        third.Free();
        EXPECT_FALSE(third.IsLoaded());

        third = Module(kLibrary);
        EXPECT_TRUE(IsResident(kLibrary));
    }
    EXPECT_FALSE(IsResident(kLibrary));
}

}  // namespace
