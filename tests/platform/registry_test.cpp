#include "platform/registry.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fileio.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/unprivileged.h"

namespace {

constexpr const char* kSettingsKey = "Software\\Sortune\\Set";

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// What tells the entry at `path` apart, not following a link: its kind, inode and size.
std::string Identity(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return "missing";
    }
    return std::to_string(info.st_mode) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size);
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Opens or creates a key; the handle is closed when the object goes.
class Key {
public:
    Key() = default;
    Key(HKEY root, const std::string& path, REGSAM access = KEY_ALL_ACCESS) {
        m_result = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                   nullptr, &m_key, &m_disposition);
    }
    static Key Open(HKEY root, const std::string& path, REGSAM access = KEY_READ) {
        Key key;
        key.m_result = RegOpenKeyExA(root, path.c_str(), 0, access, &key.m_key);
        return key;
    }
    Key(Key&& other) noexcept
        : m_key(std::exchange(other.m_key, nullptr)),
          m_result(other.m_result),
          m_disposition(other.m_disposition) {}
    Key& operator=(Key&&) = delete;
    ~Key() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }

    HKEY get() const { return m_key; }
    LONG result() const { return m_result; }
    DWORD disposition() const { return m_disposition; }

private:
    HKEY m_key = nullptr;
    LONG m_result = ERROR_INVALID_HANDLE;
    DWORD m_disposition = 0;
};

LONG SetString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

// The text of a REG_SZ value, checked to come with exactly one terminating NUL.
std::optional<std::string> QueryString(HKEY key, const char* name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::vector<BYTE> data(size + 8, 0xAA);
    DWORD got = static_cast<DWORD>(data.size());
    if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS ||
        got != size || got == 0 || data[got - 1] != 0 || data[got] != 0xAA) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(data.data()), got - 1);
}

std::optional<DWORD> QueryDword(HKEY key, const char* name) {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(m_home.path() + "/globs2",
                  "# MIME globs for the tests\n"
                  "50:audio/mpeg:*.mp3\n"
                  "50:audio/x-ms-wma:*.wma\n"
                  "20:audio/x-low:*.tst\n"
                  "80:audio/x-high:*.tst\n"
                  "80:audio/x-later:*.tst\n"
                  "50:text/x-upper:*.UP:cs\n"
                  "40:text/x-any:*.up\n"
                  "90:image/x-glob:*.[ch]\n"
                  "broken line\n"
                  "x:text/x-bad-weight:*.bad\n");
        registry::SetMimeGlobsPath(m_home.path() + "/globs2");
    }
    void TearDown() override { registry::SetMimeGlobsPath(""); }

    std::string UserHive() const { return m_home.HiveFile("HKEY_CURRENT_USER"); }

    ScopedConfigHome m_home;
};

// Text of every kind comes back byte for byte, after a trip through the file.
TEST_F(RegistryTest, StringsRoundTripByteForByte) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"plain", "/usr/bin/sortune"},
        {"gbk", "\xD0\xA1\xD3\xEA \xC7\xE0\xBB\xA8\xB4\xC9"},
        {"utf8 path", "/home/\xE7\x94\xA8\xE6\x88\xB7/\xE9\x9F\xB3\xE4\xB9\x90"},
        {"quotes", "say \"hi\" \""},
        {"backslashes", "D:\\Music\\Pop\\"},
        {"escape look-alikes", "\\\" \\\\ \\n"},
        {"newline", "one\ntwo\n"},
        {"crlf", "a\r\nb\r"},
        {"controls", "\x01\x1F\x7F"},
        {"high bytes", "\x80\xFF\xFE"},
        {"cut utf8", "\xE4\xB8"},
        {"section look-alike", "\n[HKEY_CURRENT_USER\\Evil]\n\"x\"=\"y\""},
        {"hex look-alike", "hex(1):41,00"},
    };
    {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        ASSERT_EQ(key.result(), ERROR_SUCCESS);
        for (const auto& [name, value] : cases) {
            ASSERT_EQ(SetString(key.get(), name.c_str(), value), ERROR_SUCCESS) << name;
        }
    }
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(key.result(), ERROR_SUCCESS);
    for (const auto& [name, value] : cases) {
        EXPECT_EQ(QueryString(key.get(), name.c_str()), value) << name;
    }
    EXPECT_EQ(RegQueryValueExA(key.get(), "Evil", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Evil").result(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ValueNamesWithQuotesBackslashesAndGbkRoundTrip) {
    const std::vector<std::string> names = {"a\"b", "c\\d", "\\", "\"", "\xD0\xA1\xD3\xEA",
                                            "=",    "]"};
    {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        for (std::size_t i = 0; i < names.size(); ++i) {
            ASSERT_EQ(SetDword(key.get(), names[i].c_str(), static_cast<DWORD>(i + 100)),
                      ERROR_SUCCESS);
        }
    }
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(QueryDword(key.get(), names[i].c_str()), i + 100) << names[i];
    }
}

TEST_F(RegistryTest, DwordsRoundTrip) {
    const std::vector<DWORD> numbers = {0, 1, 10, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x12345678};
    {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        for (DWORD n : numbers) {
            ASSERT_EQ(SetDword(key.get(), std::to_string(n).c_str(), n), ERROR_SUCCESS);
        }
    }
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    for (DWORD n : numbers) {
        EXPECT_EQ(QueryDword(key.get(), std::to_string(n).c_str()), n);
    }
}

TEST_F(RegistryTest, DefaultValueHasTheEmptyName) {
    Key key(HKEY_CLASSES_ROOT, "CLSID\\{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}");
    EXPECT_EQ(RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetString(key.get(), nullptr, "Sortmenu"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), ""), "Sortmenu");
    ASSERT_EQ(SetString(key.get(), "", "Other"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), nullptr), "Other");
}

