#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "archive/Vemo_iarchive.h"
#include "archive/Vemodocumentfile.h"
#include "archive/Vemoobjectio.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "boardgen/Boardgen.h"
#include "tests/archive/Bytebuilder.h"
#include "tests/support/Builtstate.h"

namespace {

std::unique_ptr<TVemoDocument> Read(const std::string& bytes) {
    std::string error;
    return DocumentFromBytes(bytes, error);
}

// A document holding every object class, on a layer with a Japanese name.
std::unique_ptr<TVemoDocument> EveryClassDocument() {
    auto doc = std::make_unique<TVemoDocument>();
    TVemoLayerList& layers = doc->GetLayerList();
    auto kiban = std::make_shared<TVemoLayer>(0xFF336699u, "基板");
    layers.Insert(kiban);
    const TVemoLayerPtr solder = layers.Find("solder");
    TVemoPart& root = doc->GetRoot();

    auto open = std::make_unique<TVemoPath>();
    open->SetLayer(solder);
    open->AppendNode({10, 10});
    open->AppendNode({60, 10});
    open->PullHandles({80, 30});  // a curved node
    open->AppendNode({90, 60});
    open->Finish();
    open->SetName("track 1");
    root.AddChild(std::move(open));

    auto closed = std::make_unique<TVemoPath>();
    closed->SetLayer(layers.Find("component"));
    for (PointF p : {PointF{0, 0}, PointF{40, 0}, PointF{40, 30}, PointF{0, 30}}) closed->AppendNode(p);
    closed->Close();
    TVemoSurface filled(0.5f, true, false);
    filled.SetJoin(geom::JoinMiter);
    filled.SetDash(geom::DashDashDot);
    closed->SetSurface(filled);
    root.AddChild(std::move(closed));

    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(solder);
    rect->SetCorners({100, 100}, {140, 120});
    rect->Rotate(30, {120, 110});
    rect->Deselect();
    root.AddChild(std::move(rect));

    auto inner = std::make_unique<TVemoGroup>();
    auto ellipse = std::make_unique<TVemoEllipse>();
    ellipse->SetLayer(layers.Find("hole"));
    ellipse->SetCircle({200, 50}, {205, 50});
    ellipse->Rotate(45, {0, 0});
    ellipse->Deselect();
    inner->AddChild(std::move(ellipse));
    auto text = std::make_unique<TVemoString>();
    text->SetLayer(kiban);
    text->SetFont(TVemoFont("MS UI Gothic", 20.0f, 0));
    text->SetText(u"ABC 基板");
    text->Rotate(90, {0, 0});
    inner->AddChild(std::move(text));
    auto outer = std::make_unique<TVemoGroup>();
    outer->SetName("U1");
    outer->AddChild(std::move(inner));
    root.AddChild(std::move(outer));

    doc->SetAreaOrigin(-5, 2.5);
    doc->SetAreaSize(800, 600);
    doc->SetViewFlags(0x10);
    layers.SetCurrent(layers.At(0));
    return doc;
}

void ExpectSameObjects(const TVemoObject& a, const TVemoObject& b) {
    ASSERT_EQ(a.GetTag(), b.GetTag());
    EXPECT_EQ(a.GetName(), b.GetName());
    EXPECT_EQ(a.GetFlags(), b.GetFlags());
    RectF ba, bb;
    a.GetBounds(ba);
    b.GetBounds(bb);
    EXPECT_EQ(ba, bb) << a.GetTag() << " " << a.GetName();
    if (a.GetLayer()) {
        EXPECT_EQ(a.GetLayer()->GetName(), b.GetLayer()->GetName());
    }
    if (auto* pa = dynamic_cast<const TVemoPath*>(&a)) {
        auto* pb = dynamic_cast<const TVemoPath*>(&b);
        EXPECT_TRUE(std::equal(pa->GetPoints().begin(), pa->GetPoints().end(), pb->GetPoints().begin(),
                               pb->GetPoints().end()));
        EXPECT_TRUE(std::equal(pa->GetTypes().begin(), pa->GetTypes().end(), pb->GetTypes().begin(),
                               pb->GetTypes().end()));
        EXPECT_EQ(pa->IsClosed(), pb->IsClosed());
        EXPECT_EQ(pa->GetOutline(), pb->GetOutline());
        EXPECT_EQ(pa->GetSurface()->CompareTo(*pb->GetSurface()), 0);
    } else if (auto* sa = dynamic_cast<const TVemoShape*>(&a)) {
        auto* sb = dynamic_cast<const TVemoShape*>(&b);
        EXPECT_EQ(sa->GetLocalPoints(), sb->GetLocalPoints());
        EXPECT_EQ(sa->GetPlacement(), sb->GetPlacement());
        EXPECT_EQ(sa->GetOutline(), sb->GetOutline());
    } else if (auto* ta = dynamic_cast<const TVemoString*>(&a)) {
        auto* tb = dynamic_cast<const TVemoString*>(&b);
        EXPECT_EQ(ta->GetText(), tb->GetText());
        EXPECT_EQ(ta->GetFont(), tb->GetFont());
        EXPECT_EQ(ta->GetPlacement(), tb->GetPlacement());
        EXPECT_EQ(ta->GetOutline(), tb->GetOutline());
    } else if (auto* ca = dynamic_cast<const TVemoContainer*>(&a)) {
        auto* cb = dynamic_cast<const TVemoContainer*>(&b);
        ASSERT_EQ(ca->GetChildCount(), cb->GetChildCount());
        for (int i = 0; i < ca->GetChildCount(); ++i) ExpectSameObjects(*ca->GetChild(i), *cb->GetChild(i));
    }
}

// The header, a layer list and a root part of version 5 around the given children.
std::string Version5Document(const std::string& layersAndRoot) {
    ByteBuilder b;
    b.Header(5).Raw(layersAndRoot).I32(3).F64(0).F64(0).F64(1000).F64(750);
    return b.Bytes();
}

}  // namespace

