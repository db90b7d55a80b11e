#include <algorithm>
#include <bit>
#include <cstring>

#include "core/zel_binary.hpp"
#include "core/zel_system.hpp"
#include "map/geodb/zel_geodb.hpp"

namespace zel {

const std::array<const char*, 9> GDB_ITEMNAMES = {"Border", "Town",  "City", "Lake",     "River",
                                                  "Road",   "Route", "BLOB", "Undefined"};

const char* GdbItemName(uint8_t ItemKind) { return GDB_ITEMNAMES[std::min<uint8_t>(ItemKind, 8)]; }

bool IsGdbPolygonKind(uint8_t ItemKind) {
  switch (static_cast<TgdbItem>(ItemKind)) {
    case TgdbItem::gitBorder:
    case TgdbItem::gitCity:
    case TgdbItem::gitLake:
    case TgdbItem::gitRiver:
    case TgdbItem::gitRoad:
    case TgdbItem::gitRoute: return true;
    default: return false;
  }
}

const char* GeoDBStatusText(int32_t Status) {
  switch (Status) {
    case kGdbNotOpen: return "no database is open, or the entry does not exist";
    default: return "unknown geographic database status";
  }
}

namespace {

static_assert(sizeof(float) == 4 && sizeof(double) == 8);

void PutI32(uint8_t* p, int32_t v) { StoreLE32(p, static_cast<uint32_t>(v)); }
int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(LoadLE32(p)); }
void PutF32(uint8_t* p, float v) { StoreLE32(p, std::bit_cast<uint32_t>(v)); }
float GetF32(const uint8_t* p) { return std::bit_cast<float>(LoadLE32(p)); }

// A short string of capacity Cap occupies Cap + 1 bytes; Fill pads the bytes
// beyond the length.
void PutShort(uint8_t* p, std::string_view Utf8, int32_t Cap, uint8_t Fill) {
  const std::string ansi = Utf8ToAnsi(Utf8);
  const size_t len = std::min(ansi.size(), static_cast<size_t>(Cap));
  p[0] = static_cast<uint8_t>(len);
  std::memcpy(p + 1, ansi.data(), len);
  std::memset(p + 1 + len, Fill, static_cast<size_t>(Cap) - len);
}

std::string GetShort(const uint8_t* p, int32_t Cap) {
  const size_t len = std::min<size_t>(p[0], static_cast<size_t>(Cap));
  return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(p + 1), len));
}

// Field offsets of the layouts; the sizes follow from the last field.
constexpr int kSysDescription = 8, kSysRevision = 72, kSysReserved = 76;
static_assert(kSysReserved + 184 == kGdbSystemDataSize);
constexpr int kDatName = 4, kDatAltitude = 64, kDatClass = 68, kDatTag = 72, kDatBlob = 76,
              kDatDate = 80, kDatState = 88, kDatLatLow = 92, kDatLatHigh = 96, kDatLongLow = 100,
              kDatLongHigh = 104, kDatKind = 108, kDatNum = 112, kDatClosed = 116;
static_assert(kDatName + 1 + kGdbNameCapacity == kDatAltitude);
static_assert(kDatClosed + 4 == kGdbDataSize);
constexpr int kMetaCaption = 256, kMetaPath = 384, kMetaDescr = 512, kMetaComment = 768;
static_assert(kMetaComment + 256 == kGdbMetaInfoSize);

}  // namespace

std::string GdbShortString(std::string_view Text, int32_t MaxBytes) {
  std::string ansi = Utf8ToAnsi(Text);
  if (MaxBytes < 0) MaxBytes = 0;
  if (ansi.size() > static_cast<size_t>(MaxBytes)) ansi.resize(static_cast<size_t>(MaxBytes));
  return AnsiToUtf8(ansi);
}

void EncodeGdbSystemData(const TgdbSystemData& Rec, uint8_t* Out) {
  std::memset(Out, 0, kGdbSystemDataSize);
  PutI32(Out, Rec.HighestID);
  PutI32(Out + 4, Rec.DBVersion);
  PutShort(Out + kSysDescription, Rec.Description, kGdbDescriptionCapacity, 0);
  PutI32(Out + kSysRevision, Rec.Revision);
  std::memcpy(Out + kSysReserved, Rec.Reserved.data(), Rec.Reserved.size());
}