TEST_F(RegistryTest, HiveFileIsInRegExportFormat) {
    {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        ASSERT_EQ(SetString(key.get(), "ExePath", "C:\\a \"b\""), ERROR_SUCCESS);
        ASSERT_EQ(SetDword(key.get(), "FindPath", 10), ERROR_SUCCESS);
        ASSERT_EQ(SetString(key.get(), "gbk", "\xD0\xA1\xD3\xEA"), ERROR_SUCCESS);
        ASSERT_EQ(SetString(key.get(), nullptr, "d"), ERROR_SUCCESS);
    }
    const std::string text = ReadFile(UserHive());
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n")) << text;
    EXPECT_NE(text.find("\n[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"ExePath\"=\"C:\\\\a \\\"b\\\"\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\"FindPath\"=dword:0000000a\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\"gbk\"=hex(1):d0,a1,d3,ea,00\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n@=\"d\"\n"), std::string::npos) << text;
}

// A file written by hand or by regedit: CR LF, comments, wrapped hex data, the old header.
TEST_F(RegistryTest, ReadsHandWrittenFiles) {
    ASSERT_EQ(Key(HKEY_CURRENT_USER, "x").result(), ERROR_SUCCESS);
    WriteFile(UserHive(),
              "\xEF\xBB\xBFREGEDIT4\r\n"
              "; a comment\r\n"
              "\r\n"
              "[hkey_current_user\\Software\\Sortune\\Set]\r\n"
              "@=\"default\"\r\n"
              "\"Wrapped\"=hex(1):d0,a1,\\\r\n"
              "  d3,ea,00\r\n"
              "\"Blob\"=hex:01,02,ff\r\n"
              "\"Spaced\" = dword:0000002A  \r\n"
              "[HKEY_CURRENT_USER\\Software\\Sortune\\Set\\Deep\\Er]\r\n");
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(key.result(), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), ""), "default");
    EXPECT_EQ(QueryString(key.get(), "Wrapped"), "\xD0\xA1\xD3\xEA");
    EXPECT_EQ(QueryDword(key.get(), "Spaced"), 42u);
    DWORD type = REG_NONE;
    BYTE blob[8] = {};
    DWORD size = sizeof blob;
    ASSERT_EQ(RegQueryValueExA(key.get(), "Blob", nullptr, &type, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(blob[2], 0xFF);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Software\\Sortune\\Set\\Deep").result(), ERROR_SUCCESS);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Software\\Sortune\\Set\\Deep\\Er").result(),
              ERROR_SUCCESS);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheCaseFirstWritten) {
    {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        ASSERT_EQ(SetString(key.get(), "ExePath", "/a"), ERROR_SUCCESS);
        ASSERT_EQ(SetString(key.get(), "EXEPATH", "/b"), ERROR_SUCCESS);
    }
    Key same = Key::Open(HKEY_CURRENT_USER, "SOFTWARE\\sortune\\sET");
    ASSERT_EQ(same.result(), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(same.get(), "exepath"), "/b");

    Key other(HKEY_CURRENT_USER, "software\\SORTUNE\\Other");
    ASSERT_EQ(other.result(), ERROR_SUCCESS);
    EXPECT_EQ(other.disposition(), REG_CREATED_NEW_KEY);
    const std::string text = ReadFile(UserHive());
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Sortune\\Other]"), std::string::npos);
    EXPECT_NE(text.find("\"ExePath\"=\"/b\""), std::string::npos) << text;
    EXPECT_EQ(text.find("EXEPATH"), std::string::npos) << text;
}

TEST_F(RegistryTest, CreateMakesParentsAndTellsWhetherTheKeyWasNew) {
    Key first(HKEY_LOCAL_MACHINE, "software\\classes\\clsid\\Sortmenu", KEY_WRITE);
    ASSERT_EQ(first.result(), ERROR_SUCCESS);
    EXPECT_EQ(first.disposition(), REG_CREATED_NEW_KEY);
    EXPECT_EQ(Key::Open(HKEY_LOCAL_MACHINE, "Software\\Classes").result(), ERROR_SUCCESS);

    Key again(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\Sortmenu\\", KEY_WRITE);
    ASSERT_EQ(again.result(), ERROR_SUCCESS);
    EXPECT_EQ(again.disposition(), REG_OPENED_EXISTING_KEY);

    // Relative to an opened key, and the empty path for the key itself.
    Key parent = Key::Open(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS);
    Key child(parent.get(), "Child");
    ASSERT_EQ(child.result(), ERROR_SUCCESS);
    EXPECT_EQ(Key::Open(HKEY_LOCAL_MACHINE, "software\\child").result(), ERROR_SUCCESS);
    Key itself = Key::Open(child.get(), "", KEY_ALL_ACCESS);
    ASSERT_EQ(itself.result(), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(itself.get(), "n", 3), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(child.get(), "n"), 3u);

    // The hives are separate files.
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Software").result(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Exists(m_home.HiveFile("HKEY_LOCAL_MACHINE")));
}

// One call for what RegCreateKeyExA and RegSetValueExA do, with the rights of both.
TEST_F(RegistryTest, SetKeyValueCreatesTheKeyAndSetsTheValue) {
    Key set(HKEY_CURRENT_USER, "Set\\Sub");
    Key setOnly = Key::Open(HKEY_CURRENT_USER, "Set", KEY_SET_VALUE);
    Key reader = Key::Open(HKEY_CURRENT_USER, "Set", KEY_READ);
    Key gone(HKEY_CURRENT_USER, "Gone");
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
    struct Case {
        const char* what;
        HKEY key;
        const char* subKey;
        LONG result;
        const char* written;  // the key that holds the value afterwards, or null
    };
    const std::vector<Case> cases = {
        {"a new key and its parents", HKEY_CURRENT_USER, "Set\\New\\Deeper", ERROR_SUCCESS,
         "Set\\New\\Deeper"},
        {"the key itself", setOnly.get(), nullptr, ERROR_SUCCESS, "Set"},
        {"a key that is there, with the right to set only", setOnly.get(), "sub", ERROR_SUCCESS,
         "Set\\Sub"},
        {"a new key without the right to create it", setOnly.get(), "Other", ERROR_ACCESS_DENIED,
         nullptr},
        {"without the right to set", reader.get(), "Sub", ERROR_ACCESS_DENIED, nullptr},
        {"a malformed path", HKEY_CURRENT_USER, "Set\\\\Sub", ERROR_BAD_PATHNAME, nullptr},
        {"below a deleted key", gone.get(), "Sub", ERROR_KEY_DELETED, nullptr},
    };
    for (const Case& c : cases) {
        const std::string data = c.what;
        EXPECT_EQ(RegSetKeyValueA(c.key, c.subKey, "Name", REG_SZ, data.c_str(),
                                  static_cast<DWORD>(data.size() + 1)),
                  c.result)
            << c.what;
        if (c.written != nullptr) {
            EXPECT_EQ(QueryString(Key::Open(HKEY_CURRENT_USER, c.written).get(), "Name"), data)
                << c.what;
        }
    }
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Set\\Other").result(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Gone").result(), ERROR_FILE_NOT_FOUND);
    // The value once more as it stands leaves the file as it is.
    const std::string before = Identity(UserHive());
    const std::string data = cases[0].what;
    EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "set\\new\\deeper", "name", REG_SZ, data.c_str(),
                              static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(Identity(UserHive()), before);
}

