// Three- and four-dimensional matrices: the binary record file, the layer
// readers and the XML form.
#include <algorithm>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <system_error>

#include "core/zel_system.hpp"
#include "num/matrix/matfiles_impl.hpp"
#include "num/matrix/zel_mat3d4d.hpp"

namespace zel {

namespace {

constexpr int64_t kDoubleBytes = 8;

// An open four-dimensional file with its header checked: sizes >= 1 (a 0
// layer or time-slot count counts as 1 only where the caller allows it) and
// the whole data area present.
struct TOpen4D {
  std::optional<TFileStream> File;
  TMatBinHeader H;
  int64_t Block = 0;  // columns x rows
};

// False when the file is missing, cannot be opened or read, or its header
// or data area is damaged; ZeroIsOne lets 0 layers or time slots count as 1.
bool Open4D(const std::string& FName, TOpen4D& F, bool ZeroIsOne) {
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return false;
  try {
    F.File.emplace(FName, TFileMode::fmOpenRead);
  } catch (const EInOutError&) {
    return false;
  }
  if (!ReadMatHeader(*F.File, F.H)) return false;
  if (ZeroIsOne) {
    F.H.Nz = std::max(F.H.Nz, 1);
    F.H.Nt = std::max(F.H.Nt, 1);
  }
  if (F.H.Nz < 1 || F.H.Nt < 1) return false;
  if (MatDataElems(F.H, kDoubleBytes, F.File->GetSize()) < 0) return false;
  F.Block = int64_t{F.H.Nx} * F.H.Ny;
  return true;
}

// Reads the block of Layer, TSlot (both valid) into Buf; Progress(k) after
// every chunk of values, false from it stops the read.
template <class P>
bool ReadBlock(TOpen4D& F, int32_t Layer, int32_t TSlot, std::vector<double>& Buf, P&& Progress) {
  const int64_t first = ((int64_t{TSlot} - 1) * F.H.Nz + (Layer - 1)) * F.Block;
  Buf.resize(static_cast<size_t>(F.Block));
  return ReadMatElems(*F.File, first, F.Block, kDoubleBytes,
                      [&](int64_t k, const uint8_t* in, int64_t n) {
                        for (int64_t j = 0; j < n; ++j)
                          Buf[static_cast<size_t>(k + j)] = LoadLEDouble(in + j * kDoubleBytes);
                        return Progress(k + n);
                      });
}

bool ValidArray(const TDouble2DArray& Arr, int32_t Nx, int32_t Ny) {
  if (Arr.size() != static_cast<size_t>(Nx)) return false;
  return std::all_of(Arr.begin(), Arr.end(),
                     [Ny](const TDoubleArray& c) { return c.size() == static_cast<size_t>(Ny); });
}

[[noreturn]] void ReadError() { throw EInOutError("Stream read error", kStreamReadErrorCode); }

}  // namespace

// ---------------------------------------------------------------------------
// Headers
// ---------------------------------------------------------------------------

namespace {

bool ReadHeader34(const std::string& FName, int32_t& NrColumns, int32_t& NrRows, int32_t& NrLayers,
                  int32_t& NrTimeSlots, std::string& DataID, int32_t& Format, bool FourD) {
  TMatBinHeader h;
  if (!ReadMatHeaderFile(FName, h)) return false;
  NrColumns = h.Nx;
  NrRows = h.Ny;
  NrLayers = h.Nz;
  NrTimeSlots = h.Nt;
  DataID = h.DataID;
  Format = h.Format;
  return h.Nz > 0 && (FourD ? h.Nt > 0 : h.Nt == 0) && h.Format == kMatFormatDouble && h.Nx >= 1 &&
         h.Ny >= 1;
}

}  // namespace

bool TMat3D::ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                              int32_t& NrLayers, int32_t& NrTimeSlots, std::string& DataID,
                              int32_t& Format) {
  return ReadHeader34(FName, NrColumns, NrRows, NrLayers, NrTimeSlots, DataID, Format, false);
}

