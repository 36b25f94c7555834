#pragma once

#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/globalmemory.h"

// Data objects: how the shell hands a context-menu handler the selected files. The handler
// enumerates the object's formats and asks for the dropped-file list (CF_HDROP), a memory
// block holding a DROPFILES header and the paths, which DragQueryFileA reads.

using CLIPFORMAT = WORD;
inline constexpr CLIPFORMAT CF_HDROP = 15;

inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD DATADIR_GET = 1;

struct FORMATETC {
    CLIPFORMAT cfFormat;
    void* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};

struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown* pUnkForRelease;
};

inline constexpr IID IID_IDataObject = {
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IEnumFORMATETC = {
    0x00000103, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IEnumFORMATETC : public IUnknown {
public:
    virtual HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** copy) = 0;

protected:
    ~IEnumFORMATETC() = default;
};

class IDataObject : public IUnknown {
public:
    virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
    virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, void* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(void** advises) = 0;

protected:
    ~IDataObject() = default;
};

// Gives back what a medium holds: its owner's release, or the memory block freed.
void ReleaseStgMedium(STGMEDIUM* medium);

// The header of a dropped-file list; the paths follow at `pFiles`, each ending in a NUL, the
// list in a second NUL.
struct POINT {
    LONG x;
    LONG y;
};
struct DROPFILES {
    DWORD pFiles;
    POINT pt;
    BOOL fNC;
    BOOL fWide;
};

struct HDROP__;
using HDROP = HDROP__*;

// A dropped-file list of 8-bit paths in a new memory block; null when memory runs out.
HGLOBAL CreateDropFiles(const std::vector<std::string>& paths);

// With `index` 0xFFFFFFFF: the number of paths. Otherwise, with `file` null, the length of
// path `index` without its NUL; else copies at most `size` - 1 bytes of it and a NUL into
// `file` and returns the bytes copied. 0 for an index past the last path.
UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size);
