#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/module.h"
#include "platform/shellext.h"
#include "shellhost/comptr.h"
#include "shellhost/handlerregistry.h"

// One context-menu handler driven as the Windows shell drives it: its module loaded from its
// registration, DllGetClassObject, the class factory's CreateInstance, Initialize with the
// selected files, QueryContextMenu, and InvokeCommand for the item the user picks. Objects are
// released and the module unloaded (when it says it can be) in reverse order when this goes.

// One item of the handler's menu, as the host reads it back.
struct MenuEntry {
    enum class Kind { kCommand, kSeparator, kPopup };
    Kind kind = Kind::kCommand;
    std::string text;                 // UTF-8, as the handler wrote it: '&' mnemonics, a tab column
    UINT offset = 0;                  // the command offset of a command
    std::string helpText;             // UTF-8, GetCommandString's help text of a command
    BitmapPixels bitmap;              // the unchecked bitmap; width 0 when none
    std::vector<MenuEntry> children;  // of a popup
};

class ShellExtension {
public:
    // Loads the handler and initialises it with `paths`; null, with `error` set, when any
    // step fails.
    static std::unique_ptr<ShellExtension> Open(const HandlerRegistration& handler,
                                                const std::vector<std::string>& paths,
                                                std::string& error);
    ~ShellExtension();
    ShellExtension(const ShellExtension&) = delete;
    ShellExtension& operator=(const ShellExtension&) = delete;

    // Asks the handler for its items in a plain context-menu request and reads them back.
    std::vector<MenuEntry> QueryMenu();

    // Runs the command at `offset`, after a menu request as the shell makes one. Returns the
    // handler's result, E_INVALIDARG for an offset past the commands it added.
    HRESULT Invoke(UINT offset);

private:
    ShellExtension() = default;

    // The first command id the host hands out, and the last.
    static constexpr UINT kFirstId = 1;
    static constexpr UINT kLastId = 0x7FFF;

    Module module_;
    ComPtr<IClassFactory> factory_;
    ComPtr<IContextMenu> menu_;
    HMENU menuHandle_ = nullptr;
    UINT commandCount_ = 0;
};
