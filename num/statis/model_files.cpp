// The comment of a PLS model file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The value of attribute Name in a tag's attribute text (quoted with " or
// '), or false when it is absent or the text does not parse.
bool AttributeValue(std::string_view text, std::string_view name, std::string& value) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != '=' && !IsBlank(text[i])) ++i;
    const std::string_view key = text.substr(start, i - start);
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (key.empty() || i >= text.size() || text[i] != '=') return false;
    ++i;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return false;
    const char quote = text[i++];
    const size_t stop = text.find(quote, i);
    if (stop == std::string_view::npos) return false;
    if (key == name) {
      value.assign(text.substr(i, stop - i));
      return true;
    }
    i = stop + 1;
  }
  return false;
}

}  // namespace

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
  if (!AttributeValue(attributes, "sig", sig) || sig != "ZELCSuite") return kPLSCommentNotPLS;
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
