#pragma once

// The one export of the WMA tag module (Asfmeta.so), loaded at run time by the program.
//
// GetAsfmeta reads the title, the artist ("Author") and the album ("WM/AlbumTitle") of the
// WMA file at `path` into the caller's buffers as code page 936 text: at most 63 bytes and a
// NUL each, so the three buffers must hold 64 bytes at least. A text longer than that is cut
// by bytes, which can leave a lone lead byte at the end. A 32-bit number reads as "%d", a
// 64-bit number as a time in 100-ns units ("3:25"); a missing attribute or one of any other
// type reads as "".
//
// Returns 1 when the file was read and all three buffers written, 0 on any failure (no such
// regular file, not an ASF file, a null argument), the buffers then left as they were. No
// exception leaves the call. The module keeps no state between calls; the caller owns every
// buffer.

extern "C" {
using PFN_GETASFMETA = int (*)(const char* path, char* title, char* artist, char* album);

__attribute__((visibility("default"))) int GetAsfmeta(const char* path, char* title, char* artist,
                                                      char* album);
}

// The name the program looks the export up by.
inline constexpr const char* kGetAsfmetaExport = "GetAsfmeta";
// The module's file name, beside the program.
inline constexpr const char* kAsfmetaModule = "Asfmeta.so";
