#include "menuext/classfactory.h"

#include <new>

#include "menuext/contextmenuhandler.h"
#include "menuext/liveobjects.h"

ClassFactory::ClassFactory() {
    ++menuext::g_cLiveObjects;
}

ClassFactory::~ClassFactory() {
    --menuext::g_cLiveObjects;
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
    return ++m_cRef;
}

ULONG ClassFactory::Release() {
    const ULONG count = --m_cRef;
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    // A COM object owns itself: it is deleted by its last Release.
    auto* handler = new (std::nothrow) ContextMenuHandler;
    if (handler == nullptr) {
        return E_OUTOFMEMORY;
    }
    // Held across the call, so that a refused interface frees the new object.
    handler->AddRef();
    const HRESULT result = handler->QueryInterface(iid, object);
    handler->Release();
    return result;
}

HRESULT ClassFactory::LockServer(BOOL /*lock*/) {
    return S_OK;
}
