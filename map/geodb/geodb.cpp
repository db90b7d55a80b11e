#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <functional>
#include <memory>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "core/zel_binary.hpp"
#include "core/zel_filesys.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "map/geodb/zel_geodb.hpp"

namespace zel {

namespace {

constexpr int64_t kBlockSize = 16384;

// Points are read into their storage as the bytes of the file.
static_assert(sizeof(TSCoords) == 8 && offsetof(TSCoords, Latit) == 0 &&
              offsetof(TSCoords, Longit) == 4 && std::is_trivially_copyable_v<TSCoords>);
constexpr const char* kIndexExt[5] = {".zelgi0", ".zelgi1", ".zelgi2", ".zelgi3", ".zelgi4"};

// Files the database consists of, in the order they are opened.
enum FileSlot { fsIx1, fsIx2, fsIx3, fsIx4, fsIx0, fsSummary, fsData, fsCount };

float LLKey(const TgdbData& d, int ix) {
  switch (ix) {
    case 1: return d.LatLow;
    case 2: return d.LatHigh;
    case 3: return d.LongLow;
    default: return d.LongHigh;
  }
}

int32_t PercentOf(long double Done, long double Total) {
  if (!(Total > 0)) return 100;
  return std::clamp(RoundToInt32(Done * 100.0L / Total), 0, 100);
}

// Days since 1899-12-30 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;  // 25569: 1899-12-30 to 1970-01-01
}

TDateTime LocalDateTime(const struct timespec& ts) {
  std::tm tm{};
  const time_t t = ts.tv_sec;
  if (localtime_r(&t, &tm) == nullptr) return 0;
  const int64_t days = DaysFromCivil(tm.tm_year + 1900LL, tm.tm_mon + 1LL, tm.tm_mday);
  const double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + ts.tv_nsec * 1e-9;
  return static_cast<double>(days) + secs / 86400.0;
}

std::vector<uint8_t> EncodeIndex(const std::vector<TIxItemIDRec>& ix) {
  std::vector<uint8_t> b(ix.size() * kGdbIxRecSize);
  for (size_t i = 0; i < ix.size(); ++i) {
    StoreLE32(&b[8 * i], static_cast<uint32_t>(ix[i].ItemID));
    StoreLE32(&b[8 * i + 4], static_cast<uint32_t>(ix[i].index));
  }
  return b;
}

std::vector<uint8_t> EncodeIndex(const std::vector<TIxLLRec>& ix) {
  std::vector<uint8_t> b(ix.size() * kGdbIxRecSize);
  for (size_t i = 0; i < ix.size(); ++i) {
    StoreLE32(&b[8 * i], std::bit_cast<uint32_t>(ix[i].LLValue));
    StoreLE32(&b[8 * i + 4], static_cast<uint32_t>(ix[i].index));
  }
  return b;
}

[[noreturn]] void ThrowErrno(const std::string& What, const std::string& Name) {
  const int e = errno;
  throw EInOutError(What + " \"" + Name + "\": " + std::strerror(e), e);
}

void SyncFile(const std::string& Name) {
  const int fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowErrno("Cannot open file", Name);
  const int rc = ::fsync(fd);
  ::close(fd);
  if (rc != 0) ThrowErrno("Cannot sync file", Name);
}

// Makes renames in the file's directory durable; file systems that cannot
// sync a directory are left to their own ordering.
void SyncDirectoryOf(const std::string& Name) {
  const size_t slash = Name.find_last_of('/');
  const std::string dir =
      slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : Name.substr(0, slash));
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void RenameFile(const std::string& From, const std::string& To) {
  if (std::rename(From.c_str(), To.c_str()) != 0) ThrowErrno("Cannot rename file", From);
}

void WriteAndSync(const std::string& Name, const std::vector<uint8_t>& Bytes) {
  {
    TFileStream s(Name, TFileMode::fmCreate);
    if (s.Write(Bytes.data(), static_cast<int64_t>(Bytes.size())) !=
            static_cast<int64_t>(Bytes.size()) ||
        !s.Flush())
      throw EInOutError("Cannot write file \"" + Name + "\"", EIO);
  }
  SyncFile(Name);
}

// Replaces the file by Bytes so that a crash leaves either the old or the
// new content: write a temporary, sync it, rename it over the file.
void WriteFileAtomically(const std::string& Name, const std::vector<uint8_t>& Bytes) {
  const std::string tmp = Name + ".tmp";
  WriteAndSync(tmp, Bytes);
  RenameFile(tmp, Name);
}

bool FileExists(const std::string& Name) {
  struct stat st {};
  return ::lstat(Name.c_str(), &st) == 0;
}

// The files of a compaction (GarbageCollection) of the summary file S and
// data file D: D.tmp and S.tmp while copying, S.gc once committed.
std::string CompactedData(const std::string& D) { return D + ".tmp"; }
std::string CompactedSummary(const std::string& S) { return S + ".tmp"; }
std::string CommittedSummary(const std::string& S) { return S + ".gc"; }

// A committed compaction is finished, the leftovers of one that was not
// committed are removed.
void RecoverCompaction(const std::string& S, const std::string& D) {
  if (FileExists(CommittedSummary(S))) {
    if (FileExists(CompactedData(D))) RenameFile(CompactedData(D), D);
    RenameFile(CommittedSummary(S), S);
    SyncDirectoryOf(S);
  } else {
    ::unlink(CompactedData(D).c_str());
    ::unlink(CompactedSummary(S).c_str());
  }
}

void WriteAt(TFileStream& s, int64_t Offset, const uint8_t* Bytes, int64_t Count) {
  if (s.Seek(Offset, TSeekOrigin::soBeginning) != Offset || s.Write(Bytes, Count) != Count ||
      !s.Flush())
    throw EInOutError("Cannot write file \"" + s.GetFileName() + "\"", EIO);
}

// The five indexes of a database, built or checked outside the object.
struct TIndexSet {
  std::vector<TIxItemIDRec> Ix0;
  std::array<std::vector<TIxLLRec>, 4> LL;

