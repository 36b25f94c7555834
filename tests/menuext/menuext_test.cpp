// menuext.so driven the way a shell drives it: loaded with dlopen from beside the test program,
// its objects reached only through the exported class factory and their interface tables.

#include "menuext/menuext.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/codepage.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/shellext.h"
#include "platform/systeminfo.h"
#include "tests/support/elfexports.h"
#include "tests/support/fileio.h"
#include "tests/support/recordings.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/scopedvariable.h"
#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kClassId = "{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}";
constexpr UINT kFirstId = 100;

std::string ModulePath() {
    return sysinfo::ExecutableFolder() + "/" + kMenuextModule;
}

std::string Gbk(const std::string& utf8) {
    return codepage::Utf8ToCp936(utf8);
}

// A data object with a dropped-file list, counting its references.
class TestDataObject final : public IDataObject {
public:
    explicit TestDataObject(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0) {
            return DV_E_FORMATETC;
        }
        *medium = STGMEDIUM{TYMED_HGLOBAL, CreateDropFiles(paths_), nullptr};
        ++mediaHandedOut;
        return S_OK;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** formats) override {
        *formats = &enumerator_;
        enumerator_.position = 0;
        return failEnumeration ? E_FAIL : S_OK;
    }
    HRESULT DAdvise(FORMATETC*, DWORD, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(void**) override { return E_NOTIMPL; }

    ULONG references = 1;
    int mediaHandedOut = 0;
    bool failEnumeration = false;

private:
    struct Enumerator final : IEnumFORMATETC {
        HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG AddRef() override { return 1; }
        ULONG Release() override { return 1; }
        HRESULT Next(ULONG, FORMATETC* format, ULONG*) override {
            if (position++ > 0) {
                return S_FALSE;
            }
            *format = FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            return S_OK;
        }
        HRESULT Skip(ULONG) override { return E_NOTIMPL; }
        HRESULT Reset() override {
            position = 0;
            return S_OK;
        }
        HRESULT Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
        int position = 0;
    };
    std::vector<std::string> paths_;
    Enumerator enumerator_;
};

class MenuextTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The module reads the MIME database of the XDG data folders: give it ours.
        fs::create_directories(m_mime.path() + "/mime");
        WriteGlobs("50:audio/mpeg:*.mp3\n50:audio/x-ms-wma:*.wma\n");
        m_module = Module(ModulePath());
        ASSERT_TRUE(m_module.IsLoaded()) << m_module.Error();
        m_getClassObject = m_module.GetProcAddress<PFN_DLLGETCLASSOBJECT>("DllGetClassObject");
        m_canUnloadNow = m_module.GetProcAddress<PFN_DLLCANUNLOADNOW>("DllCanUnloadNow");
        m_register = m_module.GetProcAddress<PFN_DLLREGISTERSERVER>("DllRegisterServer");
        m_unregister = m_module.GetProcAddress<PFN_DLLREGISTERSERVER>("DllUnregisterServer");
        ASSERT_TRUE(m_getClassObject && m_canUnloadNow && m_register && m_unregister);
        fs::create_directories(m_records.path());
    }

    void WriteGlobs(const std::string& globs) { WriteFile(m_mime.path() + "/mime/globs2", globs); }

    IContextMenu* NewHandler() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(
            m_getClassObject(CLSID_Sortmenu, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
        IContextMenu* menu = nullptr;
        EXPECT_EQ(
            factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)),
            S_OK);
        factory->Release();
        return menu;
    }

    static IShellExtInit* InitOf(IContextMenu* menu) {
        IShellExtInit* init = nullptr;
        EXPECT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        return init;
    }

    void SetExePath(const std::string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Sortune\\Set", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "ExePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }

    // The recorder, copied to `name` in a folder of its own (a path that may need quoting).
    std::string Recorder(const std::string& name) {
        const std::string path = m_programs / name;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(SORTUNE_ARGV_RECORDER, path, fs::copy_options::overwrite_existing);
        return path;
    }

    // Runs one command of a new handler initialised with `paths` (none: no data object).
    HRESULT Invoke(const std::optional<std::vector<std::string>>& paths, UINT offset) {
        IContextMenu* menu = NewHandler();
        IShellExtInit* init = InitOf(menu);
        std::optional<TestDataObject> data;
        if (paths) {
            data.emplace(*paths);
        }
        init->Initialize(nullptr, data ? &*data : nullptr, nullptr);
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(static_cast<WORD>(offset));
        const HRESULT result = menu->InvokeCommand(&info);
        init->Release();
        menu->Release();
        if (data) {
            EXPECT_EQ(data->references, 1u) << "the handler keeps no reference when it goes";
        }
        return result;
    }

    ScopedConfigHome m_home;
    TempDir m_mime;
    TempDir m_programs;
    TempDir m_records;
    ScopedVariable m_dataDirs{"XDG_DATA_DIRS", m_mime.path()};
    ScopedVariable m_recordDir{"SORTUNE_RECORD_DIR", m_records.path()};
    Module m_module;
    PFN_DLLGETCLASSOBJECT m_getClassObject = nullptr;
    PFN_DLLCANUNLOADNOW m_canUnloadNow = nullptr;
    PFN_DLLREGISTERSERVER m_register = nullptr;
    PFN_DLLREGISTERSERVER m_unregister = nullptr;
};

