#pragma once

#include <string>

class QWidget;

// The folder picker of the main dialog: a folder dialog with the instruction as its title,
// opening with a given folder selected. Only a folder of the file system can be chosen.
//
//   FolderPicker picker;
//   picker.m_strSelection = lastFolder;
//   if (picker.Browse(this) == 1) { ... picker.m_strPath ... }
class FolderPicker {
public:
    virtual ~FolderPicker() = default;

    // Shows the picker as a modal dialog over `owner` (or on its own). Returns 1 with the
    // chosen folder in m_strPath, 0 when the user cancelled or the choice is no folder.
    int Browse(QWidget* owner);

    std::string m_strPath;       // the chosen folder after a successful browse
    std::string m_strSelection;  // selected when the picker opens; "" for none
    std::string m_strTitle = "请选择要整理的MP3文件夹:";
};
