// Data tables: CSV text (RFC 4180 with a choice of delimiter).
#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>
#include <stdexcept>
#include <unordered_map>

#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

constexpr std::string_view kAttribHeader = "(row attribute)";

// A field quoted as the format asks: when it holds the delimiter, a quote
// or a line break, when Force is set, or when it starts the file with '#'
// (which would read as the comment).
void AppendField(std::string& Out, std::string_view Text, char Delim, bool Force, bool FileStart) {
  const bool quote =
      Force || (FileStart && !Text.empty() && Text.front() == '#') ||
      Text.find_first_of(std::string{Delim, '"', '\r', '\n'}) != std::string_view::npos;
  if (!quote) {
    Out += Text;
    return;
  }
  Out += '"';
  for (const char c : Text) {
    if (c == '"') Out += '"';
    Out += c;
  }
  Out += '"';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The records of a CSV text. Next reads one record from the position and
// hands each field to OnField(index, text, quoted); the text of a quoted
// field still holds its doubled quotes (Unquote removes them).
class TCsvScanner {
 public:
  TCsvScanner(std::string_view Text, char Delim) : FText(Text), FDelim(Delim) {}

  size_t Pos() const { return FPos; }
  void SetPos(size_t P) { FPos = P; }
  int64_t Line() const { return FLine; }
  bool AtEnd() const { return FPos >= FText.size(); }

  // Skips one physical line.
  void SkipLine() {
    const void* nl = std::memchr(FText.data() + FPos, '\n', FText.size() - FPos);
    FPos = nl == nullptr ? FText.size()
                         : static_cast<size_t>(static_cast<const char*>(nl) - FText.data()) + 1;
    ++FLine;
  }
  // True when the line at the position holds nothing (or only "\r").
  bool BlankLine() const {
    size_t p = FPos;
    if (p < FText.size() && FText[p] == '\r') ++p;
    return p >= FText.size() || FText[p] == '\n';
  }
  // The rest of the line at the position (without "\r\n"), then past it.
  std::string_view TakeLine() {
    const size_t start = FPos;
    SkipLine();
    std::string_view l = FText.substr(start, FPos - start);
    if (!l.empty() && l.back() == '\n') l.remove_suffix(1);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
  }

  // Result: the field count, or kDTCsvOpenQuote / kDTCsvBadQuote.
  template <class Fn>
  int64_t Next(Fn&& OnField) {
    const char* const base = FText.data();
    const size_t n = FText.size();
    int64_t count = 0;
    for (;;) {
      size_t p = FPos;
      if (p < n && base[p] == '"') {
        const size_t start = p + 1;
        size_t q = start;
        for (;;) {
          const void* hit = std::memchr(base + q, '"', n - q);
          if (hit == nullptr) return kDTCsvOpenQuote;
          q = static_cast<size_t>(static_cast<const char*>(hit) - base);
          if (q + 1 < n && base[q + 1] == '"') {
            q += 2;
            continue;
          }
          break;
        }
        FLine += std::count(base + start, base + q, '\n');
        OnField(count++, std::string_view(base + start, q - start), true);
        p = q + 1;
        if (p < n && base[p] == '\r' && (p + 1 >= n || base[p + 1] == '\n')) ++p;
        if (p < n && base[p] != FDelim && base[p] != '\n') return kDTCsvBadQuote;
      } else {
        const size_t start = p;
        while (p < n && base[p] != FDelim && base[p] != '\n') ++p;
        size_t e = p;
        if (e > start && base[e - 1] == '\r' && (p >= n || base[p] == '\n')) --e;
        OnField(count++, std::string_view(base + start, e - start), false);
      }
      if (p < n && base[p] == FDelim) {
        FPos = p + 1;
        continue;
      }
      FPos = p < n ? p + 1 : n;
      ++FLine;
      return count;
    }
  }

 private:
  std::string_view FText;
  char FDelim;
  size_t FPos = 0;
  int64_t FLine = 1;
};

std::string Unquote(std::string_view Text, bool Quoted) {
  if (!Quoted || Text.find('"') == std::string_view::npos) return std::string(Text);
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    out += Text[i];
    if (Text[i] == '"') ++i;  // the second of a doubled pair
  }
  return out;
}

