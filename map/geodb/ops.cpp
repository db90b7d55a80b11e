// The operations built on the file layer: the add and replace families,
// accessors, index look-ups, searches, meta information, record updates, the
// text dump and the latitude/longitude texts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "core/zel_filesys.hpp"
#include "map/geodb/zel_geodb.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {

namespace {

// Round to nearest as IEEE does, without the undefined conversion of values
// beyond the float range: above FLT_MAX plus half an ulp the result is inf.
float SearchKey(double Value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  constexpr double kHalfUlp = 0x1p103;
  if (Value >= kMax + kHalfUlp) return std::numeric_limits<float>::infinity();
  if (Value <= -(kMax + kHalfUlp)) return -std::numeric_limits<float>::infinity();
  if (Value > kMax) return std::numeric_limits<float>::max();
  if (Value < -kMax) return -std::numeric_limits<float>::max();
  return static_cast<float>(Value);
}

// Case folding of Windows-1252 bytes: ASCII, the Latin-1 letters and the
// three pairs of 0x8A..0x9F.
uint8_t FoldAnsi(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<uint8_t>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<uint8_t>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool SameAnsiText(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
           return FoldAnsi(static_cast<uint8_t>(x)) == FoldAnsi(static_cast<uint8_t>(y));
         });
}

template <typename T>
T ClampedIndexRecord(const std::vector<T>& Ix, int32_t ix) {
  if (Ix.empty()) return T{0, 0};
  const size_t k =
      static_cast<size_t>(std::clamp<int64_t>(ix, 1, static_cast<int64_t>(Ix.size())) - 1);
  T r = Ix[k];
  ++r.index;
  return r;
}

// The search of the look-ups: Below(key) and Above(key) against the value.
template <typename T, typename BelowF, typename AboveF>
int32_t ClosestIx(const std::vector<T>& Ix, BelowF Below, AboveF Above) {
  if (Ix.empty()) return 1;
  int64_t lo = 0, hi = static_cast<int64_t>(Ix.size()) - 1, mid = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    if (Below(Ix[static_cast<size_t>(mid)]))
      lo = mid + 1;
    else if (Above(Ix[static_cast<size_t>(mid)]))
      hi = mid - 1;
    else
      break;
  }
  return static_cast<int32_t>(mid + (Below(Ix[static_cast<size_t>(mid)]) ? 2 : 1));
}

void PutText(std::string& Out, std::string_view Text) { Out.append(Text); }

template <typename T>
void PutNum(std::string& Out, T Value) {
  char b[64];
  const auto r = std::to_chars(b, b + sizeof b, Value);
  Out.append(b, r.ptr);
}

std::string SideText(double Value, double Limit, TDegreeFormat Format, int32_t NDecP,
                     const char* Neg, const char* Pos) {
  const double v = std::isnan(Value) ? Value : std::clamp(Value, -Limit, Limit);
  return DegreeToStr(std::fabs(v), Format, NDecP) + (v < 0 ? Neg : Pos);
}

}  // namespace

// ---------------------------------------------------------------------------
// The add and replace families
// ---------------------------------------------------------------------------

// The arguments AddData and ReplaceData share, gathered by the family
// members, which differ only in the kind and the source of the data.
struct TGeoDB::TItemArgs {
  std::string Name;
  const TgdbPolygon* Polygon = nullptr;
  bool FromFile = false;
  TgdbItem Kind = TgdbItem::gitUndefined;
  uint8_t ClassNumber = 0;
  TDateTime Date = 0;
  int32_t StateFlag = 0;
  float LatLow = 0, LatHigh = 0, LongLow = 0, LongHigh = 0, Altitude = 0;
  int32_t UserTag = 0;
  TMetaInfo MInfo;
  const void* Data = nullptr;
  int32_t Size = 0;
  bool Closed = false;
  std::string FileName;
};

