#include "platform/module.h"

#include <dlfcn.h>

#include <utility>

#include "platform/absolutepath.h"

Module::Module(const std::string& path) {
    m_hModule = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hModule == nullptr) {
        const char* error = dlerror();
        m_strError = error != nullptr ? error : "cannot load " + path;
    }
}

Module::Module(Module&& other) noexcept
    : m_hModule(std::exchange(other.m_hModule, nullptr)), m_strError(std::move(other.m_strError)) {}

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        Free();
        m_hModule = std::exchange(other.m_hModule, nullptr);
        m_strError = std::move(other.m_strError);
    }
    return *this;
}

void* Module::GetProcAddress(const char* name) const {
    if (m_hModule == nullptr) {
        return nullptr;
    }
    return dlsym(m_hModule, name);
}

void Module::Free() {
    if (m_hModule != nullptr) {
        dlclose(m_hModule);
        m_hModule = nullptr;
    }
}

std::string ModuleFileName(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
        return {};
    }
    return AbsolutePath(info.dli_fname);
}
