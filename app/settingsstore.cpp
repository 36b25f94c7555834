#include "app/settingsstore.h"

#include "platform/ansistring.h"
#include "platform/profile.h"

namespace {

constexpr const char* kFindPath = "FindPath";
constexpr const char* kArtistDir = "Artist_dir";
constexpr const char* kFixTags = "FixTags";
constexpr const char* kAllFormats = "AllFormats";
constexpr const char* kExePath = "ExePath";

std::string RecentName(int index) {
    return ansi::Format("path%d", index);
}

}  // namespace

unsigned int RegistrySection::GetInt(const std::string& entry, int defaultValue) const {
    return GetProfileInt(section_, entry, defaultValue);
}

std::string RegistrySection::GetString(const std::string& entry,
                                       const std::string& defaultValue) const {
    return GetProfileString(section_, entry, defaultValue);
}

bool RegistrySection::WriteInt(const std::string& entry, int value) {
    return WriteProfileInt(section_, entry, value);
}

bool RegistrySection::WriteString(const std::string& entry, const std::string& value) {
    return WriteProfileString(section_, entry, value);
}

SettingsStore::SettingsStore()
    : owned_(std::make_unique<RegistrySection>(kSection)), section_(owned_.get()) {}

int SettingsStore::FindPath() const {
    return static_cast<int>(section_->GetInt(kFindPath, 0));
}

bool SettingsStore::SetFindPath(int value) {
    return section_->WriteInt(kFindPath, value);
}

int SettingsStore::ArtistDir() const {
    return static_cast<int>(section_->GetInt(kArtistDir, 0));
}

bool SettingsStore::SetArtistDir(int value) {
    return section_->WriteInt(kArtistDir, value);
}

int SettingsStore::FixTags() const {
    return static_cast<int>(section_->GetInt(kFixTags, 0));
}

bool SettingsStore::SetFixTags(int value) {
    return section_->WriteInt(kFixTags, value);
}

int SettingsStore::AllFormats() const {
    return static_cast<int>(section_->GetInt(kAllFormats, 0));
}

bool SettingsStore::SetAllFormats(int value) {
    return section_->WriteInt(kAllFormats, value);
}

std::string SettingsStore::ExePath() const {
    return section_->GetString(kExePath, "");
}

bool SettingsStore::SetExePath(const std::string& path) {
    return section_->WriteString(kExePath, path);
}

std::string SettingsStore::RecentPath(int index) const {
    return section_->GetString(RecentName(index), "");
}

bool SettingsStore::SetRecentPath(int index, const std::string& folder) {
    return section_->WriteString(RecentName(index), folder);
}
