#pragma once
// The language of the windows. zelko's texts are written in Japanese; English
// comes from the translation built from app/i18n/zelko_en.ts into the program.

#include <string>

#include <QLocale>

class QCoreApplication;

namespace app {

// "ja" or "en": the override (ZELKO_LANG) when it names one of them, else
// Japanese under a Japanese locale and English under any other.
std::string ChooseLanguage(const char* override, const QLocale& locale);
// ChooseLanguage for this process: ZELKO_LANG, else the system locale.
std::string ProcessLanguage();
// Installs zelko's translation for language on application (none for
// Japanese) and Qt's own texts of its dialogs in that language when the
// system has them. Returns false when zelko's translation could not be loaded.
bool InstallTranslation(QCoreApplication& application, const std::string& language);

}  // namespace app