bool TMat4D::ReadBinaryHeader(const std::string& FName, int32_t& NrColumns, int32_t& NrRows,
                              int32_t& NrLayers, int32_t& NrTimeSlots, std::string& DataID,
                              int32_t& Format) {
  return ReadHeader34(FName, NrColumns, NrRows, NrLayers, NrTimeSlots, DataID, Format, true);
}

// ---------------------------------------------------------------------------
// TMat3D binary file
// ---------------------------------------------------------------------------

bool TMat3D::SaveBinary(const std::string& FName) const {
  TMatBinHeader h;
  h.Nx = FNumX;
  h.Ny = FNumY;
  h.Nz = FNumZ;
  h.Format = kMatFormatDouble;
  h.DataID = FDataID;
  const int64_t nx = FNumX, plane = int64_t{FNumX} * FNumY;
  return WriteMatFile(FName, h, plane * FNumZ, kDoubleBytes, [&](int64_t p, uint8_t* out) {
    const auto z = static_cast<int32_t>(p / plane), y = static_cast<int32_t>(p % plane / nx),
               x = static_cast<int32_t>(p % nx);
    StoreLEDouble(out, Mat[static_cast<size_t>(Offset(x + 1, y + 1, z + 1, 1))]);
  });
}

bool TMat3D::LoadBinary(const std::string& FName) {
  try {
    std::error_code ec;
    if (!std::filesystem::exists(FName, ec)) return false;
    TFileStream f(FName, TFileMode::fmOpenRead);
    TMatBinHeader h;
    if (!ReadMatHeader(f, h) || h.Nz < 1 || h.Nt != 0 || h.Format != kMatFormatDouble) return false;
    const int64_t count = MatDataElems(h, kDoubleBytes, f.GetSize());
    if (count < 0) return false;
    std::vector<double> data = NewStorage(h.Nx, h.Ny, h.Nz, 1);
    // Storage [x][y][z]; the file runs x fastest, then y, then z.
    const int64_t nx = h.Nx, ny = h.Ny, nz = h.Nz, plane = nx * ny;
    const bool ok =
        ReadMatElems(f, 0, count, kDoubleBytes, [&](int64_t k, const uint8_t* in, int64_t n) {
          for (int64_t j = 0; j < n; ++j) {
            const int64_t p = k + j, z = p / plane, y = p % plane / nx, x = p % nx;
            data[static_cast<size_t>((x * ny + y) * nz + z)] = LoadLEDouble(in + j * kDoubleBytes);
          }
          return true;
        });
    if (!ok) return false;
    TMat3D scratch(nullptr);
    scratch.SwapIn(data, h.Nx, h.Ny, h.Nz, 1);
    TakeFrom(scratch, h.DataID);
    return true;
  } catch (const EInOutError&) {
    return false;
  } catch (const EZELMatrixError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// TMat4D binary file
// ---------------------------------------------------------------------------

bool TMat4D::SaveBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) const {
  MakeValidTSlotRange(TSlotStart, TSlotEnd);
  TMatBinHeader h;
  h.Nx = FNumX;
  h.Ny = FNumY;
  h.Nz = FNumZ;
  h.Nt = TSlotEnd - TSlotStart + 1;
  h.Format = kMatFormatDouble;
  h.DataID = FDataID;
  // Storage and file share the order, so a slot range is one run of Mat.
  const int64_t slot = int64_t{FNumX} * FNumY * FNumZ, first = (TSlotStart - 1) * slot;
  return WriteMatFile(FName, h, slot * h.Nt, kDoubleBytes, [&](int64_t p, uint8_t* out) {
    StoreLEDouble(out, Mat[static_cast<size_t>(first + p)]);
  });
}

bool TMat4D::LoadBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) {
  return LoadBinaryIntern(FName, TSlotStart, TSlotEnd, true);
}

bool TMat4D::LoadBinaryNoFmtCheck(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) {
  return LoadBinaryIntern(FName, TSlotStart, TSlotEnd, false);
}

