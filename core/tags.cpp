// The grammar of the tag reader, written once over a byte source, and its
// three inputs: a string, a text file and a stream.

#include <algorithm>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"

namespace zel {

namespace {

// A byte source with one byte of look-ahead: values 0..255, -1 at the end.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual int Get() = 0;
  virtual int Peek() = 0;
};

class TStringSource : public TByteSource {
 public:
  TStringSource(std::string_view text, size_t index) : FText(text), FIndex(index) {}
  int Get() override {
    const int c = Peek();
    if (c >= 0) ++FIndex;
    return c;
  }
  int Peek() override {
    return FIndex < FText.size() ? static_cast<unsigned char>(FText[FIndex]) : -1;
  }
  size_t Index() const { return FIndex; }

 private:
  std::string_view FText;
  size_t FIndex;
};

// Ends the input after Limit bytes, so that one call on an endless pipe or
// a huge file without markup stops instead of filling memory. Exceeded tells
// the reader that input remained.
class TBudgetSource : public TByteSource {
 public:
  TBudgetSource(TByteSource& inner, int64_t limit) : FInner(inner), FLeft(limit) {}
  int Get() override {
    if (Spent()) return -1;
    const int c = FInner.Get();
    if (c >= 0) --FLeft;
    return c;
  }
  int Peek() override { return Spent() ? -1 : FInner.Peek(); }
  bool Exceeded() const { return FExceeded; }

 private:
  bool Spent() {
    if (FLeft > 0) return false;
    if (FInner.Peek() >= 0) FExceeded = true;
    return true;
  }
  TByteSource& FInner;
  int64_t FLeft;
  bool FExceeded = false;
};

class TTextFileSource : public TByteSource {
 public:
  explicit TTextFileSource(TTextFile& file) : FFile(file) {}
  int Get() override { return FFile.GetChar(); }
  int Peek() override { return FFile.PeekChar(); }

 private:
  TTextFile& FFile;
};

// Reads the stream in chunks; Finish gives back the bytes read ahead so that
// the stream ends up just after the last byte the grammar consumed.
class TStreamSource : public TByteSource {
 public:
  explicit TStreamSource(TStream& stream) : FStream(stream) {}
  int Get() override {
    const int c = Peek();
    if (c >= 0) ++FIndex;
    return c;
  }
  int Peek() override {
    if (FIndex == FLen) {
      if (FEnd) return -1;
      FLen = FStream.Read(FChunk, sizeof FChunk);
      FIndex = 0;
      if (FLen <= 0) {
        FLen = 0;
        FEnd = true;
        return -1;
      }
    }
    return FChunk[FIndex];
  }
  void Finish() {
    if (FIndex < FLen) FStream.Seek(FIndex - FLen, TSeekOrigin::soCurrent);
    FIndex = FLen = 0;
  }

 private:
  TStream& FStream;
  uint8_t FChunk[4096];
  int64_t FIndex = 0;
  int64_t FLen = 0;
  bool FEnd = false;
};

bool IsNameStart(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsTagSpace(int c) { return c >= 0 && c <= 0x20; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Appends one byte of text, turning "\r\n" into "\n".
void AppendText(TByteSource& src, std::string& text, int c) {
  if (c == '\r' && src.Peek() == '\n') {
    src.Get();
    c = '\n';
  }
  text += static_cast<char>(c);
}

// Skips a comment's body to just after "-->" ("--->" ends it too); false
// when the input ends first.
bool SkipComment(TByteSource& src) {
  int dashes = 0;
  for (int c = src.Get(); c >= 0; c = src.Get()) {
    if (c == '>' && dashes >= 2) return true;
    dashes = c == '-' ? dashes + 1 : 0;
  }
  return false;
}

// Skips a processing instruction to just after "?>"; false when the input
// ends first.
bool SkipProcessingInstruction(TByteSource& src) {
  bool question = false;
  for (int c = src.Get(); c >= 0; c = src.Get()) {
    if (c == '>' && question) return true;
    question = c == '?';
  }
  return false;
}

// A CDATA section's content, appended to text; false, with text unchanged,
// when "]]>" never comes.
bool ReadCData(TByteSource& src, std::string& text) {
  std::string content;
  size_t brackets = 0;  // trailing ']' bytes that may begin "]]>"
  for (int c = src.Get(); c >= 0; c = src.Get()) {
    if (c == ']') {
      ++brackets;
      continue;
    }
    if (c == '>' && brackets >= 2) {
      content.append(brackets - 2, ']');
      text += content;
      return true;
    }
    content.append(brackets, ']');
    brackets = 0;
    AppendText(src, content, c);
  }
  return false;
}

// "<!DOCTYPE ...>" and the like: to the '>' outside quotes and brackets.
bool SkipDeclaration(TByteSource& src) {
  int quote = 0;
  int depth = 0;
  for (int c = src.Get(); c >= 0; c = src.Get()) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++depth;
    } else if (c == ']') {
      depth = std::max(0, depth - 1);
    } else if (c == '>' && depth == 0) {
      return true;
    }
  }
  return false;
}

// After "<!": a comment, a CDATA section (its content goes to text) or a
// declaration. False when the input ends inside it.
bool ReadBangMarkup(TByteSource& src, std::string& text) {
  if (src.Peek() == '-') {
    src.Get();
    if (src.Peek() == '-') {
      src.Get();
      return SkipComment(src);
    }
    return SkipDeclaration(src);
  }
  if (src.Peek() == '[') {
    static constexpr std::string_view kOpen = "[CDATA[";
    for (char expected : kOpen) {
      if (src.Peek() != static_cast<unsigned char>(expected)) return SkipDeclaration(src);
      src.Get();
    }
    return ReadCData(src, text);
  }
  return SkipDeclaration(src);
}

// Reads a tag's name and attribute text after "<" (and "/" for a closing
// tag, already put into name). False when the input ends before its '>'.
bool ReadTagBody(TByteSource& src, std::string& name, std::string& attributes, bool& selfClosing) {
  for (int c = src.Peek(); c >= 0 && !IsTagSpace(c) && c != '/' && c != '>'; c = src.Peek())
    name += static_cast<char>(src.Get());
  std::string attr;
  int quote = 0;
  for (int c = src.Get();; c = src.Get()) {
    if (c < 0) return false;
    if (quote == 0 && c == '>') break;
    if (quote != 0 && c == quote) {
      quote = 0;
    } else if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && src.Peek() == '\n') src.Get();
      c = ' ';
    }
    attr += static_cast<char>(c);
  }
  attr = StripLTBlanks(attr);
  selfClosing = !attr.empty() && attr.back() == '/';
  if (selfClosing) {
    attr.pop_back();
    attr = StripLTBlanks(attr);
  }
  attributes = std::move(attr);
  return true;
}

