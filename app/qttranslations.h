#pragma once

#include <memory>

class QTranslator;

// Qt's own texts (the folder picker's labels and buttons, the message boxes' "OK") in the
// language of the program's messages: Qt's simplified Chinese translations, as the
// qt6-translations-l10n package installs them, when the messages are Chinese; Qt's English
// otherwise. Installed into the application, which must exist, for as long as this lives.
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

private:
    std::unique_ptr<QTranslator> translator_;  // null when Qt's English is wanted
};
