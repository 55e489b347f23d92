#include "app/Versionform.h"

#include <cmath>

#include <QPainter>
#include <QScreen>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemostring.h"
#include "app/Vemoresource.h"
#include "render/Qtgraphics.h"

namespace app {

QString TVersionForm::VersionText() {
    return QStringLiteral("zelko version " ZELKO_VERSION);
}

QImage TVersionForm::BuildPicture(const std::string& bytes, const QString& version) {
    std::string error;
    const std::unique_ptr<TVemoDocument> doc = DocumentFromBytes(bytes, error);
    if (!doc) return {};
    TVemoPart& root = doc->GetRoot();
    TBasicVisitor all;
    root.AcceptDeep(all);
    for (TVemoObject* object : all.Objects())
        if (auto* text = dynamic_cast<TVemoString*>(object); text && text->GetText() == u"zelko_version")
            text->SetText(version.toStdU16String());
    TVemoLayerList& layers = doc->GetLayerList();
    layers.SetCurrentByName("zelko_back");
    root.Rebuild();
    RectF b;
    root.GetBounds(b);
    const int width = int(b.width * 0.6), height = int(b.height * 0.6);
    if (width <= 0 || height <= 0 || width > 4000 || height > 4000) return {};
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QTransform t;
    t.translate(b.width * 0.05, b.height * 0.05);
    t.scale(0.5, 0.5);
    t.translate(-b.x, -b.y);
    painter.setWorldTransform(t);
    TQtGraphics graphics(painter);
    for (int i = layers.Count() - 1; i >= 0; --i) root.DrawFill(&graphics, i);
    return picture;
}

TVersionForm::TVersionForm(QWidget* parent) : QDialog(parent) {
    setObjectName("VersionForm");
    setWindowTitle(tr("バージョン情報"));
    setAccessibleName(tr("バージョン情報"));
    setAccessibleDescription(VersionText());
    setToolTip(VersionText());
    picture_ = BuildPicture(TVemoResource::VersionArtwork(), VersionText());
    setFixedSize(picture_.isNull() ? QSize(240, 80) : picture_.size());
}

void TVersionForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), palette().window());
        painter.drawText(rect(), Qt::AlignCenter, VersionText());
        return;
    }
    painter.drawImage(0, 0, picture_);
}

}  // namespace app
