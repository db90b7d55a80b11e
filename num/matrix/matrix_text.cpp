// Matrices: the stream format, the text format of StoreOnFile/LoadFromFile,
// the ASC text format and the sparse file of the integer matrix.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#include "core/zel_binary.hpp"
#include "core/zel_filesys.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

namespace {

template <class T>
constexpr bool IsInt = std::is_same_v<T, int32_t>;

template <class T>
constexpr int64_t kStreamBytes = IsInt<T> ? 4 : 8;

// Runs the part of a reader that allocates what the file announces: running
// out of memory fails the read with Failed instead of escaping.
template <class R, class F>
R FailOnNoMemory(R Failed, F&& Read) {
  try {
    return Read();
  } catch (const std::bad_alloc&) {
    return Failed;
  } catch (const std::length_error&) {
    return Failed;
  }
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

// An input of Bytes bytes may give a matrix of NewCount elements when it is
// no larger than now or when every element could have a byte of its own.
bool GrowthAllowed(int64_t NewCount, int64_t CurCount, int64_t Bytes) {
  return NewCount <= CurCount || NewCount <= Bytes;
}

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= 0x20; }

bool HoldsDigit(std::string_view word) {
  return std::any_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const char* MatrixImportStatusText(int32_t status) {
  switch (status) {
    case 0: return "success";
    case kMatAscBadRowAttribute: return "a row attribute is missing or not a number";
    case kMatAscBadValue: return "a value or a quoted name is missing or malformed";
    case kMatAscBadCustData: return "the custom data are malformed";
    case kMatAscNoFile: return "the file does not exist";
    case kMatAscEmpty: return "the column or row count is 0";
    default:
      return status >= kAscBadFlags && status <= kAscCannotRead ? AscHeaderStatusText(status)
                                                                : "unknown ASC import status";
  }
}

template <class T>
void TMatrixT<T>::TakeLoaded(T2DArray& Data) {
  const bool resized = static_cast<int64_t>(Data.size()) != FNCol ||
                       static_cast<int64_t>(Data.front().size()) != FNRow;
  SwapIn(Data);
  Changed();
  if (resized) Resized();
}

// ---------------------------------------------------------------------------
// Stream format
// ---------------------------------------------------------------------------

template <class T>
bool TMatrixT<T>::SaveToStream(TStream& OutStream, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                               int32_t HighRow) const {
  if (!HasStorage()) return false;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  bool ok = WriteLongIntToStream(OutStream, LowCol) && WriteLongIntToStream(OutStream, LowRow) &&
            WriteLongIntToStream(OutStream, HighCol) && WriteLongIntToStream(OutStream, HighRow);
  const auto rows = static_cast<size_t>(HighRow - LowRow + 1);
  std::vector<uint8_t> buf(rows * static_cast<size_t>(kStreamBytes<T>));
  for (int32_t c = LowCol; ok && c <= HighCol; ++c) {
    const T* col = Mat[static_cast<size_t>(c - 1)].data() + (LowRow - 1);
    for (size_t k = 0; k < rows; ++k) {
      if constexpr (IsInt<T>)
        StoreLE32(buf.data() + 4 * k, static_cast<uint32_t>(col[k]));
      else
        StoreLEDouble(buf.data() + 8 * k, col[k]);
    }
    ok = OutStream.Write(buf.data(), static_cast<int64_t>(buf.size())) ==
         static_cast<int64_t>(buf.size());
  }
  if (auto* fs = dynamic_cast<TFileStream*>(&OutStream)) ok = fs->Flush() && ok;
  return ok;
}

template <class T>
bool TMatrixT<T>::SaveToStream(TStream*& OutStream, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                               int32_t HighRow) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  return SaveToStream(*OutStream, LowCol, LowRow, HighCol, HighRow);
}

template <class T>
bool TMatrixT<T>::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  return InStream != nullptr && LoadFromStream(*InStream, AdjustMatrixSize);
}

