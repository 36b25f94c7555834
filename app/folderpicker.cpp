#include "app/folderpicker.h"

#include <cctype>

#include <QFileDialog>
#include <QFileInfo>

namespace {

std::string WithoutTrailingSpace(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.pop_back();
    }
    return text;
}

// Opens the dialog in the folder above `selection` with `selection` selected, as a tree
// opened at a folder shows it; a selection that is no folder selects nothing.
void Select(QFileDialog& dialog, const std::string& selection) {
    const QFileInfo folder(QFile::decodeName(selection.c_str()));
    if (selection.empty() || !folder.isDir()) {
        return;
    }
    if (folder.isRoot()) {
        dialog.setDirectory(folder.absoluteFilePath());
        return;
    }
    dialog.setDirectory(folder.absolutePath());
    dialog.selectFile(folder.fileName());
}

}  // namespace

int FolderPicker::Browse(QWidget* owner) {
    m_strSelection = WithoutTrailingSpace(m_strSelection);
    QFileDialog dialog(owner, QString::fromStdString(m_strTitle));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    Select(dialog, m_strSelection);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return 0;
    }
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    if (!chosen.isAbsolute() || !chosen.isDir()) {
        return 0;
    }
    m_strPath = QFile::encodeName(chosen.absoluteFilePath()).toStdString();
    return 1;
}
