#pragma once

#include <string>

#include "organizer/tagedit.h"

// Carries out a tag edit on the file at `path`, so that a kill at any moment leaves the file
// either as it was or as the edit makes it, never torn:
//
// - When the tag keeps its size (or, at the end of the file, grows) and every byte that changes
//   lies in one page of the file, the changed bytes are written in place with one call, which a
//   signal cannot cut short.
// - Otherwise the file is written anew: the new tag and the bytes beside the old one (the audio,
//   copied as they are) go to an unnamed file in the same folder, which gets the mode and owner
//   of the original, is synced, and is then renamed over the original, but only while the
//   original is still the file read, unchanged.
//
// The edit's source must be the file's whole region where the edit stands (tagregion.h: its
// ID3v2 tag, nothing for a file without one, a FLAC file's metadata, an APE tag and what
// follows it), and so must its result once written. Returns 0 when the edit was made; ESTALE when
// the file does not hold the edit's source (it changed since the edit was planned), EALREADY when
// it holds the edit's result already; EINVAL for anything but a regular file (a link, a pipe); else
// the errno of the failure (EACCES, EROFS, ENOSPC...), the file untouched.
int WriteTagEdit(const std::string& path, const TagEdit& edit);

// The prefix of the names the new file of a rewrite has for a moment in `folder` (ending
// with '/'), for process `pid`: a kill in that moment leaves such a file behind.
std::string TemporaryRetagPrefix(const std::string& folder, long pid);
