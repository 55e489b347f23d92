#include "app/Vemodialogs.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace app {

TVemoDialogs::TVemoDialogs(QWidget* parent) : parent_(parent) {}

TVemoDialogs::~TVemoDialogs() {
    delete open_;
    delete save_;
}

QStringList TVemoDialogs::Filters(TFileKind kind) {
    const QString all = QStringLiteral("All files (*)");
    switch (kind) {
        case TFileKind::Document:
            return {QStringLiteral("zelko files (*.vbf)"), all};
        case TFileKind::Legacy:
            return {QStringLiteral("VEMO files (*.vem)"), all};
        case TFileKind::Image:
            return {QStringLiteral("Image files (*.bmp *.png *.jpg *.jpeg)"), all};
        case TFileKind::Bitmap:
            return {QStringLiteral("bitmap files (*.bmp)"), all};
        case TFileKind::Emf:
            return {QStringLiteral("emf files (*.emf)"), all};
        case TFileKind::Table:
            return {QStringLiteral("Tab files (*.tab)"), QStringLiteral("CSV files (*.csv)"), all};
    }
    return {all};
}

QString TVemoDialogs::DefaultSuffix(TFileKind kind) {
    switch (kind) {
        case TFileKind::Document:
            return QStringLiteral("vbf");
        case TFileKind::Bitmap:
            return QStringLiteral("bmp");
        case TFileKind::Emf:
            return QStringLiteral("emf");
        default:
            return {};
    }
}

QFileDialog& TVemoDialogs::OpenDialog(TFileKind kind) {
    // A fresh dialog each time, in the folder last used: a reused one keeps
    // the previous choice selected in its list.
    delete open_;
    open_ = new QFileDialog(parent_, QCoreApplication::translate("TVemoDialogs", "開く"), openFolder_);
    open_->setObjectName("openDialog");
    open_->setAcceptMode(QFileDialog::AcceptOpen);
    open_->setFileMode(QFileDialog::ExistingFile);
    open_->setNameFilters(Filters(kind));
    open_->selectNameFilter(Filters(kind).front());
    return *open_;
}

QFileDialog& TVemoDialogs::SaveDialog(TFileKind kind) {
    delete save_;
    save_ = new QFileDialog(parent_, QCoreApplication::translate("TVemoDialogs", "名前を付けて保存"),
                            saveFolder_);
    save_->setObjectName("saveDialog");
    save_->setAcceptMode(QFileDialog::AcceptSave);
    save_->setFileMode(QFileDialog::AnyFile);
    save_->setNameFilters(Filters(kind));
    save_->selectNameFilter(Filters(kind).front());
    save_->setDefaultSuffix(DefaultSuffix(kind));
    // Asks before replacing a file.
    save_->setOption(QFileDialog::DontConfirmOverwrite, false);
    return *save_;
}

namespace {
std::optional<std::string> Run(QFileDialog& dialog, QString& folder) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString file = dialog.selectedFiles().front();
    if (file.isEmpty()) return std::nullopt;
    folder = dialog.directory().absolutePath();
    return file.toStdString();
}
}  // namespace

std::optional<std::string> TVemoDialogs::AskOpen(TFileKind kind) {
    return Run(OpenDialog(kind), openFolder_);
}
std::optional<std::string> TVemoDialogs::AskSave(TFileKind kind) {
    return Run(SaveDialog(kind), saveFolder_);
}

}  // namespace app