TEST(DocumentArchive, EmptyNewDocumentHasExactlyTheseBytes) {
    ByteBuilder want;
    want.Header(5).I32(9);
    struct Layer {
        const char* name;
        std::uint32_t rgb;
        std::int32_t flags;
    } layers[] = {
        {"other", 0x808080, 0x12},     {"dimension", 0x000000, 0x12}, {"stop_cmp", 0xA6A6FF, 0x12},
        {"stop_sol", 0xFF80C0, 0x12},  {"place_cmp", 0xFFB900, 0x12}, {"place_sol", 0x465CAA, 0x12},
        {"component", 0x008000, 0x12}, {"solder", 0xEB2828, 0x13},    {"hole", 0xFFFFFF, 0x1A},
    };
    for (const Layer& l : layers) want.Str(l.name).Colour(0x5A000000u | l.rgb).I32(l.flags);
    want.Tag("PART").Str("Part").I32(2).I32(0);
    want.I32(3).F64(0).F64(0).F64(1000).F64(750);

    const std::string got = DocumentBytes(TVemoDocument());
    EXPECT_EQ(got.size(), want.Size());
    EXPECT_EQ(got, want.Bytes());
}

TEST(DocumentArchive, EveryObjectClassRoundTripsToIdenticalBytesAndGeometry) {
    const auto doc = EveryClassDocument();
    const std::string bytes = DocumentBytes(*doc);
    std::string error;
    const auto back = DocumentFromBytes(bytes, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(DocumentBytes(*back), bytes);

    ExpectSameObjects(doc->GetRoot(), back->GetRoot());
    ASSERT_EQ(back->GetLayerList().Count(), doc->GetLayerList().Count());
    for (int i = 0; i < doc->GetLayerList().Count(); ++i) {
        EXPECT_EQ(back->GetLayerList().At(i)->GetName(), doc->GetLayerList().At(i)->GetName());
        EXPECT_EQ(back->GetLayerList().At(i)->GetFlags(), doc->GetLayerList().At(i)->GetFlags())
            << doc->GetLayerList().At(i)->GetName();
    }
    EXPECT_EQ(back->GetAreaRect(), RectF(-5, 2.5f, 800, 600));
    EXPECT_EQ(back->GetViewFlags(), 0x13);
    // Objects refer to the layers of the document they were read into.
    const TVemoObject* first = back->GetRoot().GetChild(0);
    EXPECT_EQ(first->GetLayer(), back->GetLayerList().Find("solder"));
}

TEST(DocumentArchive, ReadingRestoresTheCurrentLayer) {
    // A new document's current layer is "solder"; it is saved and comes back,
    // with the current flag on that layer only.
    for (const char* name : {"solder", "component", "hole", "other"}) {
        TVemoDocument doc;
        doc.GetLayerList().SetCurrentByName(name);
        const auto back = Read(DocumentBytes(doc));
        ASSERT_TRUE(back) << name;
        ASSERT_TRUE(back->GetLayerList().Current()) << name;
        EXPECT_EQ(back->GetLayerList().Current()->GetName(), name);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(back->GetLayerList().At(i)->IsCurrent(), back->GetLayerList().At(i)->GetName() == name)
                << name << " " << i;
    }
    TVemoDocument plain;
    EXPECT_EQ(Read(DocumentBytes(plain))->GetLayerList().Find("hole")->GetFlags(), 0x1A);
}

TEST(DocumentArchive, WithoutAStoredCurrentLayerTheFirstIsCurrent) {
    // Written without any current bit (a list with no current layer): index 0.
    TVemoDocument doc;
    doc.GetLayerList().SetCurrent(nullptr);
    const auto back = Read(DocumentBytes(doc));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetLayerList().Current()->GetName(), "hole");
    EXPECT_EQ(back->GetLayerList().Find("hole")->GetFlags(), 0x1B);
}

