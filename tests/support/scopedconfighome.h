#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/tempdir.h"

// Points XDG_CONFIG_HOME at a fresh temporary folder for as long as it lives, so that the
// registry's hives of a test start empty and never touch the user's own; the former value
// comes back afterwards.
class ScopedConfigHome {
public:
    ScopedConfigHome() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            m_old = old;
        }
        setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (m_old) {
            setenv("XDG_CONFIG_HOME", m_old->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::string& path() const { return m_dir.path(); }
    std::string RegistryFolder() const { return m_dir / "sortune/registry"; }
    // The file of a hive, "HKEY_CURRENT_USER" and so on.
    std::string HiveFile(const std::string& hive) const {
        return RegistryFolder() + "/" + hive + ".reg";
    }

private:
    TempDir m_dir;
    std::optional<std::string> m_old;
};
