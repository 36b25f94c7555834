#include "shellhost/shellextension.h"

#include "platform/codepage.h"
#include "platform/messagelanguage.h"
#include "platform/process.h"
#include "shellhost/filedataobject.h"

namespace {

constexpr UINT kHelpBuffer = 260;

std::string ItemText(HMENU menu, UINT position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (GetMenuItemInfoA(menu, position, TRUE, &info) == FALSE) {
        return {};
    }
    std::string text(info.cch + 1, '\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoA(menu, position, TRUE, &info);
    text.resize(info.cch);
    return codepage::Cp936ToUtf8(text);
}

std::string HelpText(IContextMenu* handler, UINT offset) {
    char text[kHelpBuffer] = {};
    if (FAILED(handler->GetCommandString(offset, GCS_HELPTEXTA, nullptr, text, sizeof text))) {
        return {};
    }
    return codepage::Cp936ToUtf8(text);
}

std::vector<MenuEntry> ReadMenu(HMENU menu, IContextMenu* handler, UINT firstId) {
    std::vector<MenuEntry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const auto position = static_cast<UINT>(i);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
        if (GetMenuItemInfoA(menu, position, TRUE, &info) == FALSE) {
            continue;
        }
        MenuEntry entry;
        if ((info.fType & MFT_SEPARATOR) != 0) {
            entry.kind = MenuEntry::Kind::kSeparator;
        } else if (info.hSubMenu != nullptr) {
            entry.kind = MenuEntry::Kind::kPopup;
            entry.text = ItemText(menu, position);
            entry.children = ReadMenu(info.hSubMenu, handler, firstId);
        } else {
            entry.text = ItemText(menu, position);
            entry.offset = info.wID - firstId;
            entry.helpText = HelpText(handler, entry.offset);
            GetBitmapPixels(info.hbmpUnchecked, entry.bitmap);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::unique_ptr<ShellExtension> ShellExtension::Open(const HandlerRegistration& handler,
                                                     const std::vector<std::string>& paths,
                                                     std::string& error) {
    CLSID clsid{};
    if (FAILED(CLSIDFromString(handler.classId.c_str(), &clsid))) {
        error = ChineseOr("不是类标识：", "not a class id: ") + handler.classId;
        return nullptr;
    }
    std::unique_ptr<ShellExtension> extension(new ShellExtension);
    extension->module_ = Module(handler.modulePath);
    const auto getClassObject =
        extension->module_.GetProcAddress<PFN_DLLGETCLASSOBJECT>("DllGetClassObject");
    if (getClassObject == nullptr) {
        error = extension->module_.IsLoaded()
                    ? handler.modulePath +
                          ChineseOr("：没有 DllGetClassObject", ": no DllGetClassObject")
                    : extension->module_.Error();
        return nullptr;
    }
    ComPtr<IShellExtInit> init;
    if (FAILED(getClassObject(clsid, IID_IClassFactory, extension->factory_.Put())) ||
        FAILED(extension->factory_->CreateInstance(nullptr, IID_IShellExtInit, init.Put())) ||
        FAILED(init->QueryInterface(IID_IContextMenu, extension->menu_.Put()))) {
        error = handler.classId + ChineseOr("：无法创建处理程序", ": the handler cannot be made");
        return nullptr;
    }
    const ComPtr<IDataObject> data = CreateFileDataObject(paths);
    if (FAILED(init->Initialize(nullptr, data.Get(), nullptr))) {
        error = handler.classId +
                ChineseOr("：处理程序不接受所选文件", ": the handler refused the selection");
        return nullptr;
    }
    return extension;
}

ShellExtension::~ShellExtension() {
    // The menu may hold what the module made: it goes before the module does.
    DestroyMenu(menuHandle_);
    menu_.Reset();
    factory_.Reset();
    const auto canUnload = module_.GetProcAddress<PFN_DLLCANUNLOADNOW>("DllCanUnloadNow");
    if (canUnload != nullptr && canUnload() != S_OK) {
        // Something of the module still lives; unloading it would leave that dangling.
        module_.Detach();
    }
}

std::vector<MenuEntry> ShellExtension::QueryMenu() {
    DestroyMenu(menuHandle_);
    menuHandle_ = CreatePopupMenu();
    const HRESULT result = menu_->QueryContextMenu(menuHandle_, 0, kFirstId, kLastId, CMF_NORMAL);
    commandCount_ = SUCCEEDED(result) ? HRESULT_CODE(result) : 0;
    return ReadMenu(menuHandle_, menu_.Get(), kFirstId);
}

HRESULT ShellExtension::Invoke(UINT offset) {
    if (menuHandle_ == nullptr) {
        QueryMenu();
    }
    if (offset >= commandCount_) {
        return E_INVALIDARG;
    }
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(static_cast<WORD>(offset));
    info.nShow = SW_SHOWNORMAL;
    return menu_->InvokeCommand(&info);
}