TEST(DocumentArchive, Version4FixtureReadsEveryByte) {
    ByteBuilder b;
    b.Header(4).I32(2);
    b.Str("component").Colour(0x5A008000).I32(0x12);
    b.Str("solder").Colour(0x5AEB2828).I32(0x13);
    b.Tag("PART").Str("Part").I32(2).I32(3);
    // A path with the 14-byte surface of version 4: width, cut-out, fill, join, cap.
    b.Tag("PATH").Str("Path").I32(3).Str("solder").F32(3.0f).U8(0).U8(0).I32(0).I32(1);
    b.U8(0).I32(6);
    for (float x : {0.f, 0.f, 50.f, 50.f, 50.f, 0.f}) b.Point(x, 5);
    b.I32(6);
    for (int i = 0; i < 6; ++i) b.U8(0x02);
    b.Tag("RECT").Str("Rectangle").I32(2).Str("component").F32(1.0f).U8(1).U8(1).I32(2).I32(2);
    b.I32(5).Point(0, 0).Point(-10, -5).Point(10, -5).Point(10, 5).Point(-10, 5).Matrix(1, 0, 0, 1, 20, 15);
    b.Tag("TEXT").Str("String").I32(2).Str("solder").F32(1.0f).U8(0).U8(1).I32(2).I32(2);
    b.Matrix(1, 0, 0, 1, 100, 50).WStr(u"R1").WStr(u"ＭＳ ゴシック").I32(0).F32(15.0f);
    b.I32(0).F64(0).F64(0).F64(1000).F64(750);

    TVemo_iarchive in(b.Bytes());
    const auto doc = LoadDocument(in);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(in.IsGood());
    EXPECT_TRUE(in.AtEnd()) << "every byte consumed";
    EXPECT_EQ(doc->GetViewFlags(), 0);
    ASSERT_EQ(doc->GetRoot().GetChildCount(), 3);

    auto* path = dynamic_cast<TVemoPath*>(doc->GetRoot().GetChild(0));
    ASSERT_TRUE(path);
    EXPECT_EQ(path->GetFlags(), 0x2) << "selected and editing bits cleared";
    EXPECT_EQ(path->GetSurface()->GetWidth(), 3.0f);
    EXPECT_EQ(path->GetSurface()->GetJoin(), 0);
    EXPECT_EQ(path->GetSurface()->GetCap(), 1);
    EXPECT_EQ(path->GetSurface()->GetDash(), 0) << "version 4 has no dash: solid";
    EXPECT_EQ(path->GetLayer(), doc->GetLayerList().Find("solder"));
    RectF bounds;
    path->GetBounds(bounds);
    EXPECT_NEAR(bounds.Left(), -1.5, 1e-3) << "square cap of width 3";

    auto* rect = dynamic_cast<TVemoRect*>(doc->GetRoot().GetChild(1));
    ASSERT_TRUE(rect);
    EXPECT_TRUE(rect->GetSurface()->GetFill());
    EXPECT_TRUE(rect->GetSurface()->GetCutOut());
    EXPECT_EQ(rect->GetHandle(1), PointF(10, 10));

    auto* text = dynamic_cast<TVemoString*>(doc->GetRoot().GetChild(2));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->GetText(), u"R1");
    EXPECT_EQ(text->GetFont().FamilyName(), "ＭＳ ゴシック");
    EXPECT_FALSE(text->GetOutline().IsEmpty()) << "drawn with the substitute face";
}

