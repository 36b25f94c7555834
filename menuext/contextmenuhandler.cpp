#include "menuext/contextmenuhandler.h"

#include <climits>
#include <cstring>

#include "menuext/liveobjects.h"
#include "menuext/moduleresources.h"
#include "platform/codepage.h"
#include "platform/messagebox.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace {

using namespace menuext;

constexpr UINT kOrganize = 0;
constexpr UINT kCustom = 1;
constexpr UINT kAbout = 2;
constexpr UINT kCommandCount = 3;

constexpr DWORD kExePathBuffer = 512;
// A path the system can name fits, so no path is ever cut short.
constexpr UINT kPathBuffer = PATH_MAX;
constexpr int kHelpBuffer = 40;
constexpr int kAboutBuffer = 1024;

std::string LoadString(UINT id, int size) {
    std::string text(static_cast<std::size_t>(size), '\0');
    text.resize(static_cast<std::size_t>(LoadStringA(id, text.data(), size)));
    return text;
}

// The paths of a dropped-file list, or none when one does not fit the path buffer.
std::vector<std::string> DroppedPaths(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    std::vector<std::string> paths;
    std::vector<char> buffer(kPathBuffer);
    for (UINT i = 0; i < count; ++i) {
        if (DragQueryFileA(drop, i, nullptr, 0) >= kPathBuffer) {
            return {};
        }
        const UINT length = DragQueryFileA(drop, i, buffer.data(), kPathBuffer);
        paths.emplace_back(buffer.data(), length);
    }
    return paths;
}

// The program's path from the settings its dialog writes; "" when there is none.
std::string ReadExePath() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Sortune\\Set", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return {};
    }
    char path[kExePathBuffer] = {};
    DWORD size = sizeof path;
    const LONG result =
        RegQueryValueExA(key, "ExePath", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(path, strnlen(path, sizeof path)) : std::string{};
}

void CopyText(const std::string& text, UINT kind, char* name, UINT size) {
    if (name == nullptr || size == 0) {
        return;
    }
    if ((kind & GCS_UNICODE) != 0) {
        const std::u16string wide = codepage::Cp936ToUtf16Uncached(text);
        const std::size_t copied = std::min<std::size_t>(wide.size(), size - 1);
        auto* out = reinterpret_cast<WCHAR*>(name);
        std::memcpy(out, wide.data(), copied * sizeof(WCHAR));
        out[copied] = u'\0';
    } else {
        const std::size_t copied = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(name, text.data(), copied);
        name[copied] = '\0';
    }
}

}  // namespace

ContextMenuHandler::ContextMenuHandler() {
    ++g_cLiveObjects;
}

ContextMenuHandler::~ContextMenuHandler() {
    if (m_pDataObj != nullptr) {
        m_pDataObj->Release();
    }
    --g_cLiveObjects;
}