TEST_F(RegistryTest, MissingKeysAndValuesAreNotFound) {
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Exists(UserHive()));
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    DWORD size = 99;
    EXPECT_EQ(RegQueryValueExA(key.get(), "ExePath", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Software\\Sortune\\Set\\Sub").result(),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DeleteKeyFollowsTheWindowsRules) {
    const std::string clsid = "CLSID\\{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}";
    Key server(HKEY_CLASSES_ROOT, clsid + "\\InProcServer32");
    ASSERT_EQ(SetString(server.get(), "ThreadingModel", "Apartment"), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{missing}"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, clsid.c_str()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, clsid).result(), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, (clsid + "\\inprocserver32").c_str()),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(server.get(), "ThreadingModel", nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(server.get(), "x", "y"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, clsid.c_str()), ERROR_SUCCESS);
    // Unregistering twice: the second time finds nothing.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, (clsid + "\\InProcServer32").c_str()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, "CLSID").result(), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, QueryTellsSizesAndRefusesSmallBuffers) {
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(SetString(key.get(), "ExePath", "/opt/sortune"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.get(), "FindPath", 1), ERROR_SUCCESS);

    DWORD type = REG_NONE;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key.get(), "ExePath", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 13u);

    char small[12];
    std::memset(small, 'x', sizeof small);
    size = sizeof small;
    type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key.get(), "ExePath", nullptr, &type, reinterpret_cast<BYTE*>(small),
                               &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, 'x'));

    char exact[13];
    size = sizeof exact;
    ASSERT_EQ(RegQueryValueExA(key.get(), "ExePath", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(exact), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(exact, "/opt/sortune");

    BYTE number[2];
    size = sizeof number;
    EXPECT_EQ(RegQueryValueExA(key.get(), "FindPath", nullptr, &type, number, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_DWORD);

    // Only the type, with neither buffer nor size.
    type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key.get(), "FindPath", nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(RegQueryValueExA(key.get(), "FindPath", nullptr, &type, number, nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), "FindPath", &reserved, &type, nullptr, &size),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, TextEndsAtItsFirstNulAndAlwaysComesBackTerminated) {
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    const char withNul[] = {'a', 'b', '\0', 'c', 'd'};
    ASSERT_EQ(RegSetValueExA(key.get(), "nul", 0, REG_SZ, reinterpret_cast<const BYTE*>(withNul),
                             sizeof withNul),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), "nul"), "ab");
    ASSERT_EQ(RegSetValueExA(key.get(), "unterminated", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("xyz"), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), "unterminated"), "xyz");
    ASSERT_EQ(RegSetValueExA(key.get(), "none", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), "none"), "");
}