namespace {

// The storage a reader fills: a copy of Mat, or with Adjust Cols x Rows
// keeping the overlap.
template <class T>
std::vector<std::vector<T>> Target(const std::vector<std::vector<T>>& Mat, bool Adjust,
                                   int32_t Cols, int32_t Rows) {
  if (!Adjust) return Mat;
  std::vector<std::vector<T>> out(static_cast<size_t>(Cols),
                                  std::vector<T>(static_cast<size_t>(Rows), T{0}));
  const size_t keepCols = std::min(out.size(), Mat.size());
  const size_t keepRows = std::min(out.front().size(), Mat.front().size());
  for (size_t c = 0; c < keepCols; ++c)
    std::copy(Mat[c].begin(), Mat[c].begin() + static_cast<std::ptrdiff_t>(keepRows),
              out[c].begin());
  return out;
}

}  // namespace

template <class T>
bool TMatrixT<T>::LoadFromStream(TStream& InStream, bool AdjustMatrixSize) {
  if (!HasStorage()) return false;
  int32_t lc = 0, lr = 0, hc = 0, hr = 0;
  if (!ReadLongIntFromStream(InStream, lc) || !ReadLongIntFromStream(InStream, lr) ||
      !ReadLongIntFromStream(InStream, hc) || !ReadLongIntFromStream(InStream, hr))
    return false;
  if (lc < 1 || lc > hc || lr < 1 || lr > hr) return false;
  const int64_t cols = int64_t{hc} - lc + 1, rows = int64_t{hr} - lr + 1;
  if (!CountFitsInStream(InStream, cols, rows * kStreamBytes<T>)) return false;
  if (AdjustMatrixSize
          ? !GrowthAllowed(int64_t{hc} * hr, int64_t{FNCol} * FNRow, InStream.GetSize())
          : (FNCol < hc || FNRow < hr))
    return false;
  return FailOnNoMemory(false, [&] {
    T2DArray data = Target(Mat, AdjustMatrixSize, hc, hr);
    std::vector<uint8_t> buf(static_cast<size_t>(rows * kStreamBytes<T>));
    for (int32_t c = lc; c <= hc; ++c) {
      if (InStream.Read(buf.data(), static_cast<int64_t>(buf.size())) !=
          static_cast<int64_t>(buf.size()))
        return false;
      T* col = data[static_cast<size_t>(c - 1)].data() + (lr - 1);
      for (size_t k = 0; k < static_cast<size_t>(rows); ++k) {
        if constexpr (IsInt<T>)
          col[k] = static_cast<int32_t>(LoadLE32(buf.data() + 4 * k));
        else
          col[k] = LoadLEDouble(buf.data() + 8 * k);
      }
    }
    TakeLoaded(data);
    return true;
  });
}

// ---------------------------------------------------------------------------
// Text format
// ---------------------------------------------------------------------------

template <class T>
bool TMatrixT<T>::StoreText(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                            const std::string& FileName,
                            const std::function<std::string(T)>& Format) const {
  if (!HasStorage()) return false;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  TTextFile f;
  if (!f.Rewrite(FileName)) return false;
  bool ok = f.WriteLn(std::to_string(LowCol) + " " + std::to_string(LowRow) + " " +
                      std::to_string(HighCol) + " " + std::to_string(HighRow));
  std::string line;
  for (int32_t r = LowRow; ok && r <= HighRow; ++r) {
    line.clear();
    for (int32_t c = LowCol; c <= HighCol; ++c) {
      if (c > LowCol) line += ' ';
      line += Format(Mat[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)]);
    }
    ok = f.WriteLn(line);
  }
  return f.Close() && ok;
}

