#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/wintypes.h"

// The core of COM as the shell extension and its host use it: result codes, class and
// interface ids, IUnknown, IClassFactory, the task allocator and the id texts. Interfaces are
// plain abstract classes whose virtual functions are the interface's slots in order, so that an
// object made in one module is called through its table from another, as COM does.

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);

inline constexpr ULONG SEVERITY_SUCCESS = 0;

constexpr bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
    return result < 0;
}
constexpr HRESULT MAKE_HRESULT(ULONG severity, ULONG facility, ULONG code) {
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}
constexpr ULONG HRESULT_CODE(HRESULT result) {
    return static_cast<ULONG>(result) & 0xFFFF;
}

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
    return a == b;
}

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IMalloc = {
    0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using LPOLESTR = WCHAR*;

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    // Objects go through Release, never through a pointer to an interface.
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

// The task allocator: memory that one module allocates and another frees.
class IMalloc : public IUnknown {
public:
    virtual void* Alloc(std::size_t size) = 0;
    virtual void* Realloc(void* block, std::size_t size) = 0;
    virtual void Free(void* block) = 0;
    virtual std::size_t GetSize(void* block) = 0;
    virtual int DidAlloc(void* block) = 0;
    virtual void HeapMinimize() = 0;

protected:
    ~IMalloc() = default;
};

void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* block);

// The process's task allocator, with a reference; `context` must be 1 (MEMCTX_TASK).
HRESULT CoGetMalloc(DWORD context, IMalloc** malloc);

// The braced upper-case text of an id, "{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}", in memory of
// the task allocator that the caller frees.
HRESULT StringFromIID(REFIID iid, LPOLESTR* text);

// The id a braced text names; CO_E_CLASSSTRING when the text is not one.
HRESULT CLSIDFromString(const char* text, CLSID* clsid);

// The braced text of an id as plain ASCII, for callers of our own.
std::string GuidText(const GUID& guid);