TEST_F(RegistryTest, HandlesAreCheckedForValidityAndAccess) {
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    Key reader = Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ);
    EXPECT_EQ(SetDword(reader.get(), "n", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Key(reader.get(), "Sub").result(), ERROR_ACCESS_DENIED);
    Key writer = Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_WRITE);
    ASSERT_EQ(SetDword(writer.get(), "n", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(writer.get(), "n", nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryDword(reader.get(), "n"), 1u);

    HKEY closed = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(QueryDword(closed, "n"), std::nullopt);
    EXPECT_EQ(SetDword(closed, "n", 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(nullptr, "n", 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

    HKEY result = reinterpret_cast<HKEY>(std::uintptr_t{1});
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "missing", 0, KEY_READ, &result),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "v", 0, nullptr, 1, KEY_WRITE, nullptr, &result,
                              nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, MalformedNamesAndDataAreRefused) {
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    for (const char* path : {"\\Leading", "a\\\\b", "new\nline"}) {
        EXPECT_EQ(Key(HKEY_CURRENT_USER, path).result(), ERROR_BAD_PATHNAME) << path;
        EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, path).result(), ERROR_BAD_PATHNAME) << path;
    }
    EXPECT_EQ(SetString(key.get(), "line\nbreak", "x"), ERROR_INVALID_PARAMETER);
    const BYTE three[3] = {1, 2, 3};
    EXPECT_EQ(RegSetValueExA(key.get(), "n", 0, REG_DWORD, three, sizeof three),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key.get(), "n", 0, REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key.get(), "n", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, FilesAreForTheUserAlone) {
    const mode_t old = umask(0);
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    SetString(key.get(), "ExePath", "/a");
    umask(old);
    EXPECT_EQ(ModeOf(UserHive()), 0600u);
    EXPECT_EQ(ModeOf(UserHive() + ".lock"), 0600u);
    EXPECT_EQ(ModeOf(m_home.RegistryFolder()), 0700u);
    EXPECT_EQ(ModeOf(m_home.path() + "/sortune"), 0700u);
    // No temporary files are left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_home.RegistryFolder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

// Two processes writing at the same time: every value of both arrives.
TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kValues = 500;
    ASSERT_EQ(Key(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_SUCCESS);
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            HKEY key = nullptr;
            failures += RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_WRITE, &key) != 0;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
                failures += SetDword(key, name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    int found = 0;
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
            found += QueryDword(key.get(), name.c_str()) == static_cast<DWORD>(i);
        }
    }
    EXPECT_EQ(found, 2 * kValues);
}

// Damaged files: what parses is kept, the rest is left out, nothing crashes.
class DamagedHiveTest : public RegistryTest {
protected:
    // A clean hive with values of every form, as the registry wrote it.
    std::string WriteGoodHive() {
        Key key(HKEY_CURRENT_USER, kSettingsKey);
        SetString(key.get(), "ExePath", "/opt/sortune/sortune");
        SetDword(key.get(), "FindPath", 0x11223344);
        SetString(key.get(), "path0", "\xD0\xA1\xD3\xEA");
        SetString(key.get(), nullptr, "a\\\"b");
        return ReadFile(UserHive());
    }
};

// Cut anywhere, a file never gives a wrong value: each one reads as written or as missing.
TEST_F(DamagedHiveTest, TruncatedFileGivesRightValuesOrNone) {
    const std::string good = WriteGoodHive();
    const std::string lastLine = "\"path0\"=hex(1):d0,a1,d3,ea,00\n";
    ASSERT_TRUE(good.ends_with(lastLine)) << good;
    for (std::size_t cut = 0; cut <= good.size(); ++cut) {
        WriteFile(UserHive(), good.substr(0, cut));
        Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
        if (key.result() != ERROR_SUCCESS) {
            continue;
        }
        const auto byDefault = QueryString(key.get(), "");
        const auto exePath = QueryString(key.get(), "ExePath");
        const auto findPath = QueryDword(key.get(), "FindPath");
        const auto path0 = QueryString(key.get(), "path0");
        EXPECT_TRUE(!byDefault || *byDefault == "a\\\"b") << cut;
        EXPECT_TRUE(!exePath || *exePath == "/opt/sortune/sortune") << cut;
        EXPECT_TRUE(!findPath || *findPath == 0x11223344) << cut;
        EXPECT_EQ(path0.has_value(), cut >= good.size() - 1) << cut;
        if (path0) {
            EXPECT_EQ(*path0, "\xD0\xA1\xD3\xEA");
        }
    }
}

TEST_F(DamagedHiveTest, JunkLinesAreSkipped) {
    std::string text = WriteGoodHive();
    text.insert(text.find("\"ExePath\""), "garbage line\n\"broken\"=dword:12\n\"x\"=\"open\n");
    const char binary[] = "\0\x01\xFF\xFE junk\n[unterminated\n";
    text.append(binary, sizeof binary - 1);
    text += "[HKEY_LOCAL_MACHINE\\Foreign]\n\"foreign\"=\"x\"\n";
    text += "[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n\"late\"=dword:00000007\n";
    WriteFile(UserHive(), text);
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(key.result(), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key.get(), "ExePath"), "/opt/sortune/sortune");
    EXPECT_EQ(QueryString(key.get(), "path0"), "\xD0\xA1\xD3\xEA");
    EXPECT_EQ(QueryDword(key.get(), "late"), 7u);
    EXPECT_EQ(QueryDword(key.get(), "broken"), std::nullopt);
    EXPECT_EQ(QueryString(key.get(), "x"), std::nullopt);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Foreign").result(), ERROR_FILE_NOT_FOUND);
}

TEST_F(DamagedHiveTest, BinaryJunkReadsAsEmpty) {
    std::string junk;
    unsigned state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245 + 12345;
        junk += static_cast<char>(state >> 16);
    }
    junk += "\n[HKEY_CURRENT_USER\\Software\\Sortune\\Set\n\"a\"=hex(1):41,\\";
    ASSERT_EQ(Key(HKEY_CURRENT_USER, "x").result(), ERROR_SUCCESS);
    WriteFile(UserHive(), junk);
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_FILE_NOT_FOUND);
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(key.result(), ERROR_SUCCESS);
    EXPECT_EQ(key.disposition(), REG_CREATED_NEW_KEY);
}

