// Matrices: the binary record file and the XML form of TMatrix and
// TIntMatrix, the parsers of the XML form and the helpers that TMat3D and
// TMat4D share.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/math1/zel_math1.hpp"
#include "num/matrix/matfiles_impl.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Parsers
// ---------------------------------------------------------------------------

int32_t MatXmlStrToInt(std::string_view Text) {
  int32_t pos = 1;
  return ScanDecimal(Text, pos);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithNoCase(std::string_view Text, size_t At, std::string_view Word) {
  if (Text.size() - At < Word.size()) return false;
  return LowerCaseAscii(Text.substr(At, Word.size())) == Word;
}

}  // namespace

double MatXmlStrToNum(std::string_view Text) {
  const size_t n = Text.size();
  size_t i = 0;
  while (i < n && (Text[i] == ' ' || Text[i] == '\t' || Text[i] == '\r' || Text[i] == '\n')) ++i;
  bool negative = false;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
    if (i < n && (Text[i] == ' ' || Text[i] == '+' || Text[i] == '-')) return 0.0;
  }
  if (StartsWithNoCase(Text, i, "nan")) return std::numeric_limits<double>::quiet_NaN();
  if (StartsWithNoCase(Text, i, "inf"))
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  std::string digits;
  bool any = false;
  for (; i < n && IsDigit(Text[i]); ++i, any = true) digits += Text[i];
  if (i < n && Text[i] == '.') {
    digits += '.';
    for (++i; i < n && IsDigit(Text[i]); ++i, any = true) digits += Text[i];
    if (i < n && Text[i] == '.') return 0.0;
  }
  if (!any) return 0.0;
  if (digits.back() == '.') digits += '0';
  if (i < n && (Text[i] == 'E' || Text[i] == 'e')) {
    ++i;
    bool expNeg = false;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) expNeg = Text[i++] == '-';
    int32_t exponent = 0;
    for (; i < n && IsDigit(Text[i]); ++i) {
      const int32_t next = exponent * 10 + (Text[i] - '0');
      if (next > 4200) break;
      exponent = next;
    }
    digits += expNeg ? "e-" : "e";
    digits += std::to_string(exponent);
  }
  double value = 0.0;
  FloatFromChars(digits.data(), digits.data() + digits.size(), value);
  value = std::min(value, uc_MaxDouble);
  return negative ? -value : value;
}

const char* MatrixXmlStatusText(int32_t status) {
  switch (status) {
    case kMatXmlComplete: return "the matrix is complete";
    case kMatXmlContinue: return "the element was taken";
    case kMatXmlInvalid: return "the element is not part of the matrix vocabulary";
    case kMatXmlTooLarge: return "the announced sizes exceed the element limit";
    default: return "unknown matrix XML status";
  }
}

// ---------------------------------------------------------------------------
// Header record and data area
// ---------------------------------------------------------------------------

void EncodeMatHeader(const TMatBinHeader& H, uint8_t* Rec) {
  std::fill(Rec, Rec + kMatRecordBytes, uint8_t{0});
  StoreLE32(Rec + 0, static_cast<uint32_t>(H.Nx));
  StoreLE32(Rec + 4, static_cast<uint32_t>(H.Ny));
  StoreLE32(Rec + 8, static_cast<uint32_t>(H.Nz));
  StoreLE32(Rec + 12, static_cast<uint32_t>(H.Nt));
  // Cut after the conversion: the length byte counts bytes on disk.
  std::string ansi = Utf8ToAnsi(H.DataID);
  if (ansi.size() > 255) ansi.resize(255);
  Rec[16] = static_cast<uint8_t>(ansi.size());
  std::copy(ansi.begin(), ansi.end(), Rec + 17);
  StoreLE32(Rec + 272, static_cast<uint32_t>(H.Format));
}

TMatBinHeader DecodeMatHeader(const uint8_t* Rec) {
  TMatBinHeader h;
  h.Nx = static_cast<int32_t>(LoadLE32(Rec + 0));
  h.Ny = static_cast<int32_t>(LoadLE32(Rec + 4));
  h.Nz = static_cast<int32_t>(LoadLE32(Rec + 8));
  h.Nt = static_cast<int32_t>(LoadLE32(Rec + 12));
  h.DataID = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(Rec + 17), Rec[16]));
  h.Format = static_cast<int32_t>(LoadLE32(Rec + 272));
  return h;
}