TEST(DocumentArchive, Version3FixtureWithTrailersAndEllipseOrder) {
    ByteBuilder b;
    b.Header(3).I32(2);
    // Last index first, as in every version.
    b.Str("holes").Colour(0x5AFFFFFF).U8(1).U8(0);  // cut-out
    b.Str("top").Colour(0x5A0000FF).U8(0).U8(1);    // wire-frame
    auto trailer = [&](const char* name, float dx, float dy, float width) {
        b.Zeros(4).Zeros(8).Matrix(1, 0, 0, 1, dx, dy).Str(name);
        b.F32(width).U8(0).U8(0).I32(77).I32(2).I32(
            1);  // 18-byte surface: width, cut, fill, ignored, join, cap
    };
    b.Tag("PART").I32(3);
    b.Tag("PATH").Str("top").U8(0).I32(6);
    for (float x : {0.f, 0.f, 30.f, 30.f, 30.f, 0.f}) b.Point(x, 0).U8(0x06);
    trailer("old track", 10, 20, 2.0f);
    b.Tag("ELPS").Str("holes").Zeros(16);
    // Stored as centre, then local points 2, 3, 4 and 1.
    b.Point(0, 0).Point(0, 4).Point(-6, 0).Point(0, -4).Point(6, 0);
    trailer("drill", 50, 50, 1.0f);
    b.Tag("GRUP").I32(1);
    b.Tag("TEXT").Str("top").WStr(u"Arial").I32(0).F32(12.0f).WStr(u"V3");
    trailer("label", 0, 0, 1.0f);
    trailer("old group", 99, 99, 1.0f);
    trailer("Part", 0, 0, 1.0f);

    TVemo_iarchive in(b.Bytes());
    const auto doc = LoadDocument(in);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(in.AtEnd());
    const TVemoLayerList& layers = doc->GetLayerList();
    ASSERT_EQ(layers.Count(), 2);
    EXPECT_EQ(layers.At(0)->GetName(), "top");
    EXPECT_EQ(layers.At(0)->GetFlags(), 0x12 | 0x20 | 0x01);
    EXPECT_EQ(layers.At(1)->GetFlags(), 0x12 | 0x08);

    auto* path = dynamic_cast<TVemoPath*>(doc->GetRoot().GetChild(0));
    ASSERT_TRUE(path);
    EXPECT_EQ(path->GetName(), "old track");
    EXPECT_EQ(path->GetFlags(), 0x2);
    EXPECT_EQ(path->GetPoints()[0], PointF(10, 20)) << "the trailer's matrix moves the points";
    EXPECT_EQ(path->GetPoints()[3], PointF(40, 20));
    EXPECT_EQ(path->GetSurface()->GetWidth(), 2.0f);
    EXPECT_EQ(path->GetSurface()->GetCap(), 1);

    auto* ellipse = dynamic_cast<TVemoEllipse*>(doc->GetRoot().GetChild(1));
    ASSERT_TRUE(ellipse);
    const auto& p = ellipse->GetLocalPoints();
    EXPECT_EQ(p[1], PointF(6, 0));
    EXPECT_EQ(p[2], PointF(0, 4));
    EXPECT_EQ(p[3], PointF(-6, 0));
    EXPECT_EQ(p[4], PointF(0, -4));
    EXPECT_EQ(ellipse->GetHandle(1), PointF(56, 50));

    auto* group = dynamic_cast<TVemoGroup*>(doc->GetRoot().GetChild(2));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->GetName(), "old group");
    EXPECT_EQ(group->GetChild(0)->GetName(), "label");
}