// One column while the text is read.
struct TCsvColumn {
  std::vector<double> Vals;
  std::vector<uint8_t> States;
  bool Text = false;  // a field was not an unquoted number
};

}  // namespace

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------

std::string TDataTable::TFiles::CsvText(const TDataTable& T, int32_t Precision, char Delim,
                                        bool ColHeaders, bool RowHeaders, bool RowAttributes,
                                        bool WithComment) {
  const int32_t nc = T.FNrOfCols, nr = T.FNrOfRows;
  std::string out;
  out.reserve(static_cast<size_t>(nr) * (static_cast<size_t>(nc) * 22 + 32) + 1024);
  bool fileStart = true;
  if (WithComment) {
    out += '#';
    out += T.FComment;
    out += '\n';
    fileStart = false;
  }
  // One line of fields; an empty line is written as "" so that it does not
  // read as a blank line.
  const auto endLine = [&](size_t lineStart) {
    if (out.size() == lineStart) out += "\"\"";
    out += '\n';
    fileStart = false;
  };
  if (ColHeaders) {
    const size_t start = out.size();
    bool first = true;
    const auto field = [&](std::string_view s) {
      if (!first) out += Delim;
      AppendField(out, s, Delim, false, fileStart && first);
      first = false;
    };
    if (RowHeaders) field("");
    if (RowAttributes) field(kAttribHeader);
    for (const std::string& name : T.FColName) field(name);
    endLine(start);
  }
  std::vector<char> categorical(static_cast<size_t>(nc));
  for (int32_t c = 1; c <= nc; ++c) categorical[static_cast<size_t>(c - 1)] = T.IsCategorical(c);
  for (int32_t r = 1; r <= nr; ++r) {
    const size_t start = out.size();
    bool first = true;
    if (RowHeaders) {
      AppendField(out, T.FRowName[static_cast<size_t>(r - 1)], Delim, false, fileStart);
      first = false;
    }
    if (RowAttributes) {
      if (!first) out += Delim;
      out += std::to_string(T.FRowAtt[static_cast<size_t>(r - 1)]);
      first = false;
    }
    for (int32_t c = 1; c <= nc; ++c) {
      if (!first) out += Delim;
      first = false;
      if ((T.St(c, r) & kCellEmpty) != 0) continue;
      if (!categorical[static_cast<size_t>(c - 1)]) {
        AppendNumber(out, T.Val(c, r), Precision);
        continue;
      }
      const double v = T.Val(c, r);
      const double ord = Round(v);
      std::string level;
      if (ord >= 0 && ord < kMaxNominalIDs)
        level = T.FVType[static_cast<size_t>(c - 1)].NominalIDs[static_cast<size_t>(ord)];
      if (level.empty()) AppendNumber(level, v, 0);
      AppendField(out, level, Delim, true, false);
    }
    endLine(start);
  }
  return out;
}

bool TDataTable::ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                             bool IncludeColHeaders, bool IncludeRowHeaders,
                             bool IncludeRowAttributes, bool IncludeComment) {
  const char delim = CSVDelimiterChar(Delimiter);
  if (delim == 0) return false;
  const std::string text = TFiles::CsvText(*this, Precision, delim, IncludeColHeaders,
                                           IncludeRowHeaders, IncludeRowAttributes, IncludeComment);
  if (!WriteTextFile(FName, text)) return false;
  TFiles::Exported(*this, text);
  return true;
}

bool TDataTable::ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                             bool IncludeColHeaders, bool IncludeRowHeaders,
                             bool IncludeRowAttributes) {
  return ExportAsCSV(FName, Precision, Delimiter, IncludeColHeaders, IncludeRowHeaders,
                     IncludeRowAttributes, false);
}

