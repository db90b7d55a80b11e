#include "core/zel_filesys.hpp"

#include <algorithm>
#include <charconv>
#include <functional>

#include "core/zel_stringl.hpp"

namespace zel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when what follows position i of line is only blanks and, optionally,
// a remark beginning with ';'.
bool OnlyRemarkFollows(std::string_view line, size_t i) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i == line.size() || line[i] == ';';
}

bool ParseCountLine(std::string_view line, int32_t& count) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  const char* first = line.data() + i;
  const char* last = line.data() + line.size();
  int32_t v = 0;
  const auto res = std::from_chars(first, last, v, 10);
  if (res.ec != std::errc() || v < 0) return false;
  if (!OnlyRemarkFollows(line, static_cast<size_t>(res.ptr - line.data()))) return false;
  count = v;
  return true;
}

// Three flags alone are read with the fourth FALSE: writers of two-column
// files have long written only three.
bool ParseFlagLine(std::string_view line, bool (&flags)[4]) {
  size_t i = 0;
  for (bool& flag : flags) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (&flag == &flags[3] && OnlyRemarkFollows(line, i)) {
      flag = false;
      return true;
    }
    const size_t start = i;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != ';') ++i;
    std::string word(line.substr(start, i - start));
    std::transform(word.begin(), word.end(), word.begin(), [](char c) {
      return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    if (word == "TRUE")
      flag = true;
    else if (word == "FALSE")
      flag = false;
    else
      return false;
  }
  return OnlyRemarkFollows(line, i);
}

// The header grammar over any line source; Remaining() gives the bytes left
// after the lines read so far, or -1 when the size of the source is not known.
// readLine reads at most kMaxAscHeaderLineLength bytes, so a line that is
// longer fails as that line's code.
int32_t ParseAscHeader(const std::function<bool(std::string&)>& readLine,
                       const std::function<int64_t()>& remaining, TAscHeader& header) {
  header = TAscHeader{};
  TAscHeader h;
  std::string line;
  if (!readLine(line)) return kAscCannotRead;
  h.Comment = line;
  if (!readLine(line) || !ParseCountLine(line, h.NrOfColumns)) return kAscBadColumnCount;
  if (!readLine(line) || !ParseCountLine(line, h.NrOfRows)) return kAscBadRowCount;
  bool flags[4] = {};
  if (!readLine(line) || !ParseFlagLine(line, flags)) return kAscBadFlags;
  // Each cell takes at least one byte, so more rows than that cannot be there.
  const int64_t cells = static_cast<int64_t>(h.NrOfRows) * std::max<int64_t>(h.NrOfColumns, 1);
  if (const int64_t left = remaining(); left >= 0 && cells > left + 1) return kAscBadRowCount;
  h.RowAttributes = flags[0];
  h.ColumnNames = flags[1];
  h.RowNames = flags[2];
  h.NominalVars = flags[3];
  header = std::move(h);
  return kAscOk;
}

}  // namespace

int32_t ReadHeaderOfASC(TTextFile& File, TAscHeader& Header) {
  return ParseAscHeader(
      [&](std::string& line) { return File.ReadLn(line, kMaxAscHeaderLineLength); },
      [&] { return File.IsSequential() ? -1 : File.FileSize() - File.Position(); }, Header);
}

int32_t ReadHeaderOfASC(const std::string& FileName, TAscHeader& Header) {
  Header = TAscHeader{};
  TTextFile f;
  if (!f.Reset(FileName)) return kAscCannotRead;
  return ReadHeaderOfASC(f, Header);
}

int32_t ReadHeaderOfASC(TStream& Stream, TAscHeader& Header) {
  const auto* file = dynamic_cast<const TFileStream*>(&Stream);
  const bool sized = file == nullptr || !file->IsSequential();
  return ParseAscHeader(
      [&](std::string& line) { return ReadLnStream(Stream, line, kMaxAscHeaderLineLength); },
      [&] { return sized ? Stream.Remaining() : -1; }, Header);
}

int32_t ReadHeaderOfASC(const std::string& FileName, std::string& Comment, int32_t& NrOfColumns,
                        int32_t& NrOfRows, bool& RowAttributes, bool& ColumnNames, bool& RowNames,
                        bool& NominalVars) {
  TAscHeader h;
  const int32_t result = ReadHeaderOfASC(FileName, h);
  Comment = h.Comment;
  NrOfColumns = h.NrOfColumns;
  NrOfRows = h.NrOfRows;
  RowAttributes = h.RowAttributes;
  ColumnNames = h.ColumnNames;
  RowNames = h.RowNames;
  NominalVars = h.NominalVars;
  return result;
}

bool ReadNextWordInTextFile(TTextFile& File, std::string& Word) { return File.ReadWord(Word); }

bool AppendToTextFile(const std::string& FileName, std::string_view Line) {
  TTextFile f;
  if (!f.Append(FileName)) return false;
  const bool written = f.WriteLn(Line);
  return f.Close() && written;
}

namespace {

size_t AfterLastSeparator(std::string_view FileName) {
  const size_t sep = FileName.find_last_of("/\\");
  return sep == std::string_view::npos ? 0 : sep + 1;
}

}  // namespace

std::string StripPath(std::string_view FileName) {
  return std::string(FileName.substr(AfterLastSeparator(FileName)));
}

std::string StripExtension(std::string_view FileName) {
  const size_t nameStart = AfterLastSeparator(FileName);
  const size_t dot = FileName.find_last_of('.');
  if (dot == std::string_view::npos || dot <= nameStart) return std::string(FileName);
  return std::string(FileName.substr(0, dot));
}

}  // namespace zel