HRESULT ContextMenuHandler::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IShellExtInit || iid == IID_IUnknown) {
        *object = static_cast<IShellExtInit*>(this);
    } else if (iid == IID_IContextMenu) {
        *object = static_cast<IContextMenu*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ContextMenuHandler::AddRef() {
    return ++m_cRef;
}

ULONG ContextMenuHandler::Release() {
    const ULONG count = --m_cRef;
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT ContextMenuHandler::Initialize(LPCITEMIDLIST /*folder*/, IDataObject* dataObject,
                                       HKEY /*programKey*/) {
    if (m_pDataObj != nullptr) {
        m_pDataObj->Release();
    }
    m_pDataObj = dataObject;
    if (m_pDataObj != nullptr) {
        m_pDataObj->AddRef();
    }
    return S_OK;
}

HRESULT ContextMenuHandler::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT /*lastId*/,
                                             UINT flags) {
    const UINT request = flags & (CMF_DEFAULTONLY | CMF_VERBSONLY | CMF_EXPLORE | CMF_NOVERBS);
    if (request != 0 && (request & (CMF_VERBSONLY | CMF_EXPLORE)) == 0) {
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    }
    InsertMenuA(menu, index, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    UINT used = 0;
    const HMENU popup = CreatePopupMenu();
    if (popup != nullptr) {
        struct Item {
            UINT text;
            UINT bitmap;
            UINT offset;
        };
        constexpr Item kItems[] = {{IDS_ORGANIZE, IDB_PAGE, kOrganize},
                                   {IDS_CUSTOM, IDB_WINDOW, kCustom},
                                   {0, 0, 0},
                                   {IDS_ABOUT, IDB_QUESTION, kAbout}};
        UINT position = 0;
        for (const Item& item : kItems) {
            if (item.text == 0) {
                InsertMenuA(popup, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            } else {
                InsertMenuA(popup, position, MF_BYPOSITION | MF_STRING, firstId + item.offset,
                            LoadString(item.text, kHelpBuffer).c_str());
                const HBITMAP bitmap = ModuleBitmap(item.bitmap);
                SetMenuItemBitmaps(popup, position, MF_BYPOSITION, bitmap, bitmap);
            }
            ++position;
        }
        used = kCommandCount;
    }
    InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_POPUP | MF_STRING,
                reinterpret_cast<UINT_PTR>(popup), LoadString(IDS_POPUP, kHelpBuffer).c_str());
    InsertMenuA(menu, index + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
}

HRESULT ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
    if ((verb >> 16) != 0) {
        return E_INVALIDARG;
    }
    switch (verb & 0xFFFF) {
        case kOrganize:
            RunProgram(true);
            return S_OK;
        case kCustom:
            RunProgram(false);
            return S_OK;
        case kAbout:
            ShowAbout(info->hwnd);
            return S_OK;
        default:
            return E_INVALIDARG;
    }
}

HRESULT ContextMenuHandler::GetCommandString(UINT_PTR offset, UINT kind, UINT* /*reserved*/,
                                             char* name, UINT size) {
    constexpr UINT kHelp[kCommandCount] = {IDS_ORGANIZE_HELP, IDS_CUSTOM_HELP, IDS_ABOUT_HELP};
    const std::string text = offset < kCommandCount ? LoadString(kHelp[offset], kHelpBuffer) : "";
    CopyText(text, kind, name, size);
    return S_OK;
}

bool ContextMenuHandler::ReadSelection() {
    if (m_pDataObj == nullptr) {
        return false;
    }
    IEnumFORMATETC* formats = nullptr;
    if (FAILED(m_pDataObj->EnumFormatEtc(DATADIR_GET, &formats)) || formats == nullptr) {
        return false;
    }
    formats->Reset();
    FORMATETC format{};
    HRESULT next = S_OK;
    while ((next = formats->Next(1, &format, nullptr)) == S_OK) {
        FORMATETC request{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (FAILED(m_pDataObj->GetData(&request, &medium))) {
            continue;
        }
        if (medium.tymed == TYMED_HGLOBAL) {
            std::vector<std::string> paths = DroppedPaths(reinterpret_cast<HDROP>(medium.hGlobal));
            if (!paths.empty()) {
                m_arrPaths = std::move(paths);
            }
        }
        ReleaseStgMedium(&medium);
    }
    formats->Release();
    return SUCCEEDED(next);
}

void ContextMenuHandler::RunProgram(bool withPath) {
    const std::string exePath = ReadExePath();
    if (exePath.empty()) {
        return;
    }
    m_arrPaths.clear();
    if (!ReadSelection() || m_arrPaths.empty()) {
        return;
    }
    // Both parts quoted by the rules the command line is split by, so that the program gets
    // exactly the path, whatever characters it holds.
    std::string commandLine = QuoteArgument(exePath);
    if (withPath) {
        commandLine += " " + QuoteArgument(m_arrPaths.front());
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                       &startup, &process) != FALSE) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

void ContextMenuHandler::ShowAbout(HWND owner) {
    const std::string text = LoadString(IDS_ABOUT_TEXT, kAboutBuffer);
    // The program draws its own box, in Chinese, where no dialog program is installed.
    SetMessageBoxProgram(ReadExePath());
    MessageBoxA(owner, text.c_str(), "Sortmenu", MB_ICONINFORMATION | MB_OK);
}
