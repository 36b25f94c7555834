#pragma once

#include <memory>
#include <string>

// The per-user settings of the program. The section, the names of its values and their
// defaults live here and nowhere else; the dialog, the command line and the recent folders
// read and write them through this object. The values themselves are kept by a
// ProfileSection: the registry's in the program, an in-memory one under test.

// One section of named integer and string values.
class ProfileSection {
public:
    virtual ~ProfileSection() = default;

    // A missing value, or one of the other type, reads as the default.
    virtual unsigned int GetInt(const std::string& entry, int defaultValue) const = 0;
    virtual std::string GetString(const std::string& entry,
                                  const std::string& defaultValue) const = 0;
    // True when the value was stored.
    virtual bool WriteInt(const std::string& entry, int value) = 0;
    virtual bool WriteString(const std::string& entry, const std::string& value) = 0;
};

// The section of the program's registry key that holds its settings:
// HKEY_CURRENT_USER\Software\Sortune\<section>.
class RegistrySection : public ProfileSection {
public:
    explicit RegistrySection(std::string section) : section_(std::move(section)) {}

    unsigned int GetInt(const std::string& entry, int defaultValue) const override;
    std::string GetString(const std::string& entry, const std::string& defaultValue) const override;
    bool WriteInt(const std::string& entry, int value) override;
    bool WriteString(const std::string& entry, const std::string& value) override;

private:
    std::string section_;
};

class SettingsStore {
public:
    static constexpr const char* kSection = "Set";
    static constexpr int kRecentCount = 5;  // path0 (most recent) to path4

    // The user's settings in the registry.
    SettingsStore();
    // Settings kept in `section`, which must outlive the store.
    explicit SettingsStore(ProfileSection& section) : section_(&section) {}

    // "Search all sub-folders" (FindPath) and "folders by artist" (Artist_dir), 0 when never
    // stored. Read as stored: only 1 turns an option on, and the program writes 0 or 1.
    int FindPath() const;
    bool SetFindPath(int value);
    int ArtistDir() const;
    bool SetArtistDir(int value);
    // "Repair the tags' encoding too" (FixTags), read the same way.
    int FixTags() const;
    bool SetFixTags(int value);
    // "Organize all audio formats" (AllFormats), read the same way.
    int AllFormats() const;
    bool SetAllFormats(int value);

    // The full path of the program that ran last, for the file-manager menu to start.
    std::string ExePath() const;
    bool SetExePath(const std::string& path);

    // The recent folder stored at `index` (0 to kRecentCount - 1), "" when none is.
    std::string RecentPath(int index) const;
    bool SetRecentPath(int index, const std::string& folder);

private:
    std::unique_ptr<ProfileSection> owned_;
    ProfileSection* section_;
};