int32_t ReadNextTag(TByteSource& src, std::span<const std::string> Tags, int32_t HighestIx,
                    std::string& TextBefore, std::string& Attributes, TTagReadInfo* Info) {
  const auto n = static_cast<int32_t>(
      HighestIx < 0 ? 0 : std::min<size_t>(static_cast<size_t>(HighestIx) + 1, Tags.size()));
  TTagReadInfo info;
  std::string text;
  std::string attributes;
  int32_t result = n;
  for (;;) {
    const int c = src.Get();
    if (c < 0) {
      info.Status = TTagReadStatus::trsEndOfInput;
      break;
    }
    if (c != '<') {
      AppendText(src, text, c);
      continue;
    }
    const int next = src.Peek();
    if (next == '!' || next == '?') {
      src.Get();
      const bool closed = next == '?' ? SkipProcessingInstruction(src) : ReadBangMarkup(src, text);
      if (closed) continue;
      info.Status = TTagReadStatus::trsUnterminated;
      break;
    }
    std::string name;
    if (next == '/') {
      src.Get();
      if (!IsNameStart(src.Peek())) {
        text += "</";
        continue;
      }
      name.push_back('/');  // not name = "/": GCC 12 -O2 reports a false -Wrestrict
    } else if (!IsNameStart(next)) {
      text += '<';
      continue;
    }
    bool selfClosing = false;
    if (!ReadTagBody(src, name, attributes, selfClosing)) {
      attributes.clear();
      info.Status = TTagReadStatus::trsUnterminated;
      break;
    }
    info.Name = name;
    info.SelfClosing = selfClosing;
    info.Status = TTagReadStatus::trsUnlisted;
    for (int32_t i = 0; i < n; ++i) {
      if (EqualsIgnoringAsciiCase(name, Tags[static_cast<size_t>(i)])) {
        info.Status = TTagReadStatus::trsListed;
        result = i;
        break;
      }
    }
    break;
  }
  TextBefore = std::move(text);
  Attributes = std::move(attributes);
  if (Info != nullptr) *Info = std::move(info);
  return result;
}

// A read that used up its budget reports the input as damaged, which every
// caller already treats as a failed load.
int32_t ReadNextTagWithin(TBudgetSource& src, std::span<const std::string> Tags, int32_t HighestIx,
                          std::string& TextBefore, std::string& Attributes, TTagReadInfo* Info) {
  TTagReadInfo info;
  const int32_t result = ReadNextTag(src, Tags, HighestIx, TextBefore, Attributes, &info);
  if (src.Exceeded()) {
    info.Status = TTagReadStatus::trsUnterminated;
    info.Name.clear();
    Attributes.clear();
  }
  if (Info != nullptr) *Info = std::move(info);
  return result;
}

}  // namespace

int32_t ReadNextTagInString(std::string_view Text, int64_t& Pos, std::span<const std::string> Tags,
                            int32_t HighestIx, std::string& TextBefore, std::string& Attributes,
                            TTagReadInfo* Info) {
  const size_t start = Pos < 1 ? 0 : std::min(static_cast<size_t>(Pos - 1), Text.size());
  TStringSource src(Text, start);
  const int32_t result = ReadNextTag(src, Tags, HighestIx, TextBefore, Attributes, Info);
  Pos = static_cast<int64_t>(src.Index()) + 1;
  return result;
}

int32_t ReadNextTagInTextFile(TTextFile& File, std::span<const std::string> Tags, int32_t HighestIx,
                              std::string& TextBefore, std::string& Attributes,
                              TTagReadInfo* Info) {
  TTextFileSource file(File);
  TBudgetSource src(file, kMaxTagReadBytes);
  return ReadNextTagWithin(src, Tags, HighestIx, TextBefore, Attributes, Info);
}

int32_t ReadNextTagInStream(TStream& Stream, std::span<const std::string> Tags, int32_t HighestIx,
                            std::string& TextBefore, std::string& Attributes, TTagReadInfo* Info) {
  TStreamSource stream(Stream);
  TBudgetSource src(stream, kMaxTagReadBytes);
  const int32_t result = ReadNextTagWithin(src, Tags, HighestIx, TextBefore, Attributes, Info);
  stream.Finish();
  return result;
}

}  // namespace zel