template <class T>
bool TMatrixT<T>::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize) {
  if (!HasStorage()) return false;
  TTextFile f;
  if (!f.Reset(FileName)) return false;
  std::string line;
  if (!f.ReadLn(line)) return false;
  int32_t b[4] = {};
  int32_t pos = 1;
  for (int32_t& v : b) {
    const int32_t at = pos;
    v = ScanDecimal(line, pos);
    if (pos == at) return false;
  }
  if (!StripLTBlanks(std::string_view(line).substr(static_cast<size_t>(pos - 1))).empty())
    return false;
  // Plain locals, not a structured binding: the lambda below captures them
  // (clang 14, the fuzz build's compiler, cannot capture bindings).
  const int32_t lc = b[0], lr = b[1], hc = b[2], hr = b[3];
  if (lc < 1 || lc > hc || lr < 1 || lr > hr) return false;
  const int64_t cols = int64_t{hc} - lc + 1, rows = int64_t{hr} - lr + 1;
  // Every value takes at least one byte and all but the last a separator;
  // a file whose size is not known is checked as it is read.
  const bool sized = !f.IsSequential();
  const int64_t remaining = sized ? f.FileSize() - f.Position() : 0;
  if (sized && cols > (remaining + 1) / 2 / rows) return false;
  if (AdjustMatrixSize
          ? !GrowthAllowed(int64_t{hc} * hr, int64_t{FNCol} * FNRow, sized ? f.FileSize() : 0)
          : (FNCol < hc || FNRow < hr))
    return false;
  return FailOnNoMemory(false, [&] {
    T2DArray data = Target(Mat, AdjustMatrixSize, hc, hr);
    std::string word;
    double x = 0;
    for (int32_t r = lr; r <= hr; ++r)
      for (int32_t c = lc; c <= hc; ++c) {
        if (!ReadNextWordInTextFile(f, word) || !TryStrToFloat(word, x)) return false;
        data[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)] =
            matrix_detail::ConvertElem<T>(x);
      }
    TakeLoaded(data);
    return true;
  });
}

bool TMatrix::StoreOnFile(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                          const std::string& FileName) const {
  const int32_t width = FPrecis, decimals = FPrecis2;
  return StoreText(LowCol, LowRow, HighCol, HighRow, FileName,
                   [=](double x) { return strff(x, width, decimals); });
}

bool TIntMatrix::StoreOnFile(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                             const std::string& FileName) const {
  return StoreText(LowCol, LowRow, HighCol, HighRow, FileName,
                   [](int32_t x) { return std::to_string(x); });
}

bool TMatrix::LoadFromFile(const std::string& FileName, bool AdjustMatrixSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustMatrixSize);
  TTextFile f;
  if (!f.Reset(FileName)) return false;
  return FailOnNoMemory(false, [&] {
    // One pass (a pipe works as well): the numbers of each line with a digit.
    std::vector<double> numbers;
    int64_t width = -1, rows = 0;
    std::string line;
    double x = 0;
    while (f.ReadLn(line)) {
      if (!StringContains(line, "//dig")) continue;
      int64_t n = 0;
      for (size_t i = 0; i < line.size();) {
        while (i < line.size() && IsSeparator(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !IsSeparator(line[i])) ++i;
        if (i == start) continue;
        const std::string_view word(line.data() + start, i - start);
        if (TryStrToFloat(word, x)) {
          numbers.push_back(x);
          ++n;
        } else if (HoldsDigit(word)) {
          return false;
        }
      }
      if (n == 0 || (width >= 0 && n != width)) return false;
      width = n;
      ++rows;
    }
    if (f.HasReadError() || rows == 0) return false;
    if (width > std::numeric_limits<int32_t>::max() || rows > std::numeric_limits<int32_t>::max())
      return false;
    const auto nc = static_cast<int32_t>(width), nr = static_cast<int32_t>(rows);
    if (AdjustMatrixSize && !GrowthAllowed(int64_t{nc} * nr, int64_t{FNCol} * FNRow,
                                           f.IsSequential() ? f.Position() : f.FileSize()))
      return false;
    TDouble2DArray data = Target(Mat, AdjustMatrixSize, nc, nr);
    const int32_t useCols = AdjustMatrixSize ? nc : std::min(nc, FNCol);
    const int32_t useRows = AdjustMatrixSize ? nr : std::min(nr, FNRow);
    for (int32_t r = 0; r < useRows; ++r)
      for (int32_t c = 0; c < useCols; ++c)
        data[static_cast<size_t>(c)][static_cast<size_t>(r)] =
            numbers[static_cast<size_t>(int64_t{r} * nc + c)];
    TakeLoaded(data);
    return true;
  });
}