  void Append(int32_t Entry, const TgdbData& d) {
    Ix0.emplace_back();
    TGeoDB::SortIxItemIDInto(Ix0, {d.ItemId, Entry - 1});
    for (int k = 0; k < 4; ++k) {
      LL[k].emplace_back();
      TGeoDB::SortIxInto(LL[k], {LLKey(d, k + 1), Entry - 1});
    }
  }
};

// An index is kept only when it has one record per summary record, names
// every record once, carries the record's key bit for bit and is sorted.
bool IndexMatches(const std::vector<uint8_t>& Bytes, int Ix, const std::vector<TgdbData>& Sum) {
  const size_t n = Sum.size();
  if (Bytes.size() / kGdbIxRecSize != n) return false;
  std::vector<uint8_t> seen(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t key = LoadLE32(&Bytes[8 * i]);
    const int32_t index = static_cast<int32_t>(LoadLE32(&Bytes[8 * i + 4]));
    if (index < 0 || static_cast<size_t>(index) >= n || seen[static_cast<size_t>(index)])
      return false;
    seen[static_cast<size_t>(index)] = 1;
    const TgdbData& d = Sum[static_cast<size_t>(index)];
    if (Ix == 0) {
      if (static_cast<int32_t>(key) != d.ItemId) return false;
      if (i > 0 && static_cast<int32_t>(key) < static_cast<int32_t>(LoadLE32(&Bytes[8 * i - 8])))
        return false;
    } else {
      if (key != std::bit_cast<uint32_t>(LLKey(d, Ix))) return false;
      if (i > 0 && TGeoDB::LLKeyBelow(std::bit_cast<float>(key),
                                      std::bit_cast<float>(LoadLE32(&Bytes[8 * i - 8]))))
        return false;
    }
  }
  return true;
}

bool LoadFile(const std::string& Name, std::vector<uint8_t>& Bytes) {
  TMemoryStream ms;
  if (!ms.LoadFromFile(Name)) return false;
  Bytes.assign(ms.GetMemory(), ms.GetMemory() + ms.GetSize());
  return true;
}

}  // namespace

// Marks an operation in progress: progress handlers may read the database
// but not change it underneath the operation.
class TGeoDB::TBusy {
 public:
  explicit TBusy(TGeoDB& Db) : FDb(Db) { ++FDb.FBusyDepth; }
  ~TBusy() { --FDb.FBusyDepth; }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TGeoDB& FDb;
};

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) {}

TGeoDB::~TGeoDB() {
  // An exception must not leave a destructor; unsaved indexes are rebuilt
  // from the summary records at the next open.
  try {
    Close();
  } catch (...) {
  }
}

void TGeoDB::Fail(const char* Op, const std::string& Text) const {
  throw EZELGeoDBError(ComponentMessage(std::string(Op) + ": " + Text));
}

void TGeoDB::CheckNotBusy(const char* Op) const {
  if (FBusyDepth > 0) Fail(Op, "not allowed during a progress event.");
}

void TGeoDB::ReportPercent(int64_t Percent) {
  if (!OnPercentDone || !FOnPercDoneEnabled) return;
  // A copy, so that a handler may replace or clear the event while it runs.
  const TOnPercentDoneEvent handler = OnPercentDone;
  handler(this, static_cast<int32_t>(std::clamp<int64_t>(Percent, 0, 100)));
}

void TGeoDB::ResetState() {
  FNameGDS.clear();
  FNameGDD.clear();
  for (auto& n : FNameIX) n.clear();
  FSumData.clear();
  FIx0ItemId.clear();
  for (auto& ix : FIxLL) ix.clear();
  FLazyWrite = false;
  FSystemData = TgdbSystemData{};
}

std::string TGeoDB::GetDBName() const {
  return IsOpen() ? StripExtension(FNameGDS) : std::string();
}

const std::vector<TIxLLRec>& TGeoDB::LLIndex(int32_t Ix) const {
  return FIxLL[static_cast<size_t>(std::clamp(Ix, 1, 4) - 1)];
}

// ---------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------

void TGeoDB::Close() {
  if (!IsOpen()) return;
  CheckNotBusy("Close");
  try {
    if (FLazyWrite) SaveAllIndexes();
  } catch (...) {
    ResetState();
    throw;
  }
  ResetState();
}