TEST(DocumentArchive, SurfaceWordUnpacksAndTheCapFieldWins) {
    ByteBuilder b;
    b.I32(1).Str("a").Colour(0x5A112233).I32(0x12);
    b.Tag("PART").Str("Part").I32(2).I32(1);
    b.Tag("PATH").Str("Path").I32(2).Str("a").F32(2.0f).U8(0).U8(1).U32(0x80002019u).I32(2);
    b.U8(0).I32(6);
    for (int i = 0; i < 6; ++i) b.Point(float(i), 0);
    b.I32(6);
    for (int i = 0; i < 6; ++i) b.U8(0x02);
    const auto doc = Read(Version5Document(b.Bytes()));
    ASSERT_TRUE(doc);
    const TVemoSurface* s = doc->GetRoot().GetChild(0)->GetSurface();
    EXPECT_TRUE(s->GetCutOut());
    EXPECT_FALSE(s->GetFill()) << "the word's fill bit replaces the byte";
    EXPECT_EQ(s->GetJoin(), 2);
    EXPECT_EQ(s->GetDash(), 2);
    EXPECT_EQ(s->GetCap(), 2) << "the word said 1; the following field replaces it";
}

TEST(DocumentArchive, MissingLayerBecomesAGreyCurrentLayerAndTypeBitsStay) {
    ByteBuilder b;
    b.I32(1).Str("a").Colour(0x5A112233).I32(0x13);
    b.Tag("PART").Str("Part").I32(2).I32(1);
    b.Tag("PATH").Str("Path").I32(0xF).Str("x").F32(1.0f).U8(0).U8(0).U32(0x80000028u).I32(2);
    b.U8(1).I32(6);
    for (int i = 0; i < 6; ++i) b.Point(float(i * 10), float(i % 2));
    b.I32(6);
    for (int i = 0; i < 6; ++i) b.U8(0x07);
    const auto doc = Read(Version5Document(b.Bytes()));
    ASSERT_TRUE(doc);
    const TVemoLayerPtr x = doc->GetLayerList().Find("x");
    ASSERT_TRUE(x);
    EXPECT_EQ(doc->GetLayerList().Current(), x);
    EXPECT_EQ(x->GetOpaqueColour(), 0xFF808080u);
    auto* path = dynamic_cast<TVemoPath*>(doc->GetRoot().GetChild(0));
    EXPECT_EQ(path->GetLayer(), x);
    EXPECT_EQ(path->GetFlags(), 0x6) << "stored 0xF: selected and editing cleared";
    EXPECT_EQ(path->GetTypes()[0], 0x07) << "type bits are kept as stored";
}