int32_t TGeoDB::StoreArgs(bool Replace, int32_t DBEntry, TItemArgs& A) {
  static const TgdbPolygon kNoPoints;
  const TgdbPolygon& poly = A.Polygon ? *A.Polygon : kNoPoints;
  if (Replace)
    return ReplaceData(DBEntry, A.Name, poly, A.FromFile, A.Kind, A.ClassNumber, A.Date,
                       A.StateFlag, A.LatLow, A.LatHigh, A.LongLow, A.LongHigh, A.Altitude,
                       A.UserTag, A.MInfo, A.Data, A.Size, A.Closed, A.FileName);
  return AddData(A.Name, poly, A.FromFile, A.Kind, A.ClassNumber, A.Date, A.StateFlag, A.LatLow,
                 A.LatHigh, A.LongLow, A.LongHigh, A.Altitude, A.UserTag, A.MInfo, A.Data, A.Size,
                 A.Closed, A.FileName);
}

// The bounds of polygon kinds are recomputed by AddData, so they are not
// carried.
int32_t TGeoDB::StorePolygon(bool Replace, int32_t DBEntry, TgdbItem Kind, const std::string& Name,
                             const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                             int32_t StateFlag, float Altitude, uint8_t ClassNumber,
                             int32_t UserTag) {
  TItemArgs a;
  a.Name = Name;
  a.Polygon = &Polygon;
  a.Kind = Kind;
  a.Closed = ClosedLine;
  a.Date = Date;
  a.StateFlag = StateFlag;
  a.Altitude = Altitude;
  a.ClassNumber = ClassNumber;
  a.UserTag = UserTag;
  return StoreArgs(Replace, DBEntry, a);
}

TGeoDB::TItemArgs TGeoDB::BlobArgs(const std::string& Name, TDateTime Date, int32_t StateFlag,
                                   float LatLow, float LatHigh, float LongLow, float LongHigh,
                                   float Altitude, uint8_t ClassNumber, int32_t UserTag,
                                   const TMetaInfo& MInfo) {
  TItemArgs a;
  a.Name = Name;
  a.Kind = TgdbItem::gitBLOB;
  a.Date = Date;
  a.StateFlag = StateFlag;
  a.LatLow = LatLow;
  a.LatHigh = LatHigh;
  a.LongLow = LongLow;
  a.LongHigh = LongHigh;
  a.Altitude = Altitude;
  a.ClassNumber = ClassNumber;
  a.UserTag = UserTag;
  a.MInfo = MInfo;
  return a;
}

int32_t TGeoDB::StoreTown(bool Replace, int32_t DBEntry, const std::string& Name, TDateTime Date,
                          int32_t StateFlag, const TSCoords& Location, float Altitude,
                          uint8_t ClassNumber, int32_t UserTag) {
  TItemArgs a = BlobArgs(Name, Date, StateFlag, Location.Latit, Location.Latit, Location.Longit,
                         Location.Longit, Altitude, ClassNumber, UserTag, TMetaInfo{});
  a.Kind = TgdbItem::gitTown;
  return StoreArgs(Replace, DBEntry, a);
}

TGeoDB::TItemArgs TGeoDB::StreamArgs(const char* Op, TItemArgs A, const TMemoryStream& Data) const {
  if (Data.GetSize() > kGdbMaxDataFileSize - kGdbMetaInfoSize)
    Fail(Op, "data file would exceed 2 GiB.");
  A.Data = Data.GetMemory();
  A.Size = static_cast<int32_t>(Data.GetSize());
  return A;
}

TGeoDB::TItemArgs TGeoDB::FileArgs(TItemArgs A, const std::string& FileName,
                                   const std::string& FNameInDB, const std::string& StoredPath) {
  A.FromFile = true;
  A.FileName = FileName;
  A.Name = StripPath(FNameInDB);
  A.MInfo.FilePath = GdbShortString(StoredPath, kGdbMetaShortCapacity);
  return A;
}

int32_t TGeoDB::AddBorder(const std::string& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                          TDateTime Date, int32_t StateFlag, float, float, float, float,
                          float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitBorder, Name, Polygon, ClosedLine, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::AddCity(const std::string& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                        TDateTime Date, int32_t StateFlag, float, float, float, float,
                        float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitCity, Name, Polygon, ClosedLine, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::AddLake(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                        int32_t StateFlag, float, float, float, float, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitLake, Name, Polygon, false, Date, StateFlag, Altitude,
                      ClassNumber, UserTag);
}

int32_t TGeoDB::AddRiver(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int32_t StateFlag, float, float, float, float, float Altitude,
                         uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitRiver, Name, Polygon, false, Date, StateFlag, Altitude,
                      ClassNumber, UserTag);
}

