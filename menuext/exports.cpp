#include <new>
#include <type_traits>

#include "menuext/classfactory.h"
#include "menuext/liveobjects.h"
#include "menuext/menuext.h"
#include "platform/shellext.h"

static_assert(std::is_same_v<decltype(&DllGetClassObject), PFN_DLLGETCLASSOBJECT>);
static_assert(std::is_same_v<decltype(&DllCanUnloadNow), PFN_DLLCANUNLOADNOW>);

HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid != CLSID_Sortmenu) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    // A COM object owns itself: it is deleted by its last Release.
    auto* factory = new (std::nothrow) ClassFactory;
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    // Held across the call, so that a refused interface frees the new object.
    factory->AddRef();
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

HRESULT DllCanUnloadNow() {
    return menuext::g_cLiveObjects == 0 ? S_OK : S_FALSE;
}