void TGeoDB::SetGDBName(const std::string& D) {
  CheckNotBusy("SetGDBName");
  Close();
  if (D.empty()) return;
  const char* Op = "SetGDBName";
  const std::string base = StripExtension(D);
  std::array<std::string, fsCount> names;
  for (int k = 0; k < 4; ++k) names[fsIx1 + k] = base + kIndexExt[k + 1];
  names[fsIx0] = base + kIndexExt[0];
  names[fsSummary] = base + ".zelgds";
  names[fsData] = base + ".zelgdd";

  try {
    RecoverCompaction(names[fsSummary], names[fsData]);
    // Probe everything before anything is created: an existing file that
    // cannot be opened must never be replaced by an empty one.
    std::array<bool, fsCount> missing{};
    for (int f = 0; f < fsCount; ++f) {
      const int fd = ::open(names[f].c_str(), O_RDWR | O_CLOEXEC);
      if (fd >= 0) {
        struct stat st {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ::close(fd);
        if (!regular) Fail(Op, "cannot open database.");
      } else if (errno == ENOENT) {
        missing[f] = true;
      } else {
        Fail(Op, "cannot open database.");
      }
    }
    for (int f = 0; f < fsCount; ++f) {
      if (!missing[f]) continue;
      const int fd = ::open(names[f].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) Fail(Op, "cannot open database.");
      if (fd >= 0) ::close(fd);
    }

    // Summary records: whole records only.
    std::vector<uint8_t> raw;
    if (!LoadFile(names[fsSummary], raw)) Fail(Op, "cannot open database.");
    size_t n = raw.size() / kGdbDataSize;
    bool cutSummary = raw.size() % kGdbDataSize != 0;
    // A deletion interrupted after the last record was copied over the
    // deleted one leaves that record twice; the copy at the end goes. Every
    // trailing record that repeats an earlier one goes, so that the next open
    // finds nothing more to cut; the counts keep that linear.
    if (n >= 2) {
      const auto record = [&raw](size_t i) {
        return std::string_view(reinterpret_cast<const char*>(&raw[i * kGdbDataSize]),
                                kGdbDataSize);
      };
      bool repeated = false;
      for (size_t i = 0; i + 1 < n && !repeated; ++i) repeated = record(i) == record(n - 1);
      if (repeated) {
        std::unordered_map<std::string_view, size_t> count;
        count.reserve(n);
        for (size_t i = 0; i < n; ++i) ++count[record(i)];
        while (n >= 2 && count[record(n - 1)] > 1) {
          --count[record(n - 1)];
          --n;
        }
        cutSummary = true;
      }
    }
    std::vector<TgdbData> sum(n);
    int32_t maxId = 0;
    for (size_t i = 0; i < n; ++i) {
      sum[i] = DecodeGdbData(&raw[i * kGdbDataSize]);
      maxId = std::max(maxId, sum[i].ItemId);
    }
    raw.clear();
    raw.shrink_to_fit();

    // Header.
    TgdbSystemData header = missing[fsSummary] ? TgdbSystemData{} : FSystemData;
    bool writeHeader = false;
    {
      struct stat st {};
      if (::stat(names[fsData].c_str(), &st) != 0) Fail(Op, "cannot open database.");
      if (st.st_size == 0) {
        writeHeader = true;
      } else if (st.st_size < kGdbSystemDataSize) {
        Fail(Op, "damaged data file.");
      } else {
        TFileStream s(names[fsData], TFileMode::fmOpenRead);
        uint8_t b[kGdbSystemDataSize];
        if (s.Read(b, kGdbSystemDataSize) != kGdbSystemDataSize) Fail(Op, "damaged data file.");
        header = DecodeGdbSystemData(b);
      }
    }
    if (header.HighestID < maxId) {
      header.HighestID = maxId;
      writeHeader = true;
    }

    // Indexes: kept when they match the summary, else rebuilt.
    std::array<bool, 5> keep{};
    std::array<std::vector<uint8_t>, 5> ixBytes;
    for (int ix = 0; ix < 5; ++ix) {
      const std::string& nm = names[ix == 0 ? fsIx0 : fsIx1 + ix - 1];
      struct stat st {};
      if (::stat(nm.c_str(), &st) != 0) Fail(Op, "cannot open database.");
      if (static_cast<uint64_t>(st.st_size) / kGdbIxRecSize != n) continue;
      if (!LoadFile(nm, ixBytes[ix])) Fail(Op, "cannot open database.");
      keep[ix] = IndexMatches(ixBytes[ix], ix, sum);
      if (keep[ix] && ixBytes[ix].size() % kGdbIxRecSize != 0) {
        ixBytes[ix].resize(n * kGdbIxRecSize);
        keep[ix] = false;  // rewritten without the partial record, not rebuilt
      }
    }
    TIndexSet built;
    const bool needBuild = std::find(keep.begin(), keep.end(), false) != keep.end();
    if (needBuild)
      for (size_t i = 0; i < n; ++i) built.Append(static_cast<int32_t>(i + 1), sum[i]);
    TIndexSet set;
    for (int ix = 0; ix < 5; ++ix) {
      const std::vector<uint8_t>& b = ixBytes[ix];
      const bool fromFile = b.size() == n * kGdbIxRecSize && IndexMatches(b, ix, sum);
      if (ix == 0) {
        if (fromFile) {
          set.Ix0.resize(n);
          for (size_t i = 0; i < n; ++i)
            set.Ix0[i] = {static_cast<int32_t>(LoadLE32(&b[8 * i])),
                          static_cast<int32_t>(LoadLE32(&b[8 * i + 4]))};
        } else {
          set.Ix0 = std::move(built.Ix0);
        }
      } else {
        auto& dst = set.LL[static_cast<size_t>(ix - 1)];
        if (fromFile) {
          dst.resize(n);
          for (size_t i = 0; i < n; ++i)
            dst[i] = {std::bit_cast<float>(LoadLE32(&b[8 * i])),
                      static_cast<int32_t>(LoadLE32(&b[8 * i + 4]))};
        } else {
          dst = std::move(built.LL[static_cast<size_t>(ix - 1)]);
        }
      }
    }

    // Repairs, all before the new state is taken over.
    if (cutSummary) {
      TFileStream s(names[fsSummary], TFileMode::fmOpenReadWrite);
      if (!s.SetSize(static_cast<int64_t>(n) * kGdbDataSize))
        Fail(Op, "cannot truncate summary file.");
    }
    if (writeHeader) {
      uint8_t b[kGdbSystemDataSize];
      EncodeGdbSystemData(header, b);
      TFileStream s(names[fsData], TFileMode::fmOpenReadWrite);
      WriteAt(s, 0, b, kGdbSystemDataSize);
    }
    for (int ix = 0; ix < 5; ++ix)
      if (!keep[ix]) {
        const std::string& nm = names[ix == 0 ? fsIx0 : fsIx1 + ix - 1];
        WriteFileAtomically(
            nm, ix == 0 ? EncodeIndex(set.Ix0) : EncodeIndex(set.LL[static_cast<size_t>(ix - 1)]));
      }

    FNameGDS = names[fsSummary];
    FNameGDD = names[fsData];
    FNameIX[0] = names[fsIx0];
    for (int k = 0; k < 4; ++k) FNameIX[static_cast<size_t>(k + 1)] = names[fsIx1 + k];
    FSumData = std::move(sum);
    FIx0ItemId = std::move(set.Ix0);
    FIxLL = std::move(set.LL);
    FSystemData = header;
  } catch (const EInOutError& e) {
    ResetState();
    Fail(Op, e.what());
  } catch (...) {
    ResetState();
    throw;
  }
}

// ---------------------------------------------------------------------------
// Indexes and header
// ---------------------------------------------------------------------------

void TGeoDB::SetLazyWrite(bool Value) {
  if (FLazyWrite && !Value && IsOpen()) {
    CheckNotBusy("SetLazyWrite");
    FLazyWrite = false;
    SaveAllIndexes();
  }
  FLazyWrite = Value;
}

void TGeoDB::SaveIndex(int32_t Ix) {
  if (Ix < 0 || Ix > 4 || !IsOpen()) return;
  CheckNotBusy("SaveIndex");
  WriteIndexFile(Ix);
}

void TGeoDB::WriteIndexFile(int32_t Ix) {
  try {
    WriteFileAtomically(
        FNameIX[static_cast<size_t>(Ix)],
        Ix == 0 ? EncodeIndex(FIx0ItemId) : EncodeIndex(FIxLL[static_cast<size_t>(Ix - 1)]));
  } catch (const EInOutError& e) {
    Fail("SaveIndex", e.what());
  }
}

void TGeoDB::SaveAllIndexes() {
  for (int32_t ix = 0; ix < 5; ++ix) WriteIndexFile(ix);
}

void TGeoDB::WriteHeader(const char* Op) {
  std::unique_ptr<TFileStream> s;
  try {
    s = std::make_unique<TFileStream>(FNameGDD, TFileMode::fmOpenReadWrite);
  } catch (const EInOutError&) {
    Fail(Op, "cannot open database.");
  }
  uint8_t b[kGdbSystemDataSize];
  EncodeGdbSystemData(FSystemData, b);
  try {
    WriteAt(*s, 0, b, kGdbSystemDataSize);
  } catch (const EInOutError& e) {
    Fail(Op, e.what());
  }
}

void TGeoDB::SetDescription(const std::string& Value) {
  if (!IsOpen()) return;
  CheckNotBusy("SetDescription");
  const TgdbSystemData old = FSystemData;
  FSystemData.Description = GdbShortString(Value, kGdbDescriptionMaxLength);
  try {
    WriteHeader("SetDescription");
  } catch (...) {
    FSystemData = old;
    throw;
  }
}

void TGeoDB::SetRevision(int32_t Value) {
  if (!IsOpen()) return;
  CheckNotBusy("SetRevision");
  const TgdbSystemData old = FSystemData;
  FSystemData.Revision = Value;
  try {
    WriteHeader("SetRevision");
  } catch (...) {
    FSystemData = old;
    throw;
  }
}

bool TGeoDB::LLKeyBelow(float A, float B) { return A < B || (std::isnan(B) && !std::isnan(A)); }

void TGeoDB::SortIxInto(std::vector<TIxLLRec>& Ix, const TIxLLRec& Rec) {
  if (Ix.empty()) return;
  const int64_t n = static_cast<int64_t>(Ix.size());
  int64_t pos = 0;
  if (n > 1) {
    int64_t lo = 0, hi = n - 2, mid = 0;
    const float v = Rec.LLValue;
    while (lo <= hi) {
      mid = (lo + hi) / 2;
      const float k = Ix[static_cast<size_t>(mid)].LLValue;
      if (LLKeyBelow(k, v))
        lo = mid + 1;
      else if (LLKeyBelow(v, k))
        hi = mid - 1;
      else
        break;
    }
    pos = mid + (LLKeyBelow(Ix[static_cast<size_t>(mid)].LLValue, v) ? 1 : 0);
  }
  std::move_backward(Ix.begin() + pos, Ix.end() - 1, Ix.end());
  Ix[static_cast<size_t>(pos)] = Rec;
}

void TGeoDB::SortIxItemIDInto(std::vector<TIxItemIDRec>& Ix, const TIxItemIDRec& Rec) {
  if (Ix.empty()) return;
  const int64_t n = static_cast<int64_t>(Ix.size());
  int64_t pos = 0;
  if (n > 1) {
    int64_t lo = 0, hi = n - 2, mid = 0;
    while (lo <= hi) {
      mid = (lo + hi) / 2;
      const int32_t k = Ix[static_cast<size_t>(mid)].ItemID;
      if (k < Rec.ItemID)
        lo = mid + 1;
      else if (k > Rec.ItemID)
        hi = mid - 1;
      else
        break;
    }
    pos = mid + (Ix[static_cast<size_t>(mid)].ItemID < Rec.ItemID ? 1 : 0);
  }
  std::move_backward(Ix.begin() + pos, Ix.end() - 1, Ix.end());
  Ix[static_cast<size_t>(pos)] = Rec;
}

void TGeoDB::InsertIntoIndex(int32_t Entry, const TgdbData& Data) {
  SortIxItemIDInto(FIx0ItemId, {Data.ItemId, Entry - 1});
  for (int k = 0; k < 4; ++k)
    SortIxInto(FIxLL[static_cast<size_t>(k)], {LLKey(Data, k + 1), Entry - 1});
}

void TGeoDB::RemoveIndexEntries(int32_t Entry) {
  const auto removeFrom = [Entry](auto& ix) {
    const auto it =
        std::find_if(ix.begin(), ix.end(), [Entry](const auto& r) { return r.index == Entry - 1; });
    if (it != ix.end()) std::move(it + 1, ix.end(), it);
  };
  removeFrom(FIx0ItemId);
  for (auto& ix : FIxLL) removeFrom(ix);
}

// ---------------------------------------------------------------------------
// Adding, replacing, deleting
// ---------------------------------------------------------------------------

int32_t TGeoDB::AddData(std::string& Name, const TgdbPolygon& Polygon, bool FromFile,
                        TgdbItem ItemKind, uint8_t ClassNumber, TDateTime Date, int32_t StateFlag,
                        float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                        int32_t UserTag, const TMetaInfo& MInfo, const void* PBLOBData,
                        int32_t SizeOfBLOBData, bool ClosedLine, const std::string& BlobFileName) {
  return StoreItem("AddData", 0, Name, Polygon, FromFile, ItemKind, ClassNumber, Date, StateFlag,
                   LatLow, LatHigh, LongLow, LongHigh, Altitude, UserTag, MInfo, PBLOBData,
                   SizeOfBLOBData, ClosedLine, BlobFileName);
}

int32_t TGeoDB::ReplaceData(int32_t DBEntry, std::string& Name, const TgdbPolygon& Polygon,
                            bool FromFile, TgdbItem ItemKind, uint8_t ClassNumber, TDateTime Date,
                            int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                            float LongHigh, float Altitude, int32_t UserTag, const TMetaInfo& MInfo,
                            const void* PBLOBData, int32_t SizeOfBLOBData, bool ClosedLine,
                            const std::string& BlobFileName) {
  if (DBEntry < 1 || DBEntry > GetNumEntries()) return kGdbNotOpen;
  return StoreItem("ReplaceData", DBEntry, Name, Polygon, FromFile, ItemKind, ClassNumber, Date,
                   StateFlag, LatLow, LatHigh, LongLow, LongHigh, Altitude, UserTag, MInfo,
                   PBLOBData, SizeOfBLOBData, ClosedLine, BlobFileName);
}

int32_t TGeoDB::StoreItem(const char* Op, int32_t DBEntry, std::string& Name,
                          const TgdbPolygon& Polygon, bool FromFile, TgdbItem ItemKind,
                          uint8_t ClassNumber, TDateTime Date, int32_t StateFlag, float LatLow,
                          float LatHigh, float LongLow, float LongHigh, float Altitude,
                          int32_t UserTag, const TMetaInfo& MInfo, const void* PBLOBData,
                          int32_t SizeOfBLOBData, bool ClosedLine,
                          const std::string& BlobFileName) {
  if (!IsOpen()) return kGdbNotOpen;
  CheckNotBusy(Op);
  TBusy busy(*this);
  ReportPercent(0);
  const bool replacing = DBEntry > 0;

  TgdbData rec;
  rec.Name = GdbShortString(Name, kGdbNameCapacity);
  Name = rec.Name;
  const int32_t kind = static_cast<int32_t>(ItemKind);
  rec.ItemKind = static_cast<uint8_t>(kind >= 0 && kind <= 255 ? kind : 8);
  rec.ClassFlag = ClassNumber;
  rec.Date = Date;
  rec.StateFlag = StateFlag;
  rec.LatLow = LatLow;
  rec.LatHigh = LatHigh;
  rec.LongLow = LongLow;
  rec.LongHigh = LongHigh;
  rec.Altitude = Altitude;
  rec.Tag = UserTag;
  rec.Closed = ClosedLine;

  try {
    // Everything that can fail is checked before the first write.
    const bool polygon = IsGdbPolygonKind(rec.ItemKind);
    const bool blob = rec.ItemKind == static_cast<uint8_t>(TgdbItem::gitBLOB);
    int64_t payload = 0;
    std::unique_ptr<TFileStream> source;
    if (polygon) {
      payload = static_cast<int64_t>(Polygon.size()) * kGdbPointSize;
      rec.LatLow = 90;
      rec.LatHigh = -90;
      rec.LongLow = 180;
      rec.LongHigh = -180;
      bool nanLat = false, nanLong = false;
      for (const TSCoords& p : Polygon) {
        nanLat = nanLat || std::isnan(p.Latit);
        nanLong = nanLong || std::isnan(p.Longit);
        rec.LatLow = std::min(rec.LatLow, p.Latit);
        rec.LatHigh = std::max(rec.LatHigh, p.Latit);
        rec.LongLow = std::min(rec.LongLow, p.Longit);
        rec.LongHigh = std::max(rec.LongHigh, p.Longit);
      }
      // A NaN point must not vanish from the bounds.
      if (nanLat) rec.LatLow = rec.LatHigh = std::numeric_limits<float>::quiet_NaN();
      if (nanLong) rec.LongLow = rec.LongHigh = std::numeric_limits<float>::quiet_NaN();
      if (static_cast<int64_t>(Polygon.size()) > INT32_MAX)
        Fail(Op, "data file would exceed 2 GiB.");
      rec.NumPoints = static_cast<int32_t>(Polygon.size());
    } else if (blob && FromFile) {
      const std::string& src = BlobFileName.empty() ? MInfo.FilePath : BlobFileName;
      struct stat st {};
      if (src.empty() || ::stat(src.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
          st.st_size > INT32_MAX - kGdbMetaInfoSize)
        Fail(Op, "cannot open BLOB file.");
      try {
        source = std::make_unique<TFileStream>(src, TFileMode::fmOpenRead);
      } catch (const EInOutError&) {
        Fail(Op, "cannot open BLOB file.");
      }
      rec.Date = LocalDateTime(st.st_mtim);
      rec.NumPoints = static_cast<int32_t>(st.st_size);
      payload = kGdbMetaInfoSize + st.st_size;
    } else if (blob) {
      const int32_t size = std::max(SizeOfBLOBData, 0);
      if (size > 0 && PBLOBData == nullptr) Fail(Op, "no BLOB data given.");
      rec.NumPoints = size;
      payload = kGdbMetaInfoSize + size;
    }

    std::unique_ptr<TFileStream> dd;
    try {
      dd = std::make_unique<TFileStream>(FNameGDD, TFileMode::fmOpenReadWrite);
    } catch (const EInOutError&) {
      Fail(Op, "cannot open database.");
    }
    const int64_t end = dd->GetSize();
    if ((polygon || blob) && end + payload > kGdbMaxDataFileSize)
      Fail(Op, "data file would exceed 2 GiB.");

    if (replacing) {
      rec.ItemId = FSumData[static_cast<size_t>(DBEntry - 1)].ItemId;
    } else {
      if (FSystemData.HighestID == INT32_MAX) Fail(Op, "no item identifier left.");
      ++FSystemData.HighestID;
      uint8_t h[kGdbSystemDataSize];
      EncodeGdbSystemData(FSystemData, h);
      WriteAt(*dd, 0, h, kGdbSystemDataSize);
      rec.ItemId = FSystemData.HighestID;
    }

    if (polygon) {
      rec.BlobOffset = static_cast<int32_t>(end);
      std::vector<uint8_t> b(static_cast<size_t>(payload));
      for (size_t i = 0; i < Polygon.size(); ++i) {
        StoreLE32(&b[8 * i], std::bit_cast<uint32_t>(Polygon[i].Latit));
        StoreLE32(&b[8 * i + 4], std::bit_cast<uint32_t>(Polygon[i].Longit));
      }
      WriteAt(*dd, end, b.data(), payload);
      if (OnPercentDone && FOnPercDoneEnabled)
        for (size_t i = 0; i < Polygon.size(); ++i)
          ReportPercent(
              PercentOf(static_cast<long double>(i), static_cast<long double>(Polygon.size())));
    } else if (blob) {
      rec.BlobOffset = static_cast<int32_t>(end);
      uint8_t m[kGdbMetaInfoSize];
      EncodeMetaInfo(MInfo, m);
      if (dd->Seek(end, TSeekOrigin::soBeginning) != end) Fail(Op, "cannot write the data file.");
      dd->WriteBuffer(m, kGdbMetaInfoSize);
      const int64_t size = rec.NumPoints;
      std::vector<uint8_t> buf(static_cast<size_t>(std::min(size, kBlockSize)));
      int64_t done = 0;
      while (done < size) {
        const int64_t want = std::min(kBlockSize, size - done);
        const uint8_t* from;
        if (source) {
          if (source->Read(buf.data(), want) != want) Fail(Op, "cannot read BLOB file.");
          from = buf.data();
        } else {
          from = static_cast<const uint8_t*>(PBLOBData) + done;
        }
        dd->WriteBuffer(from, want);
        done += want;
        if (source || want == kBlockSize) ReportPercent(PercentOf(done, size));
      }
      if (!dd->Flush()) Fail(Op, "cannot write the data file.");
    }
    dd.reset();
    source.reset();

    const size_t k = replacing ? static_cast<size_t>(DBEntry - 1) : FSumData.size();
    {
      uint8_t r[kGdbDataSize];
      EncodeGdbData(rec, r);
      TFileStream s(FNameGDS, TFileMode::fmOpenReadWrite);
      WriteAt(s, static_cast<int64_t>(k) * kGdbDataSize, r, kGdbDataSize);
    }
    if (replacing) {
      FSumData[k] = rec;
      RemoveIndexEntries(DBEntry);
    } else {
      FSumData.push_back(rec);
      FIx0ItemId.emplace_back();
      for (auto& ix : FIxLL) ix.emplace_back();
    }
    InsertIntoIndex(static_cast<int32_t>(k + 1), rec);
    if (!FLazyWrite) SaveAllIndexes();
  } catch (const EInOutError& e) {
    Fail(Op, e.what());
  }
  ReportPercent(100);
  return replacing ? DBEntry : GetNumEntries();
}

void TGeoDB::DeleteData(int32_t DbEntry) {
  if (!IsOpen() || DbEntry < 1 || DbEntry > GetNumEntries()) return;
  CheckNotBusy("DeleteData");
  const size_t k = static_cast<size_t>(DbEntry - 1);
  const size_t last = FSumData.size() - 1;
  try {
    TFileStream s(FNameGDS, TFileMode::fmOpenReadWrite);
    if (k != last) {
      uint8_t r[kGdbDataSize];
      EncodeGdbData(FSumData[last], r);
      WriteAt(s, static_cast<int64_t>(k) * kGdbDataSize, r, kGdbDataSize);
    }
    if (!s.SetSize(static_cast<int64_t>(last) * kGdbDataSize))
      throw EInOutError("Cannot truncate file \"" + FNameGDS + "\"", EIO);
  } catch (const EInOutError& e) {
    Fail("DeleteData", e.what());
  }
  FSumData[k] = FSumData[last];
  RemoveIndexEntries(DbEntry);
  const auto renumber = [&](auto& ix) {
    for (auto& r : ix)
      if (r.index == static_cast<int32_t>(last)) {
        r.index = static_cast<int32_t>(k);
        break;
      }
    ix.resize(last);
  };
  renumber(FIx0ItemId);
  for (auto& ix : FIxLL) renumber(ix);
  FSumData.pop_back();
  if (!FLazyWrite) SaveAllIndexes();
}

// ---------------------------------------------------------------------------
// Retrieval
// ---------------------------------------------------------------------------

int32_t TGeoDB::RetrievePolygon(int32_t DBEntry, TgdbPolygon& Polygon) {
  Polygon.clear();
  if (!IsOpen()) return 0;
  TBusy busy(*this);
  ReportPercent(0);
  const size_t e = static_cast<size_t>(std::max(DBEntry, 1) - 1);
  int32_t result = 0;
  if (e < FSumData.size()) {
    const TgdbData rec = FSumData[e];
    if (IsGdbPolygonKind(rec.ItemKind) && rec.BlobOffset >= 0 && rec.NumPoints >= 0) {
      try {
        TFileStream s(FNameGDD, TFileMode::fmOpenRead);
        const int64_t bytes = int64_t{rec.NumPoints} * kGdbPointSize;
        if (int64_t{rec.BlobOffset} + bytes <= s.GetSize() &&
            s.Seek(rec.BlobOffset, TSeekOrigin::soBeginning) == rec.BlobOffset) {
          // One block read straight into the points' storage, decoded in place.
          Polygon.resize(static_cast<size_t>(rec.NumPoints));
          uint8_t* raw = reinterpret_cast<uint8_t*>(Polygon.data());
          if (s.Read(raw, bytes) == bytes) {
            result = 1;
            if constexpr (std::endian::native != std::endian::little)
              for (TSCoords& p : Polygon) {
                uint8_t b[8];
                std::memcpy(b, &p, 8);
                p = {std::bit_cast<float>(LoadLE32(b)), std::bit_cast<float>(LoadLE32(b + 4))};
              }
          } else {
            Polygon.clear();
          }
        }
      } catch (const EInOutError& ex) {
        Polygon.clear();
        Fail("RetrievePolygon", ex.what());
      }
      const int64_t n = rec.NumPoints;
      const int64_t step = n / 100 + 1;
      if (result == 1 && OnPercentDone && FOnPercDoneEnabled)
        for (int64_t i = step; i <= n; i += step) ReportPercent(PercentOf(i, n));
    }
  }
  ReportPercent(100);
  return result;
}

bool TGeoDB::LocateBlob(const char* Op, int32_t DBEntry, TgdbData& Rec, TMetaInfo& MetaInfo) {
  MetaInfo = TMetaInfo{};
  const size_t e = static_cast<size_t>(std::max(DBEntry, 1) - 1);
  if (e >= FSumData.size()) return false;
  Rec = FSumData[e];
  if (Rec.ItemKind != static_cast<uint8_t>(TgdbItem::gitBLOB) || Rec.BlobOffset < 0 ||
      Rec.NumPoints < 0)
    return false;
  try {
    TFileStream s(FNameGDD, TFileMode::fmOpenRead);
    if (int64_t{Rec.BlobOffset} + kGdbMetaInfoSize + Rec.NumPoints > s.GetSize()) return false;
    uint8_t m[kGdbMetaInfoSize];
    if (s.Seek(Rec.BlobOffset, TSeekOrigin::soBeginning) != Rec.BlobOffset ||
        s.Read(m, kGdbMetaInfoSize) != kGdbMetaInfoSize)
      return false;
    MetaInfo = DecodeMetaInfo(m);
  } catch (const EInOutError& ex) {
    Fail(Op, ex.what());
  }
  return true;
}

void TGeoDB::CopyBlobOut(const TgdbData& Rec,
                         const std::function<void(const uint8_t*, int64_t)>& Sink) {
  try {
    TFileStream s(FNameGDD, TFileMode::fmOpenRead);
    const int64_t start = int64_t{Rec.BlobOffset} + kGdbMetaInfoSize;
    const int64_t size = Rec.NumPoints;
    if (s.Seek(start, TSeekOrigin::soBeginning) != start)
      Fail("RetrieveBLOB", "damaged data file.");
    std::vector<uint8_t> buf(static_cast<size_t>(std::min(size, kBlockSize)));
    int64_t done = 0;
    while (done < size) {
      const int64_t want = std::min(kBlockSize, size - done);
      if (s.Read(buf.data(), want) != want) Fail("RetrieveBLOB", "damaged data file.");
      Sink(buf.data(), want);
      done += want;
      ReportPercent(PercentOf(done, size));
    }
  } catch (const EInOutError& ex) {
    Fail("RetrieveBLOB", ex.what());
  }
}

int32_t TGeoDB::RetrieveBlobWith(int32_t DBEntry, TMetaInfo& MetaInfo,
                                 const std::function<void(const TgdbData&)>& Copy) {
  if (!IsOpen()) {
    MetaInfo = TMetaInfo{};
    return 0;
  }
  TBusy busy(*this);
  ReportPercent(0);
  TgdbData rec;
  if (!LocateBlob("RetrieveBLOB", DBEntry, rec, MetaInfo)) {
    ReportPercent(100);
    return 0;
  }
  Copy(rec);
  ReportPercent(100);
  return 1;
}

int32_t TGeoDB::RetrieveBLOB(int32_t DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo) {
  return RetrieveBlobWith(DBEntry, MetaInfo, [&](const TgdbData& rec) {
    std::string target = Filepath;
    struct stat st {};
    const bool isDir = !target.empty() && ::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (target.empty() || target.back() == '/' || target.back() == '\\' || isDir) {
      // The name comes from the file: it must not climb out of the directory.
      const std::string reduced = ReduceStringToFN83CompliantChars(rec.Name);
      if (reduced.empty() || reduced == "." || reduced == ".." ||
          reduced.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        Fail("RetrieveBLOB", "invalid filename.");
      if (!target.empty() && target.back() == '\\') target.back() = '/';
      if (!target.empty() && target.back() != '/') target += '/';
      target += reduced;
    }
    std::unique_ptr<TFileStream> out;
    try {
      out = std::make_unique<TFileStream>(target, TFileMode::fmCreate);
    } catch (const EInOutError& ex) {
      Fail("RetrieveBLOB", ex.what());
    }
    bool ok = true;
    CopyBlobOut(rec, [&](const uint8_t* p, int64_t n) { ok = out->Write(p, n) == n && ok; });
    if (!out->Flush() || !ok) Fail("RetrieveBLOB", "cannot write \"" + target + "\".");
  });
}

int32_t TGeoDB::RetrieveBLOB(int32_t DBEntry, TMetaInfo& MetaInfo, void* PBLOBData,
                             int32_t SizeOfBLOBData) {
  return RetrieveBlobWith(DBEntry, MetaInfo, [&](const TgdbData& rec) {
    if (SizeOfBLOBData < rec.NumPoints || (PBLOBData == nullptr && rec.NumPoints > 0))
      Fail("RetrieveBLOB", "BLOB to be retrieved is larger than SizeOfBlobData.");
    uint8_t* dst = static_cast<uint8_t*>(PBLOBData);
    CopyBlobOut(rec, [&](const uint8_t* p, int64_t n) {
      std::memcpy(dst, p, static_cast<size_t>(n));
      dst += n;
    });
  });
}

int32_t TGeoDB::RetrieveBLOB(int32_t DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream) {
  return RetrieveBlobWith(DBEntry, MetaInfo, [&](const TgdbData& rec) {
    CopyBlobOut(rec, [&](const uint8_t* p, int64_t n) {
      if (BlobStream.Write(p, n) != n) Fail("RetrieveBLOB", "not enough memory for the BLOB.");
    });
  });
}

// ---------------------------------------------------------------------------
// Maintenance
// ---------------------------------------------------------------------------

void ClearGdbData(TgdbData& GdbData) {
  GdbData = TgdbData{};
  struct timespec ts {};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  GdbData.Date = LocalDateTime(ts);
}

void TGeoDB::WriteSummaryRecord(const char* Op, size_t Pos, const TgdbData& Rec) {
  uint8_t r[kGdbDataSize];
  EncodeGdbData(Rec, r);
  try {
    TFileStream s(FNameGDS, TFileMode::fmOpenReadWrite);
    WriteAt(s, static_cast<int64_t>(Pos) * kGdbDataSize, r, kGdbDataSize);
  } catch (const EInOutError& e) {
    Fail(Op, e.what());
  }
}

void TGeoDB::RecalcIndexes() {
  if (!IsOpen()) return;
  CheckNotBusy("RecalcIndexes");
  TIndexSet set;
  for (size_t i = 0; i < FSumData.size(); ++i) set.Append(static_cast<int32_t>(i + 1), FSumData[i]);
  FIx0ItemId = std::move(set.Ix0);
  FIxLL = std::move(set.LL);
  if (!FLazyWrite) SaveAllIndexes();
}

void TGeoDB::GarbageCollection() {
  if (!IsOpen()) return;
  const char* Op = "GarbageCollection";
  CheckNotBusy(Op);
  TBusy busy(*this);
  ReportPercent(0);
  const std::string dataTmp = CompactedData(FNameGDD);
  const std::string sumTmp = CompactedSummary(FNameGDS);
  const std::string committed = CommittedSummary(FNameGDS);
  std::vector<TgdbData> sum = FSumData;
  int stage = 0;  // 1: committed, 2: data file in place
  try {
    {
      TFileStream in(FNameGDD, TFileMode::fmOpenRead);
      const int64_t inSize = in.GetSize();
      if (inSize < kGdbSystemDataSize) Fail(Op, "damaged data file.");
      // The new layout first, so that nothing is written when it cannot fit.
      std::vector<int64_t> from(sum.size(), -1), length(sum.size(), 0);
      int64_t end = kGdbSystemDataSize;
      for (size_t k = 0; k < sum.size(); ++k) {
        TgdbData& d = sum[k];
        int64_t len = -1;
        if (d.BlobOffset >= 0 && d.NumPoints >= 0) {
          if (IsGdbPolygonKind(d.ItemKind))
            len = int64_t{d.NumPoints} * kGdbPointSize;
          else if (d.ItemKind == static_cast<uint8_t>(TgdbItem::gitBLOB))
            len = kGdbMetaInfoSize + d.NumPoints;
        }
        // Blocks the readers would refuse stay unreadable, without a block.
        if (len < 0 || int64_t{d.BlobOffset} + len > inSize) {
          d.BlobOffset = -1;
          continue;
        }
        if (end + len > kGdbMaxDataFileSize) Fail(Op, "data file would exceed 2 GiB.");
        from[k] = d.BlobOffset;
        length[k] = len;
        d.BlobOffset = static_cast<int32_t>(end);
        end += len;
      }
      const int64_t total = end - kGdbSystemDataSize;

      TFileStream out(dataTmp, TFileMode::fmCreate);
      std::vector<uint8_t> buf(static_cast<size_t>(kBlockSize));
      const auto copy = [&](int64_t At, int64_t Count) {
        if (in.Seek(At, TSeekOrigin::soBeginning) != At) Fail(Op, "damaged data file.");
        while (Count > 0) {
          const int64_t want = std::min(Count, kBlockSize);
          if (in.Read(buf.data(), want) != want) Fail(Op, "damaged data file.");
          if (out.Write(buf.data(), want) != want)
            throw EInOutError("Cannot write file \"" + dataTmp + "\"", EIO);
          Count -= want;
        }
      };
      copy(0, kGdbSystemDataSize);  // the header as it is, Reserved included
      int64_t done = 0;
      for (size_t k = 0; k < sum.size(); ++k) {
        if (from[k] < 0) continue;
        copy(from[k], length[k]);
        done += length[k];
        ReportPercent(total > 0 ? PercentOf(done * 90, total * 100) : 90);
      }
      if (!out.Flush()) throw EInOutError("Cannot write file \"" + dataTmp + "\"", EIO);
    }
    SyncFile(dataTmp);
    std::vector<uint8_t> records(sum.size() * kGdbDataSize);
    for (size_t k = 0; k < sum.size(); ++k) EncodeGdbData(sum[k], &records[k * kGdbDataSize]);
    WriteAndSync(sumTmp, records);
    ReportPercent(92);
    RenameFile(sumTmp, committed);
    stage = 1;
    SyncDirectoryOf(committed);
    ReportPercent(94);
    RenameFile(dataTmp, FNameGDD);
    stage = 2;
    ReportPercent(97);
    RenameFile(committed, FNameGDS);
    SyncDirectoryOf(FNameGDS);
  } catch (...) {
    // Before the data file moved the old files still rule: drop the new
    // ones. After it, only the next open can finish the compaction.
    if (stage < 2) {
      ::unlink(dataTmp.c_str());
      ::unlink(sumTmp.c_str());
      if (stage == 1 && ::unlink(committed.c_str()) != 0) stage = 2;
    }
    if (stage == 2) ResetState();
    try {
      throw;
    } catch (const EInOutError& e) {
      Fail(Op, e.what());
    }
  }
  FSumData = std::move(sum);
  ReportPercent(100);
}

}  // namespace zel