TEST_F(MenuextTest, ExportsTheFourFunctionsAndNothingElse) {
    EXPECT_EQ(DefinedDynamicSymbols(ModulePath()),
              (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "DllUnregisterServer"}));
}

TEST_F(MenuextTest, ObjectsCountTheirReferencesAndTheModuleItsObjects) {
    void* object = &object;
    EXPECT_EQ(m_getClassObject(IID_IUnknown, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(m_canUnloadNow(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_getClassObject(CLSID_Sortmenu, IID_IUnknown, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(m_canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    object = &object;
    EXPECT_EQ(factory->QueryInterface(IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    object = &object;
    EXPECT_EQ(
        factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IContextMenu, &object),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    IContextMenu* menu = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)),
              S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(m_canUnloadNow(), S_FALSE) << "the handler still lives";

    // IUnknown and IShellExtInit give the same interface; each interface reaches the other.
    void* unknown = nullptr;
    void* init = nullptr;
    void* back = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, &unknown), S_OK);
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, &init), S_OK);
    EXPECT_EQ(unknown, init);
    EXPECT_NE(init, static_cast<void*>(menu));
    ASSERT_EQ(static_cast<IShellExtInit*>(init)->QueryInterface(IID_IContextMenu, &back), S_OK);
    EXPECT_EQ(back, static_cast<void*>(menu));
    EXPECT_EQ(static_cast<IShellExtInit*>(init)->AddRef(), 5u);
    for (ULONG expected : {4u, 3u, 2u, 1u}) {
        EXPECT_EQ(static_cast<IShellExtInit*>(init)->Release(), expected);
    }
    EXPECT_EQ(menu->Release(), 0u);
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}

struct MenuItemSeen {
    UINT type;
    UINT id;
    std::string text;
    bool hasPopup;
    int bitmapWidth;
};

std::vector<MenuItemSeen> ItemsOf(HMENU menu) {
    std::vector<MenuItemSeen> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
        BitmapPixels bitmap;
        GetBitmapPixels(info.hbmpUnchecked, bitmap);
        EXPECT_EQ(info.hbmpChecked, info.hbmpUnchecked);
        items.push_back({info.fType, info.wID, text, info.hSubMenu != nullptr, bitmap.width});
    }
    return items;
}

TEST_F(MenuextTest, QueryContextMenuAddsItsItemsForPlainExplorerAndVerbRequests) {
    struct Case {
        UINT flags;
        bool adds;
    };
    const std::vector<Case> cases = {
        {CMF_NORMAL, true},
        {CMF_DEFAULTONLY, false},
        {CMF_NOVERBS, false},
        {CMF_DEFAULTONLY | CMF_NOVERBS, false},
        {CMF_VERBSONLY, true},
        {CMF_EXPLORE, true},
        {CMF_EXPLORE | CMF_DEFAULTONLY, true},
        {CMF_VERBSONLY | CMF_NOVERBS, true},
        {0x10 | 0x100, true},  // higher flags play no part
    };
    for (const Case& c : cases) {
        IContextMenu* handler = NewHandler();
        const HMENU menu = CreatePopupMenu();
        InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 1, "Open");
        InsertMenuA(menu, 1, MF_BYPOSITION | MF_STRING, 2, "Delete");
        const HRESULT result = handler->QueryContextMenu(menu, 1, kFirstId, kFirstId, c.flags);
        EXPECT_TRUE(SUCCEEDED(result)) << c.flags;
        EXPECT_EQ(HRESULT_CODE(result), c.adds ? 3u : 0u) << c.flags;
        const auto items = ItemsOf(menu);
        ASSERT_EQ(items.size(), c.adds ? 5u : 2u) << c.flags;
        if (c.adds) {
            EXPECT_EQ(items[0].text, "Open");
            EXPECT_EQ(items[1].type, MFT_SEPARATOR);
            EXPECT_EQ(items[2].text, Gbk("整理mp3\\wma文件(&M)"));
            EXPECT_TRUE(items[2].hasPopup);
            EXPECT_EQ(items[3].type, MFT_SEPARATOR);
            EXPECT_EQ(items[4].text, "Delete");
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_SUBMENU;
            GetMenuItemInfoA(menu, 2, TRUE, &info);
            const auto sub = ItemsOf(info.hSubMenu);
            ASSERT_EQ(sub.size(), 4u);
            EXPECT_EQ(sub[0].text, Gbk("整理当前文件夹\t(&S)"));
            EXPECT_EQ(sub[0].id, kFirstId);
            EXPECT_EQ(sub[1].text, Gbk("自定义整理...\t(&Q)"));
            EXPECT_EQ(sub[1].id, kFirstId + 1);
            EXPECT_EQ(sub[2].type, MFT_SEPARATOR);
            EXPECT_EQ(sub[3].text, Gbk("关于...\t(&A)"));
            EXPECT_EQ(sub[3].id, kFirstId + 2);
            for (std::size_t i : {0u, 1u, 3u}) {
                EXPECT_EQ(sub[i].bitmapWidth, 9) << i;
            }
        }
        DestroyMenu(menu);
        handler->Release();
    }
}

