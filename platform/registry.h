#pragma once

#include <cstdint>
#include <string>

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
// shared MIME database knows the extension; its default value, the program id, is the MIME
// type ("audio/mpeg"). Writing into such a key stores it, program id included; from then on
// the stored key answers.
//
// All calls are safe to use from several threads.

using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using REGSAM = DWORD;

struct HKEY__;
using HKEY = HKEY__*;
struct SECURITY_ATTRIBUTES;

// Macros as in the Windows headers, so that they can stand in constant tables of keys.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_DISK_FULL = 112;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

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

// Deletes a key with its values. Fails with ERROR_FILE_NOT_FOUND for a missing key and with
// ERROR_ACCESS_DENIED for a key that has sub-keys, or for one that only the MIME database
// answers for.
LONG RegDeleteKeyA(HKEY key, const char* subKey);

// Closes an opened key; closing a predefined key does nothing.
LONG RegCloseKey(HKEY key);

namespace registry {

// The MIME glob file that answers for extension keys (default "/usr/share/mime/globs2",
// lines "weight:type:*.ext[:flags]"); "" restores the default. For tests.
void SetMimeGlobsPath(const std::string& path);

}  // namespace registry
