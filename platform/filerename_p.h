#pragma once

#include <string>

// The fallbacks of MoveFile for file systems without RENAME_NOREPLACE, open to the tests.
namespace rename_detail {

// Links the new name (which fails when it is taken), then removes the old one.
bool MoveByLink(const std::string& from, const std::string& to);
// Looks whether the new name is free, then renames: for file systems without hard links.
bool MoveAfterCheck(const std::string& from, const std::string& to);

}  // namespace rename_detail