TEST_F(MenuextTest, BitmapsAreThreeDifferentNineByNinePictures) {
    IContextMenu* handler = NewHandler();
    const HMENU menu = CreatePopupMenu();
    handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 10, CMF_NORMAL);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    GetMenuItemInfoA(menu, 1, TRUE, &info);
    std::vector<std::vector<std::uint32_t>> pictures;
    for (UINT position : {0u, 1u, 3u}) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_CHECKMARKS;
        GetMenuItemInfoA(info.hSubMenu, position, TRUE, &item);
        BitmapPixels bitmap;
        ASSERT_TRUE(GetBitmapPixels(item.hbmpUnchecked, bitmap));
        EXPECT_EQ(bitmap.height, 9);
        // Drawn on white, with something on it.
        EXPECT_NE(std::count(bitmap.pixels.begin(), bitmap.pixels.end(), 0xFFFFFFu), 81);
        pictures.push_back(bitmap.pixels);
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
    DestroyMenu(menu);
    handler->Release();
}

TEST_F(MenuextTest, InvokeCommandRefusesTextVerbsAndUnknownOffsets) {
    IContextMenu* handler = NewHandler();
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    const std::vector<std::pair<const char*, HRESULT>> cases = {
        {"open", E_INVALIDARG},
        {MAKEINTRESOURCEA(3), E_INVALIDARG},
        {MAKEINTRESOURCEA(0xFFFF), E_INVALIDARG},
        {MAKEINTRESOURCEA(0), S_OK},  // no ExePath: nothing runs, S_OK all the same
        {MAKEINTRESOURCEA(1), S_OK},
    };
    for (const auto& [verb, expected] : cases) {
        info.lpVerb = verb;
        EXPECT_EQ(handler->InvokeCommand(&info), expected);
    }
    handler->Release();
    EXPECT_EQ(RecordedRuns(m_records.path()).size(), 0u);
}

