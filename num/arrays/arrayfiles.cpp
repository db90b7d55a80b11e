// Array files: the binary and the text format with their CRC-32 checksums,
// StoreArray/LoadArray, SaveBinaryArray/LoadBinaryArray and
// ReadBinaryArrayHeader.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/zel_binary.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "num/arrays/arrays_impl.hpp"

namespace zel {

using namespace arrays_detail;

namespace {

// Status codes (documented in the header).
constexpr int32_t kEmpty = -1;
constexpr int32_t kBadArgument = -2;
constexpr int32_t kCannotOpen = -3;
constexpr int32_t kWriteFailed = -4;
constexpr int32_t kNotArrayFile = -5;
constexpr int32_t kOtherVersion = -6;
constexpr int32_t kWrongType = -7;
constexpr int32_t kWrongRank = -8;
constexpr int32_t kDamaged = -9;
constexpr int32_t kNoMemory = -10;

constexpr std::array<uint8_t, 8> kMagic = {0x89, 'Z', 'E', 'L', 'A', 'R', 'R', '\n'};
constexpr std::string_view kTextMagic = "ZELARRAY-TEXT";
constexpr int32_t kVersion = 1;
constexpr int32_t kTypeDouble = 1;
constexpr int32_t kTypeInt = 2;
// magic, version, type, rank, four dimensions, comment length
constexpr int64_t kFixedHeader = 40;
constexpr size_t kChunk = 65536;

template <class T>
constexpr int32_t TypeCode() {
  return std::is_same_v<T, double> ? kTypeDouble : kTypeInt;
}

template <class T>
void Encode(T v, uint8_t* p) {
  if constexpr (std::is_same_v<T, double>)
    StoreLEDouble(p, v);
  else
    StoreLE32(p, static_cast<uint32_t>(v));
}
template <class T>
T Decode(const uint8_t* p) {
  if constexpr (std::is_same_v<T, double>)
    return LoadLEDouble(p);
  else
    return static_cast<int32_t>(LoadLE32(p));
}

// What a header describes.
struct TArrayHeader {
  int32_t type = 0;
  int32_t rank = 0;
  std::array<int32_t, 4> dims{};
  std::string comment;
};

// Number of elements the header announces, or -1 when it exceeds `limit`.
int64_t ElementCount(const TArrayHeader& h, int64_t limit) {
  int64_t n = 1;
  for (int32_t d = 0; d < h.rank; ++d) {
    if (n > limit / h.dims[static_cast<size_t>(d)]) return -1;
    n *= h.dims[static_cast<size_t>(d)];
  }
  return n;
}

bool ValidFields(const TArrayHeader& h) {
  if (h.type != kTypeDouble && h.type != kTypeInt) return false;
  if (h.rank < 1 || h.rank > 4) return false;
  for (int32_t d = 0; d < 4; ++d) {
    const int32_t v = h.dims[static_cast<size_t>(d)];
    if (d < h.rank ? v < 1 : v != 0) return false;
  }
  return true;
}

// Opens for reading; nullptr when the file cannot be opened. The readers
// seek and check sizes, so a file that can only be read front to back (a
// pipe, a FIFO) is read into memory first.
std::unique_ptr<TStream> OpenForReading(const std::string& fileName) {
  try {
    auto file = std::make_unique<TFileStream>(fileName, TFileMode::fmOpenRead);
    if (!file->IsSequential()) return file;
    auto memory = std::make_unique<TMemoryStream>();
    if (!memory->LoadFromStream(*file)) return nullptr;
    return memory;
  } catch (const EInOutError&) {
    return nullptr;
  }
}

// Lines of the text format are as long as an array's last dimension; the
// stream's size bounds them.
bool ReadLine(TStream& s, std::string& line) { return ReadLnStream(s, line, -1); }

// ---------------------------------------------------------------------------
// Shapes
// ---------------------------------------------------------------------------

// The writer's checks: kEmpty, kBadArgument (ragged), or 0 with the header.
template <class A>
int32_t DescribeForWriting(const A& a, const std::string& comment, TArrayHeader& h) {
  if (const int32_t s = CheckShape(a)) return s == -1 ? kEmpty : kBadArgument;
  if (comment.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    return kBadArgument;
  const auto ext = Extents(a);
  h.type = TypeCode<ArrayElem<A>>();
  h.rank = static_cast<int32_t>(ArrayRank<A>);
  for (size_t d = 0; d < ext.size(); ++d) {
    if (ext[d] > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return kBadArgument;
    h.dims[d] = static_cast<int32_t>(ext[d]);
  }
  return 0;
}

// Gives a the shape of the header's dimensions (counts already checked).
template <class V>
void MakeShape(V& a, const int32_t* dims) {
  if constexpr (ArrayRank<V> == 1) {
    a.assign(static_cast<size_t>(dims[0]), ArrayElem<V>{});
  } else {
    a.resize(static_cast<size_t>(dims[0]));
    for (auto& sub : a) MakeShape(sub, dims + 1);
  }
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// A stream on a new file that removes the file again unless committed.
class TNewFile {
 public:
  explicit TNewFile(const std::string& fileName) : FName(fileName) {
    try {
      FStream = std::make_unique<TFileStream>(fileName, TFileMode::fmCreate);
    } catch (const EInOutError&) {
      FStream = nullptr;
    }
  }
  ~TNewFile() {
    if (FStream && !FCommitted) {
      FStream.reset();
      std::remove(FName.c_str());
    }
  }
  TNewFile(const TNewFile&) = delete;
  TNewFile& operator=(const TNewFile&) = delete;

  bool IsOpen() const { return FStream != nullptr; }
  void Put(const void* p, size_t n) {
    if (FOk && FStream->Write(p, static_cast<int64_t>(n)) != static_cast<int64_t>(n)) FOk = false;
  }
  // Flushes; kWriteFailed (and the file removed) when anything failed.
  int32_t Commit() {
    if (!FOk || !FStream->Flush()) return kWriteFailed;
    FCommitted = true;
    FStream.reset();
    return 0;
  }

 private:
  std::string FName;
  std::unique_ptr<TFileStream> FStream;
  bool FOk = true;
  bool FCommitted = false;
};

template <class A>
int32_t WriteBinary(const std::string& fileName, const A& a, const std::string& comment) {
  using T = ArrayElem<A>;
  TArrayHeader h;
  if (const int32_t s = DescribeForWriting(a, comment, h)) return s;
  TNewFile file(fileName);
  if (!file.IsOpen()) return kCannotOpen;

  std::vector<uint8_t> head(static_cast<size_t>(kFixedHeader));
  std::memcpy(head.data(), kMagic.data(), kMagic.size());
  StoreLE32(&head[8], kVersion);
  StoreLE32(&head[12], static_cast<uint32_t>(h.type));
  StoreLE32(&head[16], static_cast<uint32_t>(h.rank));
  for (size_t d = 0; d < 4; ++d) StoreLE32(&head[20 + 4 * d], static_cast<uint32_t>(h.dims[d]));
  StoreLE32(&head[36], static_cast<uint32_t>(comment.size()));
  TCrc32 headCrc;
  headCrc.Add(head.data(), head.size());
  headCrc.Add(comment);
  uint8_t word[4];
  file.Put(head.data(), head.size());
  file.Put(comment.data(), comment.size());
  StoreLE32(word, headCrc.Value());
  file.Put(word, 4);

  TCrc32 dataCrc;
  std::vector<uint8_t> buf(kChunk);
  size_t used = 0;
  const auto flush = [&] {
    dataCrc.Add(buf.data(), used);
    file.Put(buf.data(), used);
    used = 0;
  };
  ForEachRun(a, [&](const T* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      Encode(p[i], &buf[used]);
      used += sizeof(T);
      if (used == kChunk) flush();
    }
  });
  flush();
  StoreLE32(word, dataCrc.Value());
  file.Put(word, 4);
  return file.Commit();
}

std::string EscapeComment(std::string_view c) {
  std::string out;
  out.reserve(c.size());
  for (char ch : c) {
    if (ch == '\\') {
      out += "\\\\";
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch == '\r') {
      out += "\\r";
    } else {
      out += ch;
    }
  }
  return out;
}

bool UnescapeComment(std::string_view c, std::string& out) {
  out.clear();
  for (size_t i = 0; i < c.size(); ++i) {
    if (c[i] != '\\') {
      out += c[i];
      continue;
    }
    if (++i == c.size()) return false;
    switch (c[i]) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return false;
    }
  }
  return true;
}

template <class T>
void AppendNumber(std::string& line, T v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  line.append(buf, res.ptr);
}

template <class A>
int32_t WriteText(const std::string& fileName, const A& a, const std::string& comment) {
  using T = ArrayElem<A>;
  TArrayHeader h;
  if (const int32_t s = DescribeForWriting(a, comment, h)) return s;
  TNewFile file(fileName);
  if (!file.IsOpen()) return kCannotOpen;
  TCrc32 crc;
  const auto putLine = [&](std::string& line) {
    line += '\n';
    crc.Add(line);
    file.Put(line.data(), line.size());
  };
  std::string line = std::string(kTextMagic) + " " + std::to_string(kVersion);
  putLine(line);
  line = h.type == kTypeDouble ? "double " : "int ";
  line += std::to_string(h.rank);
  for (int32_t d = 0; d < h.rank; ++d) line += " " + std::to_string(h.dims[static_cast<size_t>(d)]);
  putLine(line);
  line = "comment " + EscapeComment(comment);
  putLine(line);
  ForEachRun(a, [&](const T* p, size_t n) {
    line.clear();
    for (size_t i = 0; i < n; ++i) {
      if (i > 0) line += ' ';
      AppendNumber(line, p[i]);
    }
    putLine(line);
  });
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(crc.Value()));
  line = std::string("crc32 ") + hex + "\n";
  file.Put(line.data(), line.size());
  return file.Commit();
}

// ---------------------------------------------------------------------------
// Reading the binary format
// ---------------------------------------------------------------------------

// Reads and checks the header (magic, version, header checksum, fields)
// from the start of s; leaves s at the first element.
int32_t ReadBinaryHeader(TStream& s, TArrayHeader& h) {
  std::array<uint8_t, kFixedHeader> head{};
  const int64_t got = s.Read(head.data(), kFixedHeader);
  const auto magicGot = static_cast<size_t>(std::min<int64_t>(got, 8));
  if (std::memcmp(head.data(), kMagic.data(), magicGot) != 0) return kNotArrayFile;
  if (magicGot < 8) return kDamaged;
  if (got >= 12 && static_cast<int32_t>(LoadLE32(&head[8])) != kVersion) return kOtherVersion;
  if (got < kFixedHeader) return kDamaged;
  const auto commentLen = static_cast<int32_t>(LoadLE32(&head[36]));
  // The comment and both checksums must fit.
  if (commentLen < 0 || !CountFitsInStream(s, int64_t{commentLen} + 8, 1)) return kDamaged;
  std::string comment(static_cast<size_t>(commentLen), '\0');
  if (s.Read(comment.data(), commentLen) != commentLen) return kDamaged;
  uint8_t word[4];
  if (s.Read(word, 4) != 4) return kDamaged;
  TCrc32 crc;
  crc.Add(head.data(), head.size());
  crc.Add(comment);
  if (crc.Value() != LoadLE32(word)) return kDamaged;
  h.type = static_cast<int32_t>(LoadLE32(&head[12]));
  h.rank = static_cast<int32_t>(LoadLE32(&head[16]));
  for (size_t d = 0; d < 4; ++d) h.dims[d] = static_cast<int32_t>(LoadLE32(&head[20 + 4 * d]));
  if (!ValidFields(h)) return kDamaged;
  h.comment = std::move(comment);
  return 0;
}

// The element count of a checked header when the rest of s is exactly the
// elements and their checksum; -1 otherwise.
int64_t CheckedElementCount(const TStream& s, const TArrayHeader& h) {
  const int64_t elemSize = h.type == kTypeDouble ? 8 : 4;
  const int64_t remaining = s.Remaining();
  if (remaining < 4) return -1;
  const int64_t n = ElementCount(h, (remaining - 4) / elemSize);
  if (n < 0 || n * elemSize != remaining - 4) return -1;
  return n;
}

template <class A>
int32_t ReadBinaryBody(TStream& s, A& a, std::string& comment, bool headerCheckOnly) {
  using T = ArrayElem<A>;
  TArrayHeader h;
  if (const int32_t st = ReadBinaryHeader(s, h)) return st;
  if (h.type != TypeCode<T>()) return kWrongType;
  if (h.rank != static_cast<int32_t>(ArrayRank<A>)) return kWrongRank;
  if (CheckedElementCount(s, h) < 0) return kDamaged;
  try {
    A tmp;
    MakeShape(tmp, h.dims.data());
    TCrc32 crc;
    std::vector<uint8_t> buf;
    bool ok = true;
    ForEachRun(tmp, [&](T* p, size_t n) {
      size_t done = 0;
      while (ok && done < n) {
        const size_t take = std::min(n - done, kChunk / sizeof(T));
        buf.resize(take * sizeof(T));
        if (s.Read(buf.data(), static_cast<int64_t>(buf.size())) !=
            static_cast<int64_t>(buf.size())) {
          ok = false;
          return;
        }
        if (!headerCheckOnly) crc.Add(buf.data(), buf.size());
        for (size_t i = 0; i < take; ++i) p[done + i] = Decode<T>(&buf[i * sizeof(T)]);
        done += take;
      }
    });
    uint8_t word[4];
    if (!ok || s.Read(word, 4) != 4) return kDamaged;
    if (!headerCheckOnly && crc.Value() != LoadLE32(word)) return kDamaged;
    a = std::move(tmp);
    comment = std::move(h.comment);
    return 0;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

// ---------------------------------------------------------------------------
// Reading the text format
// ---------------------------------------------------------------------------

// Splits at blanks and tabs.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> w;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) w.push_back(line.substr(start, i - start));
  }
  return w;
}

// A value of the text format: integers must fit, a double out of range
// reads as +-inf or +-0 (the writer never produces one, but other tools may).
template <class T>
bool ParseNumber(std::string_view w, T& v) {
  std::from_chars_result res{};
  if constexpr (std::is_same_v<T, double>)
    res = FloatFromChars(w.data(), w.data() + w.size(), v);
  else
    res = std::from_chars(w.data(), w.data() + w.size(), v);
  return res.ec == std::errc() && res.ptr == w.data() + w.size();
}

// First line: 0, kNotArrayFile, kOtherVersion or kDamaged. `wholeFile` says
// that the line is all the file holds and has no line break.
int32_t CheckTextMagic(std::string_view line, bool wholeFile) {
  const std::string expected = std::string(kTextMagic) + " " + std::to_string(kVersion);
  if (line == expected) return 0;
  const std::string prefix = std::string(kTextMagic) + " ";
  if (line.substr(0, prefix.size()) == prefix) {
    int32_t v = 0;
    if (ParseNumber(line.substr(prefix.size()), v) && v > 0) return kOtherVersion;
    return kDamaged;
  }
  if (wholeFile && expected.substr(0, line.size()) == line) return kDamaged;
  return kNotArrayFile;
}

// Pass 1: the magic line, then the checksum line (the last line, ending in
// a line break) against the checksum of every line before it.
int32_t VerifyText(TStream& s) {
  const int64_t size = s.GetSize();
  uint8_t last = 0;
  s.SetPosition(size > 0 ? size - 1 : 0);
  const bool endsWithBreak = size > 0 && s.Read(&last, 1) == 1 && last == '\n';
  s.SetPosition(0);
  std::string line;
  if (!ReadLine(s, line)) return kDamaged;
  if (const int32_t st = CheckTextMagic(line, s.GetPosition() >= size && !endsWithBreak)) return st;
  // Every line but the last goes into the checksum; the last one holds it.
  TCrc32 crc;
  std::string previous = std::move(line);
  bool more = false;
  while (ReadLine(s, line)) {
    crc.Add(previous);
    crc.Add("\n");
    previous = std::move(line);
    more = true;
  }
  if (!more || !endsWithBreak) return kDamaged;
  line = std::move(previous);
  const uint32_t before = crc.Value();
  if (line.size() != 14 || line.compare(0, 6, "crc32 ") != 0) return kDamaged;
  uint32_t stored = 0;
  const auto res = std::from_chars(line.data() + 6, line.data() + 14, stored, 16);
  if (res.ec != std::errc() || res.ptr != line.data() + 14) return kDamaged;
  return stored == before ? 0 : kDamaged;
}

template <class A>
int32_t ReadTextBody(TStream& s, A& a, std::string& comment) {
  using T = ArrayElem<A>;
  if (const int32_t st = VerifyText(s)) return st;
  s.SetPosition(0);
  std::string line;
  ReadLine(s, line);  // the magic, checked
  if (!ReadLine(s, line)) return kDamaged;
  const auto w = Words(line);
  if (w.size() < 2) return kDamaged;
  TArrayHeader h;
  if (w[0] == "double") {
    h.type = kTypeDouble;
  } else if (w[0] == "int") {
    h.type = kTypeInt;
  } else {
    return kDamaged;
  }
  if (!ParseNumber(w[1], h.rank) || h.rank < 1 || h.rank > 4 ||
      w.size() != static_cast<size_t>(h.rank) + 2)
    return kDamaged;
  for (int32_t d = 0; d < h.rank; ++d)
    if (!ParseNumber(w[static_cast<size_t>(d) + 2], h.dims[static_cast<size_t>(d)]))
      return kDamaged;
  if (!ValidFields(h)) return kDamaged;
  if (!ReadLine(s, line) || line.compare(0, 8, "comment ") != 0 ||
      !UnescapeComment(std::string_view(line).substr(8), h.comment))
    return kDamaged;
  if (h.type != TypeCode<T>()) return kWrongType;
  if (h.rank != static_cast<int32_t>(ArrayRank<A>)) return kWrongRank;
  // Every value takes at least two bytes (a digit and a blank or line break).
  if (ElementCount(h, s.Remaining() / 2) < 0) return kDamaged;
  try {
    A tmp;
    MakeShape(tmp, h.dims.data());
    bool ok = true;
    ForEachRun(tmp, [&](T* p, size_t n) {
      if (!ok) return;
      if (!ReadLine(s, line)) {
        ok = false;
        return;
      }
      const auto values = Words(line);
      if (values.size() != n) {
        ok = false;
        return;
      }
      for (size_t i = 0; i < n && ok; ++i) ok = ParseNumber(values[i], p[i]);
    });
    // Only the verified checksum line may follow.
    if (!ok || !ReadLine(s, line) || line.compare(0, 6, "crc32 ") != 0 ||
        s.GetPosition() < s.GetSize())
      return kDamaged;
    a = std::move(tmp);
    comment = std::move(h.comment);
    return 0;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

// ---------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------

template <class A>
int32_t LoadAny(const std::string& fileName, A& a, std::string& comment) {
  auto s = OpenForReading(fileName);
  if (!s) return kCannotOpen;
  uint8_t first = 0;
  const bool hasByte = s->Read(&first, 1) == 1;
  s->SetPosition(0);
  if (!hasByte) return kDamaged;
  if (first == kMagic[0]) return ReadBinaryBody(*s, a, comment, false);
  return ReadTextBody(*s, a, comment);
}

template <class A>
int32_t LoadBinary(const std::string& fileName, A& a, std::string& comment, bool headerCheckOnly) {
  auto s = OpenForReading(fileName);
  if (!s) return kCannotOpen;
  return ReadBinaryBody(*s, a, comment, headerCheckOnly);
}

}  // namespace

int32_t StoreArray(const std::string& fileName, const TDoubleArray& a, const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TDouble2DArray& a,
                   const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TIntArray& a, const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TInt2DArray& a, const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TDouble3DArray& a,
                   const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TDouble4DArray& a,
                   const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TInt3DArray& a, const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TInt4DArray& a, const std::string& comment) {
  return WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TDouble3DArray& a, bool binary,
                   const std::string& comment) {
  return binary ? WriteBinary(fileName, a, comment) : WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TDouble4DArray& a, bool binary,
                   const std::string& comment) {
  return binary ? WriteBinary(fileName, a, comment) : WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TInt3DArray& a, bool binary,
                   const std::string& comment) {
  return binary ? WriteBinary(fileName, a, comment) : WriteText(fileName, a, comment);
}
int32_t StoreArray(const std::string& fileName, const TInt4DArray& a, bool binary,
                   const std::string& comment) {
  return binary ? WriteBinary(fileName, a, comment) : WriteText(fileName, a, comment);
}

int32_t LoadArray(const std::string& fileName, TIntArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TInt2DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TInt3DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TInt4DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TDoubleArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TDouble2DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TDouble3DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}
int32_t LoadArray(const std::string& fileName, TDouble4DArray& a, std::string& comment) {
  return LoadAny(fileName, a, comment);
}

int32_t SaveBinaryArray(const std::string& fileName, const TInt2DArray& a,
                        const std::string& comment) {
  return WriteBinary(fileName, a, comment);
}
int32_t SaveBinaryArray(const std::string& fileName, const TDouble2DArray& a,
                        const std::string& comment) {
  return WriteBinary(fileName, a, comment);
}
int32_t SaveBinaryArray(const std::string& fileName, const TDouble3DArray& a,
                        const std::string& comment) {
  return WriteBinary(fileName, a, comment);
}
int32_t SaveBinaryArray(const std::string& fileName, const TDouble4DArray& a,
                        const std::string& comment) {
  return WriteBinary(fileName, a, comment);
}

int32_t LoadBinaryArray(const std::string& fileName, TDouble2DArray& a, std::string& comment,
                        bool headerCheckOnly) {
  return LoadBinary(fileName, a, comment, headerCheckOnly);
}
int32_t LoadBinaryArray(const std::string& fileName, TInt2DArray& a, std::string& comment,
                        bool headerCheckOnly) {
  return LoadBinary(fileName, a, comment, headerCheckOnly);
}
int32_t LoadBinaryArray(const std::string& fileName, TDouble3DArray& a, std::string& comment,
                        bool headerCheckOnly) {
  return LoadBinary(fileName, a, comment, headerCheckOnly);
}
int32_t LoadBinaryArray(const std::string& fileName, TDouble4DArray& a, std::string& comment,
                        bool headerCheckOnly) {
  return LoadBinary(fileName, a, comment, headerCheckOnly);
}

int32_t ReadBinaryArrayHeader(const std::string& fileName, int32_t& dim1, int32_t& dim2,
                              int32_t& dim3, int32_t& dim4, std::string& comment,
                              int32_t& elemType) {
  dim1 = dim2 = dim3 = dim4 = elemType = 0;
  comment.clear();
  auto s = OpenForReading(fileName);
  if (!s) return kCannotOpen;
  TArrayHeader h;
  if (const int32_t st = ReadBinaryHeader(*s, h)) return st;
  if (CheckedElementCount(*s, h) < 0) return kDamaged;
  dim1 = h.dims[0];
  dim2 = h.dims[1];
  dim3 = h.dims[2];
  dim4 = h.dims[3];
  elemType = h.type;
  comment = std::move(h.comment);
  return 0;
}

}  // namespace zel
