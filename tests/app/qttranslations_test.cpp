// Qt's own texts follow the language of the program's messages.

#include "app/qttranslations.h"

#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "tests/support/scopedvariable.h"

namespace {

// The texts of the non-native folder picker's labels and buttons and of the kind it shows for
// a folder, and a message box's OK.
QStringList QtTexts() {
    QStringList texts;
    texts << QAbstractFileIconProvider().type(QFileInfo(QDir::tempPath()));
    QMessageBox box(QMessageBox::Warning, "sortune", "x", QMessageBox::Ok);
    texts << box.button(QMessageBox::Ok)->text();
    QFileDialog picker;
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::Directory);
    for (const QLabel* label : picker.findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const QPushButton* button : picker.findChildren<QPushButton*>()) {
        texts << button->text();
    }
    return texts;
}

TEST(QtTranslationsTest, QtsTextsAreChineseWhereTheMessagesAre) {
    const ScopedVariable all("LC_ALL", std::nullopt);
    const ScopedVariable messages("LC_MESSAGES", std::nullopt);
    const std::pair<const char*, QStringList> cases[] = {
        {"zh_CN.UTF-8",
         {"文件夹", "确定", "查找范围：", "目录：", "文件类型：", "选择(&C)", "取消"}},
        {"en_US.UTF-8",
         {"Folder", "OK", "Look in:", "Directory:", "Files of type:", "&Choose", "Cancel"}},
    };
    for (const auto& [lang, texts] : cases) {
        const ScopedVariable variable("LANG", lang);
        const QtTranslations translations;
        EXPECT_EQ(QtTexts(), texts) << lang;
    }
}

}  // namespace