// The organize item starts the program once with the first selected path, exactly as it is;
// the custom item starts it without one.
TEST_F(MenuextTest, CommandsStartTheProgramWithExactlyTheFirstPath) {
    const std::vector<std::string> hostile = {
        "/music/a b/song.mp3",
        "/music/say \"hi\"/x.mp3",
        "/music/$HOME `id` ; rm -rf x/y.mp3",
        "/music/line\nbreak/z.mp3",
        "/music/\xFF\xFE not utf-8/\xB0\xAE.mp3",
        "/music/trailing\\",
        "/music/back\\\"slash\\\\\"/q.mp3",
        "/music/tab\there/'single'.mp3",
    };
    const std::vector<std::string> programs = {"plain/sortune", "with space/so \"rt\" une",
                                               "odd$`dir\\/sortune"};
    for (const std::string& name : programs) {
        SetExePath(Recorder(name));
        for (const std::string& path : hostile) {
            fs::remove_all(m_records.path());
            fs::create_directories(m_records.path());
            EXPECT_EQ(Invoke(std::vector<std::string>{path, "/other/b.mp3", "/other/c.wma"}, 0),
                      S_OK);
            const auto runs = WaitForRuns(m_records.path(), 1);
            ASSERT_EQ(runs.size(), 1u) << name << " " << path;
            EXPECT_EQ(runs[0], std::vector<std::string>{path}) << name;
        }
        fs::remove_all(m_records.path());
        fs::create_directories(m_records.path());
        EXPECT_EQ(Invoke(std::vector<std::string>{hostile[1]}, 1), S_OK);
        EXPECT_EQ(WaitForRuns(m_records.path(), 1), std::vector<RecordedRun>{RecordedRun{}})
            << name;
    }
}

TEST_F(MenuextTest, NothingStartsWithoutExePathOrSelection) {
    const std::string recorder = Recorder("sortune");
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::optional<std::vector<std::string>> paths;
        UINT offset;
    };
    const std::vector<Case> cases = {
        {"no settings key", [] {}, std::vector<std::string>{"/a.mp3"}, 0},
        {"key without ExePath",
         [] {
             HKEY key = nullptr;
             RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Sortune\\Set", 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
             RegCloseKey(key);
         },
         std::vector<std::string>{"/a.mp3"}, 1},
        {"no data object", [&] { SetExePath(recorder); }, std::nullopt, 0},
        {"no data object, custom", [&] { SetExePath(recorder); }, std::nullopt, 1},
        {"no path", [&] { SetExePath(recorder); }, std::vector<std::string>{}, 1},
        {"program missing", [&] { SetExePath(m_programs / "missing"); },
         std::vector<std::string>{"/a.mp3"}, 0},
    };
    for (const Case& c : cases) {
        c.prepare();
        EXPECT_EQ(Invoke(c.paths, c.offset), S_OK) << c.what;
    }
    // A path longer than any the system can name is never cut to a shorter one.
    SetExePath(recorder);
    EXPECT_EQ(Invoke(std::vector<std::string>{"/" + std::string(5000, 'a') + "/x.mp3"}, 0), S_OK);
    EXPECT_EQ(WaitForRuns(m_records.path(), 1, 0.5).size(), 0u);
}

TEST_F(MenuextTest, UnreadableSelectionStartsNothing) {
    SetExePath(Recorder("sortune"));
    IContextMenu* handler = NewHandler();
    IShellExtInit* init = InitOf(handler);
    TestDataObject data({"/a.mp3"});
    data.failEnumeration = true;
    init->Initialize(nullptr, &data, nullptr);
    EXPECT_EQ(data.references, 2u);
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(handler->InvokeCommand(&info), S_OK);
    // A second Initialize lets the first selection go.
    init->Initialize(nullptr, nullptr, nullptr);
    EXPECT_EQ(data.references, 1u);
    init->Release();
    handler->Release();
    EXPECT_EQ(WaitForRuns(m_records.path(), 1, 0.5).size(), 0u);
}