TgdbSystemData DecodeGdbSystemData(const uint8_t* In) {
  TgdbSystemData r;
  r.HighestID = GetI32(In);
  r.DBVersion = GetI32(In + 4);
  r.Description = GetShort(In + kSysDescription, kGdbDescriptionCapacity);
  r.Revision = GetI32(In + kSysRevision);
  std::memcpy(r.Reserved.data(), In + kSysReserved, r.Reserved.size());
  return r;
}

void EncodeGdbData(const TgdbData& Rec, uint8_t* Out) {
  std::memset(Out, 0, kGdbDataSize);
  PutI32(Out, Rec.ItemId);
  PutShort(Out + kDatName, Rec.Name, kGdbNameCapacity, 0x20);
  PutF32(Out + kDatAltitude, Rec.Altitude);
  Out[kDatClass] = Rec.ClassFlag;
  PutI32(Out + kDatTag, Rec.Tag);
  PutI32(Out + kDatBlob, Rec.BlobOffset);
  StoreLEDouble(Out + kDatDate, Rec.Date);
  PutI32(Out + kDatState, Rec.StateFlag);
  PutF32(Out + kDatLatLow, Rec.LatLow);
  PutF32(Out + kDatLatHigh, Rec.LatHigh);
  PutF32(Out + kDatLongLow, Rec.LongLow);
  PutF32(Out + kDatLongHigh, Rec.LongHigh);
  Out[kDatKind] = Rec.ItemKind;
  PutI32(Out + kDatNum, Rec.NumPoints);
  Out[kDatClosed] = Rec.Closed ? 1 : 0;
}

TgdbData DecodeGdbData(const uint8_t* In) {
  TgdbData r;
  r.ItemId = GetI32(In);
  r.Name = GetShort(In + kDatName, kGdbNameCapacity);
  r.Altitude = GetF32(In + kDatAltitude);
  r.ClassFlag = In[kDatClass];
  r.Tag = GetI32(In + kDatTag);
  r.BlobOffset = GetI32(In + kDatBlob);
  r.Date = LoadLEDouble(In + kDatDate);
  r.StateFlag = GetI32(In + kDatState);
  r.LatLow = GetF32(In + kDatLatLow);
  r.LatHigh = GetF32(In + kDatLatHigh);
  r.LongLow = GetF32(In + kDatLongLow);
  r.LongHigh = GetF32(In + kDatLongHigh);
  r.ItemKind = In[kDatKind];
  r.NumPoints = GetI32(In + kDatNum);
  r.Closed = In[kDatClosed] != 0;
  return r;
}

void EncodeMetaInfo(const TMetaInfo& Rec, uint8_t* Out) {
  PutShort(Out, Rec.Keywords, kGdbMetaLongCapacity, 0);
  PutShort(Out + kMetaCaption, Rec.Caption, kGdbMetaShortCapacity, 0);
  PutShort(Out + kMetaPath, Rec.FilePath, kGdbMetaShortCapacity, 0);
  PutShort(Out + kMetaDescr, Rec.Descriptor, kGdbMetaLongCapacity, 0);
  PutShort(Out + kMetaComment, Rec.Comment, kGdbMetaLongCapacity, 0);
}

TMetaInfo DecodeMetaInfo(const uint8_t* In) {
  TMetaInfo r;
  r.Keywords = GetShort(In, kGdbMetaLongCapacity);
  r.Caption = GetShort(In + kMetaCaption, kGdbMetaShortCapacity);
  r.FilePath = GetShort(In + kMetaPath, kGdbMetaShortCapacity);
  r.Descriptor = GetShort(In + kMetaDescr, kGdbMetaLongCapacity);
  r.Comment = GetShort(In + kMetaComment, kGdbMetaLongCapacity);
  return r;
}

}  // namespace zel
