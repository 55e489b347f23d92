// The windows speak Japanese under a Japanese locale and English elsewhere,
// and ZELKO_LANG chooses when set.

#include <QApplication>
#include <QDialogButtonBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/Gerberform.h"
#include "app/Printform.h"
#include "app/Translation.h"

namespace {

TEST(Translation, LanguageFollowsTheLocaleUnlessZelkoLangSaysOtherwise) {
    const struct {
        const char* override;
        QLocale locale;
        const char* want;
    } rows[] = {
        {nullptr, QLocale(QLocale::Japanese, QLocale::Japan), "ja"},
        {nullptr, QLocale(QLocale::English, QLocale::UnitedStates), "en"},
        {nullptr, QLocale::c(), "en"},
        {nullptr, QLocale(QLocale::German, QLocale::Germany), "en"},
        {"ja", QLocale(QLocale::English, QLocale::UnitedStates), "ja"},
        {"en", QLocale(QLocale::Japanese, QLocale::Japan), "en"},
        {"fr", QLocale(QLocale::Japanese, QLocale::Japan), "ja"},  // unknown: the locale decides
        {"", QLocale(QLocale::English, QLocale::UnitedStates), "en"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(app::ChooseLanguage(row.override, row.locale), row.want)
            << (row.override ? row.override : "(unset)") << " " << row.locale.name().toStdString();
}

TEST(Translation, WindowsShowEnglishWithTheTranslationAndJapaneseWithout) {
    const auto captions = [] {
        app::TGerberForm gerber(nullptr);
        app::TPrintForm print;
        const auto* tabs = gerber.findChild<QTabWidget*>();
        return std::vector<std::string>{gerber.windowTitle().toStdString(), tabs->tabText(0).toStdString(),
                                        gerber.FillPenEdit()->accessibleName().toStdString(),
                                        print.windowTitle().toStdString(),
                                        print.MirrorBox()->text().toStdString()};
    };
    EXPECT_EQ(captions(), (std::vector<std::string>{"ガーバ出力", "出力レイヤー", "デフォルト線幅[mm]",
                                                    "印刷", "反転印刷"}));

    ASSERT_TRUE(app::InstallTranslation(*qApp, "en"));
    EXPECT_EQ(captions(), (std::vector<std::string>{"Gerber Export", "Output Layers",
                                                    "Default pen width [mm]", "Print", "Mirror print"}));
    // Back to Japanese for the other tests.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) QCoreApplication::removeTranslator(t);
    EXPECT_EQ(captions()[0], "ガーバ出力");
    EXPECT_TRUE(app::InstallTranslation(*qApp, "ja")) << "Japanese needs no translation of ours";
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) QCoreApplication::removeTranslator(t);
}

}  // namespace
