#pragma once

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/tempdir.h"

// Points XDG_CONFIG_HOME, and XDG_DATA_HOME and XDG_STATE_HOME below it, at a fresh temporary
// folder for as long as it lives, so that the registry's hives and the run journals of a test
// start empty and neither they nor the file managers' menu files a registration publishes
// touch the user's own; the former values come back afterwards.
class ScopedConfigHome {
public:
    ScopedConfigHome() {
        for (std::size_t i = 0; i < kVariables.size(); ++i) {
            if (const char* old = std::getenv(kVariables[i])) {
                m_old[i] = old;
            }
        }
        setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
        setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
        setenv("XDG_STATE_HOME", StateFolder().c_str(), 1);
    }
    ~ScopedConfigHome() {
        for (std::size_t i = 0; i < kVariables.size(); ++i) {
            if (m_old[i]) {
                setenv(kVariables[i], m_old[i]->c_str(), 1);
            } else {
                unsetenv(kVariables[i]);
            }
        }
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::string& path() const { return m_dir.path(); }
    std::string DataHome() const { return m_dir / "data"; }
    // XDG_STATE_HOME, where the run journals go (under sortune/runs).
    std::string StateFolder() const { return m_dir / "state"; }
    std::string RegistryFolder() const { return m_dir / "sortune/registry"; }
    // The file of a hive, "HKEY_CURRENT_USER" and so on.
    std::string HiveFile(const std::string& hive) const {
        return RegistryFolder() + "/" + hive + ".reg";
    }

private:
    static constexpr std::array<const char*, 3> kVariables = {"XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                              "XDG_STATE_HOME"};
    TempDir m_dir;
    std::array<std::optional<std::string>, kVariables.size()> m_old;
};