TEST_F(DamagedHiveTest, DamagedFileIsKeptAsBackupBeforeTheFirstChange) {
    std::string text = WriteGoodHive();
    text += "garbage\n";
    WriteFile(UserHive(), text);
    {
        Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS);
        EXPECT_EQ(QueryString(key.get(), "ExePath"), "/opt/sortune/sortune");
        EXPECT_FALSE(Exists(UserHive() + ".bak"));  // reading changes nothing
        ASSERT_EQ(SetDword(key.get(), "Artist_dir", 1), ERROR_SUCCESS);
    }
    EXPECT_EQ(ReadFile(UserHive() + ".bak"), text);
    EXPECT_EQ(ModeOf(UserHive() + ".bak"), 0600u);
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS);
    EXPECT_EQ(QueryString(key.get(), "ExePath"), "/opt/sortune/sortune");
    EXPECT_EQ(QueryDword(key.get(), "FindPath"), 0x11223344u);
    EXPECT_EQ(QueryDword(key.get(), "Artist_dir"), 1u);
    EXPECT_EQ(ReadFile(UserHive()).find("garbage"), std::string::npos);

    // The rewritten file is clean: the next change keeps no backup.
    std::filesystem::remove(UserHive() + ".bak");
    ASSERT_EQ(SetDword(key.get(), "Artist_dir", 0), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(UserHive() + ".bak"));
}

// Each damage is kept in a copy of its own, so that a later damage never replaces the copy of
// the user's original; the user is told once per damage which file holds what.
TEST_F(DamagedHiveTest, EachDamageIsKeptInACopyOfItsOwnWithOneWarning) {
    const std::string first = WriteGoodHive() + "garbage\n";
    WriteFile(UserHive(), first);
    Key key = Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS);

    testing::internal::CaptureStderr();
    ASSERT_EQ(SetDword(key.get(), "Artist_dir", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.get(), "Artist_dir", 0), ERROR_SUCCESS);  // clean now: no copy
    const std::string firstWarning = testing::internal::GetCapturedStderr();

    const std::string second = ReadFile(UserHive()) + "\"broken\"=dword:1\n";
    WriteFile(UserHive(), second);
    testing::internal::CaptureStderr();
    ASSERT_EQ(SetDword(key.get(), "FindPath", 1), ERROR_SUCCESS);
    const std::string secondWarning = testing::internal::GetCapturedStderr();

    EXPECT_EQ(ReadFile(UserHive() + ".bak"), first);
    EXPECT_EQ(ReadFile(UserHive() + ".bak.1"), second);
    EXPECT_EQ(ModeOf(UserHive() + ".bak.1"), 0600u);
    EXPECT_FALSE(Exists(UserHive() + ".bak.2"));
    EXPECT_EQ(firstWarning, "sortune: the settings file '" + UserHive() +
                                "' was damaged: what could not be read is left out, the file "
                                "as it was is kept as '" +
                                UserHive() + ".bak'\n");
    EXPECT_EQ(secondWarning, "sortune: the settings file '" + UserHive() +
                                 "' was damaged: what could not be read is left out, the file "
                                 "as it was is kept as '" +
                                 UserHive() + ".bak.1'\n");
    EXPECT_EQ(QueryDword(key.get(), "FindPath"), 1u);
    EXPECT_EQ(QueryString(key.get(), "ExePath"), "/opt/sortune/sortune");
}

TEST_F(DamagedHiveTest, CleanFilesKeepNoBackup) {
    WriteGoodHive();
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(SetDword(key.get(), "FindPath", 0), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(UserHive() + ".bak"));
}

// A hive that cannot be read reads as empty, is never replaced, and the user is told once:
// otherwise the settings would silently fall back to their defaults. Whatever takes the
// place of the file is refused at once: a named pipe would block a plain open, a link to
// /dev/zero would feed a plain read without end.
TEST_F(RegistryTest, UnreadableHiveIsReportedOnceAndNeverReplaced) {
    const std::string good = "[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n\"FindPath\"=dword:1\n";
    struct Case {
        const char* name;
        std::function<void(const std::string& hive)> make;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"named pipe", [](const std::string& hive) { ASSERT_EQ(mkfifo(hive.c_str(), 0600), 0); },
         "it is not a regular file"},
        {"link to /dev/zero",
         [](const std::string& hive) { ASSERT_EQ(symlink("/dev/zero", hive.c_str()), 0); },
         "it is a symbolic link"},
        {"link to a hive",
         [&](const std::string& hive) {
             WriteFile(hive + ".target", good);
             ASSERT_EQ(symlink((hive + ".target").c_str(), hive.c_str()), 0);
         },
         "it is a symbolic link"},
        {"folder", [](const std::string& hive) { std::filesystem::create_directory(hive); },
         std::strerror(EISDIR)},
        {"larger than 1 MiB",
         [&](const std::string& hive) {
             WriteFile(hive, good);
             std::filesystem::resize_file(hive, (1u << 20) + 1);
         },
         "it is larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedConfigHome home;
        const std::string hive = home.HiveFile("HKEY_CURRENT_USER");
        std::filesystem::create_directories(home.RegistryFolder());
        c.make(hive);
        const std::string before = Identity(hive);

        testing::internal::CaptureStderr();
        EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(Key(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_ACCESS_DENIED);
        EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, "Software").result(), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "sortune: the settings file '" + hive + "' cannot be read (" + c.reason +
                      "): the settings in it are not used, and it is left as it is\n");

        EXPECT_EQ(Identity(hive), before);
        EXPECT_FALSE(Exists(hive + ".bak"));
        // The other hives are not affected.
        EXPECT_EQ(Key(HKEY_LOCAL_MACHINE, "Software").result(), ERROR_SUCCESS);
    }
}

