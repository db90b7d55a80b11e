// Data tables: what the file formats share (layouts of loaded tables,
// number text, writing whole texts).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>

#include "core/zel_classes.hpp"
#include "core/zel_stringl.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

const std::array<const char*, 15> DTxmlTagNames{"datatable", "/datatable", "comment",   "size",
                                                "colnames",  "rownames",   "colattrib", "rowattrib",
                                                "col",       "row",        "datacells", "cell",
                                                "vardef",    "idf",        "invalid"};

char CSVDelimiterChar(TCSVDelimiters Delimiter) {
  switch (Delimiter) {
    case TCSVDelimiters::csvComma: return ',';
    case TCSVDelimiters::csvSemicolon: return ';';
    case TCSVDelimiters::csvTab: return '\t';
    case TCSVDelimiters::csvSpace: return ' ';
  }
  return 0;
}

void AppendNumber(std::string& Out, double X, int32_t Precision) {
  if (std::isnan(X)) {
    Out += "nan";
    return;
  }
  char buf[64];
  std::to_chars_result res{};
  if (Precision < 1)
    res = std::to_chars(buf, buf + sizeof buf, X);
  else
    res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::general,
                        std::min<int32_t>(Precision, 17));
  Out.append(buf, res.ptr);
}

bool WriteTextStream(TStream& S, std::string_view Text) {
  bool ok =
      S.Write(Text.data(), static_cast<int64_t>(Text.size())) == static_cast<int64_t>(Text.size());
  // A file stream may still hold the text in its buffer.
  if (auto* fs = dynamic_cast<TFileStream*>(&S)) ok = fs->Flush() && ok;
  return ok;
}

bool WriteTextFile(const std::string& FName, std::string_view Text) {
  try {
    TFileStream f(FName, TFileMode::fmCreate);
    return WriteTextStream(f, Text);
  } catch (const EInOutError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Layouts of loaded tables
// ---------------------------------------------------------------------------

TDataTable::TLayout TDataTable::TFiles::NewLayout(int32_t nc, int32_t nr) {
  TLayout L;
  const auto c = static_cast<size_t>(nc), r = static_cast<size_t>(nr);
  L.Vals.assign(c, TDoubleArray(r, 0.0));
  L.HasVals = true;
  L.States.assign(c, std::vector<uint8_t>(r, 0));
  L.ColNames.resize(c);
  for (size_t i = 0; i < c; ++i) L.ColNames[i] = "C-" + std::to_string(i + 1);
  L.RowNames.resize(r);
  for (size_t i = 0; i < r; ++i) L.RowNames[i] = "R-" + std::to_string(i + 1);
  L.ColAtt.assign(c, 0);
  L.RowAtt.assign(r, 0);
  L.Types.resize(c);
  return L;
}

TDataTable::TLayout TDataTable::TFiles::SubLayout(const TDataTable& T, const TIndexMap& Cols,
                                                  const TIndexMap& Rows) {
  return T.Remap(Cols, Rows, false, true);
}

TDataTable::TLayout TDataTable::TFiles::CurrentLayout(const TDataTable& T) {
  TIndexMap cols(static_cast<size_t>(T.FNrOfCols)), rows(static_cast<size_t>(T.FNrOfRows));
  for (size_t i = 0; i < cols.size(); ++i) cols[i] = static_cast<int32_t>(i) + 1;
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int32_t>(i) + 1;
  return T.Remap(cols, rows, false, true);
}

void TDataTable::TFiles::Take(TDataTable& T, TLayout& L, const std::string& Comment) {
  const int32_t oc = T.FNrOfCols, orr = T.FNrOfRows;
  T.ApplyLayout(L);
  T.FComment = RemoveControlChars(Comment);
  T.FireAllChanges();
  if ((oc != T.FNrOfCols || orr != T.FNrOfRows) && T.OnResize)
    T.OnResize(&T, oc, orr, T.FNrOfCols, T.FNrOfRows);
}

void TDataTable::TFiles::Exported(TDataTable& T, const std::string& Text) {
  if (T.OnExportText) T.OnExportText(&T, Text);
}

}  // namespace zel
