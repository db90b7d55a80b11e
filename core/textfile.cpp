#include <charconv>
#include <limits>

#include "core/zel_streams.hpp"

namespace zel {

namespace {

bool IsWhitespace(int c) { return c >= 0 && c <= 0x20; }

}  // namespace

TTextFile::~TTextFile() { Close(); }

bool TTextFile::Open(const std::string& FileName, TFileMode Mode, bool AtEnd, bool ForReading) {
  Close();
  try {
    FStream = std::make_unique<TFileStream>(FileName, Mode);
  } catch (const EInOutError&) {
    return false;
  }
  if (AtEnd) FStream->Seek(0, TSeekOrigin::soEnd);
  FFileName = FileName;
  FReading = ForReading;
  FFailed = false;
  FLineTooLong = false;
  FPeeked = -2;
  return true;
}

bool TTextFile::Reset(const std::string& FileName) {
  return Open(FileName, TFileMode::fmOpenRead, false, true);
}

bool TTextFile::Rewrite(const std::string& FileName) {
  return Open(FileName, TFileMode::fmCreate, false, false);
}

bool TTextFile::Append(const std::string& FileName) {
  Close();
  // Open an existing file first so that its content survives; create it only
  // when it is missing.
  if (Open(FileName, TFileMode::fmOpenWrite, true, false)) return true;
  TTextFile probe;
  if (probe.Reset(FileName)) return false;  // exists but is not writable
  return Rewrite(FileName);
}

bool TTextFile::Close() {
  if (!FStream) return true;
  const bool ok = FReading || (FStream->Flush() && !FFailed);
  FStream.reset();
  FFileName.clear();
  FPeeked = -2;
  return ok;
}

int64_t TTextFile::FileSize() const { return FStream ? FStream->GetSize() : 0; }

bool TTextFile::IsSequential() const { return FStream && FStream->IsSequential(); }

bool TTextFile::HasReadError() const {
  return FLineTooLong || (FStream && FStream->HasReadError());
}

int64_t TTextFile::Position() const {
  if (!FStream) return 0;
  return FStream->GetPosition() - (FPeeked >= 0 ? 1 : 0);
}

int TTextFile::PeekChar() {
  if (FPeeked == -2) {
    uint8_t b = 0;
    FPeeked = (FStream && FReading && FStream->Read(&b, 1) == 1) ? b : -1;
  }
  return FPeeked;
}

int TTextFile::GetChar() {
  const int c = PeekChar();
  if (c >= 0) FPeeked = -2;
  return c;
}

bool TTextFile::Eof() { return PeekChar() < 0; }

void TTextFile::SkipWhitespace() {
  while (IsWhitespace(PeekChar())) GetChar();
}

bool TTextFile::SeekEof() {
  SkipWhitespace();
  return Eof();
}

bool TTextFile::ReadLn(std::string& Line, int64_t MaxLength) {
  Line.clear();
  const int first = GetChar();
  if (first < 0) return false;
  if (first == '\n') return true;
  std::string rest;
  bool tooLong = false;
  if (FStream->IsSequential()) {
    // Byte by byte: a chunk would wait for bytes that a producer writing
    // into the pipe has not sent yet, and a line must arrive as it is sent.
    const uint64_t limit =
        MaxLength < 0 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(MaxLength) + 1;
    for (int c = GetChar(); c >= 0 && c != '\n' && !tooLong; c = GetChar()) {
      rest += static_cast<char>(c);
      tooLong = rest.size() > limit;
    }
    if (!rest.empty() && rest.back() == '\r') rest.pop_back();
  } else {
    // In chunks rather than byte by byte.
    ReadLnStream(*FStream, rest, MaxLength, &tooLong);
  }
  if (!tooLong) {
    Line.reserve(rest.size() + 1);
    Line += static_cast<char>(first);
    Line += rest;
    if (Line == "\r") Line.clear();  // a "\r\n" line
    tooLong = MaxLength >= 0 && static_cast<int64_t>(Line.size()) > MaxLength;
  }
  if (tooLong) {
    Line.clear();
    FLineTooLong = true;
    return false;
  }
  return true;
}

bool TTextFile::ReadLn() {
  std::string line;
  return ReadLn(line);
}

bool TTextFile::ReadWord(std::string& Word) {
  Word.clear();
  SkipWhitespace();
  while (PeekChar() >= 0 && !IsWhitespace(PeekChar())) {
    if (static_cast<int64_t>(Word.size()) >= kMaxLineLength) {
      Word.clear();
      FLineTooLong = true;
      return false;
    }
    Word += static_cast<char>(GetChar());
  }
  return !Word.empty();
}

bool TTextFile::ReadNumber(double& Value) {
  Value = 0;
  std::string word;
  if (!ReadWord(word)) return false;
  return TryStrToFloat(word, Value);
}

bool TTextFile::ReadInteger(int32_t& Value) {
  Value = 0;
  std::string word;
  if (!ReadWord(word)) return false;
  const size_t start = word.size() > 1 && word[0] == '+' && word[1] != '-' ? 1 : 0;
  const char* first = word.data() + start;
  const char* last = word.data() + word.size();
  int32_t v = 0;
  const auto res = std::from_chars(first, last, v, 10);
  if (res.ec != std::errc() || res.ptr != last) return false;
  Value = v;
  return true;
}

bool TTextFile::ReadQuotedName(std::string& Name) {
  Name.clear();
  SkipWhitespace();
  if (PeekChar() != '"') return false;
  GetChar();
  std::string name;
  for (;;) {
    const int c = GetChar();
    if (c < 0 || c == '\n' || c == '\r') return false;
    if (c == '"') break;
    name += static_cast<char>(c);
  }
  Name = std::move(name);
  return true;
}

bool TTextFile::Write(std::string_view Text) {
  if (!FStream || FReading) return false;
  const auto n = static_cast<int64_t>(Text.size());
  if (n > 0 && FStream->Write(Text.data(), n) != n) {
    FFailed = true;
    return false;
  }
  return true;
}

bool TTextFile::WriteLn(std::string_view Text) { return Write(Text) && Write("\n"); }

}  // namespace zel
