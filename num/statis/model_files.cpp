// The comment of a PLS model file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

int32_t LoadPLSModelComment(const std::string& FileName, std::string& Comment) {
  Comment.clear();
  std::string head;
  try {
    TFileStream f(FileName, TFileMode::fmOpenRead);
    // Only the head of the file is read: the comment comes first, and a
    // file without line breaks or a device must not be read to its end.
    head.resize(static_cast<size_t>(kMaxPLSCommentBytes + 65536));
    const int64_t got = f.Read(head.data(), static_cast<int64_t>(head.size()));
    if (got < 0 || f.HasReadError()) return kPLSCommentNoFile;
    head.resize(static_cast<size_t>(got));
  } catch (const EInOutError&) {
    return kPLSCommentNoFile;
  }
  static const std::vector<std::string> kTags = {"plsmodel", "comment", "/comment"};
  int64_t pos = 1;
  std::string before, attributes;
  TTagReadInfo info;
  if (ReadNextTagInString(head, pos, kTags, 2, before, attributes, &info) != 0 ||
      info.SelfClosing) {
    return kPLSCommentNotPLS;
  }
  std::string sig;
  if (!XmlAttribute(attributes, "sig", sig) || sig != "ZELCSuite") return kPLSCommentNotPLS;
  if (ReadNextTagInString(head, pos, kTags, 2, before, attributes, &info) != 1) {
    return kPLSCommentDamaged;
  }
  if (info.SelfClosing) return kPLSCommentOk;
  if (ReadNextTagInString(head, pos, kTags, 2, before, attributes, &info) != 2) {
    return kPLSCommentDamaged;
  }
  std::string text = XmlUnescape(before);
  if (static_cast<int64_t>(text.size()) > kMaxPLSCommentBytes) return kPLSCommentDamaged;
  Comment = std::move(text);
  return kPLSCommentOk;
}

const char* PLSCommentStatusText(int32_t status) {
  switch (status) {
    case kPLSCommentOk: return "the comment was read";
    case kPLSCommentNoFile: return "the file cannot be opened or read";
    case kPLSCommentNotPLS: return "the file is not a PLS model file of the library";
    case kPLSCommentDamaged: return "the comment element is missing, unterminated or too long";
    default: return "unknown PLS model file status";
  }
}

}  // namespace zel
