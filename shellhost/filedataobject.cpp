#include "shellhost/filedataobject.h"

namespace {

// The common part of the host's small COM objects: one interface, a reference count, and
// deletion with the last Release.
template <typename Interface>
class HostObject : public Interface {
public:
    explicit HostObject(const IID& iid) : iid_(iid) {}
    virtual ~HostObject() = default;
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid != IID_IUnknown && iid != iid_) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG count = --references_;
        if (count == 0) {
            delete this;
        }
        return count;
    }

private:
    const IID& iid_;
    ULONG references_ = 1;
};

FORMATETC DropFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// Yields the one format, CF_HDROP.
class FormatEnumerator final : public HostObject<IEnumFORMATETC> {
public:
    FormatEnumerator() : HostObject(IID_IEnumFORMATETC) {}

    HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) override {
        if (formats == nullptr || (count > 1 && fetched == nullptr)) {
            return E_POINTER;
        }
        const ULONG given = count > 0 && position_ == 0 ? 1 : 0;
        if (given == 1) {
            formats[0] = DropFormat();
            position_ = 1;
        }
        if (fetched != nullptr) {
            *fetched = given;
        }
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        const ULONG skipped = count > 0 && position_ == 0 ? 1 : 0;
        position_ += skipped;
        return skipped == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFORMATETC** copy) override {
        if (copy == nullptr) {
            return E_POINTER;
        }
        auto* clone = new FormatEnumerator;
        clone->position_ = position_;
        *copy = clone;
        return S_OK;
    }

private:
    ULONG position_ = 0;
};

class FileDataObject final : public HostObject<IDataObject> {
public:
    explicit FileDataObject(std::vector<std::string> paths)
        : HostObject(IID_IDataObject), paths_(std::move(paths)) {}

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format == nullptr || medium == nullptr) {
            return E_INVALIDARG;
        }
        if (QueryGetData(format) != S_OK) {
            return DV_E_FORMATETC;
        }
        const HGLOBAL list = CreateDropFiles(paths_);
        if (list == nullptr) {
            return E_OUTOFMEMORY;
        }
        *medium = STGMEDIUM{TYMED_HGLOBAL, list, nullptr};
        return S_OK;
    }
    HRESULT GetDataHere(FORMATETC* /*format*/, STGMEDIUM* /*medium*/) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* format) override {
        return format != nullptr && format->cfFormat == CF_HDROP &&
                       (format->tymed & TYMED_HGLOBAL) != 0 && format->dwAspect == DVASPECT_CONTENT
                   ? S_OK
                   : DV_E_FORMATETC;
    }
    HRESULT GetCanonicalFormatEtc(FORMATETC* /*in*/, FORMATETC* out) override {
        if (out != nullptr) {
            out->ptd = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT SetData(FORMATETC* /*format*/, STGMEDIUM* /*medium*/, BOOL /*release*/) override {
        return E_NOTIMPL;
    }
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (formats == nullptr) {
            return E_POINTER;
        }
        *formats = direction == DATADIR_GET ? new FormatEnumerator : nullptr;
        return *formats != nullptr ? S_OK : E_NOTIMPL;
    }
    HRESULT DAdvise(FORMATETC* /*format*/, DWORD /*flags*/, void* /*sink*/,
                    DWORD* /*connection*/) override {
        return E_NOTIMPL;
    }
    HRESULT DUnadvise(DWORD /*connection*/) override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(void** /*advises*/) override { return E_NOTIMPL; }

private:
    std::vector<std::string> paths_;
};

}  // namespace

ComPtr<IDataObject> CreateFileDataObject(std::vector<std::string> paths) {
    // A COM object owns itself: created with one reference, which the ComPtr takes over.
    return ComPtr<IDataObject>(new FileDataObject(std::move(paths)));
}