bool TDataTable::ExportAsCSV(const std::string& FName, int32_t Precision, TCSVDelimiters Delimiter,
                             bool IncludeColHeaders, bool IncludeRowHeaders) {
  return ExportAsCSV(FName, Precision, Delimiter, IncludeColHeaders, IncludeRowHeaders, false,
                     false);
}

// ---------------------------------------------------------------------------
// Reader
// ---------------------------------------------------------------------------

int32_t TDataTable::ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter,
                                  bool IncludeColHeaders, bool IncludeRowHeaders) {
  return ImportFromCSV(FName, Delimiter, 0, 0, IncludeColHeaders, IncludeRowHeaders);
}

int32_t TDataTable::ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter,
                                  int32_t NLinesSkip, int32_t LastImportLine,
                                  bool IncludeColHeaders, bool IncludeRowHeaders) {
  const char delim = CSVDelimiterChar(Delimiter);
  if (delim == 0 || NLinesSkip < 0) return kDTCsvBadArgument;
  TMemoryStream ms;
  if (!ms.LoadFromFile(FName)) return kDTCsvCannotRead;
  const std::string_view text(reinterpret_cast<const char*>(ms.GetMemory()),
                              static_cast<size_t>(ms.GetSize()));
  try {
    TCsvScanner sc(text, delim);
    for (int32_t k = 0; k < NLinesSkip && !sc.AtEnd(); ++k) sc.SkipLine();
    const auto beyondLast = [&] { return LastImportLine >= 1 && sc.Line() > LastImportLine; };
    const auto skipBlank = [&] {
      while (!sc.AtEnd() && !beyondLast() && sc.BlankLine()) sc.SkipLine();
    };
    std::string comment;
    skipBlank();
    if (!sc.AtEnd() && !beyondLast() && text[sc.Pos()] == '#') comment = std::string(sc.TakeLine());
    if (!comment.empty()) comment.erase(0, 1);

    const size_t lead = IncludeRowHeaders ? 1 : 0;  // fields before the data
    size_t attrField = SIZE_MAX;
    int64_t nfields = -1;
    std::vector<std::string> header;
    skipBlank();
    if (IncludeColHeaders && !sc.AtEnd() && !beyondLast()) {
      const int64_t n =
          sc.Next([&](int64_t, std::string_view f, bool q) { header.push_back(Unquote(f, q)); });
      if (n < 0) return static_cast<int32_t>(n);
      nfields = n;
      if (header.size() > lead && header[lead] == kAttribHeader) attrField = lead;
    }
    const size_t firstData = lead + (attrField != SIZE_MAX ? 1 : 0);

    std::vector<TCsvColumn> cols;
    std::vector<std::string> rowNames;
    std::vector<int32_t> rowAtt;
    std::vector<size_t> recStart;
    bool badAttr = false;
    for (;;) {
      skipBlank();
      if (sc.AtEnd() || beyondLast()) break;
      recStart.push_back(sc.Pos());
      const size_t row = recStart.size() - 1;
      const int64_t n = sc.Next([&](int64_t j, std::string_view f, bool q) {
        const auto ju = static_cast<size_t>(j);
        if (ju < firstData) {
          if (ju == attrField) {
            const std::string_view t = TrimBlanks(f);
            int32_t a = 0;
            const auto res = std::from_chars(t.data(), t.data() + t.size(), a);
            badAttr = badAttr || q || t.empty() || res.ec != std::errc() ||
                      res.ptr != t.data() + t.size();
            rowAtt.push_back(a);
          } else {
            rowNames.push_back(Utf8Truncate(Unquote(f, q), kMaxDTNameLength));
          }
          return;
        }
        const size_t c = ju - firstData;
        if (c >= cols.size()) {
          if (row > 0) return;  // a ragged record: refused below
          cols.emplace_back();
        }
        TCsvColumn& col = cols[c];
        if (col.Vals.size() < row) return;  // ragged: refused below
        const std::string_view t = q ? f : TrimBlanks(f);
        double v = 0;
        uint8_t st = 0;
        if (t.empty()) {
          st = kCellEmpty;
        } else if (!col.Text) {
          const auto res = FloatFromChars(t.data(), t.data() + t.size(), v);
          if (q || res.ec != std::errc() || res.ptr != t.data() + t.size()) {
            // A leading '+' is a number as well.
            if (q || t[0] != '+' || !TryStrToFloat(t, v)) col.Text = true;
          }
        }
        col.Vals.push_back(v);
        col.States.push_back(st);
      });
      if (n < 0) return static_cast<int32_t>(n);
      if (nfields < 0) nfields = n;
      if (n != nfields) return kDTCsvRagged;
      if (badAttr) return kDTCsvBadAttribute;
      if (recStart.size() > static_cast<size_t>(INT32_MAX)) return kDTCsvTooLarge;
    }
    if (recStart.empty() || cols.empty()) return kDTCsvNoData;
    if (cols.size() > static_cast<size_t>(INT32_MAX)) return kDTCsvTooLarge;
    const size_t nr = recStart.size(), nc = cols.size();

    TLayout L;
    L.Types.resize(nc);
    // Text columns: a second pass over their fields gives the levels.
    std::vector<size_t> textCols;
    for (size_t c = 0; c < nc; ++c)
      if (cols[c].Text) textCols.push_back(c);
    if (!textCols.empty()) {
      std::vector<std::unordered_map<std::string, int32_t>> maps(nc);
      std::vector<char> isText(nc, 0);
      for (size_t c : textCols) {
        isText[c] = 1;
        L.Types[c].MScaleType = TMScaleType::stNominal;
      }
      bool tooMany = false;
      for (size_t r = 0; r < nr && !tooMany; ++r) {
        sc.SetPos(recStart[r]);
        sc.Next([&](int64_t j, std::string_view f, bool q) {
          if (static_cast<size_t>(j) < firstData) return;
          const size_t c = static_cast<size_t>(j) - firstData;
          if (!isText[c] || (cols[c].States[r] & kCellEmpty) != 0) return;
          const std::string level = Utf8Truncate(Unquote(f, q), kMaxNominalIDLength);
          auto [it, added] =
              maps[c].try_emplace(LowerCaseAscii(level), static_cast<int32_t>(maps[c].size()));
          if (added) {
            if (it->second >= kMaxNominalIDs) {
              tooMany = true;
              return;
            }
            L.Types[c].NominalIDs[static_cast<size_t>(it->second)] = level;
          }
          cols[c].Vals[r] = it->second;
        });
      }
      if (tooMany) return kDTCsvTooManyLevels;
    }
    L.Vals.resize(nc);
    L.States.resize(nc);
    for (size_t c = 0; c < nc; ++c) {
      L.Vals[c].swap(cols[c].Vals);
      L.States[c].swap(cols[c].States);
    }
    L.HasVals = true;
    L.ColNames.resize(nc);
    for (size_t c = 0; c < nc; ++c)
      L.ColNames[c] = firstData + c < header.size()
                          ? Utf8Truncate(header[firstData + c], kMaxDTNameLength)
                          : "C-" + std::to_string(c + 1);
    if (rowNames.size() == nr) {
      L.RowNames.swap(rowNames);
    } else {
      L.RowNames.resize(nr);
      for (size_t r = 0; r < nr; ++r) L.RowNames[r] = "R-" + std::to_string(r + 1);
    }
    L.ColAtt.assign(nc, 0);
    if (rowAtt.size() == nr)
      L.RowAtt.swap(rowAtt);
    else
      L.RowAtt.assign(nr, 0);
    TFiles::Take(*this, L, comment);
  } catch (const std::bad_alloc&) {
    return kDTCsvTooLarge;
  } catch (const std::length_error&) {
    return kDTCsvTooLarge;
  }
  return kDTCsvOk;
}

}  // namespace zel
