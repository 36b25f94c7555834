#pragma once

// The one export of the WMA tag module (Asfmeta.so), loaded at run time by the program.
//
// GetAsfmeta reads the title, the artist and the album of the WMA file at `path` into the
// caller's buffers as code page 936 text: at most 63 bytes and a NUL each, so the title,
// artist and album buffers must hold 64 bytes at least. Returns 1 when the file was read and
// all three buffers written, 0 on any failure, the buffers then left as they were. The
// module keeps no state between calls; the caller owns every buffer.

extern "C" {
using PFN_GETASFMETA = int (*)(char* path, char* title, char* artist, char* album);
}

// The name the program looks the export up by.
inline constexpr const char* kGetAsfmetaExport = "GetAsfmeta";
// The module's file name, beside the program.
inline constexpr const char* kAsfmetaModule = "Asfmeta.so";
