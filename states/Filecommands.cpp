#include "states/Filecommands.h"

#include <filesystem>

#include <QCoreApplication>
#include <QImageReader>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "states/Vemoeventcontext.h"

namespace {

// The name a document is known by: absolute, so the caption and the recent
// list name the same file whichever folder the program was started in.
std::string FullName(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

}  // namespace

TFileCommands::TFileCommands(TVemoEventContext& context, StartingDocument starting)
    : context_(context), starting_(std::move(starting)) {}

void TFileCommands::Install(std::unique_ptr<TVemoDocument> document) {
    // SetDocument refreshes the caption, the recent list, the layer panel and
    // the bitmaps; the view starts on the whole board, as at start-up.
    context_.SetDocument(std::move(document));
    context_.ShowWholeArea();
    context_.Invalidate();
}

bool TFileCommands::New() {
    if (context_.QuerySave() == TAnswer::Cancel) return false;
    std::unique_ptr<TVemoDocument> doc = starting_ ? starting_() : nullptr;
    if (!doc) doc = std::make_unique<TVemoDocument>();
    doc->SetFileName("");
    Install(std::move(doc));
    context_.PressTool("select");
    return true;
}

bool TFileCommands::OpenFile(const std::string& path) {
    std::string error;
    std::unique_ptr<TVemoDocument> doc = ReadDocumentFile(path, error);
    if (!doc) {
        context_.Ui().ShowError(
            QCoreApplication::translate("TFileCommands", "ファイル \"%1\" を開けませんでした。\n%2")
                .arg(QString::fromStdString(path), QString::fromStdString(error))
                .toStdString());
        return false;
    }
    doc->SetFileName(FullName(path));
    Install(std::move(doc));
    return true;
}

bool TFileCommands::Open() {
    if (context_.QuerySave() == TAnswer::Cancel) return false;
    const std::optional<std::string> path = context_.Ui().AskOpenFileName(TFileKind::Document);
    if (!path || path->empty()) return false;
    return OpenFile(*path);
}

bool TFileCommands::OpenRecent(const std::string& path) {
    if (path.empty()) return false;
    if (context_.QuerySave() == TAnswer::Cancel) return false;
    return OpenFile(path);
}

bool TFileCommands::Write() {
    const std::string name = context_.Document().GetFileName();
    if (!name.empty()) return context_.WriteDocument(name);
    return SaveAs();
}

bool TFileCommands::SaveAs() {
    const std::optional<std::string> name = context_.Ui().AskSaveFileName();
    if (!name || name->empty()) return false;
    return context_.WriteDocument(FullName(*name));
}

bool TFileCommands::LoadBackground() {
    const std::optional<std::string> path = context_.Ui().AskOpenFileName(TFileKind::Image);
    if (!path || path->empty()) return false;
    QImageReader reader(QString::fromStdString(*path));
    const QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        context_.Ui().ShowError(
            QCoreApplication::translate("TFileCommands", "画像 \"%1\" を読めませんでした。\n%2")
                .arg(QString::fromStdString(*path), reader.errorString())
                .toStdString());
        return false;
    }
    TVemoDocument& doc = context_.Document();
    const double w = doc.GetAreaWidth();
    doc.SetAreaSize(w, w * image.height() / image.width());
    doc.SetViewFlags(TVemoDocumentInfo::ViewShowBackground | TVemoDocumentInfo::ViewFixedAspect);
    context_.SetBackground(image);
    context_.Ui().RefreshDesignPanel();
    context_.Invalidate();
    return true;
}
