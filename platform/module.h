#pragma once

#include <string>

// A shared module loaded at run time, the way the program binds its companions: load by
// path, look exports up by name, unload when the object goes (or on Free).
//
//   Module module(folder + "/Asfmeta.so");
//   auto* fn = module.GetProcAddress<PFN_GETASFMETA>("GetAsfmeta");  // null when missing
//
// Addresses taken from a module are valid only while it stays loaded.
class Module {
public:
    Module() = default;
    // Loads the module at `path` with all its symbols bound at once, so that a missing
    // dependency fails here and not in the middle of a call. A path without '/' is searched
    // for the way the system loader searches.
    explicit Module(const std::string& path);
    ~Module() { Free(); }
    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool IsLoaded() const { return m_hModule != nullptr; }
    // Why the load failed (the loader's message); "" after a successful load.
    const std::string& Error() const { return m_strError; }

    // The address of the export `name`, or null when it is missing or nothing is loaded.
    void* GetProcAddress(const char* name) const;
    template <typename Function>
    Function GetProcAddress(const char* name) const {
        return reinterpret_cast<Function>(GetProcAddress(name));
    }

    // Unloads the module; nothing happens when none is loaded.
    void Free();
    // Leaves the module loaded for the rest of the process and lets it go, for a module whose
    // objects may outlive this one.
    void Detach() { m_hModule = nullptr; }

private:
    void* m_hModule = nullptr;
    std::string m_strError;
};

// The absolute path of the loaded module (program or shared module) that holds `address`, as a
// module asks for its own file name; "" when no module holds it.
std::string ModuleFileName(const void* address);