// ---------------------------------------------------------------------------
// ASC format
// ---------------------------------------------------------------------------

template <class T>
int32_t TMatrixT<T>::ExportASCText(const std::string& FName, const std::string& Comment,
                                   const TStr2DArray* CustData, const char* Who,
                                   const std::function<std::string(T)>& Format) const {
  if (!HasStorage()) return -1;
  const std::string comment = SanitizeComment(
      Comment.empty() ? std::string("Exported by ZEL ") + Who + " component: " + FName : Comment);
  TTextFile f;
  if (!f.Rewrite(FName)) return -1;
  bool ok =
      f.WriteLn(comment) && f.WriteLn(std::to_string(FNCol) + "\t;nr. of columns") &&
      f.WriteLn(std::to_string(FNRow) + "\t;nr. of rows") &&
      f.WriteLn(
          "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables");
  std::string line;
  for (int32_t r = 0; ok && r < FNRow; ++r) {
    line.clear();
    for (int32_t c = 0; c < FNCol; ++c) {
      if (c > 0) line += ' ';
      line += Format(Mat[static_cast<size_t>(c)][static_cast<size_t>(r)]);
    }
    ok = f.WriteLn(line);
  }
  if (ok && CustData != nullptr) {
    ok = f.WriteLn("#custdata") && f.WriteLn(std::to_string(CustData->size()));
    for (size_t c = 0; ok && c < CustData->size(); ++c) {
      ok = f.WriteLn(std::to_string((*CustData)[c].size()));
      for (size_t k = 0; ok && k < (*CustData)[c].size(); ++k) {
        std::string q = "\"";
        AppendXmlEscaped(q, (*CustData)[c][k]);
        ok = f.WriteLn(q + '"');
      }
    }
  }
  return f.Close() && ok ? 0 : -1;
}

namespace {

// Precision below -2 counts as 2, above 20 as 20.
std::function<std::string(double)> AscFormat(int32_t Precision) {
  if (Precision < -2) Precision = 2;
  Precision = std::min(Precision, 20);
  if (Precision == -1) return [](double x) { return strff(x, 13, -1); };
  if (Precision == -2) return [](double x) { return strff(x, 26, -1); };
  return [Precision](double x) { return strff(x, 12, Precision); };
}

// A count in the custom data: a decimal integer from 0 up to what the rest
// of the file could hold.
bool ReadCount(TTextFile& f, int64_t Limit, int64_t& Count) {
  int32_t n = 0;
  if (!f.ReadInteger(n) || n < 0 || n > Limit) return false;
  Count = n;
  return true;
}

}  // namespace

int32_t TMatrix::ExportAsASC(const std::string& FName, int32_t Precision,
                             const std::string& Comment) const {
  return ExportASCText(FName, Comment, nullptr, "TMatrix", AscFormat(Precision));
}

int32_t TMatrix::ExportAsASC(const std::string& FName, int32_t Precision,
                             const std::string& Comment, const TStr2DArray& CustData) const {
  return ExportASCText(FName, Comment, &CustData, "TMatrix", AscFormat(Precision));
}

int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return ExportASCText(FName, Comment, nullptr, "TIntMatrix",
                       [](int32_t x) { return std::to_string(x); });
}

int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment,
                                const TStr2DArray& CustData) const {
  return ExportASCText(FName, Comment, &CustData, "TIntMatrix",
                       [](int32_t x) { return std::to_string(x); });
}

template <class T>
int32_t TMatrixT<T>::ImportASC(const std::string& FName, std::string& Comment) {
  TStr2DArray dropped;
  return ImportASC(FName, Comment, dropped);
}

