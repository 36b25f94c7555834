#pragma once

#include <string>
#include <vector>

#include "platform/shellext.h"

// The context-menu handler of the extension: adds the organize submenu to the menu of the
// selected music files and carries out its three commands (organize the first file's folder,
// open the program without a folder, show the about box).
class ContextMenuHandler final : public IContextMenu, public IShellExtInit {
public:
    ContextMenuHandler();
    ContextMenuHandler(const ContextMenuHandler&) = delete;
    ContextMenuHandler& operator=(const ContextMenuHandler&) = delete;

    // IUnknown, shared by both interfaces.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IShellExtInit: keeps the selection; its paths are read at each command.
    HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* dataObject, HKEY programKey) override;

    // IContextMenu.
    HRESULT QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                             UINT flags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(UINT_PTR offset, UINT kind, UINT* reserved, char* name,
                             UINT size) override;

private:
    // Objects go with their last Release.
    ~ContextMenuHandler();

    // Reads the selected paths from the data object into m_arrPaths; false when there is no
    // data object or its formats cannot be enumerated.
    bool ReadSelection();
    // Starts the program: with the first selected path (organize) or without (custom).
    void RunProgram(bool withPath);
    void ShowAbout(HWND owner);

    ULONG m_cRef = 0;
    IDataObject* m_pDataObj = nullptr;
    std::vector<std::string> m_arrPaths;
};
