// Private helpers of the matrix file forms: the header record, the data area
// of the binary file and the XML tag source shared by the four classes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/zel_binary.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {

/// The fields of the header record.
struct TMatBinHeader {
  int32_t Nx = 0;  ///< columns
  int32_t Ny = 0;  ///< rows
  int32_t Nz = 0;  ///< layers (0 in 2-D files)
  int32_t Nt = 0;  ///< time slots (0 in 2-D and 3-D files)
  int32_t Format = 0;
  std::string DataID;  ///< UTF-8
};

/// Writes H into the record Rec (kMatRecordBytes bytes, zeros elsewhere).
void EncodeMatHeader(const TMatBinHeader& H, uint8_t* Rec);
/// The header in Rec.
TMatBinHeader DecodeMatHeader(const uint8_t* Rec);
/// False when FName does not exist; otherwise the header, read from a new
/// stream (EInOutError when the file cannot be opened or is too short).
bool ReadMatHeaderFile(const std::string& FName, TMatBinHeader& H);
/// The header at the start of S; false when S holds less than a record.
bool ReadMatHeader(TStream& S, TMatBinHeader& H);

/// The number of elements of the data area, with layers and time slots of 0
/// counted as 1, or -1 when a size is invalid (columns or rows < 1, layers
/// or time slots < 0) or the file of FileBytes bytes does not hold every
/// record of that data area. Never overflows.
int64_t MatDataElems(const TMatBinHeader& H, int64_t ElemBytes, int64_t FileBytes);

/// Byte offset of linear position Pos in the file.
inline int64_t MatElemOffset(int64_t Pos, int64_t ElemBytes) {
  return kMatRecordBytes + Pos * ElemBytes;
}

/// Elements moved per read or write call.
constexpr int64_t kMatFileChunk = 4096;

/// Writes the elements of positions First..First + Count - 1 (Encode(p, out)
/// stores position p's bytes at out) from the current position of S, then
/// zeros up to the end of the record the last one lies in. False on a
/// short write.
template <class Enc>
bool WriteMatElems(TStream& S, int64_t First, int64_t Count, int64_t ElemBytes, Enc&& Encode) {
  std::vector<uint8_t> buf(static_cast<size_t>(kMatFileChunk * ElemBytes));
  for (int64_t done = 0; done < Count;) {
    const int64_t n = std::min(kMatFileChunk, Count - done);
    for (int64_t k = 0; k < n; ++k)
      Encode(First + done + k, buf.data() + static_cast<size_t>(k * ElemBytes));
    if (S.Write(buf.data(), n * ElemBytes) != n * ElemBytes) return false;
    done += n;
  }
  const int64_t end = MatElemOffset(First + Count, ElemBytes);
  const int64_t pad = (kMatRecordBytes - end % kMatRecordBytes) % kMatRecordBytes;
  std::fill(buf.begin(), buf.end(), uint8_t{0});
  return pad == 0 || S.Write(buf.data(), pad) == pad;
}

/// Reads Count elements from linear position First on; Decode(k, in, n)
/// receives elements k..k + n - 1 (counted from 0) at in, and may stop the
/// read by returning false. False on a short read or a refused seek.
template <class Dec>
bool ReadMatElems(TStream& S, int64_t First, int64_t Count, int64_t ElemBytes, Dec&& Decode) {
  const int64_t at = MatElemOffset(First, ElemBytes);
  if (S.Seek(at, TSeekOrigin::soBeginning) != at) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(Count, kMatFileChunk) * ElemBytes));
  for (int64_t done = 0; done < Count;) {
    const int64_t n = std::min(kMatFileChunk, Count - done);
    if (S.Read(buf.data(), n * ElemBytes) != n * ElemBytes) return false;
    if (!Decode(done, buf.data(), n)) return false;
    done += n;
  }
  return true;
}

/// Writes a header record and the data area to a new file FName; Encode as
/// for WriteMatElems. True when the file was created and every write and
/// the flush succeeded.
template <class Enc>
bool WriteMatFile(const std::string& FName, const TMatBinHeader& H, int64_t Count,
                  int64_t ElemBytes, Enc&& Encode) {
  try {
    TFileStream f(FName, TFileMode::fmCreate);
    std::vector<uint8_t> rec(static_cast<size_t>(kMatRecordBytes), 0);
    EncodeMatHeader(H, rec.data());
    bool ok = f.Write(rec.data(), kMatRecordBytes) == kMatRecordBytes &&
              WriteMatElems(f, 0, Count, ElemBytes, Encode);
    return f.Flush() && ok;
  } catch (const EInOutError&) {
    return false;
  }
}

