#include <string>
#include <type_traits>

#include "menuext/menuext.h"
#include "platform/codepage.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/shellext.h"

static_assert(std::is_same_v<decltype(&DllRegisterServer), PFN_DLLREGISTERSERVER>);
static_assert(std::is_same_v<decltype(&DllUnregisterServer), PFN_DLLREGISTERSERVER>);

namespace {

// One entry: the key, the value (null: the key's default value) and its text.
struct Row {
    HKEY root;
    std::string key;
    const char* valueName;
    std::string data;
};

constexpr const char* kApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr const char* kMachineClassKey = "software\\classes\\clsid\\Sortmenu";
constexpr DWORD kProgramIdBuffer = 260;
// The audio types beyond MP3 and WMA that the window's all-formats option takes; not .mp4,
// whose type is that of films.
constexpr const char* kOtherAudioTypes[] = {".flac", ".ogg", ".oga", ".opus",
                                            ".m4a",  ".ape", ".wv"};

// The braced text of the class id, as the task allocator hands it out.
std::string ClassIdText() {
    LPOLESTR wide = nullptr;
    if (FAILED(StringFromIID(CLSID_Sortmenu, &wide))) {
        return {};
    }
    const std::u16string_view view(wide);
    const std::string text = codepage::Utf16ToCp936Uncached(view);
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(CoGetMalloc(1, &malloc))) {
        malloc->Free(wide);
        malloc->Release();
    }
    return text;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Sets the value, creating its key; false when the key is not there. A value that cannot be
// written in a key that is there stops nothing.
bool WriteRow(const Row& row) {
    return RegSetKeyValueA(row.root, row.key.c_str(), row.valueName, REG_SZ, row.data.c_str(),
                           static_cast<DWORD>(row.data.size() + 1)) == ERROR_SUCCESS ||
           KeyExists(row.root, row.key);
}

// The handler key of a file type, "<program id>\shellex\ContextMenuHandlers\Sortmenu", or
// false when the type's key cannot be opened. A type without a default value gives an empty
// program id. The program id is plain text here, never a format.
bool HandlerKey(const char* fileType, std::string& handlerKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, fileType, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    char programId[kProgramIdBuffer] = {};
    DWORD size = sizeof programId;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(programId),
                         &size) != ERROR_SUCCESS) {
        programId[0] = '\0';
    }
    RegCloseKey(key);
    handlerKey = std::string(programId) + "\\shellex\\ContextMenuHandlers\\Sortmenu";
    return true;
}

// Any function of this module tells the loader which file holds it.
std::string ModulePath() {
    return ModuleFileName(reinterpret_cast<const void*>(&DllRegisterServer));
}

// The window's "all audio formats" option, as its settings hold it.
bool AllFormatsChosen() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Sortune\\Set", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, "AllFormats", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && value == 1;
}

// The handler of a type beyond MP3, written or taken away; nothing about these types stops
// the registration.
void SetExtraHandler(const char* fileType, const std::string& clsid, bool on) {
    std::string handlerKey;
    if (!HandlerKey(fileType, handlerKey)) {
        return;
    }
    if (on) {
        WriteRow({HKEY_CLASSES_ROOT, handlerKey, nullptr, clsid});
    } else {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, handlerKey.c_str());
    }
}

}  // namespace

HRESULT DllRegisterServer() {
    const std::string clsid = ClassIdText();
    if (clsid.empty()) {
        return SELFREG_E_CLASS;
    }
    const Row server[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\" + clsid, nullptr, "Sortmenu"},
        {HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32", nullptr, ModulePath()},
        {HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32", "ThreadingModel", "Apartment"},
    };
    for (const Row& row : server) {
        if (!WriteRow(row)) {
            return SELFREG_E_CLASS;
        }
    }
    std::string handlerKey;
    if (!HandlerKey(".mp3", handlerKey)) {
        return SELFREG_E_CLASS;
    }
    const Row mp3[] = {
        {HKEY_LOCAL_MACHINE, kMachineClassKey, nullptr, clsid},
        {HKEY_CLASSES_ROOT, handlerKey, nullptr, clsid},
    };
    for (const Row& row : mp3) {
        if (!WriteRow(row)) {
            return SELFREG_E_CLASS;
        }
    }
    SetExtraHandler(".wma", clsid, true);
    const bool allFormats = AllFormatsChosen();
    for (const char* fileType : kOtherAudioTypes) {
        SetExtraHandler(fileType, clsid, allFormats);
    }
    if (!WriteRow({HKEY_LOCAL_MACHINE, kApprovedKey, clsid.c_str(), "Sortmenu"})) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT DllUnregisterServer() {
    const std::string clsid = ClassIdText();
    if (clsid.empty()) {
        return SELFREG_E_CLASS;
    }
    for (const std::string& key : {"CLSID\\" + clsid + "\\InProcServer32", "CLSID\\" + clsid}) {
        if (RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str()) != ERROR_SUCCESS) {
            return SELFREG_E_CLASS;
        }
    }
    std::string handlerKey;
    if (!HandlerKey(".mp3", handlerKey) ||
        RegDeleteKeyA(HKEY_CLASSES_ROOT, handlerKey.c_str()) != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    // What registration wrote beyond the entries above goes too, so that nothing is left
    // that names a class no longer there; none of it changes the result.
    SetExtraHandler(".wma", clsid, false);
    for (const char* fileType : kOtherAudioTypes) {
        SetExtraHandler(fileType, clsid, false);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMachineClassKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kApprovedKey) + "\\Sortmenu").c_str());
    HKEY approved = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApprovedKey, 0, KEY_SET_VALUE, &approved) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(approved, clsid.c_str());
        RegCloseKey(approved);
    }
    return S_OK;
}