template <class T>
int32_t TMatrixT<T>::ImportASC(const std::string& FName, std::string& Comment,
                               TStr2DArray& CustData) {
  Comment.clear();
  CustData.clear();
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return kMatAscNoFile;
  if (!HasStorage()) return kAscCannotRead;
  TTextFile f;
  if (!f.Reset(FName)) return kAscCannotRead;
  TAscHeader h;
  if (const int32_t status = ReadHeaderOfASC(f, h); status != kAscOk) return status;
  if (h.NrOfColumns < 1 || h.NrOfRows < 1) return kMatAscEmpty;
  if (h.NominalVars) return kMatAscBadValue;
  // ReadHeaderOfASC has checked the cell count against the file's size; a
  // pipe has none, so there the storage is bounded by what the matrix holds.
  if (f.IsSequential() && int64_t{h.NrOfColumns} * h.NrOfRows > int64_t{FNCol} * FNRow)
    return kAscBadRowCount;
  std::string word;
  TStr2DArray cust;
  const int32_t status = FailOnNoMemory(kAscCannotRead, [&]() -> int32_t {
    for (int32_t c = 0; h.ColumnNames && c < h.NrOfColumns; ++c)
      if (!f.ReadQuotedName(word)) return kMatAscBadValue;
    T2DArray data(static_cast<size_t>(h.NrOfColumns),
                  std::vector<T>(static_cast<size_t>(h.NrOfRows), T{0}));
    double x = 0;
    for (int32_t r = 0; r < h.NrOfRows; ++r) {
      if (h.RowAttributes && (!ReadNextWordInTextFile(f, word) || !TryStrToFloat(word, x)))
        return kMatAscBadRowAttribute;
      if (h.RowNames && !f.ReadQuotedName(word)) return kMatAscBadValue;
      for (int32_t c = 0; c < h.NrOfColumns; ++c) {
        if (!ReadNextWordInTextFile(f, word)) return kMatAscBadValue;
        if (word == "###") {
          x = 0;
        } else if (!TryStrToFloat(word, x)) {
          return kMatAscBadValue;
        }
        if (std::isnan(x)) x = 0;
        data[static_cast<size_t>(c)][static_cast<size_t>(r)] = matrix_detail::ConvertElem<T>(x);
      }
    }
    if (ReadNextWordInTextFile(f, word)) {
      if (word != "#custdata") return kMatAscBadCustData;
      // Each string takes at least its two quotes and a separator.
      const int64_t limit = f.IsSequential() ? std::numeric_limits<int32_t>::max()
                                             : (f.FileSize() - f.Position()) / 2 + 1;
      int64_t nc = 0;
      if (!ReadCount(f, limit, nc)) return kMatAscBadCustData;
      for (int64_t c = 0; c < nc; ++c) {
        int64_t n = 0;
        if (!ReadCount(f, limit, n)) return kMatAscBadCustData;
        TStrArray col;
        for (int64_t k = 0; k < n; ++k) {
          if (!f.ReadQuotedName(word)) return kMatAscBadCustData;
          col.push_back(XmlUnescape(word));
        }
        cust.push_back(std::move(col));
      }
      if (ReadNextWordInTextFile(f, word)) return kMatAscBadCustData;
    }
    if (f.HasReadError()) return kAscCannotRead;
    TakeLoaded(data);
    return 0;
  });
  if (status != 0) return status;
  CustData.swap(cust);
  Comment = h.Comment;
  return 0;
}

// ---------------------------------------------------------------------------
// Sparse file of the integer matrix
// ---------------------------------------------------------------------------

