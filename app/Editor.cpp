#include "app/Editor.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include "app/Mainform.h"
#include "app/Translation.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "settings/Settings.h"

namespace app {

bool HasDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

std::unique_ptr<TVemoDocument> LoadInitialDocument(const std::string& file, std::string& error) {
    if (!file.empty()) {
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
            error = "it is a folder, not a file";
            return nullptr;
        }
        const std::filesystem::path full = std::filesystem::absolute(file, ec);
        const std::string name = ec ? file : full.lexically_normal().string();
        std::unique_ptr<TVemoDocument> doc;
        const std::filesystem::file_status status = std::filesystem::symlink_status(file, ec);
        const bool absent =
            ec ? ec == std::errc::no_such_file_or_directory : !std::filesystem::exists(status);
        if (absent) {
            // A board that does not exist yet, as text editors do: a new one,
            // to be saved under that name.
            std::string ignored;
            doc = LoadInitialDocument({}, ignored);
        } else {
            doc = ReadDocumentFile(file, error);
            if (!doc) return nullptr;
        }
        doc->SetFileName(name);
        return doc;
    }
    for (const std::filesystem::path& folder : TVemoResource::DataFolders()) {
        std::error_code ec;
        const std::filesystem::path path = folder / "default.vbf";
        if (!std::filesystem::is_regular_file(path, ec)) continue;
        std::string ignored;
        if (std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(path.string(), ignored)) {
            doc->SetFileName("");  // a starting point, not the file to save over
            return doc;
        }
    }
    return std::make_unique<TVemoDocument>();
}

namespace {

// Waits for the start-up and the first picture, then photographs the window
// and closes it. Failing to save the picture makes the run fail.
void TakeScreenshot(TVemoForm& form, const std::string& path, int& exitCode) {
    auto* timer = new QTimer(&form);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, &form, [&form, &exitCode, path, timer, ticks = 0]() mutable {
        // A few ticks after the context exists: the first redraw has been shown.
        if (form.Context() == nullptr || ++ticks < 5) return;
        timer->stop();
        if (!form.grab().save(QString::fromStdString(path), "PNG")) {
            std::fprintf(stderr, "zelko: cannot write the screenshot %s\n", path.c_str());
            exitCode = 1;
        }
        form.close();
    });
    timer->start();
}

}  // namespace

int RunEditor(int argc, char** argv, const std::string& file, const std::string& screenshot) {
    if (!HasDisplay()) {
        std::error_code ec;
        if (!file.empty() && std::filesystem::is_directory(file, ec)) {
            std::fprintf(stderr, "zelko: %s is a folder, not a file\n", file.c_str());
            return 2;
        }
        std::fprintf(stderr,
                     "zelko: no display to open the editor on (DISPLAY and WAYLAND_DISPLAY are not set)\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("zelko");
    // Japanese under a Japanese locale, English elsewhere; ZELKO_LANG=ja|en chooses.
    InstallTranslation(application, ProcessLanguage());
    TVemoResource resources;
    resources.Load(TVemoResource::BitmapFolder());

    std::string error;
    std::unique_ptr<TVemoDocument> document = LoadInitialDocument(file, error);
    if (!document) {
        std::fprintf(stderr, "zelko: cannot open %s: %s\n", file.c_str(), error.c_str());
        // Without a screen nobody could close the box.
        const QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal")
            QMessageBox::critical(nullptr, "zelko",
                                  QCoreApplication::translate("RunEditor", "\"%1\" を開けませんでした。\n%2")
                                      .arg(QString::fromStdString(file), QString::fromStdString(error)));
        return 1;
    }
    TVemoForm form(resources, settings::SettingsFilePath());
    form.Start(std::move(document));
    form.show();
    int exitCode = 0;
    if (!screenshot.empty()) TakeScreenshot(form, screenshot, exitCode);
    const int result = QApplication::exec();
    return exitCode != 0 ? exitCode : result;
}

}  // namespace app