bool ReadMatHeader(TStream& S, TMatBinHeader& H) {
  std::vector<uint8_t> rec(static_cast<size_t>(kMatRecordBytes));
  if (S.Seek(0, TSeekOrigin::soBeginning) != 0 ||
      S.Read(rec.data(), kMatRecordBytes) != kMatRecordBytes)
    return false;
  H = DecodeMatHeader(rec.data());
  return true;
}

bool ReadMatHeaderFile(const std::string& FName, TMatBinHeader& H) {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return false;
  TFileStream f(FName, TFileMode::fmOpenRead);
  std::vector<uint8_t> rec(static_cast<size_t>(kMatRecordBytes));
  f.ReadBuffer(rec.data(), kMatRecordBytes);
  H = DecodeMatHeader(rec.data());
  return true;
}

int64_t MatDataElems(const TMatBinHeader& H, int64_t ElemBytes, int64_t FileBytes) {
  if (H.Nx < 1 || H.Ny < 1 || H.Nz < 0 || H.Nt < 0) return -1;
  const int64_t room = FileBytes - kMatRecordBytes;
  if (room < 0) return -1;
  // The product is checked against the room before every step, so it never
  // overflows, however large the file.
  const int64_t maxElems = room / ElemBytes;
  int64_t count = 1;
  for (const int64_t f :
       {int64_t{H.Nx}, int64_t{H.Ny}, int64_t{std::max(H.Nz, 1)}, int64_t{std::max(H.Nt, 1)}}) {
    if (f > maxElems / count) return -1;
    count *= f;
  }
  const int64_t records = (count * ElemBytes + kMatRecordBytes - 1) / kMatRecordBytes;
  return records <= room / kMatRecordBytes ? count : -1;
}

// ---------------------------------------------------------------------------
// XML helpers
// ---------------------------------------------------------------------------

TMatXmlSource MatXmlStreamSource(TStream& S) {
  TMatXmlSource src;
  src.Next = [&S](std::span<const std::string> Tags, std::string& Before, std::string& Attribs,
                  TTagReadInfo& Info) {
    return ReadNextTagInStream(S, Tags, static_cast<int32_t>(Tags.size()) - 1, Before, Attribs,
                               &Info);
  };
  src.Bytes = S.GetSize();
  return src;
}

TMatXmlSource MatXmlTextFileSource(TTextFile& f) {
  TMatXmlSource src;
  src.Next = [&f](std::span<const std::string> Tags, std::string& Before, std::string& Attribs,
                  TTagReadInfo& Info) {
    return ReadNextTagInTextFile(f, Tags, static_cast<int32_t>(Tags.size()) - 1, Before, Attribs,
                                 &Info);
  };
  src.Bytes = f.IsSequential() ? 0 : f.FileSize();
  return src;
}

std::string MatXmlHead(bool CreateHeader, const std::string& DataID) {
  std::string out;
  if (CreateHeader)
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- matrix, ZEL Component Suite -->\n";
  out += "<matrix sig=\"ZELCSuite\" vers=\"1.0\" id=\"";
  AppendXmlEscaped(out, DataID);
  out += "\">\n";
  return out;
}

void AppendMatXmlNumber(std::string& Out, double X) {
  if (std::isnan(X)) {
    Out += "NAN";
  } else if (std::isinf(X)) {
    Out += X < 0 ? "-INF" : "INF";
  } else {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, X);
    Out.append(buf, res.ptr);
  }
}

bool WriteMatXmlText(TStream& S, const std::string& Text) {
  bool ok =
      S.Write(Text.data(), static_cast<int64_t>(Text.size())) == static_cast<int64_t>(Text.size());
  if (auto* fs = dynamic_cast<TFileStream*>(&S)) ok = fs->Flush() && ok;
  return ok;
}

std::string MatXmlId(std::string_view Attributes) {
  std::string raw;
  XmlAttribute(Attributes, "id", raw);
  return XmlUnescape(raw);
}

int32_t MatXmlAttr(std::string_view Attributes, std::string_view Name) {
  std::string raw;
  return XmlAttribute(Attributes, Name, raw) ? MatXmlStrToInt(raw) : 0;
}

// ---------------------------------------------------------------------------
// TMatrixT: binary file
// ---------------------------------------------------------------------------

namespace {

template <class T>
constexpr bool IsInt = std::is_same_v<T, int32_t>;

template <class T>
constexpr int64_t kElemBytes = IsInt<T> ? 4 : 8;

template <class T>
constexpr int32_t kFormat = IsInt<T> ? kMatFormatInt : kMatFormatDouble;

template <class T>
void EncodeElem(T v, uint8_t* out) {
  if constexpr (IsInt<T>)
    StoreLE32(out, static_cast<uint32_t>(v));
  else
    StoreLEDouble(out, v);
}

template <class T>
T DecodeElem(const uint8_t* in) {
  if constexpr (IsInt<T>)
    return static_cast<int32_t>(LoadLE32(in));
  else
    return LoadLEDouble(in);
}

}  // namespace

