#pragma once

#include <memory>
#include <string>

#include "platform/registry/regtypes.h"

namespace registry_detail {
struct SnapshotFiles;
}

// A small registry with the calls, types and result codes of the Windows one, for the
// settings of the program and the shell extension's registration.
//
// Hives: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT, each kept in its own
// file in the .reg export format, `$XDG_CONFIG_HOME/sortune/registry/<hive>.reg` (default
// `$HOME/.config`), mode 0600. Every change re-reads the file under an advisory lock
// (`<hive>.reg.lock`) and replaces it atomically, so that concurrent writers in several
// processes lose nothing and a crash never leaves a torn file. A missing or unreadable file
// reads as empty; a damaged one reads as what still parses, and is kept as `<hive>.reg.bak`
// before the first change replaces it.
//
// Key and value names compare without regard to the case of the letters A-Z, keep the case in
// which they were first written and may not hold control characters. Values are 8-bit strings
// (REG_SZ) stored byte for byte, or 32-bit integers (REG_DWORD); other types are kept as
// plain bytes.
//
// In HKEY_CLASSES_ROOT a file-extension key that nobody wrote (".mp3") exists as long as the
// shared MIME database (of the XDG data folders) knows the extension; its default value, the
// program id, is the MIME type ("audio/mpeg"). Writing into such a key stores it, program id
// included; from then on the stored key answers.
//
// All calls are safe to use from several threads.

// Sub-key paths are relative to `key`, parts separated by '\'; one trailing '\' is allowed,
// an empty part elsewhere (a leading '\', "a\\b") gives ERROR_BAD_PATHNAME. An empty path
// names `key` itself. A handle whose key has been deleted gives ERROR_KEY_DELETED.

// Opens the key, creating it and its missing parents; `*disposition` (may be null) tells
// REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. Only REG_OPTION_NON_VOLATILE is supported;
// `keyClass` and `security` are ignored. Creating needs KEY_CREATE_SUB_KEY on `key`.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM access, const SECURITY_ATTRIBUTES* security, HKEY* result,
                     DWORD* disposition);

// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

// Reads a value (null or "" name: the default value); needs KEY_QUERY_VALUE. `*type` is set
// when `type` is not null. With `data` null, `*size` receives the size the data needs; else
// `*size` holds the buffer's size on entry and the data's size on return, and a buffer too
// small gives ERROR_MORE_DATA (buffer untouched). A REG_SZ value always comes with its
// terminating NUL, which its size counts.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);

// Writes a value; needs KEY_SET_VALUE. REG_SZ data ends at its first NUL or after `size`
// bytes; REG_DWORD data is exactly 4 bytes (little-endian).
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

// Writes a value into the sub-key `subKey` of `key` (null or "": `key` itself), creating the
// sub-key and its missing parents, in one change of the hive where RegCreateKeyExA and
// RegSetValueExA make two. Needs KEY_SET_VALUE on `key`, and KEY_CREATE_SUB_KEY when the
// sub-key must be created; the data as for RegSetValueExA.
LONG RegSetKeyValueA(HKEY key, const char* subKey, const char* valueName, DWORD type,
                     const void* data, DWORD size);

// Deletes a key with its values. Fails with ERROR_FILE_NOT_FOUND for a missing key and with
// ERROR_ACCESS_DENIED for a key that has sub-keys, or for one that only the MIME database
// answers for.
LONG RegDeleteKeyA(HKEY key, const char* subKey);

// Deletes a value (null or "" name: the default value); needs KEY_SET_VALUE. Fails with
// ERROR_FILE_NOT_FOUND when the key has no such value.
LONG RegDeleteValueA(HKEY key, const char* valueName);

// The name of the sub-key at `index` (0 for the first); needs KEY_ENUMERATE_SUB_KEYS. Sub-keys
// come in the order of their names in upper case, as Windows lists them. `*nameSize` holds the
// buffer's size on entry and the name's length without its NUL on return; a buffer too small gives
// ERROR_MORE_DATA (buffer untouched), an index past the last sub-key ERROR_NO_MORE_ITEMS. Keys have
// no class
// (`*classSize` becomes 0) and no recorded write time (`*lastWriteTime` is zeroed). At the root
// of HKEY_CLASSES_ROOT the extension keys the MIME database answers for are listed too.
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                   char* keyClass, DWORD* classSize, FILETIME* lastWriteTime);

// Closes an opened key; closing a predefined key does nothing.
LONG RegCloseKey(HKEY key);

namespace registry {

// Tells whether a key or anything below it (values, sub-keys) changed since the watch began,
// by this process or another. A write that stores what was already there is no change, so a
// registration repeated as it stands leaves a watch on it quiet. Only stored keys count: the
// MIME database's extension keys are not watched.
class ChangeWatch {
public:
    // Watches `subKey` of `key`; the watch outlives the handle. A key that does not exist yet
    // is watched for its creation; an invalid handle never reports a change.
    ChangeWatch(HKEY key, const char* subKey);
    bool HasChanged() const;

private:
    std::string Snapshot() const;

    int hive_ = -1;
    std::string path_;
    std::string snapshot_;
};

// While one lives, the reads of this thread (RegOpenKeyExA, RegQueryValueExA, RegEnumKeyExA)
// take each hive as it was at their first read of it or at this thread's last change of it,
// and the MIME database as it was at their first read; what other processes or threads change
// in between is seen once the outermost snapshot of the thread has gone. Changes always work
// on the files as they are. For walks over many keys, which would otherwise read the files
// again at every step.
class ReadSnapshot {
public:
    ReadSnapshot();
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    std::unique_ptr<registry_detail::SnapshotFiles> files_;  // null inside an outer snapshot
};

// The MIME glob file that answers for extension keys (lines "weight:type:*.ext[:flags]");
// "" restores the default, the shared MIME database's `mime/globs2` in the XDG data folders
// ($XDG_DATA_HOME, default ~/.local/share, then each of $XDG_DATA_DIRS, default
// /usr/local/share:/usr/share). For tests.
void SetMimeGlobsPath(const std::string& path);

}  // namespace registry
