#include "app/Translation.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace app {

std::string ChooseLanguage(const char* override, const QLocale& locale) {
    if (override != nullptr) {
        const std::string wanted = override;
        if (wanted == "ja" || wanted == "en") return wanted;
    }
    return locale.language() == QLocale::Japanese ? "ja" : "en";
}

std::string ProcessLanguage() {
    return ChooseLanguage(std::getenv("ZELKO_LANG"), QLocale::system());
}

bool InstallTranslation(QCoreApplication& application, const std::string& language) {
    const QString name = QString::fromStdString(language);
    // Qt's own buttons and dialogs (Yes, Cancel, file dialogs) in the same language.
    auto* qt = new QTranslator(&application);
    if (qt->load(QLocale(name), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    if (language == "ja") return true;  // the texts are written in Japanese
    auto* ours = new QTranslator(&application);
    if (!ours->load(QStringLiteral(":/i18n/zelko_") + name + QStringLiteral(".qm"))) {
        delete ours;
        return false;
    }
    QCoreApplication::installTranslator(ours);
    return true;
}

}  // namespace app