TEST(DocumentArchive, RejectsWhatIsNotADocument) {
    const std::string good = DocumentBytes(TVemoDocument());
    std::string version6 = good;
    version6[8] = 6;
    std::string badMagic = good;
    badMagic[0] = 'X';
    ByteBuilder v3notPart;
    v3notPart.Header(3).I32(0).Tag("GRUP").I32(0);
    ByteBuilder v5rootGroup;
    v5rootGroup.Header(5).I32(0).Tag("GRUP").Str("Group").I32(2).I32(0).I32(3).F64(0).F64(0).F64(1).F64(1);
    ByteBuilder hugeCount;
    hugeCount.Header(5).I32(1).Str("a").Colour(0).I32(0x12).Tag("PART").Str("Part").I32(2).I32(1);
    hugeCount.Tag("PATH").Str("Path").I32(2).Str("a").F32(1).U8(0).U8(0).U32(0x80000028u).I32(2).U8(0);
    hugeCount.I32(2000000000);  // two billion points in a file of about a hundred bytes

    struct Row {
        const char* name;
        std::string bytes;
        const char* reason;
    } rows[] = {
        {"version 6", version6, "newer version"},
        {"wrong magic", badMagic, "not a document"},
        {"version 3 root is not a part", v3notPart.Bytes(), "damaged"},
        {"version 5 root is a group", v5rootGroup.Bytes(), "damaged"},
        {"huge point count", hugeCount.Bytes(), "damaged"},
        {"empty", "", "not a document"},
    };
    for (const Row& r : rows) {
        std::string error;
        EXPECT_FALSE(DocumentFromBytes(r.bytes, error)) << r.name;
        EXPECT_NE(error.find(r.reason), std::string::npos) << r.name << ": " << error;
    }
}

TEST(DocumentArchive, DamagedDocumentsAreRejectedWholeNeverHalfLoaded) {
    const std::string bytes = DocumentBytes(*EveryClassDocument());
    // Every truncation fails: the settings record at the end is always needed.
    for (std::size_t n = 0; n < bytes.size(); ++n) ASSERT_FALSE(Read(bytes.substr(0, n))) << "cut at " << n;
    // Random damage never crashes, hangs or allocates wildly (the sanitizers watch).
    std::mt19937 rng(5);
    for (int i = 0; i < 40; ++i) {
        std::string damaged = bytes;
        for (int k = 0; k < 4; ++k) damaged[16 + rng() % (damaged.size() - 16)] = char(rng());
        // What is accepted is a whole document: it writes and reads back the same.
        if (const auto doc = Read(damaged)) {
            const std::string again = DocumentBytes(*doc);
            const auto reread = Read(again);
            ASSERT_TRUE(reread) << "case " << i;
            EXPECT_EQ(DocumentBytes(*reread), again) << "case " << i;
        }
    }
}

int LeafCount(const TVemoObject& root) {
    int n = 0;
    ForEachObject(root, false, [&](const TVemoObject& object) { n += object.AsInstance() ? 1 : 0; });
    return n;
}

