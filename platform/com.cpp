#include "platform/com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ascii.h"

namespace {

// One allocator for every module of the process: each takes memory from the C library, so a
// block allocated in one module can be freed in another.
class TaskAllocator final : public IMalloc {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = iid == IID_IUnknown || iid == IID_IMalloc ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    // The allocator lives as long as the module; counting references changes nothing.
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    void* Alloc(std::size_t size) override { return CoTaskMemAlloc(size); }
    void* Realloc(void* block, std::size_t size) override { return std::realloc(block, size); }
    void Free(void* block) override { CoTaskMemFree(block); }
    // The C library does not tell a block's size.
    std::size_t GetSize(void* /*block*/) override { return static_cast<std::size_t>(-1); }
    int DidAlloc(void* /*block*/) override { return -1; }
    void HeapMinimize() override {}
};

// Reads `digits` hex digits at `text`; false when one is not a hex digit.
bool ReadHex(const char* text, int digits, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            return false;
        }
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return true;
}

}  // namespace

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

void CoTaskMemFree(void* block) {
    std::free(block);
}

HRESULT CoGetMalloc(DWORD context, IMalloc** malloc) {
    static TaskAllocator allocator;
    if (malloc == nullptr) {
        return E_INVALIDARG;
    }
    *malloc = context == 1 ? &allocator : nullptr;
    return *malloc != nullptr ? S_OK : E_INVALIDARG;
}

std::string GuidText(const GUID& guid) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

HRESULT StringFromIID(REFIID iid, LPOLESTR* text) {
    if (text == nullptr) {
        return E_INVALIDARG;
    }
    const std::string ascii = GuidText(iid);
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc((ascii.size() + 1) * sizeof(WCHAR)));
    if (*text == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (std::size_t i = 0; i <= ascii.size(); ++i) {
        (*text)[i] = static_cast<WCHAR>(ascii.c_str()[i]);
    }
    return S_OK;
}

HRESULT CLSIDFromString(const char* text, CLSID* clsid) {
    constexpr int kGroups[] = {8, 4, 4, 4, 12};
    if (text == nullptr || clsid == nullptr || std::strlen(text) != 38 || text[0] != '{' ||
        text[37] != '}') {
        return CO_E_CLASSSTRING;
    }
    std::uint64_t values[5] = {};
    const char* at = text + 1;
    for (int group = 0; group < 5; ++group) {
        if (!ReadHex(at, kGroups[group], values[group]) ||
            (group < 4 && at[kGroups[group]] != '-')) {
            return CO_E_CLASSSTRING;
        }
        at += kGroups[group] + 1;
    }
    clsid->Data1 = static_cast<std::uint32_t>(values[0]);
    clsid->Data2 = static_cast<std::uint16_t>(values[1]);
    clsid->Data3 = static_cast<std::uint16_t>(values[2]);
    clsid->Data4[0] = static_cast<std::uint8_t>(values[3] >> 8);
    clsid->Data4[1] = static_cast<std::uint8_t>(values[3]);
    for (int i = 0; i < 6; ++i) {
        clsid->Data4[2 + i] = static_cast<std::uint8_t>(values[4] >> (8 * (5 - i)));
    }
    return S_OK;
}
