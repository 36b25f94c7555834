#include "app/qttranslations.h"

#include <cstring>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/messagelanguage.h"

namespace {

class QtBaseTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, source, disambiguation, n);
        // Qt 6 moved the picker's kinds of entry ("Folder", "Drive") to a class its Chinese
        // catalogue does not know yet; its file dialog had the same texts before.
        if (text.isEmpty() && std::strcmp(context, "QAbstractFileIconProvider") == 0) {
            text = QTranslator::translate("QFileDialog", source, nullptr, n);
        }
        return text;
    }
};

}  // namespace

QtTranslations::QtTranslations() {
    if (!MessagesInChinese()) {
        return;
    }
    translator_ = std::make_unique<QtBaseTranslator>();
    // Without the translations installed Qt's English stays.
    if (translator_->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator_.get());
    }
}

QtTranslations::~QtTranslations() {
    if (translator_ != nullptr) {
        QCoreApplication::removeTranslator(translator_.get());
    }
}
