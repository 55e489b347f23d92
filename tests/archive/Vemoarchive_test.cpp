#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"

TEST(Archive, PrimitivesRoundTripLittleEndian) {
    std::string bytes;
    TVemo_oarchive w(bytes);
    w.WriteInt32(-2);
    w.WriteByte(1);
    w.WriteFloat(1.5f);
    w.WriteDouble(-0.25);
    w.WriteString("基板");
    w.WriteWString(u"ABC 基板");
    w.WriteColour(0x5A102030);
    w.WritePoint({3, -4});
    w.WriteMatrix(geom::Matrix(1, 2, 3, 4, 5, 6));
    w.WriteTag("PATH");

    ASSERT_EQ(bytes.size(), 16u + 4 + 1 + 4 + 8 + (4 + 4) + (4 + 12) + 4 + 8 + 24 + 4);
    EXPECT_EQ(std::memcmp(bytes.data(), "Vemo2.0\0\x05\0\0\0\x10\0\0\0", 16), 0);
    EXPECT_EQ(bytes.substr(16, 4), std::string("\xfe\xff\xff\xff", 4));
    EXPECT_EQ(bytes.substr(16 + 4 + 1 + 4 + 8, 8), std::string("\x04\0\0\0\x8a\xee\x94\xc2", 8));

    TVemo_iarchive r(bytes);
    ASSERT_TRUE(r.IsGood());
    EXPECT_EQ(r.Version(), 5);
    std::int32_t i;
    std::uint8_t b;
    float f;
    double d;
    std::string s, tag;
    std::u16string ws;
    geom::Argb c;
    geom::PointF p;
    geom::Matrix m;
    ASSERT_TRUE(r.ReadInt32(i) && r.ReadByte(b) && r.ReadFloat(f) && r.ReadDouble(d) && r.ReadString(s) &&
                r.ReadWString(ws) && r.ReadColour(c) && r.ReadPoint(p) && r.ReadMatrix(m) && r.ReadTag(tag));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -0.25);
    EXPECT_EQ(s, "基板");
    EXPECT_EQ(ws, u"ABC 基板");
    EXPECT_EQ(c, 0x5A102030u);
    EXPECT_EQ(p, geom::PointF(3, -4));
    EXPECT_EQ(m, geom::Matrix(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(tag, "PATH");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.ReadByte(b));
    EXPECT_FALSE(r.IsGood());
}

TEST(Archive, HeaderAcceptance) {
    using namespace std::string_view_literals;
    // Eight bytes of magic, the NUL (or whatever stands there) included.
    auto header = [](std::string_view magic, std::int32_t version) {
        std::string h(magic.substr(0, 8));
        h.append(reinterpret_cast<const char*>(&version), 4);
        h.append("\x10\0\0\0", 4);
        return h;
    };
    struct Row {
        const char* name;
        std::string bytes;
        bool accepted;
    } rows[] = {
        {"version 5", header("Vemo2.0\0"sv, 5), true},
        {"version 3", header("Vemo2.0\0"sv, 3), true},
        {"version 6", header("Vemo2.0\0"sv, 6), false},
        {"wrong magic", header("Vemo1.0\0"sv, 5), false},
        {"eighth byte not checked", header("Vemo2.0x"sv, 4), true},
        {"short", std::string("Vemo2.0\0\x05\0", 10), false},
        {"empty", std::string(), false},
    };
    for (const Row& r : rows) {
        TVemo_iarchive a(r.bytes);
        EXPECT_EQ(a.IsGood(), r.accepted) << r.name;
    }
}

TEST(Archive, DamagedCountsFailFastWithoutAllocating) {
    std::string bytes;
    TVemo_oarchive w(bytes);
    w.WriteInt32(2000000000);  // a count the rest of the buffer cannot hold
    w.WriteInt32(7);
    {
        TVemo_iarchive r(bytes);
        std::int32_t n;
        EXPECT_FALSE(r.ReadCount(n, 8));
        EXPECT_FALSE(r.IsGood());
        std::int32_t later;
        EXPECT_FALSE(r.ReadInt32(later)) << "a failed reader stays failed";
    }
    {
        TVemo_iarchive r(bytes);
        std::string s;
        EXPECT_FALSE(r.ReadString(s)) << "string length past the end";
        EXPECT_TRUE(s.empty());
    }
    std::string neg;
    TVemo_oarchive wn(neg);
    wn.WriteInt32(-1);
    TVemo_iarchive rn(neg);
    std::u16string ws;
    EXPECT_FALSE(rn.ReadWString(ws));
}