// Without permission to read it, the settings file is neither used nor replaced.
TEST_F(RegistryTest, HiveWithoutReadPermissionIsLeftAsItIs) {
    Key(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(Exists(UserHive()));
    const std::string text = ReadFile(UserHive());
    ASSERT_EQ(chmod(UserHive().c_str(), 0200), 0);
    const int refused = RunUnprivileged(m_home.path(), [] {
        return Key::Open(HKEY_CURRENT_USER, kSettingsKey).result() == ERROR_FILE_NOT_FOUND &&
               Key(HKEY_CURRENT_USER, kSettingsKey).result() == ERROR_ACCESS_DENIED;
    });
    EXPECT_EQ(refused, 1);
    ASSERT_EQ(chmod(UserHive().c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(UserHive()), text);
}

TEST_F(RegistryTest, UnusableFolderMakesWritesFail) {
    WriteFile(m_home.path() + "/sortune", "a file where the folder should be");
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Key(HKEY_CURRENT_USER, kSettingsKey).result(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ReadOnlyFolderMakesWritesFail) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    Key key(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(SetDword(key.get(), "FindPath", 1), ERROR_SUCCESS);
    ASSERT_EQ(chmod(m_home.RegistryFolder().c_str(), 0500), 0);
    EXPECT_EQ(SetDword(key.get(), "FindPath", 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryDword(key.get(), "FindPath"), 1u);
    // Writing what is already stored changes nothing, and so succeeds.
    EXPECT_EQ(SetDword(key.get(), "FindPath", 1), ERROR_SUCCESS);
}

TEST_F(RegistryTest, HomeFolderIsTheDefault) {
    const TempDir home;
    const char* oldHome = std::getenv("HOME");
    const std::optional<std::string> savedHome =
        oldHome != nullptr ? std::optional<std::string>(oldHome) : std::nullopt;
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", home.path().c_str(), 1);
    const LONG result = Key(HKEY_CURRENT_USER, kSettingsKey).result();
    if (savedHome) {
        setenv("HOME", savedHome->c_str(), 1);
    } else {
        unsetenv("HOME");
    }
    EXPECT_EQ(result, ERROR_SUCCESS);
    EXPECT_TRUE(Exists(home / ".config/sortune/registry/HKEY_CURRENT_USER.reg"));
}

// Extension keys in HKEY_CLASSES_ROOT that nobody wrote come from the MIME database.
TEST_F(RegistryTest, ExtensionKeysAnswerWithTheMimeType) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {".mp3", "audio/mpeg"},   {".MP3", "audio/mpeg"},  {".wma", "audio/x-ms-wma"},
        {".tst", "audio/x-high"}, {".UP", "text/x-upper"}, {".up", "text/x-any"},
        {".Up", "text/x-any"},
    };
    for (const auto& [extension, type] : cases) {
        Key key = Key::Open(HKEY_CLASSES_ROOT, extension);
        ASSERT_EQ(key.result(), ERROR_SUCCESS) << extension;
        EXPECT_EQ(QueryString(key.get(), ""), type) << extension;
    }
    for (const char* unknown : {".xyz", "mp3", ".", ".c", ".bad", ".mp3\\Sub", ".[ch]"}) {
        EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, unknown).result(), ERROR_FILE_NOT_FOUND) << unknown;
    }
    EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, ".mp3").result(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Exists(m_home.HiveFile("HKEY_CLASSES_ROOT")));
}

TEST_F(RegistryTest, WrittenExtensionKeyWinsOverTheMimeDatabase) {
    {
        Key mp3(HKEY_CLASSES_ROOT, ".mp3");
        ASSERT_EQ(mp3.result(), ERROR_SUCCESS);
        EXPECT_EQ(mp3.disposition(), REG_OPENED_EXISTING_KEY);
        ASSERT_EQ(SetString(mp3.get(), nullptr, "Sortune.Song"), ERROR_SUCCESS);
    }
    EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, ".MP3").get(), nullptr), "Sortune.Song");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ".mp3"), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, ".mp3").get(), nullptr), "audio/mpeg");
    // What only the MIME database answers for cannot be deleted.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ".mp3"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, StoringBelowAnExtensionKeyKeepsItsProgramId) {
    Key handlers(HKEY_CLASSES_ROOT, ".wma\\OpenWithProgids");
    ASSERT_EQ(handlers.result(), ERROR_SUCCESS);
    EXPECT_EQ(handlers.disposition(), REG_CREATED_NEW_KEY);
    // Now stored, and no longer dependent on the database.
    registry::SetMimeGlobsPath(m_home.path() + "/no-such-file");
    EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, ".wma").get(), nullptr), "audio/x-ms-wma");
    EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, ".mp3").result(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SystemMimeDatabaseKnowsTheMusicTypes) {
    if (!Exists("/usr/share/mime/globs2")) {
        GTEST_SKIP() << "no shared MIME database";
    }
    registry::SetMimeGlobsPath("");
    EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, ".mp3").get(), nullptr), "audio/mpeg");
    EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, ".wma").get(), nullptr), "audio/x-ms-wma");
}

// Every sub-key name by RegEnumKeyExA, until it says there are no more.
std::vector<std::string> EnumKeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD size = sizeof name;
        const LONG result =
            RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) {
            EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
            return names;
        }
        EXPECT_EQ(size, std::strlen(name));
        names.emplace_back(name);
    }
}

