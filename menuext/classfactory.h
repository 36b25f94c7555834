#pragma once

#include "platform/com.h"

// The class factory of the extension: makes context-menu handlers.
class ClassFactory final : public IClassFactory {
public:
    ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT LockServer(BOOL lock) override;

private:
    // Objects go with their last Release.
    ~ClassFactory();

    ULONG m_cRef = 0;
};