template <class T>
bool TMatrixT<T>::ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                                   std::string& DataID, int32_t& Format) {
  TMatBinHeader h;
  if (!ReadMatHeaderFile(FName, h)) return false;
  NrColumns = h.Nx;
  NrRows = h.Ny;
  DataID = h.DataID;
  Format = h.Format;
  return h.Nz == 0 && h.Nt == 0 && h.Format == kFormat<T> && h.Nx >= 1 && h.Ny >= 1;
}

template <class T>
bool TMatrixT<T>::SaveBinary(const std::string& FName) const {
  if (!HasStorage()) return false;
  TMatBinHeader h;
  h.Nx = FNCol;
  h.Ny = FNRow;
  h.Format = kFormat<T>;
  h.DataID = FDataID;
  const int64_t nc = FNCol;
  return WriteMatFile(FName, h, nc * FNRow, kElemBytes<T>, [&](int64_t p, uint8_t* out) {
    EncodeElem<T>(Mat[static_cast<size_t>(p % nc)][static_cast<size_t>(p / nc)], out);
  });
}

template <class T>
bool TMatrixT<T>::LoadBinary(const std::string& FName) {
  if (!HasStorage()) return false;
  try {
    std::error_code ec;
    if (!std::filesystem::exists(FName, ec)) return false;
    TFileStream f(FName, TFileMode::fmOpenRead);
    TMatBinHeader h;
    if (!ReadMatHeader(f, h) || h.Nz != 0 || h.Nt != 0 || h.Format != kFormat<T>) return false;
    const int64_t count = MatDataElems(h, kElemBytes<T>, f.GetSize());
    if (count < 0) return false;
    T2DArray data = NewStorage(h.Nx, h.Ny);
    const int64_t nc = h.Nx;
    const bool ok =
        ReadMatElems(f, 0, count, kElemBytes<T>, [&](int64_t k, const uint8_t* in, int64_t n) {
          for (int64_t j = 0; j < n; ++j) {
            const int64_t p = k + j;
            data[static_cast<size_t>(p % nc)][static_cast<size_t>(p / nc)] =
                DecodeElem<T>(in + j * kElemBytes<T>);
          }
          return true;
        });
    if (!ok) return false;
    const bool resized = h.Nx != FNCol || h.Ny != FNRow;
    SwapIn(data);
    FDataID = h.DataID;
    Changed();
    if (resized) Resized();
    return true;
  } catch (const EInOutError&) {
    return false;
  } catch (const EZELMatrixError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// TMatrixT: XML form
// ---------------------------------------------------------------------------

template <class T>
int32_t TMatrixT<T>::ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes,
                                   const std::string& Content) {
  switch (Tag) {
    case TMatXmlTag::xmlMatBegin:
      FAuxCol = 0;
      FAuxRow = 0;
      FirstCell = true;
      return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumCols: FAuxCol = MatXmlStrToInt(Content); return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumRows: FAuxRow = MatXmlStrToInt(Content); return kMatXmlContinue;
    case TMatXmlTag::xmlMatCell: {
      if (FirstCell) {
        if (FAuxCol > 0 && FAuxRow > 0) {
          const int64_t limit = std::max(FXmlMaxElems, int64_t{FNCol} * FNRow);
          if (int64_t{FAuxCol} * FAuxRow > limit) return kMatXmlTooLarge;
          Resize(FAuxCol, FAuxRow);
        }
        FirstCell = false;
      }
      const int32_t ix = MatXmlAttr(Attributes, "ix");
      const int32_t iy = MatXmlAttr(Attributes, "iy");
      if constexpr (IsInt<T>)
        SetVal(ix, iy, MatXmlStrToInt(Content));
      else
        SetVal(ix, iy, MatXmlStrToNum(Content));
      return kMatXmlContinue;
    }
    case TMatXmlTag::xmlMatEnd: return kMatXmlComplete;
    case TMatXmlTag::xmlInvalid: return kMatXmlInvalid;
    default: return kMatXmlContinue;
  }
}

template <class T>
bool TMatrixT<T>::ReadXml(TMatXmlSource& Src, const std::string& DataID) {
  if (!HasStorage()) return false;
  try {
    TMatrixT<T> scratch(nullptr);
    T2DArray copy = Mat;
    scratch.SwapIn(copy);
    scratch.FXmlMaxElems = Src.Bytes;
    std::string id;
    if (!RunMatXml(scratch, Src, DataID, id)) return false;
    const bool resized = scratch.FNCol != FNCol || scratch.FNRow != FNRow;
    SwapIn(scratch.Mat);
    FDataID = id;
    Changed();
    if (resized) Resized();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  } catch (const EZELMatrixError&) {
    return false;
  }
}

template <class T>
bool TMatrixT<T>::ReadFromXMLStream(TStream& InStream, const std::string& DataID) {
  TMatXmlSource src = MatXmlStreamSource(InStream);
  return ReadXml(src, DataID);
}

template <class T>
bool TMatrixT<T>::ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID) {
  TMatXmlSource src = MatXmlTextFileSource(f);
  return ReadXml(src, DataID);
}