TEST_F(MenuextTest, GetCommandStringGivesTheHelpTextCutToTheBuffer) {
    IContextMenu* handler = NewHandler();
    struct Case {
        UINT_PTR offset;
        UINT kind;
        UINT size;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, GCS_HELPTEXTA, 64, "Register module using regsvr32 tool."},
        {1, GCS_HELPTEXTA, 64, "Unregister module using regsvr32 tool."},
        {2, GCS_HELPTEXTA, 64, "About Sortmenu..."},
        {0, GCS_VERBA, 64, "Register module using regsvr32 tool."},
        {2, GCS_VALIDATEA, 64, "About Sortmenu..."},
        {0, GCS_HELPTEXTA, 9, "Register"},
        {1, GCS_HELPTEXTA, 1, ""},
        {3, GCS_HELPTEXTA, 64, ""},
        {0, GCS_HELPTEXTW, 64, "Register module using regsvr32 tool."},
        {1, GCS_VERBW, 11, "Unregister"},
        {2, GCS_HELPTEXTW, 64, "About Sortmenu..."},
    };
    for (const Case& c : cases) {
        alignas(char16_t) char name[256];
        std::fill(std::begin(name), std::end(name), '#');
        EXPECT_EQ(handler->GetCommandString(c.offset, c.kind, nullptr, name, c.size), S_OK);
        std::string got;
        const std::size_t unit = (c.kind & GCS_UNICODE) != 0 ? 2 : 1;
        for (std::size_t i = 0; i + unit <= sizeof name; i += unit) {
            char16_t code = 0;
            std::memcpy(&code, name + i, unit);
            if (code == 0) {
                break;
            }
            got += static_cast<char>(code);
        }
        EXPECT_EQ(got, c.expected) << c.offset << " " << c.kind << " " << c.size;
        EXPECT_EQ(name[c.size * unit], '#') << "written past the buffer: " << c.offset;
    }
    char untouched[4] = "abc";
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTA, nullptr, untouched, 0), S_OK);
    EXPECT_STREQ(untouched, "abc");
    handler->Release();
}

// The about box is the program's own; where that cannot show it, a dialog program found at run
// time shows it, or it goes to standard error.
TEST_F(MenuextTest, AboutBoxShowsTheAboutTextWithItsCaption) {
    const std::string text = "Mp3\\Wma文件名整理工具.\n作者: sortune 开发组";
    struct Case {
        const char* what;
        std::vector<std::string> programs;
        std::optional<std::string> display;
        std::optional<std::string> desktop;
        std::vector<std::string> expected;  // empty: standard error
        const char* exePath = "";           // "recorder": it shows the box; "false": it cannot
    };
    const std::vector<Case> cases = {
        {"the program's own box",
         {"zenity"},
         ":0",
         std::nullopt,
         {"--message-box", "Sortmenu", text},
         "recorder"},
        {"zenity where the program cannot show it",
         {"zenity"},
         ":0",
         std::nullopt,
         {"--info", "--no-markup", "--title=Sortmenu", "--text=" + text},
         "false"},
        {"zenity",
         {"zenity", "kdialog", "xmessage"},
         ":0",
         std::nullopt,
         {"--info", "--no-markup", "--title=Sortmenu", "--text=" + text}},
        {"kdialog on KDE",
         {"zenity", "kdialog"},
         ":0",
         "KDE",
         {"--title", "Sortmenu", "--msgbox", text}},
        {"a notification, never xmessage",
         {"notify-send", "xmessage"},
         ":0",
         std::nullopt,
         {"--app-name=Sortmenu", "Sortmenu", text}},
        {"no dialog program", {"xmessage"}, ":0", std::nullopt, {}},
        {"no display", {"zenity"}, std::nullopt, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        TempDir bin;
        for (const std::string& program : c.programs) {
            fs::copy_file(SORTUNE_ARGV_RECORDER, bin / program);
        }
        fs::remove_all(m_records.path());
        fs::create_directories(m_records.path());
        const ScopedVariable path("PATH", bin.path());
        const ScopedVariable display("DISPLAY", c.display);
        const ScopedVariable wayland("WAYLAND_DISPLAY", std::nullopt);
        const ScopedVariable desktop("XDG_CURRENT_DESKTOP", c.desktop);
        const std::string exe = c.exePath;
        SetExePath(exe == "recorder" ? Recorder("own/sortune")
                   : exe == "false"  ? std::string("/bin/false")
                                     : std::string());
        testing::internal::CaptureStderr();
        EXPECT_EQ(Invoke(std::nullopt, 2), S_OK) << c.what;
        const std::string err = testing::internal::GetCapturedStderr();
        const auto runs = RecordedRuns(m_records.path());
        if (c.expected.empty()) {
            EXPECT_EQ(runs.size(), 0u) << c.what;
            EXPECT_EQ(err, "Sortmenu: " + text + "\n") << c.what;
        } else {
            ASSERT_EQ(runs.size(), 1u) << c.what;
            EXPECT_EQ(runs[0], c.expected) << c.what;
            EXPECT_EQ(err, "") << c.what;
        }
    }
}

// The registry as registration leaves it: every key below a root, with its values.
std::string Dump(HKEY root, const std::string& path = "") {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "";
    }
    std::string dump;
    for (const char* value : {"", "ThreadingModel", kClassId}) {
        char data[512] = {};
        DWORD size = sizeof data;
        if (RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
                ERROR_SUCCESS &&
            !(path.empty() && value[0] == '\0')) {
            dump += path + "|" + value + "=" + data + "\n";
        }
    }
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (name[0] != '.') {
            dump += Dump(root, path.empty() ? name : path + "\\" + name);
        }
    }
    RegCloseKey(key);
    return dump;
}