bool TIntMatrix::StoreSparseMat(const std::string& FileName) const {
  try {
    TFileStream f(FileName, TFileMode::fmCreate);
    std::vector<TSpMatElemInt> dense;
    if (!FIsSparse)
      for (int32_t c = 0; c < FNCol; ++c)
        for (int32_t r = 0; r < FNRow; ++r)
          if (const int32_t v = Mat[static_cast<size_t>(c)][static_cast<size_t>(r)]; v != 0)
            dense.push_back({c + 1, r + 1, v});
    const std::vector<TSpMatElemInt>& entries = FIsSparse ? SpMat : dense;
    uint8_t head[16];
    StoreLE32(head, static_cast<uint32_t>(FNCol));
    StoreLE32(head + 4, static_cast<uint32_t>(FNRow));
    StoreLE64(head + 8, static_cast<uint64_t>(entries.size()));
    bool ok = f.Write(head, 16) == 16;
    std::vector<uint8_t> buf;
    buf.reserve(12 * 4096);
    for (size_t i = 0; ok && i < entries.size(); ++i) {
      uint8_t e[12];
      StoreLE32(e, static_cast<uint32_t>(entries[i].colidx));
      StoreLE32(e + 4, static_cast<uint32_t>(entries[i].rowidx));
      StoreLE32(e + 8, static_cast<uint32_t>(entries[i].value));
      buf.insert(buf.end(), e, e + 12);
      if (buf.size() >= 12 * 4096 || i + 1 == entries.size()) {
        ok = f.Write(buf.data(), static_cast<int64_t>(buf.size())) ==
             static_cast<int64_t>(buf.size());
        buf.clear();
      }
    }
    return f.Flush() && ok;
  } catch (const EInOutError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool TIntMatrix::LoadSparseMat(const std::string& FileName) {
  std::error_code ec;
  if (!std::filesystem::exists(FileName, ec)) return false;
  try {
    TFileStream f(FileName, TFileMode::fmOpenRead);
    uint8_t head[16];
    if (f.Read(head, 16) != 16) return false;
    const auto nc = static_cast<int32_t>(LoadLE32(head));
    const auto nr = static_cast<int32_t>(LoadLE32(head + 4));
    const auto n = static_cast<int64_t>(LoadLE64(head + 8));
    if (nc < 0 || nr < 0 || !CountFitsInStream(f, n, 12) || f.Remaining() != n * 12) return false;
    std::vector<TSpMatElemInt> entries(static_cast<size_t>(n));
    uint8_t e[12];
    for (int64_t i = 0; i < n; ++i) {
      if (f.Read(e, 12) != 12) return false;
      TSpMatElemInt& x = entries[static_cast<size_t>(i)];
      x = {static_cast<int32_t>(LoadLE32(e)), static_cast<int32_t>(LoadLE32(e + 4)),
           static_cast<int32_t>(LoadLE32(e + 8))};
      if (x.colidx < 1 || x.colidx > nc || x.rowidx < 1 || x.rowidx > nr) return false;
      if (i > 0) {
        const TSpMatElemInt& p = entries[static_cast<size_t>(i - 1)];
        if (p.colidx > x.colidx || (p.colidx == x.colidx && p.rowidx >= x.rowidx)) return false;
      }
    }
    AdoptSparse(entries, FIsSparse ? FAllocBy : 1, nc, nr);
    return true;
  } catch (const EInOutError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_MATRIX_TEXT_MEMBERS(T)                                                              \
  template void TMatrixT<T>::TakeLoaded(T2DArray&);                                             \
  template bool TMatrixT<T>::SaveToStream(TStream&, int32_t, int32_t, int32_t, int32_t) const;  \
  template bool TMatrixT<T>::SaveToStream(TStream*&, int32_t, int32_t, int32_t, int32_t) const; \
  template bool TMatrixT<T>::LoadFromStream(TStream*, bool);                                    \
  template bool TMatrixT<T>::LoadFromStream(TStream&, bool);                                    \
  template bool TMatrixT<T>::StoreText(int32_t, int32_t, int32_t, int32_t, const std::string&,  \
                                       const std::function<std::string(T)>&) const;             \
  template bool TMatrixT<T>::LoadFromFile(const std::string&, bool);                            \
  template int32_t TMatrixT<T>::ExportASCText(const std::string&, const std::string&,           \
                                              const TStr2DArray*, const char*,                  \
                                              const std::function<std::string(T)>&) const;      \
  template int32_t TMatrixT<T>::ImportASC(const std::string&, std::string&, TStr2DArray&);      \
  template int32_t TMatrixT<T>::ImportASC(const std::string&, std::string&);

ZEL_MATRIX_TEXT_MEMBERS(double)
ZEL_MATRIX_TEXT_MEMBERS(int32_t)
#undef ZEL_MATRIX_TEXT_MEMBERS

}  // namespace zel