TEST_F(RegistryTest, EnumKeysListsDirectSubKeysInNameOrder) {
    for (const char* path : {"Set\\b", "Set\\A", "Set\\c\\deep", "Set!", "Set\\_x"}) {
        ASSERT_EQ(Key(HKEY_CURRENT_USER, path).result(), ERROR_SUCCESS) << path;
    }
    Key set = Key::Open(HKEY_CURRENT_USER, "SET");
    EXPECT_EQ(EnumKeys(set.get()), (std::vector<std::string>{"A", "b", "c", "_x"}));
    EXPECT_EQ(EnumKeys(Key::Open(HKEY_CURRENT_USER, "Set\\c\\deep").get()),
              std::vector<std::string>{});

    struct Case {
        const char* what;
        DWORD index;
        DWORD size;
        LONG result;
        DWORD sizeAfter;
    };
    const std::vector<Case> cases = {
        {"fits with its NUL", 0, 2, ERROR_SUCCESS, 1},
        {"no room for the NUL", 0, 1, ERROR_MORE_DATA, 1},
        {"empty buffer", 1, 0, ERROR_MORE_DATA, 0},
        {"past the last", 4, 16, ERROR_NO_MORE_ITEMS, 16},
    };
    for (const Case& c : cases) {
        char name[16] = "untouched";
        DWORD size = c.size;
        EXPECT_EQ(
            RegEnumKeyExA(set.get(), c.index, name, &size, nullptr, nullptr, nullptr, nullptr),
            c.result)
            << c.what;
        EXPECT_EQ(size, c.sizeAfter) << c.what;
        EXPECT_STREQ(name, c.result == ERROR_SUCCESS ? "A" : "untouched") << c.what;
    }
    char keyClass[8] = "junk";
    DWORD classSize = sizeof keyClass;
    FILETIME written{7, 7};
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(set.get(), 3, name, &size, nullptr, keyClass, &classSize, &written),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "_x");
    EXPECT_EQ(classSize, 0u);
    EXPECT_STREQ(keyClass, "");
    EXPECT_EQ(written.dwLowDateTime | written.dwHighDateTime, 0u);
}