template <class T>
bool TMatrixT<T>::LoadFromXMLFile(const std::string& FName, const std::string& DataID) {
  TMemoryStream ms;
  if (!ms.LoadFromFile(FName)) return false;
  return ReadFromXMLStream(ms, DataID);
}

template <class T>
std::string TMatrixT<T>::XmlText(bool CreateHeader, const std::string& DataID) const {
  std::string out = MatXmlHead(CreateHeader, DataID);
  out += "<numcols>" + std::to_string(FNCol) + "</numcols>\n<numrows>" + std::to_string(FNRow) +
         "</numrows>\n";
  for (int32_t c = 1; c <= FNCol; ++c) {
    const std::string head = "<cell ix=\"" + std::to_string(c) + "\" iy=\"";
    for (int32_t r = 1; r <= FNRow; ++r) {
      out += head;
      out += std::to_string(r);
      out += "\">";
      const T v = Mat[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)];
      if constexpr (IsInt<T>)
        out += std::to_string(v);
      else
        AppendMatXmlNumber(out, v);
      out += "</cell>\n";
    }
  }
  out += "</matrix>\n";
  return out;
}

template <class T>
bool TMatrixT<T>::WriteToOpenXMLFile(TTextFile& f, bool CreateHeader,
                                     const std::string& DataID) const {
  return HasStorage() && f.Write(XmlText(CreateHeader, DataID));
}

template <class T>
bool TMatrixT<T>::WriteToXMLStream(TStream& OutStream, bool CreateHeader,
                                   const std::string& DataID) const {
  return HasStorage() && WriteMatXmlText(OutStream, XmlText(CreateHeader, DataID));
}

template <class T>
bool TMatrixT<T>::SaveAsXMLFile(const std::string& FName, const std::string& DataID) const {
  if (!HasStorage()) return false;
  try {
    TFileStream f(FName, TFileMode::fmCreate);
    return WriteMatXmlText(f, XmlText(true, DataID));
  } catch (const EInOutError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Instantiation of the members defined in this file
// ---------------------------------------------------------------------------

#define ZEL_MATRIX_FILE_MEMBERS(T)                                                                 \
  template bool TMatrixT<T>::ReadBinaryHeader(const std::string&, int32_t&, int32_t&,              \
                                              std::string&, int32_t&);                             \
  template bool TMatrixT<T>::SaveBinary(const std::string&) const;                                 \
  template bool TMatrixT<T>::LoadBinary(const std::string&);                                       \
  template int32_t TMatrixT<T>::ProcessXmlTag(TMatXmlTag, const std::string&, const std::string&); \
  template bool TMatrixT<T>::ReadXml(TMatXmlSource&, const std::string&);                          \
  template bool TMatrixT<T>::ReadFromXMLStream(TStream&, const std::string&);                      \
  template bool TMatrixT<T>::ReadFromOpenXMLFile(TTextFile&, const std::string&);                  \
  template bool TMatrixT<T>::LoadFromXMLFile(const std::string&, const std::string&);              \
  template std::string TMatrixT<T>::XmlText(bool, const std::string&) const;                       \
  template bool TMatrixT<T>::WriteToOpenXMLFile(TTextFile&, bool, const std::string&) const;       \
  template bool TMatrixT<T>::WriteToXMLStream(TStream&, bool, const std::string&) const;           \
  template bool TMatrixT<T>::SaveAsXMLFile(const std::string&, const std::string&) const;

ZEL_MATRIX_FILE_MEMBERS(double)
ZEL_MATRIX_FILE_MEMBERS(int32_t)
#undef ZEL_MATRIX_FILE_MEMBERS

}  // namespace zel
