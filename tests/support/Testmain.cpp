// The one main of every test executable: a fixed locale, the offscreen
// platform, an application object for the tests that need fonts, and quiet
// logging, so that test results never depend on the machine's settings.

#include <clocale>
#include <cstdlib>

#include <QGuiApplication>
#include <QLoggingCategory>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LC_ALL", "C", 1);
    std::setlocale(LC_ALL, "C");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");  // Qt may have applied the environment's locale
    return RUN_ALL_TESTS();
}
