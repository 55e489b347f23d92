#pragma once
// The program's shared pictures: every Bitmap/*.bmp of the data folder, loaded
// once by name (the file name without ".bmp", case kept), with the colour of
// each file's bottom-left pixel made transparent; and the view tools' cursors.
// "Name@2x.bmp" holds the same picture at twice the size for HiDPI screens.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QCursor>
#include <QIcon>
#include <QPixmap>

class TVemoResource {
public:
    // Cursor ids of the view tools, as the states ask for them.
    static constexpr int kViewCursor = 10, kScaleUpCursor = 11, kScaleDownCursor = 12;

    TVemoResource() = default;
    // Loads every picture of folder; a missing or empty folder leaves the store
    // empty, and files that are not readable bitmaps are skipped. Returns the count.
    int Load(const std::filesystem::path& folder);

    // The picture stored under exactly that name; null when there is none.
    const QPixmap* FindBitmap(const std::string& name) const;
    // The picture with its 2x version, for buttons; a null icon when there is none.
    QIcon Icon(const std::string& name) const;
    // The cursor for a state's cursor id (0 arrow, -4 text beam, 10 to 12 view tools).
    static QCursor Cursor(int id);

    // The version artwork, a document kept inside the program; empty if missing.
    static std::string VersionArtwork();

    // The data folders, first first: beside the program (not for an installed
    // program), the user's data folder, the installed data folder
    // (PREFIX/share/zelko beside PREFIX/bin) or else the data folder of this build.
    static std::vector<std::filesystem::path> DataFolders();
    // The first of DataFolders holding a Bitmap folder, with "Bitmap" appended;
    // empty when none has one.
    static std::filesystem::path BitmapFolder();
    // The first of DataFolders holding a folder of that name ("pad", "lib"),
    // with the name appended; a program run from its build tree falls back to
    // the starter set in the source tree. Empty when there is none.
    static std::filesystem::path ContentFolder(const std::string& name);

private:
    std::map<std::string, QPixmap> pictures_;
};
