// Byte images of the database files, assembled by hand from the layout
// tables (offsets written out here, independent of the codecs), compared
// with what the component writes.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "map/geodb/geodb_test_impl.hpp"

namespace zel {
namespace {

using geodbtest::ReadBytes;
using geodbtest::TempDir;

struct Image {
  std::vector<uint8_t> b;
  explicit Image(size_t n) : b(n, 0) {}
  void I32(size_t o, int32_t v) {
    for (int k = 0; k < 4; ++k)
      b[o + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
  }
  void F32(size_t o, float v) { I32(o, std::bit_cast<int32_t>(v)); }
  void F64(size_t o, double v) {
    const uint64_t u = std::bit_cast<uint64_t>(v);
    for (int k = 0; k < 8; ++k) b[o + k] = static_cast<uint8_t>(u >> (8 * k));
  }
  void Str(size_t o, const std::string& Ansi, size_t Cap, uint8_t Fill) {
    b[o] = static_cast<uint8_t>(Ansi.size());
    for (size_t k = 0; k < Cap; ++k)
      b[o + 1 + k] = k < Ansi.size() ? static_cast<uint8_t>(Ansi[k]) : Fill;
  }
  void Append(const Image& o) { b.insert(b.end(), o.b.begin(), o.b.end()); }
};

Image Summary(int32_t Id, const std::string& Name, float Alt, uint8_t Cls, int32_t Tag, int32_t Off,
              double Date, int32_t State, float LaL, float LaH, float LoL, float LoH, uint8_t Kind,
              int32_t Num, bool Closed) {
  Image r(120);
  r.I32(0, Id);
  r.Str(4, Name, 59, 0x20);
  r.F32(64, Alt);
  r.b[68] = Cls;
  r.I32(72, Tag);
  r.I32(76, Off);
  r.F64(80, Date);
  r.I32(88, State);
  r.F32(92, LaL);
  r.F32(96, LaH);
  r.F32(100, LoL);
  r.F32(104, LoH);
  r.b[108] = Kind;
  r.I32(112, Num);
  r.b[116] = Closed ? 1 : 0;
  return r;
}

Image Index(const std::vector<std::pair<uint32_t, int32_t>>& Recs) {
  Image r(8 * Recs.size());
  for (size_t i = 0; i < Recs.size(); ++i) {
    r.I32(8 * i, static_cast<int32_t>(Recs[i].first));
    r.I32(8 * i + 4, Recs[i].second);
  }
  return r;
}
uint32_t Bits(float v) { return std::bit_cast<uint32_t>(v); }

TEST(GeoDBFiles, NewDatabaseIsAHeaderAndSixEmptyFiles) {
  TempDir dir;
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "new.abc");
  EXPECT_EQ(db.GetDBName(), dir / "new");
  Image h(260);
  h.I32(4, 4);
  EXPECT_EQ(ReadBytes(dir / "new.zelgdd"), h.b);
  for (int k = 1; k < 7; ++k)
    EXPECT_TRUE(ReadBytes(dir / (std::string("new") + geodbtest::kExts[k])).empty());
}

// A scripted sequence: header changes, a town, a closed river, a BLOB, a
// second town, then the first town deleted (the second takes entry 1).
TEST(GeoDBFiles, ScriptedDatabaseMatchesTheLayoutByteForByte) {
  TempDir dir;
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir / "g");
    db.SetDescription("Test DB");
    db.SetRevision(3);
    std::string n1 = "Wien", n2 = "Donau", n3 = "Note Zürich";
    EXPECT_EQ(db.AddData(n1, {}, false, TgdbItem::gitTown, 2, 45000.5, 7, 48.2f, 48.2f, 16.37f,
                         16.37f, 170, 11, TMetaInfo{}, nullptr, 0, false),
              1);
    EXPECT_EQ(db.AddData(n2, {{48.0f, 16.0f}, {48.5f, 15.0f}}, false, TgdbItem::gitRiver, 1, 45001,
                         -5, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0, true),
              2);
    const uint8_t data[3] = {1, 2, 3};
    TMetaInfo m;
    m.Keywords = "k";
    m.Caption = "Zürich €";
    EXPECT_EQ(db.AddData(n3, {}, false, TgdbItem::gitBLOB, 9, 45002, 0, 10, 20, 30, 40, 1.5f, -1, m,
                         data, 3, false),
              3);
    std::string n4 = "Graz";
    EXPECT_EQ(db.AddData(n4, {}, false, TgdbItem::gitTown, 0, 45003, 0, 47.07f, 47.07f, 15.44f,
                         15.44f, 350, 0, TMetaInfo{}, nullptr, 0, false),
              4);
    db.DeleteData(1);
    EXPECT_EQ(db.GetNumEntries(), 3);
  }
  Image dd(260);
  dd.I32(0, 4);
  dd.I32(4, 4);
  dd.Str(8, "Test DB", 63, 0);
  dd.I32(72, 3);
  Image pts(16);
  pts.F32(0, 48.0f);
  pts.F32(4, 16.0f);
  pts.F32(8, 48.5f);
  pts.F32(12, 15.0f);
  dd.Append(pts);
  Image meta(1024 + 3);
  meta.Str(0, "k", 255, 0);
  meta.Str(256, "Z\xFCrich \x80", 127, 0);
  meta.b[1024] = 1;
  meta.b[1025] = 2;
  meta.b[1026] = 3;
  dd.Append(meta);
  EXPECT_EQ(ReadBytes(dir / "g.zelgdd"), dd.b);