TEST_F(RegistryTest, EnumKeysChecksHandlesAndAccess) {
    Key set(HKEY_CURRENT_USER, "Set\\Sub");
    char name[16];
    DWORD size = sizeof name;
    DWORD reserved = 0;
    EXPECT_EQ(RegEnumKeyExA(Key::Open(HKEY_CURRENT_USER, "Set", KEY_QUERY_VALUE).get(), 0, name,
                            &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(
        RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, &size, &reserved, nullptr, nullptr, nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumKeyExA(reinterpret_cast<HKEY>(std::uintptr_t{12345}), 0, name, &size, nullptr,
                            nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Set\\Sub"), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumKeyExA(set.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
}

// The root of HKEY_CLASSES_ROOT lists what opens there: stored keys and the extension keys of
// the MIME database, each once.
TEST_F(RegistryTest, EnumClassesRootListsTheMimeExtensions) {
    ASSERT_EQ(Key(HKEY_CLASSES_ROOT, "CLSID\\{x}").result(), ERROR_SUCCESS);
    ASSERT_EQ(Key(HKEY_CLASSES_ROOT, ".MP3\\shellex").result(), ERROR_SUCCESS);
    const std::vector<std::string> names = EnumKeys(HKEY_CLASSES_ROOT);
    EXPECT_EQ(names, (std::vector<std::string>{".MP3", ".tst", ".UP", ".wma", "CLSID"}));
    for (const std::string& name : names) {
        EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, name).result(), ERROR_SUCCESS) << name;
    }
    EXPECT_EQ(EnumKeys(Key::Open(HKEY_CLASSES_ROOT, "CLSID").get()),
              std::vector<std::string>{"{x}"});
    EXPECT_EQ(EnumKeys(Key::Open(HKEY_CLASSES_ROOT, ".wma").get()), std::vector<std::string>{});
    EXPECT_EQ(EnumKeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{});
}

TEST_F(RegistryTest, DeleteValueFollowsTheWindowsRules) {
    Key set(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(SetString(set.get(), "ExePath", "/opt/sortune"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(set.get(), nullptr, "default"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(set.get(), "FindPath", 1), ERROR_SUCCESS);

    struct Case {
        const char* name;
        LONG first;
        LONG again;
    };
    const std::vector<Case> cases = {
        {"exepath", ERROR_SUCCESS, ERROR_FILE_NOT_FOUND},
        {nullptr, ERROR_SUCCESS, ERROR_FILE_NOT_FOUND},
        {"Missing", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegDeleteValueA(set.get(), c.name), c.first) << (c.name ? c.name : "(default)");
        EXPECT_EQ(RegDeleteValueA(set.get(), c.name), c.again) << (c.name ? c.name : "(default)");
    }
    EXPECT_EQ(QueryString(set.get(), "ExePath"), std::nullopt);
    EXPECT_EQ(QueryString(set.get(), ""), std::nullopt);
    EXPECT_EQ(QueryDword(set.get(), "FindPath"), 1u);
    EXPECT_EQ(QueryDword(Key::Open(HKEY_CURRENT_USER, kSettingsKey).get(), "FindPath"), 1u);

    EXPECT_EQ(
        RegDeleteValueA(Key::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ).get(), "FindPath"),
        ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(set.get(), "FindPath"), ERROR_KEY_DELETED);
}

// The program id of an extension key that only the MIME database answered for can be deleted
// too: the key is stored without it, and so no longer answers with the MIME type.
TEST_F(RegistryTest, DeletingAMimeProgramIdStoresTheKeyWithoutIt) {
    Key mp3 = Key::Open(HKEY_CLASSES_ROOT, ".mp3", KEY_ALL_ACCESS);
    EXPECT_EQ(RegDeleteValueA(mp3.get(), "Other"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Exists(m_home.HiveFile("HKEY_CLASSES_ROOT")));
    EXPECT_EQ(RegDeleteValueA(mp3.get(), nullptr), ERROR_SUCCESS);
    Key again = Key::Open(HKEY_CLASSES_ROOT, ".MP3");
    EXPECT_EQ(again.result(), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(again.get(), nullptr), std::nullopt);
}

TEST_F(RegistryTest, ChangeWatchSeesChangesBelowItsKeyOnly) {
    const std::string handler = "audio/mpeg\\shellex\\ContextMenuHandlers\\Sortmenu";
    const auto write = [](const std::string& path, const char* name, const std::string& data) {
        Key key(HKEY_CLASSES_ROOT, path);
        return SetString(key.get(), name, data);
    };
    ASSERT_EQ(write(handler, nullptr, "{clsid}"), ERROR_SUCCESS);

    struct Case {
        const char* what;
        std::function<void()> change;
        bool seen;
    };
    const std::vector<Case> cases = {
        {"nothing", [] {}, false},
        {"the same value again", [&] { write(handler, nullptr, "{clsid}"); }, false},
        {"the same key again", [&] { Key again(HKEY_CLASSES_ROOT, handler); }, false},
        {"a key beside it", [&] { write("audio/x-ms-wma\\shellex", nullptr, "x"); }, false},
        {"another hive", [&] { Key user(HKEY_CURRENT_USER, "audio/mpeg\\shellex\\x"); }, false},
        {"a new value", [&] { write(handler, "Extra", "1"); }, true},
        {"a changed value", [&] { write(handler, nullptr, "{other}"); }, true},
        {"a new sub-key", [&] { Key sub(HKEY_CLASSES_ROOT, handler + "\\Sub"); }, true},
        {"the key deleted", [&] { RegDeleteKeyA(HKEY_CLASSES_ROOT, handler.c_str()); }, true},
        {"the value deleted",
         [&] {
             Key key(HKEY_CLASSES_ROOT, handler);
             RegDeleteValueA(key.get(), nullptr);
         },
         true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(write(handler, nullptr, "{clsid}"), ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (handler + "\\Sub").c_str());
        const registry::ChangeWatch watch(HKEY_CLASSES_ROOT, "audio/mpeg\\shellex");
        c.change();
        EXPECT_EQ(watch.HasChanged(), c.seen) << c.what;
    }
}

TEST_F(RegistryTest, ChangeWatchSeesOtherProcessesAndNewKeys) {
    const registry::ChangeWatch root(HKEY_CLASSES_ROOT, nullptr);
    const registry::ChangeWatch missing(HKEY_CLASSES_ROOT, "CLSID\\{x}");
    const registry::ChangeWatch invalid(reinterpret_cast<HKEY>(std::uintptr_t{12345}), "x");
    EXPECT_FALSE(root.HasChanged());
    const pid_t child = fork();
    if (child == 0) {
        HKEY key = nullptr;
        _exit(RegCreateKeyExA(HKEY_CLASSES_ROOT, "clsid\\{X}\\InProcServer32", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(root.HasChanged());
    EXPECT_TRUE(missing.HasChanged());
    EXPECT_FALSE(invalid.HasChanged());
}

// A snapshot answers from the hive as it read it, and reads it again after a change of its
// own; a nested one changes nothing, and once it has gone, reads see the file again.
TEST_F(RegistryTest, ReadSnapshotHoldsTheHiveUntilItsOwnChange) {
    Key set(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_EQ(SetString(set.get(), "Name", "first"), ERROR_SUCCESS);
    const auto setInOtherProcess = [](const char* data) {
        const pid_t child = fork();
        if (child == 0) {
            _exit(SetString(Key(HKEY_CURRENT_USER, kSettingsKey).get(), "Name", data));
        }
        int status = -1;
        return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    {
        const registry::ReadSnapshot snapshot;
        EXPECT_EQ(QueryString(set.get(), "Name"), "first");
        ASSERT_TRUE(setInOtherProcess("second"));
        { const registry::ReadSnapshot nested; }
        EXPECT_EQ(QueryString(set.get(), "Name"), "first");
        const std::string sub = std::string(kSettingsKey) + "\\New";
        EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, sub).result(), ERROR_FILE_NOT_FOUND);
        ASSERT_EQ(Key(HKEY_CURRENT_USER, sub).result(), ERROR_SUCCESS);
        EXPECT_EQ(Key::Open(HKEY_CURRENT_USER, sub).result(), ERROR_SUCCESS);
        EXPECT_EQ(QueryString(set.get(), "Name"), "second");
        ASSERT_TRUE(setInOtherProcess("third"));
        EXPECT_EQ(QueryString(set.get(), "Name"), "second");
    }
    EXPECT_EQ(QueryString(set.get(), "Name"), "third");
}

// Without a file set by a test, the MIME database of the XDG data folders answers: the
// user's own first, then the system's.
TEST_F(RegistryTest, MimeDatabaseComesFromTheXdgDataFolders) {
    const std::string user = m_home.path() + "/data";
    const std::string system = m_home.path() + "/system";
    std::filesystem::create_directories(user + "/mime");
    std::filesystem::create_directories(system + "/mime");
    WriteFile(user + "/mime/globs2", "50:audio/x-mine:*.mine\n50:audio/x-users:*.both\n");
    WriteFile(system + "/mime/globs2", "50:audio/x-systems:*.both\n50:audio/x-sys:*.sys\n");
    const std::vector<std::pair<const char*, std::string>> variables = {
        {"XDG_DATA_HOME", user}, {"XDG_DATA_DIRS", "relative:" + system}};
    std::vector<std::optional<std::string>> saved;
    for (const auto& [name, value] : variables) {
        const char* old = std::getenv(name);
        saved.push_back(old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    registry::SetMimeGlobsPath("");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {".mine", "audio/x-mine"}, {".sys", "audio/x-sys"}, {".both", "audio/x-users"}};
    for (const auto& [extension, type] : cases) {
        EXPECT_EQ(QueryString(Key::Open(HKEY_CLASSES_ROOT, extension).get(), nullptr), type)
            << extension;
    }
    EXPECT_EQ(Key::Open(HKEY_CLASSES_ROOT, ".mp3").result(), ERROR_FILE_NOT_FOUND);
    for (std::size_t i = 0; i < variables.size(); ++i) {
        if (saved[i]) {
            setenv(variables[i].first, saved[i]->c_str(), 1);
        } else {
            unsetenv(variables[i].first);
        }
    }
}

}  // namespace