bool TMat4D::LoadBinaryIntern(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd,
                              bool FmtCheck) {
  TOpen4D F;
  if (!Open4D(FName, F, !FmtCheck)) return false;
  if (FmtCheck && F.H.Format != kMatFormatDouble) return false;
  if (TSlotStart < 1 || TSlotEnd < 1) {
    TSlotStart = 1;
    TSlotEnd = F.H.Nt;
  }
  TSlotEnd = std::min(TSlotEnd, F.H.Nt);
  if (TSlotStart > TSlotEnd) return false;
  const int32_t nt = TSlotEnd - TSlotStart + 1;
  try {
    std::vector<double> data = NewStorage(F.H.Nx, F.H.Ny, F.H.Nz, nt);
    const int64_t slot = F.Block * F.H.Nz;
    const bool ok = ReadMatElems(*F.File, (TSlotStart - 1) * slot, slot * nt, kDoubleBytes,
                                 [&](int64_t k, const uint8_t* in, int64_t n) {
                                   for (int64_t j = 0; j < n; ++j)
                                     data[static_cast<size_t>(k + j)] =
                                         LoadLEDouble(in + j * kDoubleBytes);
                                   return true;
                                 });
    if (!ok) return false;
    TMat4D scratch(nullptr);
    scratch.SwapIn(data, F.H.Nx, F.H.Ny, F.H.Nz, nt);
    TakeFrom(scratch, F.H.DataID);
    return true;
  } catch (const EZELMatrixError&) {
    return false;
  }
}