  Image gds =
      Summary(4, "Graz", 350, 0, 0, -1, 45003, 0, 47.07f, 47.07f, 15.44f, 15.44f, 1, 0, false);
  gds.Append(Summary(2, "Donau", 0, 1, 0, 260, 45001, -5, 48.0f, 48.5f, 15.0f, 16.0f, 4, 2, true));
  gds.Append(Summary(3, "Note Z\xFCrich", 1.5f, 9, -1, 276, 45002, 0, 10, 20, 30, 40, 7, 3, false));
  EXPECT_EQ(ReadBytes(dir / "g.zelgds"), gds.b);

  EXPECT_EQ(ReadBytes(dir / "g.zelgi0"), Index({{2, 1}, {3, 2}, {4, 0}}).b);
  EXPECT_EQ(ReadBytes(dir / "g.zelgi1"),
            Index({{Bits(10), 2}, {Bits(47.07f), 0}, {Bits(48.0f), 1}}).b);
  EXPECT_EQ(ReadBytes(dir / "g.zelgi2"),
            Index({{Bits(20), 2}, {Bits(47.07f), 0}, {Bits(48.5f), 1}}).b);
  EXPECT_EQ(ReadBytes(dir / "g.zelgi3"),
            Index({{Bits(15.0f), 1}, {Bits(15.44f), 0}, {Bits(30), 2}}).b);
  EXPECT_EQ(ReadBytes(dir / "g.zelgi4"),
            Index({{Bits(15.44f), 0}, {Bits(16.0f), 1}, {Bits(40), 2}}).b);

  // Reopened, the same state comes back and the next identifier is 5.
  TGeoDB db(nullptr);
  db.SetGDBName(dir / "g.zelgds");
  EXPECT_EQ(db.GetDescription(), "Test DB");
  EXPECT_EQ(db.GetRevision(), 3);
  EXPECT_EQ(db.SumData()[2].Name, "Note Zürich");
  EXPECT_TRUE(db.SumData()[1].Closed);
  EXPECT_EQ(geodbtest::AddTown(db, "Linz", 48.3f, 14.3f), 4);
  EXPECT_EQ(db.SumData()[3].ItemId, 5);
}

TEST(GeoDBRecords, ShortStringsAreClampedAndConverted) {
  // Length bytes beyond the capacity must not run into the next field.
  Image r = Summary(1, "abc", 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1, 0, false);
  r.b[4] = 255;
  r.b[64] = 'X';  // first byte of Altitude
  const TgdbData d = DecodeGdbData(r.b.data());
  EXPECT_EQ(d.Name.size(), 59u);
  EXPECT_EQ(d.Name.find('X'), std::string::npos);

  Image h(260);
  h.b[8] = 200;
  EXPECT_EQ(DecodeGdbSystemData(h.b.data()).Description.size(), 63u);

  std::vector<uint8_t> m(1024, 'a');
  m[0] = 255;    // Keywords: exactly its capacity
  m[256] = 255;  // Caption: 127 at most
  m[384] = 200;
  const TMetaInfo mi = DecodeMetaInfo(m.data());
  EXPECT_EQ(mi.Keywords.size(), 255u);
  EXPECT_EQ(mi.Caption.size(), 127u);
  EXPECT_EQ(mi.FilePath.size(), 127u);

  // Capacity counts Windows-1252 bytes: "ü" is one byte on disk.
  EXPECT_EQ(GdbShortString(std::string(70, 'x'), 59).size(), 59u);
  EXPECT_EQ(GdbShortString("\u00FC\u00FC\u00FC", 2), "\u00FC\u00FC");
  EXPECT_EQ(GdbShortString("\u03A9", 5), "?");
  // Nonzero Closed bytes read as true; ItemKind keeps its raw byte.
  r.b[116] = 0x80;
  r.b[108] = 200;
  const TgdbData d2 = DecodeGdbData(r.b.data());
  EXPECT_TRUE(d2.Closed);
  EXPECT_EQ(d2.ItemKind, 200);
  EXPECT_STREQ(GdbItemName(d2.ItemKind), "Undefined");
  EXPECT_STREQ(GdbItemName(7), "BLOB");
}

TEST(GeoDBRecords, EncodeWritesZeroPaddingAndCarriesReserved) {
  TgdbData d;
  d.Name = "A";
  uint8_t out[120];
  std::memset(out, 0xEE, sizeof out);
  EncodeGdbData(d, out);
  for (int o : {69, 70, 71, 109, 110, 111, 117, 118, 119}) EXPECT_EQ(out[o], 0) << o;
  EXPECT_EQ(out[6], 0x20);
  TgdbSystemData h;
  h.Reserved[0] = 7;
  h.Reserved[183] = 9;
  uint8_t hb[260];
  EncodeGdbSystemData(h, hb);
  const TgdbSystemData back = DecodeGdbSystemData(hb);
  EXPECT_EQ(back.Reserved, h.Reserved);
  EXPECT_EQ(hb[76], 7);
  EXPECT_EQ(hb[259], 9);
}

}  // namespace
}  // namespace zel
