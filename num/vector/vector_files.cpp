// Vectors: the stream format, the text format of StoreOnFile/LoadFromFile
// and the ASC text format.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <new>
#include <string>
#include <system_error>

#include "core/zel_binary.hpp"
#include "core/zel_filesys.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

namespace {

template <class T>
constexpr bool IsInt = std::is_same_v<T, int32_t>;

// Bytes of one element in the stream format.
template <class T>
constexpr int64_t kStreamBytes = IsInt<T> ? 4 : 10;

// Values are moved through a buffer of this many elements, so that a long
// vector needs neither one call per value nor a second copy of itself.
constexpr size_t kChunk = 4096;

template <class T>
void EncodeElem(T v, uint8_t* out) {
  if constexpr (IsInt<T>)
    StoreLE32(out, static_cast<uint32_t>(v));
  else
    ExtendedToBytes(static_cast<long double>(v), out);
}

template <class T>
T DecodeElem(const uint8_t* in) {
  if constexpr (IsInt<T>)
    return static_cast<int32_t>(LoadLE32(in));
  else
    return static_cast<double>(ExtendedFromBytes(in));
}

// A number read from text as an element: TIntVector rounds halves to even
// and saturates (NaN gives 0).
template <class T>
T FromText(double x) {
  if constexpr (IsInt<T>)
    return RoundToInt32(x);
  else
    return x;
}

// Precision below -2 counts as 2, above 20 as 20.
int32_t ClampPrecision(int32_t Precision) {
  if (Precision < -2) return 2;
  return std::min(Precision, 20);
}

// A double as the text writers write it; Precision is clamped already.
std::string FormatValue(double x, int32_t Precision, int32_t FixedWidth) {
  if (Precision == -1) return strff(x, 13, -1);
  if (Precision == -2) return strff(x, 26, -1);
  return strff(x, FixedWidth, Precision);
}

template <class T>
std::string FormatElem(T x, int32_t Precision, int32_t FixedWidth) {
  if constexpr (IsInt<T>)
    return std::to_string(x);
  else
    return FormatValue(x, Precision, FixedWidth);
}

// A header line of the ASC format cannot hold line breaks or other control
// characters: they would split it and make the file unreadable.
std::string SanitizeComment(std::string Text) {
  for (char& c : Text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return Text;
}

// Reads numbers into values until it holds count of them. A word that is
// not a number fails the read, so that a damaged line ("2,5") can never
// shift the values after it. False when the file ends first.
template <class T>
bool ReadNumbers(TTextFile& f, size_t count, std::vector<T>& values) {
  std::string word;
  double x = 0;
  while (values.size() < count) {
    if (!ReadNextWordInTextFile(f, word) || !TryStrToFloat(word, x)) return false;
    values.push_back(FromText<T>(x));
  }
  return true;
}

// Words are separated as TTextFile separates them: by the bytes 0x00-0x20.
bool IsWordSeparator(char c) { return static_cast<unsigned char>(c) <= 0x20; }

bool HoldsDigit(std::string_view word) {
  return std::any_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Elements a reader reserves ahead on a file whose size is not known (a pipe):
// beyond that, storage grows only as the values arrive.
constexpr size_t kUnsizedReserve = 4096;

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers of the readers
// ---------------------------------------------------------------------------

template <class T>
void TVectorT<T>::StoreLoaded(int32_t NewCount, int32_t First, const std::vector<T>& Values) {
  const size_t oldSize = FVec.size();
  if (NewCount > 0) FVec.resize(static_cast<size_t>(NewCount), T{0});
  std::copy(Values.begin(), Values.end(), FVec.begin() + (First - 1));
  FIsEmpty = false;
  Changed();
  if (FVec.size() != oldSize) Resized();
}

template <class T>
bool TVectorT<T>::GrowthAllowed(int64_t NewCount, int64_t InputBytes) const {
  return NewCount >= 1 && (NewCount <= GetNrOfElem() || NewCount <= InputBytes);
}

// ---------------------------------------------------------------------------
// Stream format
// ---------------------------------------------------------------------------

template <class T>
bool TVectorT<T>::SaveToStream(TStream& OutStream, int32_t LowElem, int32_t HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  constexpr auto width = static_cast<size_t>(kStreamBytes<T>);
  uint8_t head[2 * width];
  EncodeElem<T>(static_cast<T>(LowElem), head);
  EncodeElem<T>(static_cast<T>(HighElem), head + width);
  bool ok = OutStream.Write(head, sizeof head) == static_cast<int64_t>(sizeof head);
  std::vector<uint8_t> buf(kChunk * width);
  for (size_t i = static_cast<size_t>(LowElem - 1); ok && i < static_cast<size_t>(HighElem);) {
    const size_t n = std::min(kChunk, static_cast<size_t>(HighElem) - i);
    for (size_t k = 0; k < n; ++k) EncodeElem<T>(FVec[i + k], buf.data() + k * width);
    const auto bytes = static_cast<int64_t>(n * width);
    ok = OutStream.Write(buf.data(), bytes) == bytes;
    i += n;
  }
  // A file stream may hold the data in its buffer; only the flush shows
  // whether it reached the disk.
  if (auto* fs = dynamic_cast<TFileStream*>(&OutStream)) ok = fs->Flush() && ok;
  return ok;
}

template <class T>
bool TVectorT<T>::SaveToStream(TStream*& OutStream, int32_t LowElem, int32_t HighElem) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  return SaveToStream(*OutStream, LowElem, HighElem);
}

template <class T>
bool TVectorT<T>::LoadFromStream(TStream* InStream, bool AdjustVectorSize) {
  return InStream != nullptr && LoadFromStream(*InStream, AdjustVectorSize);
}

template <class T>
bool TVectorT<T>::LoadFromStream(TStream& InStream, bool AdjustVectorSize) {
  constexpr int64_t width = kStreamBytes<T>;
  int64_t low = 0, high = 0;
  if constexpr (IsInt<T>) {
    int32_t a = 0, b = 0;
    if (!ReadLongIntFromStream(InStream, a) || !ReadLongIntFromStream(InStream, b)) return false;
    low = a;
    high = b;
  } else {
    long double a = 0, b = 0;
    if (!ReadExtendedFromStream(InStream, a) || !ReadExtendedFromStream(InStream, b)) return false;
    // Check before converting: NaN or huge bounds have no integer value.
    constexpr long double kMax = std::numeric_limits<int32_t>::max();
    if (!(std::fabs(a) <= kMax) || !(std::fabs(b) <= kMax)) return false;
    low = static_cast<int64_t>(Round(a));
    high = static_cast<int64_t>(Round(b));
  }
  if (low < 1 || low > high) return false;
  const int64_t count = high - low + 1;
  if (!CountFitsInStream(InStream, count, width)) return false;
  if (AdjustVectorSize ? !GrowthAllowed(high, InStream.GetSize()) : GetNrOfElem() < high)
    return false;
  try {
    std::vector<T> values(static_cast<size_t>(count));
    std::vector<uint8_t> buf(kChunk * static_cast<size_t>(width));
    for (size_t i = 0; i < values.size();) {
      const size_t n = std::min(kChunk, values.size() - i);
      const auto bytes = static_cast<int64_t>(n) * width;
      if (InStream.Read(buf.data(), bytes) != bytes) return false;
      for (size_t k = 0; k < n; ++k)
        values[i + k] = DecodeElem<T>(buf.data() + k * static_cast<size_t>(width));
      i += n;
    }
    StoreLoaded(AdjustVectorSize ? static_cast<int32_t>(high) : 0, static_cast<int32_t>(low),
                values);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Text format
// ---------------------------------------------------------------------------

template <class T>
bool TVectorT<T>::StoreText(int32_t FirstElem, int32_t LastElem, int32_t Precision,
                            const std::string& FileName) const {
  MakeValidElemRange(FirstElem, LastElem);
  TTextFile f;
  if (!f.Rewrite(FileName)) return false;
  bool ok = f.WriteLn(std::to_string(FirstElem) + " " + std::to_string(LastElem));
  for (int32_t i = FirstElem; ok && i <= LastElem; ++i)
    ok = f.WriteLn(FormatElem(FVec[static_cast<size_t>(i - 1)], Precision, 1));
  return f.Close() && ok;
}

template <class T>
bool TVectorT<T>::LoadFromFile(const std::string& FileName, bool AdjustVectorSize) {
  TTextFile f;
  if (!f.Reset(FileName)) return false;
  std::string line;
  if (!f.ReadLn(line)) return false;
  int32_t pos = 1;
  const int32_t first = ScanDecimal(line, pos);
  const int32_t afterFirst = pos;
  if (afterFirst == 1 || static_cast<size_t>(afterFirst) > line.size()) return false;
  // The bounds are separated by blanks ("1+5" is no header).
  if (line[static_cast<size_t>(afterFirst - 1)] != ' ' &&
      line[static_cast<size_t>(afterFirst - 1)] != '\t')
    return false;
  const int32_t last = ScanDecimal(line, pos);
  if (pos == afterFirst) return false;
  if (!StripLTBlanks(std::string_view(line).substr(static_cast<size_t>(pos - 1))).empty())
    return false;
  if (first < 1 || first > last) return false;
  const int64_t count = int64_t{last} - first + 1;
  // The size checks come before any allocation; a pipe has no size, so there
  // they are made against the bytes actually read.
  const bool sized = !f.IsSequential();
  if (sized) {
    // Every number takes at least one byte and all but the last a separator.
    const int64_t remaining = f.FileSize() - f.Position();
    if (count > (remaining + 1) / 2) return false;
  }
  if (!AdjustVectorSize && GetNrOfElem() < last) return false;
  if (AdjustVectorSize && sized && !GrowthAllowed(last, f.FileSize())) return false;
  try {
    std::vector<T> values;
    values.reserve(sized ? static_cast<size_t>(count) : std::min<size_t>(count, kUnsizedReserve));
    if (!ReadNumbers(f, static_cast<size_t>(count), values)) return false;
    if (AdjustVectorSize && !sized && !GrowthAllowed(last, f.Position())) return false;
    StoreLoaded(AdjustVectorSize ? last : 0, first, values);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool TVector::StoreOnFile(int32_t FirstElem, int32_t LastElem, int32_t Precision,
                          const std::string& FileName) const {
  return StoreText(FirstElem, LastElem, ClampPrecision(Precision), FileName);
}

bool TIntVector::StoreOnFile(int32_t FirstElem, int32_t LastElem,
                             const std::string& FileName) const {
  return StoreText(FirstElem, LastElem, 0, FileName);
}

bool TVector::LoadFromFile(const std::string& FileName, bool AdjustVectorSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustVectorSize);
  TTextFile f;
  if (!f.Reset(FileName)) return false;
  // One pass, so that a pipe works as well: count the lines that hold a
  // digit and collect the numbers of the whole file in free format. A word
  // without digits is a label and skipped ("Run 1"); a word with digits that
  // is not a number ("2,5", "x1") fails the load, since skipping it would
  // shift the values.
  int64_t lines = 0;
  std::string line;
  try {
    std::vector<double> numbers;
    // Without resizing, no more than the vector holds is ever stored; the
    // words after that are still checked.
    const size_t keep = AdjustVectorSize ? std::numeric_limits<size_t>::max()
                                         : static_cast<size_t>(std::max<int64_t>(GetNrOfElem(), 0));
    double x = 0;
    while (f.ReadLn(line)) {
      if (StringContains(line, "//dig")) ++lines;
      for (size_t i = 0; i < line.size();) {
        while (i < line.size() && IsWordSeparator(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !IsWordSeparator(line[i])) ++i;
        if (i == start) continue;
        const std::string_view word(line.data() + start, i - start);
        if (TryStrToFloat(word, x)) {
          if (numbers.size() < keep) numbers.push_back(x);
        } else if (HoldsDigit(word))
          return false;
      }
    }
    if (f.HasReadError()) return false;
    if (lines == 0 || lines > std::numeric_limits<int32_t>::max()) return false;
    const int64_t target = AdjustVectorSize ? lines : std::min<int64_t>(lines, GetNrOfElem());
    if (static_cast<int64_t>(numbers.size()) < target) return false;
    numbers.resize(static_cast<size_t>(target));
    StoreLoaded(AdjustVectorSize ? static_cast<int32_t>(lines) : 0, 1, numbers);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// ASC format
// ---------------------------------------------------------------------------

template <class T>
int32_t TVectorT<T>::ExportASCText(const std::string& FName, int32_t Precision,
                                   const std::string& Comment, const char* Who) const {
  const std::string comment = SanitizeComment(
      Comment.empty() ? std::string("Exported by ZEL ") + Who + " component: " + FName : Comment);
  TTextFile f;
  if (!f.Rewrite(FName)) return -1;
  bool ok =
      f.WriteLn(comment) && f.WriteLn("1\t;nr. of columns") &&
      f.WriteLn(std::to_string(FVec.size()) + "\t;nr. of rows") &&
      f.WriteLn(
          "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables");
  for (size_t i = 0; ok && i < FVec.size(); ++i) ok = f.WriteLn(FormatElem(FVec[i], Precision, 12));
  return f.Close() && ok ? 0 : -1;
}

int32_t TVector::ExportAsASC(const std::string& FName, int32_t Precision,
                             const std::string& Comment) const {
  return ExportASCText(FName, ClampPrecision(Precision), Comment, "TVector");
}

int32_t TIntVector::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return ExportASCText(FName, 0, Comment, "TIntVector");
}

template <class T>
int32_t TVectorT<T>::ImportASC(const std::string& FName, std::string& Comment) {
  Comment.clear();
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return -8;
  // Header and body from one opening: a pipe cannot be read twice.
  TTextFile f;
  if (!f.Reset(FName)) return kAscCannotRead;
  TAscHeader header;
  const int32_t status = ReadHeaderOfASC(f, header);
  if (status != kAscOk) return status;
  if (header.NrOfColumns != 1) return -7;
  if (header.NrOfRows < 1) return -9;
  std::string word;
  if (header.ColumnNames && !f.ReadQuotedName(word)) return -6;
  try {
    // ReadHeaderOfASC has checked the row count against the file size; a
    // pipe has none, so there the storage grows with the rows read.
    std::vector<T> values;
    values.reserve(f.IsSequential() ? std::min<size_t>(header.NrOfRows, kUnsizedReserve)
                                    : static_cast<size_t>(header.NrOfRows));
    double x = 0;
    for (int32_t row = 0; row < header.NrOfRows; ++row) {
      if (header.RowAttributes && (!ReadNextWordInTextFile(f, word) || !TryStrToFloat(word, x)))
        return -5;
      if (header.RowNames && !f.ReadQuotedName(word)) return -6;
      if (!ReadNextWordInTextFile(f, word)) return -6;
      if (word == "###") {
        x = 0;
      } else if (!TryStrToFloat(word, x)) {
        return -6;
      }
      if (std::isnan(x)) x = 0;
      values.push_back(FromText<T>(x));
    }
    StoreLoaded(header.NrOfRows, 1, values);
  } catch (const std::bad_alloc&) {
    return kAscCannotRead;
  }
  Comment = header.Comment;
  return 0;
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_VECTOR_FILE_MEMBERS(T)                                                             \
  template void TVectorT<T>::StoreLoaded(int32_t, int32_t, const std::vector<T>&);             \
  template bool TVectorT<T>::GrowthAllowed(int64_t, int64_t) const;                            \
  template bool TVectorT<T>::SaveToStream(TStream&, int32_t, int32_t) const;                   \
  template bool TVectorT<T>::SaveToStream(TStream*&, int32_t, int32_t) const;                  \
  template bool TVectorT<T>::LoadFromStream(TStream*, bool);                                   \
  template bool TVectorT<T>::LoadFromStream(TStream&, bool);                                   \
  template bool TVectorT<T>::StoreText(int32_t, int32_t, int32_t, const std::string&) const;   \
  template bool TVectorT<T>::LoadFromFile(const std::string&, bool);                           \
  template int32_t TVectorT<T>::ExportASCText(const std::string&, int32_t, const std::string&, \
                                              const char*) const;                              \
  template int32_t TVectorT<T>::ImportASC(const std::string&, std::string&);

ZEL_VECTOR_FILE_MEMBERS(double)
ZEL_VECTOR_FILE_MEMBERS(int32_t)
#undef ZEL_VECTOR_FILE_MEMBERS

}  // namespace zel
