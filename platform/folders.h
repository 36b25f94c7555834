#pragma once

#include <string>

// Entries made and removed: the folders a run makes (an artist folder) and its undo removes
// again, and files the program keeps for itself (its journals).

// Makes the folder `path` (one level; its parent must exist), open to everyone the umask
// allows. Returns 0, or the errno of the failure (EEXIST when the name is taken).
int MakeFolder(const std::string& path);

// Removes the folder `path` when it is empty. Returns 0, or the errno of the failure
// (ENOTEMPTY when it holds anything, ENOENT when it is gone).
int RemoveEmptyFolder(const std::string& path);

// Removes the file (or link) `path`. Returns 0 or the errno of the failure.
int RemoveFile(const std::string& path);
