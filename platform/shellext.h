#pragma once

#include "platform/com.h"
#include "platform/dataobject.h"
#include "platform/menu.h"
#include "platform/registry/regtypes.h"

// The interfaces of a shell context-menu handler: the shell initialises it with the selection
// (IShellExtInit), lets it add its items to the context menu, runs the command the user picks
// and asks for the help text of an item (IContextMenu).

struct ITEMIDLIST;
using LPCITEMIDLIST = const ITEMIDLIST*;

inline constexpr IID IID_IShellExtInit = {
    0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu = {
    0x000214E4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Flags of QueryContextMenu.
inline constexpr UINT CMF_NORMAL = 0x0000;
inline constexpr UINT CMF_DEFAULTONLY = 0x0001;
inline constexpr UINT CMF_VERBSONLY = 0x0002;
inline constexpr UINT CMF_EXPLORE = 0x0004;
inline constexpr UINT CMF_NOVERBS = 0x0008;

// Kinds of GetCommandString.
inline constexpr UINT GCS_VERBA = 0x0000;
inline constexpr UINT GCS_HELPTEXTA = 0x0001;
inline constexpr UINT GCS_VALIDATEA = 0x0002;
inline constexpr UINT GCS_UNICODE = 0x0004;
inline constexpr UINT GCS_VERBW = 0x0004;
inline constexpr UINT GCS_HELPTEXTW = 0x0005;
inline constexpr UINT GCS_VALIDATEW = 0x0006;

struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    const char* lpVerb;  // a text verb, or a command offset in its low 16 bits
    const char* lpParameters;
    const char* lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

// A verb that is a command offset rather than a text.
inline const char* MAKEINTRESOURCEA(WORD offset) {
    return reinterpret_cast<const char*>(static_cast<UINT_PTR>(offset));
}

class IShellExtInit : public IUnknown {
public:
    virtual HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* dataObject, HKEY programKey) = 0;

protected:
    ~IShellExtInit() = default;
};

class IContextMenu : public IUnknown {
public:
    virtual HRESULT QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
    virtual HRESULT GetCommandString(UINT_PTR offset, UINT kind, UINT* reserved, char* name,
                                     UINT size) = 0;

protected:
    ~IContextMenu() = default;
};

// The exports of an in-process server, as a host binds them by name.
using PFN_DLLGETCLASSOBJECT = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);
using PFN_DLLCANUNLOADNOW = HRESULT (*)();
using PFN_DLLREGISTERSERVER = HRESULT (*)();
