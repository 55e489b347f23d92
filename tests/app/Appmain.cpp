// The main of the window tests: the same fixed start as every test executable
// (locale, offscreen platform, quiet logging), with a widget application.

#include <clocale>
#include <cstdlib>

#include <QApplication>
#include <QLoggingCategory>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LC_ALL", "C", 1);
    std::setlocale(LC_ALL, "C");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    return RUN_ALL_TESTS();
}