std::string Rows(const std::vector<int>& rows) {
    const std::string clsid = kClassId;
    const std::string server = "CLSID\\" + clsid + "\\InProcServer32";
    const std::vector<std::string> all = {
        "",
        "CLSID\\" + clsid + "|=Sortmenu\n",
        server + "|=" + ModulePath() + "\n",
        server + "|ThreadingModel=Apartment\n",
        "software\\classes\\clsid\\Sortmenu|=" + clsid + "\n",
        "audio/mpeg\\shellex\\ContextMenuHandlers\\Sortmenu|=" + clsid + "\n",
        "",
        "audio/x-ms-wma\\shellex\\ContextMenuHandlers\\Sortmenu|=" + clsid + "\n",
        "software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved|" + clsid +
            "=Sortmenu\n",
    };
    std::string text;
    for (int row : rows) {
        text += all[static_cast<std::size_t>(row)];
    }
    return text;
}

std::string Registered() {
    return Dump(HKEY_CLASSES_ROOT) + Dump(HKEY_LOCAL_MACHINE);
}

TEST_F(MenuextTest, RegistrationWritesEveryRowAndIsRepeatable) {
    EXPECT_EQ(m_register(), S_OK);
    // Keys listed as enumeration orders them: HKCR's in upper-case order, then HKLM's.
    EXPECT_EQ(Registered(), Rows({5, 7, 1, 2, 3, 4, 8}));
    const std::string classes = ReadFile(m_home.HiveFile("HKEY_CLASSES_ROOT"));
    const auto stamp = fs::last_write_time(m_home.HiveFile("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(m_register(), S_OK);
    EXPECT_EQ(ReadFile(m_home.HiveFile("HKEY_CLASSES_ROOT")), classes);
    EXPECT_EQ(fs::last_write_time(m_home.HiveFile("HKEY_CLASSES_ROOT")), stamp);

    EXPECT_EQ(m_unregister(), S_OK);
    EXPECT_EQ(Registered(), "");
    EXPECT_EQ(m_unregister(), SELFREG_E_CLASS);
}

TEST_F(MenuextTest, RegistrationFollowsTheFileTypesItFinds) {
    struct Case {
        const char* what;
        std::string globs;
        std::function<void()> prepare;
        HRESULT result;
        std::string rows;
    };
    const auto storeMp3WithoutProgramId = [] {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".mp3", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
    };
    const std::vector<Case> cases = {
        {"no .wma", "50:audio/mpeg:*.mp3\n", [] {}, S_OK, Rows({5, 1, 2, 3, 4, 8})},
        {"no .mp3", "50:audio/x-ms-wma:*.wma\n", [] {}, SELFREG_E_CLASS, Rows({1, 2, 3})},
        {"no .mp3 program id", "50:audio/x-ms-wma:*.wma\n", storeMp3WithoutProgramId,
         SELFREG_E_CLASS, Rows({1, 2, 3, 4})},
        {"a program id like a format", "50:audio/%s%n%x:*.mp3\n", [] {}, S_OK,
         "audio/%s%n%x\\shellex\\ContextMenuHandlers\\Sortmenu|=" + std::string(kClassId) + "\n" +
             Rows({1, 2, 3, 4, 8})},
    };
    for (const Case& c : cases) {
        const ScopedConfigHome home;
        WriteGlobs(c.globs);
        c.prepare();
        EXPECT_EQ(m_register(), c.result) << c.what;
        EXPECT_EQ(Registered(), c.rows) << c.what;
        // No key with an empty part was made for a missing program id.
        EXPECT_EQ(ReadFile(home.HiveFile("HKEY_CLASSES_ROOT")).find("[HKEY_CLASSES_ROOT\\\\"),
                  std::string::npos)
            << c.what;
    }
}

// With the window's all-formats option the menu is offered on the other audio types too (not
// on .mp4, a film's type as much as a song's); without it, no longer.
TEST_F(MenuextTest, RegistrationFollowsTheAllFormatsOption) {
    WriteGlobs(
        "50:audio/mpeg:*.mp3\n50:audio/x-ms-wma:*.wma\n50:audio/flac:*.flac\n"
        "50:audio/x-opus+ogg:*.opus\n50:audio/mp4:*.m4a\n50:video/mp4:*.mp4\n");
    const auto choose = [](DWORD value) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Sortune\\Set", 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "AllFormats", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
        RegCloseKey(key);
    };
    const auto handler = [](const char* type) {
        return std::string(type) + "\\shellex\\ContextMenuHandlers\\Sortmenu|=" + kClassId;
    };
    using ::testing::HasSubstr;
    using ::testing::Not;
    choose(1);
    ASSERT_EQ(m_register(), S_OK);
    for (const char* type : {"audio/flac", "audio/x-opus+ogg", "audio/mp4", "audio/x-ms-wma"}) {
        EXPECT_THAT(Registered(), HasSubstr(handler(type))) << type;
    }
    EXPECT_THAT(Registered(), Not(HasSubstr("video/mp4")));
    choose(0);
    ASSERT_EQ(m_register(), S_OK);
    EXPECT_EQ(Registered(), Rows({5, 7, 1, 2, 3, 4, 8}));
    choose(1);
    ASSERT_EQ(m_register(), S_OK);
    EXPECT_EQ(m_unregister(), S_OK);
    EXPECT_EQ(Registered(), "");
}

TEST_F(MenuextTest, UnregistrationRemovesWhatRegistrationWrote) {
    ASSERT_EQ(m_register(), S_OK);
    // Another class's approval stays.
    HKEY approved = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", 0,
                  KEY_ALL_ACCESS, &approved);
    const std::string other = "{00000000-0000-0000-0000-000000000001}";
    RegSetValueExA(approved, other.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("Other"), 6);
    RegCloseKey(approved);

    EXPECT_EQ(m_unregister(), S_OK);
    const std::string machine = ReadFile(m_home.HiveFile("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(machine.find(kClassId), std::string::npos);
    EXPECT_EQ(machine.find("clsid\\Sortmenu"), std::string::npos);
    EXPECT_NE(machine.find(other), std::string::npos);
    EXPECT_EQ(ReadFile(m_home.HiveFile("HKEY_CLASSES_ROOT")).find(kClassId), std::string::npos);
}

// A module that keeps no thread state can be unloaded once its objects are gone.
TEST_F(MenuextTest, ModuleUnloadsAfterUse) {
    SetExePath(Recorder("sortune"));
    EXPECT_EQ(Invoke(std::vector<std::string>{"/a.mp3"}, 0), S_OK);
    EXPECT_EQ(m_register(), S_OK);
    EXPECT_EQ(m_canUnloadNow(), S_OK);
    m_module.Free();
    void* again = dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(again, nullptr);
    if (again != nullptr) {
        dlclose(again);
    }
    WaitForRuns(m_records.path(), 1);
}

}  // namespace