/// A source of XML tags (ReadNextTagInString's contract) and the bytes of
/// the whole input (0 when not known).
struct TMatXmlSource {
  /// Reads the next tag of Tags.
  std::function<int32_t(std::span<const std::string> Tags, std::string& Before,
                        std::string& Attribs, TTagReadInfo& Info)>
      Next;
  /// Bytes of the input.
  int64_t Bytes = 0;
};

/// The sources of the readers.
TMatXmlSource MatXmlStreamSource(TStream& S);
TMatXmlSource MatXmlTextFileSource(TTextFile& f);

/// Hands the elements of the matrix with id DataID to M.ProcessXmlTag (M
/// is any of the four classes) up to "</matrix>"; Id receives the element's
/// id. False when the input ends first, an element is unknown, nested or
/// left open, or ProcessXmlTag refuses it.
template <class M>
bool RunMatXml(M& Mat, TMatXmlSource& Src, const std::string& DataID, std::string& Id);

/// The first line pair of a written document, and the opening element.
std::string MatXmlHead(bool CreateHeader, const std::string& DataID);
/// A double as the writers write it (shortest exact form, "NAN", "INF").
void AppendMatXmlNumber(std::string& Out, double X);
/// Writes Text to S (a file stream flushed and checked).
bool WriteMatXmlText(TStream& S, const std::string& Text);
/// The id attribute of a "matrix" element, unescaped ("" when missing).
std::string MatXmlId(std::string_view Attributes);
/// The integer value of attribute Name in Attributes (0 when missing).
int32_t MatXmlAttr(std::string_view Attributes, std::string_view Name);

// ---------------------------------------------------------------------------

template <class M>
bool RunMatXml(M& Mat, TMatXmlSource& Src, const std::string& DataID, std::string& Id) {
  static const std::vector<std::string> kTags = {"numcols", "numrows", "numplanes", "numtimeslots",
                                                 "cell",    "matrix",  "/matrix"};
  constexpr int32_t kBegin = static_cast<int32_t>(TMatXmlTag::xmlMatBegin);
  constexpr int32_t kEnd = static_cast<int32_t>(TMatXmlTag::xmlMatEnd);
  std::string before, attribs;
  TTagReadInfo info;
  const auto next = [&] {
    const int32_t ix = Src.Next(kTags, before, attribs, info);
    return info.Status == TTagReadStatus::trsListed     ? ix
           : info.Status == TTagReadStatus::trsUnlisted ? static_cast<int32_t>(kTags.size())
                                                        : -1;
  };
  for (;;) {
    const int32_t ix = next();
    if (ix < 0) return false;
    if (ix == kBegin && (DataID.empty() || MatXmlId(attribs) == DataID)) break;
  }
  Id = MatXmlId(attribs);
  Mat.ProcessXmlTag(TMatXmlTag::xmlMatBegin, attribs, std::string());
  for (;;) {
    const int32_t ix = next();
    if (ix < 0 || ix == kBegin) return false;
    if (ix == kEnd) return Mat.ProcessXmlTag(TMatXmlTag::xmlMatEnd, attribs, before) == 1;
    if (ix == static_cast<int32_t>(kTags.size())) {
      // A stray closing tag is as damaged as an unknown element.
      if (info.Name.starts_with('/')) return false;
      if (Mat.ProcessXmlTag(TMatXmlTag::xmlInvalid, attribs, before) < 0) return false;
      continue;
    }
    const auto tag = static_cast<TMatXmlTag>(ix);
    std::string tagAttribs = attribs;
    if (!info.SelfClosing) {
      const std::string open = LowerCaseAscii(info.Name);
      if (next() != static_cast<int32_t>(kTags.size()) || LowerCaseAscii(info.Name) != "/" + open)
        return false;
    } else {
      before.clear();
    }
    if (Mat.ProcessXmlTag(tag, tagAttribs, before) < 0) return false;
  }
}

}  // namespace zel
