#include "app/Vemoresource.h"

#include <cstdlib>

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "settings/Settings.h"

int TVemoResource::Load(const std::filesystem::path& folder) {
    std::error_code ec;
    int loaded = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".bmp") != 0) continue;
        QImage image(QString::fromStdString(it->path().string()), "BMP");
        if (image.isNull()) continue;
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = image.pixel(0, image.height() - 1);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (row[x] == key) row[x] = 0;
        }
        pictures_[file.substr(0, file.size() - 4)] = QPixmap::fromImage(image);
        ++loaded;
    }
    return loaded;
}

const QPixmap* TVemoResource::FindBitmap(const std::string& name) const {
    const auto it = pictures_.find(name);
    return it == pictures_.end() ? nullptr : &it->second;
}

QIcon TVemoResource::Icon(const std::string& name) const {
    QIcon icon;
    if (const QPixmap* one = FindBitmap(name)) icon.addPixmap(*one);
    if (const QPixmap* two = FindBitmap(name + "@2x")) {
        QPixmap sharp = *two;
        sharp.setDevicePixelRatio(2.0);
        icon.addPixmap(sharp);
    }
    return icon;
}

QCursor TVemoResource::Cursor(int id) {
    const char* file = id == kViewCursor        ? ":/cursors/VIEW.svg"
                       : id == kScaleUpCursor   ? ":/cursors/SCALEUP.svg"
                       : id == kScaleDownCursor ? ":/cursors/SCALEDOWN.svg"
                                                : nullptr;
    if (!file) return QCursor(id == -4 ? Qt::IBeamCursor : Qt::ArrowCursor);
    // Drawn at the screen's scale so it stays sharp; the hot spot is where the
    // tool acts: the middle of the hand, the centre of the lens.
    const qreal scale = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QSvgRenderer svg{QString::fromLatin1(file)};
    QPixmap picture(QSize(32, 32) * scale);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    picture.setDevicePixelRatio(scale);
    return id == kViewCursor ? QCursor(picture, 15, 16) : QCursor(picture, 12, 12);
}

std::string TVemoResource::VersionArtwork() {
    QFile file(QStringLiteral(":/VBF/VERINFO"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::vector<std::filesystem::path> TVemoResource::DataFolders() {
    std::vector<std::filesystem::path> folders;
    const std::filesystem::path program = settings::ProgramFolder();
    const std::filesystem::path installed = settings::InstalledDataFolder(program);
    if (!program.empty() && installed.empty()) folders.push_back(program);
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        folders.push_back(std::filesystem::path(xdg) / "zelko");
    else if (const char* home = std::getenv("HOME"); home && *home)
        folders.push_back(std::filesystem::path(home) / ".local/share/zelko");
    // An installed program never looks into the tree it was built in.
    folders.push_back(installed.empty() ? std::filesystem::path(ZELKO_DATA_DIR) : installed);
    return folders;
}

std::filesystem::path TVemoResource::ContentFolder(const std::string& name) {
    for (const std::filesystem::path& folder : DataFolders()) {
        std::error_code ec;
        if (std::filesystem::is_directory(folder / name, ec)) return folder / name;
    }
    std::error_code ec;
    const std::filesystem::path source = std::filesystem::path(ZELKO_CONTENT_DIR) / name;
    if (settings::InstalledDataFolder(settings::ProgramFolder()).empty() &&
        std::filesystem::is_directory(source, ec))
        return source;
    return {};
}

std::filesystem::path TVemoResource::BitmapFolder() {
    for (const std::filesystem::path& folder : DataFolders()) {
        std::error_code ec;
        if (std::filesystem::is_directory(folder / "Bitmap", ec)) return folder / "Bitmap";
    }
    return {};
}