// Opening builds the outlines on every core once the tree is read; the board
// must come out as reading it with each object built as it comes, one after
// another: the same bytes, outlines, bounds and colours. The board has texts,
// pads in groups, pours and a layer its list lacks (made grey while reading);
// once with its objects on the root, once deep in blocks of blocks.
TEST(DocumentArchive, OutlinesBuiltOnEveryCoreMatchThoseBuiltOneByOne) {
    for (const int blockLevels : {0, 3}) {
        SCOPED_TRACE("block levels " + std::to_string(blockLevels));
        TBoardOptions options{1500, 7, true};
        options.blockLevels = blockLevels;
        auto board = GenerateBoard(options);
        auto stray = std::make_unique<TVemoPath>();
        stray->SetLayer(std::make_shared<TVemoLayer>(0xFF112233u, "not in the list"));
        stray->AppendNode({10, 10});
        stray->AppendNode({60, 40});
        stray->Finish();
        board->GetRoot().AddChild(std::move(stray));
        const std::string bytes = DocumentBytes(*board);

        std::string error;
        const auto parallel = DocumentFromBytes(bytes, error);
        ASSERT_TRUE(parallel) << error;

        // One by one: the root read with every object built as soon as it is read.
        TVemoDocument serial;
        TVemo_iarchive in(bytes);
        ASSERT_TRUE(LoadLayerList(in, serial.GetLayerList(), in.Version()));
        in.SetBindingList(&serial.GetLayerList());
        std::string tag;
        ASSERT_TRUE(in.ReadTag(tag));
        ASSERT_FALSE(in.DefersRebuild());
        ASSERT_TRUE(LoadObject(in, serial.GetRoot(), in.Version()));
        in.CommitLayers();

        const auto rootBytes = [](const TVemoPart& root) {
            std::string out;
            TVemo_oarchive writer(out);
            SaveObject(writer, root);
            return out;
        };
        EXPECT_EQ(rootBytes(parallel->GetRoot()), rootBytes(serial.GetRoot()));
        ASSERT_EQ(parallel->GetLayerList().Count(), serial.GetLayerList().Count());
        EXPECT_TRUE(parallel->GetLayerList().Find("not in the list"));
        const std::string built = testsupport::BuiltStateOf(parallel->GetRoot());
        EXPECT_EQ(built, testsupport::BuiltStateOf(serial.GetRoot()));
        EXPECT_EQ(built.find(" stale 1"), std::string::npos);
        EXPECT_GT(LeafCount(parallel->GetRoot()), 1500);
    }
}

// Reading a snapshot into the objects of a tree (an undo step): the objects
// whose records did not change are taken over with their outlines, the moved
// ones and the deleted ones are read anew, and the tree is the one a plain
// read of the snapshot gives.
TEST(DocumentArchive, APoolHandsBackTheObjectsWhoseRecordsAreUnchanged) {
    auto board = GenerateBoard({400, 3, true});
    TVemoPart& root = board->GetRoot();
    std::string snapshot;
    {
        TVemo_oarchive out(snapshot);
        SaveObject(out, root);
    }
    const int leaves = LeafCount(root);
    const int moved = LeafCount(*root.GetChild(0)), deleted = LeafCount(*root.GetChild(5));
    root.GetChild(0)->Translate(3, 0);
    root.GetChild(5)->RemoveFromParent();

    TObjectPool pool;
    pool.Offer(root);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(int(pool.Offered()), leaves - deleted);
    {
        TVemo_iarchive in(snapshot, &board->GetLayerList());
        in.SetPool(&pool);
        in.SetDeferRebuild(true);
        ASSERT_TRUE(LoadObject(in, root, in.Version()));
        RebuildStale(root);
    }
    EXPECT_EQ(int(pool.Taken()), leaves - moved - deleted);

    TVemoPart plain;
    TVemo_iarchive in(snapshot, &board->GetLayerList());
    ASSERT_TRUE(LoadObject(in, plain, in.Version()));
    std::string again;
    {
        TVemo_oarchive out(again);
        SaveObject(out, root);
    }
    EXPECT_EQ(again, snapshot);
    EXPECT_EQ(testsupport::BuiltStateOf(root), testsupport::BuiltStateOf(plain));
}

TEST(DocumentFile, WritesReadsAndKeepsThePreviousFileOnFailure) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("zelko-docfile-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "board.vbf").string();
    const auto doc = EveryClassDocument();
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(*doc, file, error)) << error;
    const auto back = ReadDocumentFile(file, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->GetFileName(), file);
    EXPECT_EQ(DocumentBytes(*back), DocumentBytes(*doc));

    const std::string before = DocumentBytes(*doc);
    EXPECT_FALSE(WriteDocumentFile(TVemoDocument(), (dir / "missing" / "b.vbf").string(), error));
    EXPECT_FALSE(WriteDocumentFile(TVemoDocument(), "/proc/zelko-board.vbf", error));
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);

    EXPECT_FALSE(ReadDocumentFile((dir / "absent.vbf").string(), error));
    EXPECT_NE(error.find("absent.vbf"), std::string::npos);
    fs::remove_all(dir);
}