bool TMat4D::AppendToBinaryFile(const std::string& FName, int32_t TSlotStart,
                                int32_t TSlotEnd) const {
  MakeValidTSlotRange(TSlotStart, TSlotEnd);
  std::error_code ec;
  if (!std::filesystem::exists(FName, ec)) return false;
  try {
    TFileStream f(FName, TFileMode::fmOpenReadWrite);
    TMatBinHeader h;
    if (!ReadMatHeader(f, h) || h.Nz < 1 || h.Nt < 1 || h.Format != kMatFormatDouble) return false;
    if (h.Nx != FNumX || h.Ny != FNumY || h.Nz != FNumZ) return false;
    if (MatDataElems(h, kDoubleBytes, f.GetSize()) < 0) return false;
    const int32_t add = TSlotEnd - TSlotStart + 1;
    if (h.Nt > std::numeric_limits<int32_t>::max() - add) return false;
    const int64_t slot = int64_t{FNumX} * FNumY * FNumZ, first = (TSlotStart - 1) * slot;
    const int64_t at = MatElemOffset(slot * h.Nt, kDoubleBytes);
    if (f.Seek(at, TSeekOrigin::soBeginning) != at) return false;
    bool ok = WriteMatElems(f, slot * h.Nt, slot * add, kDoubleBytes, [&](int64_t p, uint8_t* out) {
      StoreLEDouble(out, Mat[static_cast<size_t>(first + p - slot * h.Nt)]);
    });
    // The header goes last and only after the data reached the file.
    ok = ok && f.Flush();
    if (ok) {
      uint8_t nt[4];
      StoreLE32(nt, static_cast<uint32_t>(h.Nt + add));
      ok = f.Seek(12, TSeekOrigin::soBeginning) == 12 && f.Write(nt, 4) == 4;
    }
    return f.Flush() && ok;
  } catch (const EInOutError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Layer readers
// ---------------------------------------------------------------------------

int32_t TMat4D::ReadBinary(const std::string& FName, int32_t TSlotStart, int32_t TSlotEnd) {
  TFileStream f(FName, TFileMode::fmOpenRead);
  TMatBinHeader h;
  if (!ReadMatHeader(f, h) || h.Nz < 1 || h.Nt < 1 ||
      MatDataElems(h, kDoubleBytes, f.GetSize()) < 0)
    ReadError();
  if (TSlotStart < 1 || TSlotEnd < 1) {
    TSlotStart = 1;
    TSlotEnd = h.Nt;
  }
  if (h.Nt < TSlotStart) return kMat4DReadBadSlot;
  TSlotEnd = std::min(TSlotEnd, h.Nt);
  if (TSlotEnd < TSlotStart) return kMat4DReadOk;
  const int64_t nx = h.Nx, plane = nx * h.Ny, slot = plane * h.Nz;
  const int64_t total = slot * (TSlotEnd - TSlotStart + 1);
  const int64_t step = std::max<int64_t>(1, total / 100);
  const bool ok = ReadMatElems(
      f, (TSlotStart - 1) * slot, total, kDoubleBytes,
      [&](int64_t k, const uint8_t* in, int64_t n) {
        for (int64_t j = 0; j < n; ++j) {
          const int64_t p = k + j;
          ReadElement(this, static_cast<int32_t>(p % nx + 1),
                      static_cast<int32_t>(p % plane / nx + 1),
                      static_cast<int32_t>(p % slot / plane + 1),
                      static_cast<int32_t>(p / slot + 1), LoadLEDouble(in + j * kDoubleBytes));
          const int64_t count = p + 1;
          if (count % step == 0)
            PercDone(this, static_cast<int32_t>(Round(static_cast<double>(count) * 100.0 /
                                                      static_cast<double>(total))));
        }
        return true;
      });
  if (!ok) ReadError();
  return kMat4DReadOk;
}

int32_t TMat4D::ReadLayer(const std::string& FName, int32_t Layer, int32_t TSlot) {
  TOpen4D F;
  if (!Open4D(FName, F, false)) return kMat4DLayerIOError;
  const auto check = [&] {
    if (TSlot < 1 || TSlot > F.H.Nt || TSlot > FNumT) return kMat4DLayerBadSlot;
    if (Layer < 1 || Layer > F.H.Nz || Layer > FNumZ) return kMat4DLayerBadLayer;
    if (F.H.Nx != FNumX || F.H.Ny != FNumY) return kMat4DLayerBadSize;
    return kMat4DLayerOk;
  };
  if (const int32_t status = check(); status != kMat4DLayerOk) return status;
  const int64_t step = std::max<int64_t>(1, F.Block / 100);
  std::vector<double> buf;
  try {
    int64_t reported = 0;
    const bool ok = ReadBlock(F, Layer, TSlot, buf, [&](int64_t done) {
      for (; reported + step <= done; reported += step)
        PercDone(this, static_cast<int32_t>(Round(static_cast<double>(reported + step) * 100.0 /
                                                  static_cast<double>(F.Block))));
      return true;
    });
    if (!ok) return kMat4DLayerIOError;
  } catch (const std::bad_alloc&) {
    return kMat4DLayerIOError;
  }
  // A progress handler may have resized the matrix.
  if (const int32_t status = check(); status != kMat4DLayerOk) return status;
  std::copy(buf.begin(), buf.end(), Mat.begin() + Offset(1, 1, Layer, TSlot));
  Changed();
  return kMat4DLayerOk;
}

int32_t Read4DLayer(const std::string& FName, int32_t Layer, int32_t TSlot, TDouble2DArray& Arr) {
  TOpen4D F;
  if (!Open4D(FName, F, false)) return kRead4DIOError;
  if (TSlot < 1 || TSlot > F.H.Nt) return kRead4DBadSlot;
  if (Layer < 1 || Layer > F.H.Nz) return kRead4DBadLayer;
  try {
    std::vector<double> buf;
    if (!ReadBlock(F, Layer, TSlot, buf, [](int64_t) { return true; })) return kRead4DIOError;
    const auto nx = static_cast<size_t>(F.H.Nx), ny = static_cast<size_t>(F.H.Ny);
    TDouble2DArray out(nx, TDoubleArray(ny));
    for (size_t y = 0; y < ny; ++y)
      for (size_t x = 0; x < nx; ++x) out[x][y] = buf[y * nx + x];
    Arr.swap(out);
  } catch (const std::bad_alloc&) {
    return kRead4DIOError;
  } catch (const std::length_error&) {
    return kRead4DIOError;
  }
  return kRead4DOk;
}

int32_t Read4DLayerAndAccumulate(const std::string& FName, int32_t Layer, int32_t TSlot,
                                 TDouble2DArray& Arr) {
  TOpen4D F;
  if (!Open4D(FName, F, false)) return kAcc4DIOError;
  if (Layer < 1 || Layer > F.H.Nz) return kAcc4DBadLayer;
  if (TSlot < 1 || TSlot > F.H.Nt) return kAcc4DBadSlot;
  if (!ValidArray(Arr, F.H.Nx, F.H.Ny)) return kAcc4DBadArray;
  try {
    std::vector<double> buf;
    if (!ReadBlock(F, Layer, TSlot, buf, [](int64_t) { return true; })) return kAcc4DIOError;
    const auto nx = static_cast<size_t>(F.H.Nx), ny = static_cast<size_t>(F.H.Ny);
    for (size_t y = 0; y < ny; ++y)
      for (size_t x = 0; x < nx; ++x) Arr[x][y] += buf[y * nx + x];
  } catch (const std::bad_alloc&) {
    return kAcc4DIOError;
  }
  return kAcc4DOk;
}

const char* Mat4DReadLayerStatusText(int32_t status) {
  switch (status) {
    case kMat4DLayerOk: return "the layer was read";
    case kMat4DLayerBadSlot: return "the time slot lies outside the file or the matrix";
    case kMat4DLayerBadLayer: return "the layer lies outside the file or the matrix";
    case kMat4DLayerBadSize: return "the file's columns or rows differ from the matrix's";
    case kMat4DLayerIOError: return "the file is missing, unreadable or damaged";
    default: return "unknown layer read status";
  }
}

const char* Read4DLayerStatusText(int32_t status) {
  switch (status) {
    case kRead4DOk: return "the layer was read";
    case kRead4DBadSlot: return "the time slot lies outside the file";
    case kRead4DBadLayer: return "the layer lies outside the file";
    case kRead4DIOError: return "the file is missing, unreadable or damaged";
    default: return "unknown layer read status";
  }
}

const char* Accumulate4DLayerStatusText(int32_t status) {
  switch (status) {
    case kAcc4DOk: return "the layer was added";
    case kAcc4DBadLayer: return "the layer lies outside the file";
    case kAcc4DBadSlot: return "the time slot lies outside the file";
    case kAcc4DBadArray: return "the array's sizes differ from the file's columns and rows";
    case kAcc4DIOError: return "the file is missing, unreadable or damaged";
    default: return "unknown layer accumulation status";
  }
}

// ---------------------------------------------------------------------------
// XML form
// ---------------------------------------------------------------------------

void TMat3D4DBase::TakeFrom(TMat3D4DBase& Source, const std::string& DataID) {
  const bool resized = Source.FNumX != FNumX || Source.FNumY != FNumY || Source.FNumZ != FNumZ ||
                       Source.FNumT != FNumT;
  SwapIn(Source.Mat, Source.FNumX, Source.FNumY, Source.FNumZ, Source.FNumT);
  FDataID = DataID;
  Changed();
  if (resized) Resized();
}

int32_t TMat3D4DBase::ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes,
                                    const std::string& Content) {
  const bool fourD = FColumnInnermost;
  switch (Tag) {
    case TMatXmlTag::xmlMatBegin:
      FAuxNx = FAuxNy = FAuxNz = FAuxNt = 0;
      FirstCell = true;
      return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumCols: FAuxNx = MatXmlStrToInt(Content); return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumRows: FAuxNy = MatXmlStrToInt(Content); return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumLayers: FAuxNz = MatXmlStrToInt(Content); return kMatXmlContinue;
    case TMatXmlTag::xmlMatNumTimeSlots:
      if (fourD) FAuxNt = MatXmlStrToInt(Content);
      return kMatXmlContinue;
    case TMatXmlTag::xmlMatCell: {
      if (FirstCell) {
        const int32_t nt = fourD ? FAuxNt : 1;
        if (FAuxNx > 0 && FAuxNy > 0 && FAuxNz > 0 && nt > 0) {
          const int64_t limit = std::max(FXmlMaxElems, GetElemCount());
          int64_t count = 1;
          for (const int64_t f : {int64_t{FAuxNx}, int64_t{FAuxNy}, int64_t{FAuxNz}, int64_t{nt}}) {
            if (f > limit / count) return kMatXmlTooLarge;
            count *= f;
          }
          ResizeTo(FAuxNx, FAuxNy, FAuxNz, nt);
        }
        FirstCell = false;
      }
      const int32_t x = MatXmlAttr(Attributes, "ix"), y = MatXmlAttr(Attributes, "iy");
      const int32_t z = MatXmlAttr(Attributes, fourD ? "il" : "iz");
      const int32_t t = fourD ? MatXmlAttr(Attributes, "it") : 1;
      if (Inside(x, y, z, t)) {
        Mat[static_cast<size_t>(Offset(x, y, z, t))] = MatXmlStrToNum(Content);
        Changed();
      }
      return kMatXmlContinue;
    }
    case TMatXmlTag::xmlMatEnd: return kMatXmlComplete;
    case TMatXmlTag::xmlInvalid: return kMatXmlInvalid;
    default: return kMatXmlContinue;
  }
}

bool TMat3D4DBase::ReadXml(TMatXmlSource& Src, const std::string& DataID) {
  try {
    TMat3D4DBase scratch(nullptr, FColumnInnermost);
    std::vector<double> copy = Mat;
    scratch.SwapIn(copy, FNumX, FNumY, FNumZ, FNumT);
    scratch.FXmlMaxElems = Src.Bytes;
    std::string id;
    if (!RunMatXml(scratch, Src, DataID, id)) return false;
    TakeFrom(scratch, id);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const EZELMatrixError&) {
    return false;
  }
}

bool TMat3D4DBase::ReadFromXMLStream(TStream& InStream, const std::string& DataID) {
  TMatXmlSource src = MatXmlStreamSource(InStream);
  return ReadXml(src, DataID);
}

bool TMat3D4DBase::ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID) {
  TMatXmlSource src = MatXmlTextFileSource(f);
  return ReadXml(src, DataID);
}

