#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/reghive.h"
#include "platform/registry/regtypes.h"

namespace registry_detail {

// Where and how the registry keeps its hives, internal to the registry: one .reg file per hive
// in `$XDG_CONFIG_HOME/sortune/registry/` (default `$HOME/.config`), read without a lock and
// changed by read-modify-write under an exclusive flock on `<hive>.reg.lock`; the new text is
// written to a temporary file, synced and renamed over the old one, so a reader sees the old
// file or the new one, never a mix.

enum class HiveId { kClassesRoot, kCurrentUser, kLocalMachine };

// "HKEY_CURRENT_USER" and so on: the file's name and the root of its section names.
std::string_view HiveName(HiveId hive);

// The folder that holds the hive files; "" when no home folder is known.
std::string RegistryFolder();

// The hive as its file holds it now. A missing or unreadable file gives an empty hive, a
// damaged one what still parses. Only a regular file of at most 1 MiB, not a symbolic link,
// is read; a file that is there but cannot be read is reported on standard error, once per
// process. Shared and never changed: a walk over many keys asks for it at every step.
std::shared_ptr<const Hive> ReadHive(HiveId hive);

// Applies `change` to the current hive and writes the result when `change` returns
// ERROR_SUCCESS and sets `changed`. Returns `change`'s result, or a Windows error code when
// the folder, the lock or the file cannot be had. A file that exists but cannot be read is
// never replaced; one that did not parse cleanly is first kept as `<hive>.reg.bak` (or, when
// that name is taken by an earlier damage, `.bak.1`, `.bak.2`...; no copy is ever replaced),
// and a warning naming both files goes to standard error.
using HiveChange = std::function<LONG(Hive& hive, bool& changed)>;
LONG ChangeHive(HiveId hive, const HiveChange& change);

}  // namespace registry_detail
