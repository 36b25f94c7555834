#include "app/settingsstore.h"

#include "platform/ansistring.h"
#include "platform/profile.h"

namespace {

constexpr const char* kFindPath = "FindPath";
constexpr const char* kArtistDir = "Artist_dir";
constexpr const char* kExePath = "ExePath";

std::string RecentName(int index) {
    return ansi::Format("path%d", index);
}

}  // namespace

unsigned int RegistrySection::GetInt(const std::string& entry, int defaultValue) const {
    return GetProfileInt(m_section, entry, defaultValue);
}

std::string RegistrySection::GetString(const std::string& entry,
                                       const std::string& defaultValue) const {
    return GetProfileString(m_section, entry, defaultValue);
}

bool RegistrySection::WriteInt(const std::string& entry, int value) {
    return WriteProfileInt(m_section, entry, value);
}

bool RegistrySection::WriteString(const std::string& entry, const std::string& value) {
    return WriteProfileStringA(m_section, entry, value);
}

SettingsStore::SettingsStore()
    : m_owned(std::make_unique<RegistrySection>(kSection)), m_section(m_owned.get()) {}

int SettingsStore::FindPath() const {
    return static_cast<int>(m_section->GetInt(kFindPath, 0));
}

bool SettingsStore::SetFindPath(int value) {
    return m_section->WriteInt(kFindPath, value);
}

int SettingsStore::ArtistDir() const {
    return static_cast<int>(m_section->GetInt(kArtistDir, 0));
}

bool SettingsStore::SetArtistDir(int value) {
    return m_section->WriteInt(kArtistDir, value);
}

std::string SettingsStore::ExePath() const {
    return m_section->GetString(kExePath, "");
}

bool SettingsStore::SetExePath(const std::string& path) {
    return m_section->WriteString(kExePath, path);
}

std::string SettingsStore::RecentPath(int index) const {
    return m_section->GetString(RecentName(index), "");
}

bool SettingsStore::SetRecentPath(int index, const std::string& folder) {
    return m_section->WriteString(RecentName(index), folder);
}
