// Button pictures by name, with the bottom-left pixel's colour transparent.

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemostring.h"

namespace {

TEST(ResourceTest, LoadsPicturesByExactName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(0, 255, 0));
    picture.setPixel(0, 2, qRgb(255, 0, 255));  // the key colour
    picture.setPixel(2, 1, qRgb(255, 0, 255));
    picture.setPixel(1, 1, qRgb(10, 20, 30));
    ASSERT_TRUE(picture.save(dir.filePath("arrow00.bmp"), "BMP"));
    ASSERT_TRUE(picture.save(dir.filePath("Lock.bmp"), "BMP"));
    QFile broken(dir.filePath("Broken.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM not really");
    broken.close();
    ASSERT_TRUE(picture.save(dir.filePath("Notes.png"), "PNG"));

    TVemoResource store;
    EXPECT_EQ(store.Load(dir.path().toStdString()), 2);
    EXPECT_EQ(store.FindBitmap("Arrow00"), nullptr);  // the lookup is case-sensitive
    ASSERT_NE(store.FindBitmap("arrow00"), nullptr);
    EXPECT_EQ(store.FindBitmap("Broken"), nullptr);
    EXPECT_EQ(store.FindBitmap("Notes"), nullptr);
    const QImage loaded = store.FindBitmap("Lock")->toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(loaded.pixel(0, 2)), 0);
    EXPECT_EQ(qAlpha(loaded.pixel(2, 1)), 0);
    EXPECT_EQ(loaded.pixel(1, 1), qRgb(10, 20, 30));
    EXPECT_EQ(loaded.pixel(3, 0), qRgb(0, 255, 0));
}

TEST(ResourceTest, MissingFolderGivesNoPictures) {
    TVemoResource store;
    EXPECT_EQ(store.Load("/no/such/folder"), 0);
    EXPECT_EQ(store.FindBitmap("Arrow00"), nullptr);
    EXPECT_TRUE(store.Icon("Arrow00").isNull());
}

TEST(ResourceTest, ShippedPicturesCoverEveryName) {
    TVemoResource store;
    store.Load(ZELKO_BITMAP_DIR);
    for (const char* name :
         {"Arrow00",  "Arrow01", "Arrow02",   "Line",   "Poly",   "Ellipse", "Rect",  "Text", "Pad",
          "Lib",      "Group",   "UnGroup",   "Rotate", "Num",    "Mirror",  "OK",    "Zin",  "Zout",
          "AddPoint", "Visible", "UnVisible", "Lock",   "UnLock", "Check",   "Bevel", "Round"}) {
        SCOPED_TRACE(name);
        const QPixmap* one = store.FindBitmap(name);
        const QPixmap* two = store.FindBitmap(std::string(name) + "@2x");
        ASSERT_NE(one, nullptr);
        ASSERT_NE(two, nullptr);
        EXPECT_EQ(one->size(), QSize(24, 24));
        EXPECT_EQ(two->size(), QSize(48, 48));
    }
    for (int id : {10, 11, 12}) EXPECT_EQ(TVemoResource::Cursor(id).pixmap().isNull(), false) << id;
}

TEST(ResourceTest, VersionArtworkHasWhatTheVersionBoxNeeds) {
    std::string error;
    const std::unique_ptr<TVemoDocument> doc = DocumentFromBytes(TVemoResource::VersionArtwork(), error);
    ASSERT_NE(doc, nullptr) << error;
    EXPECT_NE(doc->GetLayerList().Find("zelko_back"), nullptr);
    TBasicVisitor all;
    doc->GetRoot().AcceptDeep(all);
    int found = 0;
    for (const TVemoObject* object : all.Objects())
        if (const auto* text = dynamic_cast<const TVemoString*>(object))
            found += text->GetText() == u"zelko_version";
    EXPECT_EQ(found, 1);
}

}  // namespace