bool TMat3D4DBase::LoadFromXMLFile(const std::string& FName, const std::string& DataID) {
  TMemoryStream ms;
  if (!ms.LoadFromFile(FName)) return false;
  return ReadFromXMLStream(ms, DataID);
}

std::string TMat3D4DBase::XmlText(bool CreateHeader, const std::string& DataID) const {
  const bool fourD = FColumnInnermost;
  std::string out = MatXmlHead(CreateHeader, DataID);
  out += "<numcols>" + std::to_string(FNumX) + "</numcols>\n<numrows>" + std::to_string(FNumY) +
         "</numrows>\n<numplanes>" + std::to_string(FNumZ) + "</numplanes>\n";
  if (fourD) out += "<numtimeslots>" + std::to_string(FNumT) + "</numtimeslots>\n";
  const auto cell = [&](int32_t x, int32_t y, int32_t z, int32_t t) {
    out += "<cell ix=\"" + std::to_string(x) + "\" iy=\"" + std::to_string(y);
    out += fourD ? "\" il=\"" + std::to_string(z) + "\" it=\"" + std::to_string(t)
                 : "\" iz=\"" + std::to_string(z);
    out += "\">";
    AppendMatXmlNumber(out, Mat[static_cast<size_t>(Offset(x, y, z, t))]);
    out += "</cell>\n";
  };
  if (fourD) {
    for (int32_t t = 1; t <= FNumT; ++t)
      for (int32_t z = 1; z <= FNumZ; ++z)
        for (int32_t y = 1; y <= FNumY; ++y)
          for (int32_t x = 1; x <= FNumX; ++x) cell(x, y, z, t);
  } else {
    for (int32_t x = 1; x <= FNumX; ++x)
      for (int32_t y = 1; y <= FNumY; ++y)
        for (int32_t z = 1; z <= FNumZ; ++z) cell(x, y, z, 1);
  }
  out += "</matrix>\n";
  return out;
}

bool TMat3D4DBase::WriteToOpenXMLFile(TTextFile& f, bool CreateHeader,
                                      const std::string& DataID) const {
  return f.Write(XmlText(CreateHeader, DataID));
}

bool TMat3D4DBase::WriteToXMLStream(TStream& OutStream, bool CreateHeader,
                                    const std::string& DataID) const {
  return WriteMatXmlText(OutStream, XmlText(CreateHeader, DataID));
}

bool TMat3D4DBase::SaveAsXMLFile(const std::string& FName, const std::string& DataID) const {
  try {
    TFileStream f(FName, TFileMode::fmCreate);
    return WriteMatXmlText(f, XmlText(true, DataID));
  } catch (const EInOutError&) {
    return false;
  }
}

}  // namespace zel