int32_t TGeoDB::AddRoad(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                        int32_t StateFlag, float, float, float, float, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitRoad, Name, Polygon, false, Date, StateFlag, Altitude,
                      ClassNumber, UserTag);
}

int32_t TGeoDB::AddRoute(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int32_t StateFlag, float, float, float, float, float Altitude,
                         uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(false, 0, TgdbItem::gitRoute, Name, Polygon, false, Date, StateFlag, Altitude,
                      ClassNumber, UserTag);
}

int32_t TGeoDB::AddTown(const std::string& Name, TDateTime Date, int32_t StateFlag,
                        const TSCoords& Location, float Altitude, uint8_t ClassNumber,
                        int32_t UserTag) {
  return StoreTown(false, 0, Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::AddBLOB(const std::string& Name, TDateTime Date, int32_t StateFlag, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo,
                        const void* PBLOBData, int32_t SizeOfBLOBData) {
  TItemArgs a = BlobArgs(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                         ClassNumber, UserTag, MInfo);
  a.Data = PBLOBData;
  a.Size = SizeOfBLOBData;
  return StoreArgs(false, 0, a);
}

int32_t TGeoDB::AddBLOB(const std::string& Name, TDateTime Date, int32_t StateFlag, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo,
                        const TMemoryStream& Data) {
  if (!IsOpen()) return kGdbNotOpen;
  TItemArgs a = StreamArgs("AddBLOB",
                           BlobArgs(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                    Altitude, ClassNumber, UserTag, MInfo),
                           Data);
  return StoreArgs(false, 0, a);
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, TDateTime Date, int32_t StateFlag,
                        float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo) {
  return AddBLOB(FileName, FileName, FileName, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                 Altitude, ClassNumber, UserTag, MInfo);
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, const std::string& FNameInDB, TDateTime Date,
                        int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                        float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag,
                        const TMetaInfo& MInfo) {
  return AddBLOB(FileName, FNameInDB, FileName, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                 Altitude, ClassNumber, UserTag, MInfo);
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, const std::string& FNameInDB,
                        const std::string& OrgFilePath, TDateTime Date, int32_t StateFlag,
                        float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo) {
  TItemArgs a = FileArgs(BlobArgs({}, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                  ClassNumber, UserTag, MInfo),
                         FileName, FNameInDB, OrgFilePath);
  return StoreArgs(false, 0, a);
}

int32_t TGeoDB::ReplaceBorder(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                              bool ClosedLine, TDateTime Date, int32_t StateFlag, float, float,
                              float, float, float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitBorder, Name, Polygon, ClosedLine, Date,
                      StateFlag, Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceCity(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                            bool ClosedLine, TDateTime Date, int32_t StateFlag, float, float, float,
                            float, float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitCity, Name, Polygon, ClosedLine, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceLake(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                            TDateTime Date, int32_t StateFlag, float, float, float, float,
                            float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitLake, Name, Polygon, false, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceRiver(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                             TDateTime Date, int32_t StateFlag, float, float, float, float,
                             float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitRiver, Name, Polygon, false, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceRoad(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                            TDateTime Date, int32_t StateFlag, float, float, float, float,
                            float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitRoad, Name, Polygon, false, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceRoute(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                             TDateTime Date, int32_t StateFlag, float, float, float, float,
                             float Altitude, uint8_t ClassNumber, int32_t UserTag) {
  return StorePolygon(true, DBEntry, TgdbItem::gitRoute, Name, Polygon, false, Date, StateFlag,
                      Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceTown(int32_t DBEntry, const std::string& Name, TDateTime Date,
                            int32_t StateFlag, const TSCoords& Location, float Altitude,
                            uint8_t ClassNumber, int32_t UserTag) {
  return StoreTown(true, DBEntry, Name, Date, StateFlag, Location, Altitude, ClassNumber, UserTag);
}

int32_t TGeoDB::ReplaceBLOB(int32_t DBEntry, const std::string& Name, TDateTime Date,
                            int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                            float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag,
                            const TMetaInfo& MInfo, const void* PBLOBData, int32_t SizeOfBLOBData) {
  TItemArgs a = BlobArgs(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                         ClassNumber, UserTag, MInfo);
  a.Data = PBLOBData;
  a.Size = SizeOfBLOBData;
  return StoreArgs(true, DBEntry, a);
}

int32_t TGeoDB::ReplaceBLOB(int32_t DBEntry, const std::string& Name, TDateTime Date,
                            int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                            float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag,
                            const TMetaInfo& MInfo, const TMemoryStream& Data) {
  if (!IsOpen() || DBEntry < 1 || DBEntry > GetNumEntries()) return kGdbNotOpen;
  TItemArgs a = StreamArgs("ReplaceBLOB",
                           BlobArgs(Name, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh,
                                    Altitude, ClassNumber, UserTag, MInfo),
                           Data);
  return StoreArgs(true, DBEntry, a);
}

int32_t TGeoDB::ReplaceBLOB(int32_t DBEntry, const std::string& FileName, TDateTime Date,
                            int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                            float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag,
                            const TMetaInfo& MInfo) {
  TItemArgs a = FileArgs(BlobArgs({}, Date, StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude,
                                  ClassNumber, UserTag, MInfo),
                         FileName, FileName, FileName);
  return StoreArgs(true, DBEntry, a);
}

// ---------------------------------------------------------------------------
// Accessors, look-ups and searches
// ---------------------------------------------------------------------------

TgdbData TGeoDB::GetSumdata(int32_t ix) const {
  TgdbData r;
  if (FSumData.empty()) {
    ClearGdbData(r);
    return r;
  }
  return FSumData[static_cast<size_t>(
      std::clamp<int64_t>(ix, 1, static_cast<int64_t>(FSumData.size())) - 1)];
}

TIxItemIDRec TGeoDB::GetIxItemID(int32_t ix) const { return ClampedIndexRecord(FIx0ItemId, ix); }
TIxLLRec TGeoDB::GetIxLatLow(int32_t ix) const { return ClampedIndexRecord(FIxLL[0], ix); }
TIxLLRec TGeoDB::GetIxLatHigh(int32_t ix) const { return ClampedIndexRecord(FIxLL[1], ix); }
TIxLLRec TGeoDB::GetIxLongLow(int32_t ix) const { return ClampedIndexRecord(FIxLL[2], ix); }
TIxLLRec TGeoDB::GetIxLongHigh(int32_t ix) const { return ClampedIndexRecord(FIxLL[3], ix); }

int32_t TGeoDB::GetClosestItemIDIx(int32_t ItemID) const {
  return ClosestIx(
      FIx0ItemId, [ItemID](const TIxItemIDRec& r) { return r.ItemID < ItemID; },
      [ItemID](const TIxItemIDRec& r) { return r.ItemID > ItemID; });
}

int32_t TGeoDB::ClosestLLIx(int32_t Ix, double Value) const {
  const float v = SearchKey(Value);
  return ClosestIx(
      FIxLL[static_cast<size_t>(Ix - 1)],
      [v](const TIxLLRec& r) { return LLKeyBelow(r.LLValue, v); },
      [v](const TIxLLRec& r) { return LLKeyBelow(v, r.LLValue); });
}

int32_t TGeoDB::GetClosestLatLowIx(double Latit) const { return ClosestLLIx(1, Latit); }
int32_t TGeoDB::GetClosestLatHighIx(double Latit) const { return ClosestLLIx(2, Latit); }
int32_t TGeoDB::GetClosestLongLowIx(double Longit) const { return ClosestLLIx(3, Longit); }
int32_t TGeoDB::GetClosestLongHighIx(double Longit) const { return ClosestLLIx(4, Longit); }

int32_t TGeoDB::SearchForItemID(int32_t ItemID) const {
  if (FIx0ItemId.empty()) return 0;
  const int32_t pos = GetClosestItemIDIx(ItemID);
  if (pos > static_cast<int32_t>(FIx0ItemId.size())) return 0;
  const TIxItemIDRec& r = FIx0ItemId[static_cast<size_t>(pos - 1)];
  return r.ItemID == ItemID ? r.index + 1 : 0;
}

int32_t TGeoDB::SearchData(const std::string& Name, TgdbItem ItemType, int32_t StartSearchAt,
                           uint8_t ClassNumber) const {
  const std::string want = Utf8ToAnsi(GdbShortString(Name, kGdbNameCapacity));
  const bool anyKind = ItemType == TgdbItem::gitUndefined;
  for (size_t k = static_cast<size_t>(std::max(StartSearchAt, 1) - 1); k < FSumData.size(); ++k) {
    const TgdbData& d = FSumData[k];
    if ((anyKind || d.ItemKind == static_cast<int32_t>(ItemType)) && d.ClassFlag == ClassNumber &&
        SameAnsiText(Utf8ToAnsi(d.Name), want))
      return static_cast<int32_t>(k + 1);
  }
  return 0;
}

int32_t TGeoDB::SearchData(const std::string& Name) const {
  const std::string want = Utf8ToAnsi(GdbShortString(Name, kGdbNameCapacity));
  for (size_t k = 0; k < FSumData.size(); ++k)
    if (SameAnsiText(Utf8ToAnsi(FSumData[k].Name), want)) return static_cast<int32_t>(k + 1);
  return 0;
}

// ---------------------------------------------------------------------------
// Meta information and record updates
// ---------------------------------------------------------------------------

void TGeoDB::GetMetaInfo(int32_t DBEntry, TMetaInfo& MetaInfo) {
  MetaInfo = TMetaInfo{};
  if (!IsOpen()) return;
  TgdbData rec;
  LocateBlob("GetMetaInfo", DBEntry, rec, MetaInfo);
}

void TGeoDB::UpdateMetaInfo(int32_t DBEntry, const TMetaInfo& MetaInfo) {
  if (!IsOpen() || DBEntry < 1 || DBEntry > GetNumEntries()) return;
  CheckNotBusy("UpdateMetaInfo");
  TgdbData rec;
  TMetaInfo old;
  if (!LocateBlob("UpdateMetaInfo", DBEntry, rec, old)) return;
  uint8_t m[kGdbMetaInfoSize];
  EncodeMetaInfo(MetaInfo, m);
  try {
    TFileStream s(FNameGDD, TFileMode::fmOpenReadWrite);
    if (s.Seek(rec.BlobOffset, TSeekOrigin::soBeginning) != rec.BlobOffset ||
        s.Write(m, kGdbMetaInfoSize) != kGdbMetaInfoSize || !s.Flush())
      Fail("UpdateMetaInfo", "cannot write the data file.");
  } catch (const EInOutError& e) {
    Fail("UpdateMetaInfo", e.what());
  }
}

void TGeoDB::UpdateBasicData(int32_t DbEntry, const TgdbData& GdbData) {
  if (!IsOpen() || DbEntry < 1 || DbEntry > GetNumEntries()) return;
  CheckNotBusy("UpdateBasicData");
  const TgdbData& old = FSumData[static_cast<size_t>(DbEntry - 1)];
  TgdbData rec = GdbData;
  rec.ItemId = old.ItemId;
  rec.BlobOffset = old.BlobOffset;
  rec.NumPoints = old.NumPoints;
  rec.ItemKind = old.ItemKind;
  rec.Name = GdbShortString(rec.Name, kGdbNameCapacity);
  WriteSummaryRecord("UpdateBasicData", static_cast<size_t>(DbEntry - 1), rec);
  FSumData[static_cast<size_t>(DbEntry - 1)] = rec;
  RemoveIndexEntries(DbEntry);
  InsertIntoIndex(DbEntry, rec);
  if (!FLazyWrite) SaveAllIndexes();
}

// ---------------------------------------------------------------------------
// Text dump
// ---------------------------------------------------------------------------

void TGeoDB::ExportDataDebug(const std::string& FName) const {
  if (!IsOpen()) return;
  std::string t;
  const auto line = [&t](std::string_view Key, const std::string& Value) {
    PutText(t, Key);
    PutText(t, ": ");
    PutText(t, Value);
    t += '\n';
  };
  const auto num = [](auto v) {
    std::string s;
    PutNum(s, v);
    return s;
  };
  line("summary file", FNameGDS);
  line("data file", FNameGDD);
  for (size_t k = 0; k < FNameIX.size(); ++k) line("index file " + num(k), FNameIX[k]);
  line("HighestID", num(FSystemData.HighestID));
  line("DBVersion", num(FSystemData.DBVersion));
  line("Description", FSystemData.Description);
  line("Revision", num(FSystemData.Revision));
  line("entries", num(FSumData.size()));
  t += "entry;ItemId;Name;Kind;ClassFlag;Tag;BlobOffset;NumPoints;Date;StateFlag;LatLow;LatHigh;"
       "LongLow;LongHigh;Altitude;Closed\n";
  for (size_t k = 0; k < FSumData.size(); ++k) {
    const TgdbData& d = FSumData[k];
    for (const std::string& f :
         {num(k + 1), num(d.ItemId), d.Name, std::string(GdbItemName(d.ItemKind)),
          num(int{d.ClassFlag}), num(d.Tag), num(d.BlobOffset), num(d.NumPoints), num(d.Date),
          num(d.StateFlag), num(d.LatLow), num(d.LatHigh), num(d.LongLow), num(d.LongHigh),
          num(d.Altitude)}) {
      t += f;
      t += ';';
    }
    t += d.Closed ? "1\n" : "0\n";
  }
  t += "index 0 (ItemID;entry)\n";
  for (const TIxItemIDRec& r : FIx0ItemId) t += num(r.ItemID) + ';' + num(r.index + 1) + '\n';
  static const char* const kLL[4] = {"LatLow", "LatHigh", "LongLow", "LongHigh"};
  for (size_t k = 0; k < 4; ++k) {
    t += "index " + num(k + 1) + " (" + kLL[k] + ";entry)\n";
    for (const TIxLLRec& r : FIxLL[k]) t += num(r.LLValue) + ';' + num(r.index + 1) + '\n';
  }
  try {
    TFileStream s(FName, TFileMode::fmCreate);
    if (s.Write(t.data(), static_cast<int64_t>(t.size())) != static_cast<int64_t>(t.size()) ||
        !s.Flush())
      Fail("ExportDataDebug", "cannot write \"" + FName + "\".");
  } catch (const EInOutError& e) {
    Fail("ExportDataDebug", e.what());
  }
}

// ---------------------------------------------------------------------------
// Free helpers
// ---------------------------------------------------------------------------

void ClearMetaInfo(TMetaInfo& MetaInfo) { MetaInfo = TMetaInfo{}; }

TSCoords ExtractLocation(const TgdbData& GdbData) { return {GdbData.LatLow, GdbData.LongLow}; }

std::string GeoLatitude(double Lat, TDegreeFormat Format, int32_t NDecP) {
  return SideText(Lat, 90, Format, NDecP, " S", " N");
}

std::string GeoLongitude(double Long, TDegreeFormat Format, int32_t NDecP) {
  return SideText(Long, 180, Format, NDecP, " W", " E");
}

TgdbSystemData ReadSystemInformation(const std::string& FName) {
  const char* Op = "ReadSystemInformation: ";
  const std::string name = StripExtension(FName) + ".zelgdd";
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw EZELGeoDBError(std::string(Op) + "cannot open database.");
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EZELGeoDBError(std::string(Op) + "cannot open database.");
  }
  uint8_t b[kGdbSystemDataSize];
  int64_t got = 0;
  while (got < kGdbSystemDataSize) {
    const ssize_t r = ::pread(fd, b + got, static_cast<size_t>(kGdbSystemDataSize - got), got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += r;
  }
  ::close(fd);
  if (got < kGdbSystemDataSize) throw EZELGeoDBError(std::string(Op) + "damaged data file.");
  return DecodeGdbSystemData(b);
}

}  // namespace zel
