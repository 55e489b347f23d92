#include "app/Vemoclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace app {

void SetClipboardObjects(const std::string& bytes) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kClipboardFormat), QByteArray(bytes.data(), qsizetype(bytes.size())));
    clipboard->setMimeData(data);
}

std::optional<std::string> ClipboardObjects() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    const QString format = QString::fromLatin1(kClipboardFormat);
    if (!data || !data->hasFormat(format)) return std::nullopt;
    const QByteArray bytes = data->data(format);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace app
