// Files of the data table: round trips of every form, the layouts' edge
// cases, hostile input, and the splitting into training and test files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "gui/zel_clipbrd.hpp"
#include "num/datatable/datatable_files_test_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

using dtfiles_test::ExpectSame;
using dtfiles_test::ReadFile;
using dtfiles_test::Rich;
using dtfiles_test::TEventLog;
using dtfiles_test::TParts;
using dtfiles_test::TScratch;
using dtfiles_test::WriteFile;

// A table that CSV can carry whole: numbers, a nominal column whose levels
// appear in slot order, empty cells, awkward names, row attributes.
std::unique_ptr<TDataTable> CsvTable() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(3, 4);
  t->SetComment("field trial; \"north\"");
  const double v[4] = {0.1, -1e-300, 1.7976931348623157e308, -0.0};
  const char* species[4] = {"oak", "Ash tree", "oak", "b,\"c\""};
  for (int32_t r = 1; r <= 4; ++r) {
    t->SetElem(1, r, v[r - 1]);
    t->SetElemNominal(2, r, species[r - 1]);
    t->SetElem(3, r, r * 1.5);
    t->SetRowAttrib(r, r == 2 ? INT32_MIN : r * 3);
  }
  t->SetCellState(3, 2, kCellEmpty);
  t->SetElem(3, 2, 0);
  t->SetColName(1, "x,y");
  t->SetColName(2, "say \"hi\"");
  t->SetColName(3, "multi\nline");
  t->SetRowName(1, "#first");
  t->SetRowName(2, "");
  t->SetRowName(4, "r;4");
  return t;
}

bool PythonHas(const char* Module) {
  const std::string cmd = std::string("python3 -c 'import ") + Module + "' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// ---------------------------------------------------------------------------
// XML
// ---------------------------------------------------------------------------

TEST(DataTableXml, RoundTripsEveryPartThroughFileStreamStringAndTextFile) {
  TScratch dir;
  auto src = Rich();
  const std::string path = dir.Path("t.xml");
  ASSERT_TRUE(src->SaveAsXMLFile(path, 0, "trial<1>"));
  TDataTable a(nullptr);
  ASSERT_TRUE(a.LoadFromXMLFile(path, "trial<1>"));
  ExpectSame(*src, a);
  EXPECT_EQ(a.GetNumericData()->GetDataID(), "trial<1>");

  TMemoryStream ms;
  ASSERT_TRUE(src->WriteToXMLStream(ms, false, 0, ""));
  ms.SetPosition(0);
  TDataTable b(nullptr);
  ASSERT_TRUE(b.ReadFromXMLStream(ms, ""));
  ExpectSame(*src, b);
  EXPECT_EQ(ms.GetPosition(), ms.GetSize() - 1);  // just after "</datatable>"

  const std::string text = ReadFile(path);
  int64_t start = 1;
  TDataTable c(nullptr);
  ASSERT_TRUE(c.ReadFromXMLString(text, start, ""));
  ExpectSame(*src, c);
  EXPECT_EQ(text.substr(static_cast<size_t>(start - 1)), "\n");

  TTextFile f;
  const std::string tpath = dir.Path("open.xml");
  ASSERT_TRUE(f.Rewrite(tpath));
  ASSERT_TRUE(f.WriteLn("<model>"));
  ASSERT_TRUE(src->WriteToOpenXMLFile(f, false, 0, "x"));
  ASSERT_TRUE(f.WriteLn("<after/></model>"));
  ASSERT_TRUE(f.Close());
  ASSERT_TRUE(f.Reset(tpath));
  TDataTable d(nullptr);
  ASSERT_TRUE(d.ReadFromOpenXMLFile(f, "x"));
  ExpectSame(*src, d);
  std::string rest;
  ASSERT_TRUE(f.ReadLn(rest));
  ASSERT_TRUE(f.ReadLn(rest));
  EXPECT_EQ(rest, "<after/></model>");  // the file is left just after the table
}

TEST(DataTableXml, WritesWellFormedXmlThatAnIndependentParserReads) {
  if (!PythonHas("xml.etree.ElementTree")) GTEST_SKIP() << "python3 with xml.etree not found";
  TScratch dir;
  const std::string path = dir.Path("t.xml");
  ASSERT_TRUE(Rich()->SaveAsXMLFile(path, 0, "id \"q\" & <x>"));
  // The parser checks well-formedness and gives back the escaped texts.
  const std::string script = dir.Path("check.py");
  WriteFile(script,
            "import sys, xml.etree.ElementTree as E\n"
            "r = E.parse(sys.argv[1]).getroot()\n"
            "assert r.tag == 'datatable' and r.get('sig') == 'ZELCSuite'\n"
            "assert r.get('id') == 'id \"q\" & <x>', r.get('id')\n"
            "assert r.find('comment').text == 'plants & <weeds> \"2024\"'\n"
            "rows = [e.text or '' for e in r.find('rownames')]\n"
            "assert rows == ['plant 1', 'two\\nlines', '', 'a<b>&c', ' padded '], rows\n"
            "assert len(r.find('datacells')) == 20\n"
            "assert r.find('size').get('cols') == '4'\n");
  EXPECT_EQ(std::system(("python3 " + script + " " + path).c_str()), 0);
}

TEST(DataTableXml, PrecisionCountsSignificantDigitsAndOutOfRangeNumbersReadAsLimits) {
  TDataTable t(nullptr);
  t.SetElem(1, 1, 2.0 / 3.0);
  TMemoryStream ms;
  ASSERT_TRUE(t.WriteToXMLStream(ms, true, 3, ""));
  ms.SetPosition(0);
  TDataTable u(nullptr);
  ASSERT_TRUE(u.ReadFromXMLStream(ms, ""));
  EXPECT_EQ(u.GetElem(1, 1), 0.667);

  const std::string doc =
      "<datatable id=\"z\"><size cols=\"2\" rows=\"1\"/>                              "
      "<datacells><cell c=\"1\" r=\"1\">1e400</cell><cell c=\"2\" r=\"1\">-1e-400</cell>"
      "</datacells></datatable>";
  int64_t at = 1;
  ASSERT_TRUE(u.ReadFromXMLString(doc, at, "z"));
  EXPECT_EQ(u.GetElem(1, 1), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(u.GetElem(2, 1) == 0 && std::signbit(u.GetElem(2, 1)));
}

TEST(DataTableXml, DataIdPicksTheTableAndStartAtWalksThroughTheText) {
  auto one = Rich();
  TDataTable two(nullptr);
  two.Resize(2, 2);
  two.SetElem(2, 2, 9);
  TMemoryStream ms;
  ASSERT_TRUE(one->WriteToXMLStream(ms, true, 0, "first"));
  ASSERT_TRUE(two.WriteToXMLStream(ms, false, 0, "second"));
  const std::string text(reinterpret_cast<const char*>(ms.GetMemory()),
                         static_cast<size_t>(ms.GetSize()));
  TDataTable t(nullptr);
  int64_t at = 1;
  ASSERT_TRUE(t.ReadFromXMLString(text, at, "second"));
  ExpectSame(two, t);
  EXPECT_EQ(t.GetNumericData()->GetDataID(), "second");
  // An empty id takes the first table; StartAt then points past it, so a
  // second read finds the next one.
  at = 1;
  ASSERT_TRUE(t.ReadFromXMLString(text, at, ""));
  ExpectSame(*one, t);
  ASSERT_TRUE(t.ReadFromXMLString(text, at, ""));
  ExpectSame(two, t);
  // Nothing further: failure, StartAt and the table stay.
  const int64_t end = at;
  EXPECT_FALSE(t.ReadFromXMLString(text, at, ""));
  EXPECT_EQ(at, end);
  at = 1;
  EXPECT_FALSE(t.ReadFromXMLString(text, at, "third"));
  EXPECT_EQ(at, 1);
  ExpectSame(two, t);
}

TEST(DataTableXml, StartAtOutsideTheTextReadsNothing) {
  const std::string doc = "<datatable><size cols=\"1\" rows=\"1\"/>       </datatable>";
  auto t = Rich();
  auto before = Rich();
  TEventLog log(*t);
  for (int64_t start : {int64_t{0}, int64_t{-5}, static_cast<int64_t>(doc.size()) + 1,
                        static_cast<int64_t>(doc.size()) + 100}) {
    int64_t at = start;
    EXPECT_FALSE(t->ReadFromXMLString(doc, at, ""));
    EXPECT_EQ(at, start);
  }
  int64_t at = 1;
  EXPECT_TRUE(TDataTable(nullptr).ReadFromXMLString(doc, at, ""));  // the text itself is fine
  ExpectSame(*before, *t);
  EXPECT_EQ(log.Changes + log.Resizes, 0);
}

TEST(DataTableXml, HostileDocumentsFailAndLeaveTheTable) {
  const std::string pad(64, ' ');
  const char* bad[] = {
      // a size far beyond what the text holds
      "<datatable><size cols=\"100000\" rows=\"100000\"/><datacells></datacells></datatable>",
      "<datatable><size cols=\"-1\" rows=\"3\"/></datatable>",
      "<datatable><size cols=\"2147483648\" rows=\"1\"/></datatable>",
      "<datatable><size cols=\"x\" rows=\"1\"/></datatable>",
      // size missing, repeated, after another element
      "<datatable><comment>c</comment></datatable>",
      "<datatable><colnames></colnames><size cols=\"1\" rows=\"1\"/></datatable>",
      // a value, index, state or attribute that is no number of its kind
      "<datatable><size cols=\"1\" rows=\"1\"/><datacells><cell c=\"1\" r=\"1\">2,5</cell>"
      "</datacells></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><datacells><cell c=\"a\" r=\"1\">2</cell>"
      "</datacells></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><datacells><cell c=\"1\" r=\"1\" st=\"256\">2"
      "</cell></datacells></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><rowattrib><row ix=\"1\">9999999999</row>"
      "</rowattrib></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><vardef col=\"1\" scale=\"Huge\"></vardef>"
      "</datatable>",
      // an element left open, a nested table, no end
      "<datatable><size cols=\"1\" rows=\"1\"/><colnames><col ix=\"1\">a<col ix=\"1\">b</col>"
      "</colnames></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><datatable></datatable></datatable>",
      "<datatable><size cols=\"1\" rows=\"1\"/><datacells>", "no table here"};
  auto t = Rich();
  auto before = Rich();
  TEventLog log(*t);
  for (const char* doc : bad) {
    const std::string text = std::string(doc) + pad;
    int64_t at = 1;
    EXPECT_FALSE(t->ReadFromXMLString(text, at, "")) << doc;
    EXPECT_EQ(at, 1);
  }
  ExpectSame(*before, *t);
  EXPECT_EQ(log.Changes + log.Resizes, 0);
}

TEST(DataTableXml, IgnoresWhatLiesOutsideTheTableAndCutsTexts) {
  // 2 x 2 with room enough for its cells; entries outside are dropped, a
  // level beyond slot 150 too, names are cut to 50 code points (here
  // two-byte characters), levels to 10.
  std::string name;
  for (int i = 0; i < 60; ++i) name += "\xC3\xA9";
  const std::string doc =
      "<datatable id=\"k\">\n<size cols=\"2\" rows=\"2\"/>\n"
      "<vardef col=\"2\" scale=\"2\"><idf ord=\"0\">abcdefghijklmn</idf><idf ord=\"151\">x</idf>"
      "<idf ord=\"-1\">y</idf></vardef><vardef col=\"3\" scale=\"Nominal\"><idf ord=\"1\">z</idf>"
      "</vardef>\n<colnames><col ix=\"1\">" +
      name +
      "</col><col ix=\"3\">far</col></colnames>\n"
      "<rownames><row ix=\"0\">zero</row><row ix=\"2\">&#x263A;&#10;&bogus;</row></rownames>\n"
      "<col ix=\"1\">stray</col>\n"
      "<datacells><cell c=\"1\" r=\"1\">1.5</cell><cell c=\"3\" r=\"1\">7</cell>"
      "<cell c=\"2\" r=\"2\" st=\"64\">1</cell><cell c=\"1\" r=\"2\"></cell>"
      "<cell c=\"1\" r=\"1\">2.5</cell></datacells>\n</datatable>";
  TDataTable t(nullptr);
  int64_t at = 1;
  ASSERT_TRUE(t.ReadFromXMLString(doc, at, "k"));
  ASSERT_EQ(t.GetNrOfColumns(), 2);
  ASSERT_EQ(t.GetNrOfRows(), 2);
  EXPECT_EQ(Utf8CharCount(t.GetColName(1)), 50);
  EXPECT_EQ(t.GetColName(2), "C-2");
  EXPECT_EQ(t.GetRowName(1), "R-1");
  EXPECT_EQ(t.GetRowName(2), "\xE2\x98\xBA\n&bogus;");
  EXPECT_EQ(t.GetMScaleType(2), TMScaleType::stOrdinal);
  EXPECT_EQ(t.GetNominalID(2, 0), "abcdefghij");
  EXPECT_EQ(t.CountNominalIDs(2), 1);
  EXPECT_EQ(t.GetElem(1, 1), 2.5);  // the later cell wins
  EXPECT_EQ(t.GetCellState(2, 2), kCellMark1);
  EXPECT_EQ(t.GetCellState(1, 2), kCellEmpty);  // empty content: an empty cell
}

// ---------------------------------------------------------------------------
// ASC
// ---------------------------------------------------------------------------

TEST(DataTableAsc, RoundTripsEveryPartThroughFileStreamAndClipboard) {
  TScratch dir;
  auto src = Rich();
  const std::string path = dir.Path("t.asc");
  const TStr2DArray cust = {{"a", "b \"q\"", ""}, {}, {"line\nbreak"}};
  ASSERT_TRUE(src->ExportAsASC(path, 0, cust));
  TDataTable a(nullptr);
  TStr2DArray back = {{"old"}};
  ASSERT_EQ(a.ImportASC(path, back), kDTAscOk);
  ExpectSame(*src, a, TParts{true, false, true, true});  // column attributes have no place
  EXPECT_EQ(back, cust);

  TMemoryStream ms;
  ASSERT_TRUE(src->ExportAsASC(ms, 0));
  ms.SetPosition(0);
  TDataTable b(nullptr);
  ASSERT_EQ(b.ImportASC(ms), kDTAscOk);
  ExpectSame(*src, b, TParts{true, false, true, true});

  Clipboard().SetAsText(ReadFile(path));
  TDataTable c(nullptr);
  ASSERT_EQ(c.ImportASC(Clipboard()), kDTAscOk);
  ExpectSame(*src, c, TParts{true, false, true, true});
}

TEST(DataTableAsc, SharesTheVectorFilesHeaderBothWays) {
  TScratch dir;
  // A vector's ASC file is a one-column table.
  TVector v(nullptr);
  v.SetNrOfElem(3);
  v.SetVal(1, 1.25);
  v.SetVal(2, -4);
  v.SetVal(3, 1e-5);
  const std::string vpath = dir.Path("v.asc");
  ASSERT_EQ(v.ExportAsASC(vpath, -2, "vector"), 0);
  TDataTable t(nullptr);
  ASSERT_EQ(t.ImportASC(vpath), kDTAscOk);
  ASSERT_EQ(t.GetNrOfColumns(), 1);
  ASSERT_EQ(t.GetNrOfRows(), 3);
  EXPECT_EQ(t.GetComment(), "vector");
  for (int32_t r = 1; r <= 3; ++r) EXPECT_NEAR(t.GetElem(1, r), v.GetVal(r), 1e-15);
  // And a one-column table is read by the vector.
  t.SetElem(1, 2, 0.1);
  const std::string tpath = dir.Path("t.asc");
  ASSERT_TRUE(t.ExportAsASC(tpath, 0));
  std::string comment;
  ASSERT_EQ(v.ImportASC(tpath, comment), 0);
  EXPECT_EQ(v.GetVal(2), 0.1);
  // The header with three flags reads as well.
  WriteFile(tpath, "three flags\n2\n1\nTRUE FALSE TRUE ;ra cn rn\n5 \"r1\" 1 ###\n");
  ASSERT_EQ(t.ImportASC(tpath), kDTAscOk);
  EXPECT_EQ(t.GetRowAttrib(1), 5);
  EXPECT_EQ(t.GetRowName(1), "r1");
  EXPECT_TRUE(t.GetIsEmpty(2, 1));
}

TEST(DataTableAsc, ReadFromAscPlacesTheBlockAndReplacesIdsOnlyWhenAsked) {
  TDataTable blk(nullptr);
  blk.Resize(2, 2);
  blk.SetElem(1, 1, 1);
  blk.SetElem(2, 2, 4);
  blk.SetColName(2, "second");
  blk.SetRowName(1, "top");
  blk.SetRowAttrib(2, 8);
  blk.SetElemNominal(1, 2, "lvl");
  TMemoryStream ms;
  ASSERT_TRUE(blk.ExportAsASC(ms, 0));

  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetComment("kept");
  t.SetElem(1, 1, 99);
  ms.SetPosition(0);
  ASSERT_EQ(t.ReadFromASC(ms, 2, 3, false), kDTAscOk);
  ASSERT_EQ(t.GetNrOfColumns(), 3);
  ASSERT_EQ(t.GetNrOfRows(), 4);
  EXPECT_EQ(t.GetElem(1, 1), 99);
  EXPECT_EQ(t.GetElem(2, 3), 1);
  EXPECT_EQ(t.GetNumericData()->GetVal(2, 4), 0);  // the level's ordinal
  EXPECT_EQ(t.GetElem(3, 4), 4);
  EXPECT_EQ(t.GetColName(3), "C-3");
  EXPECT_EQ(t.GetRowName(3), "R-3");
  EXPECT_EQ(t.GetRowAttrib(4), 0);
  EXPECT_EQ(t.GetComment(), "kept");

  ms.SetPosition(0);
  ASSERT_EQ(t.ReadFromASC(ms, 2, 3, true), kDTAscOk);
  EXPECT_EQ(t.GetColName(3), "second");
  EXPECT_EQ(t.GetRowName(3), "top");
  EXPECT_EQ(t.GetRowAttrib(4), 8);
  EXPECT_EQ(t.GetElemNominal(2, 4), "lvl");
  EXPECT_EQ(t.GetColName(1), "C-1");

  const auto before = std::make_unique<TDataTable>(nullptr);
  before->Clone(&t);
  for (auto [x, y] : {std::pair{0, 1}, std::pair{1, -3}, std::pair{INT32_MAX, 1}}) {
    ms.SetPosition(0);
    EXPECT_EQ(t.ReadFromASC(ms, x, y, true), kDTAscBadPosition);
  }
  ExpectSame(*before, t);
}

TEST(DataTableAsc, DamagedTextsGiveTheirCodesAndLeaveTheTable) {
  TScratch dir;
  const std::string head = "c\n2\n2\nFALSE FALSE FALSE FALSE\n";
  const std::pair<std::string, int32_t> cases[] = {
      {head + "1 2\n3 x\n", kDTAscBadValue},
      {head + "1 2\n3\n", kDTAscBadValue},
      {head + "1 2\n3 4\nrest\n", kDTAscBadTrailer},
      {head + "1 2\n3 4\n#cellstates 1 2 3 300\n", kDTAscBadTrailer},
      {head + "1 2\n3 4\n#custdata 1 5 \"a\"\n", kDTAscBadTrailer},
      {"c\n2\n1\nTRUE FALSE FALSE FALSE\n1.5 1 2\n", kDTAscBadRowAttribute},
      {"c\n2\n1\nFALSE FALSE FALSE TRUE\n3 1 0 \"a\"\n9 0\n1 2\n", kDTAscBadTypes},
      {"c\n2\n1\nFALSE FALSE FALSE TRUE\n3 1 151 \"a\"\n3 0\n1 2\n", kDTAscBadTypes},
      {"c\n2\n1\nFALSE TRUE FALSE FALSE\n\"a\" \"b\n1 2\n", kDTAscBadValue},
      {"c\n0\n1\nFALSE FALSE FALSE FALSE\n", kDTAscNoCells},
      {"c\n3\n0\nFALSE FALSE FALSE FALSE\n", kDTAscNoCells},
      {"c\n2\n900\nFALSE FALSE FALSE FALSE\n1 2\n", kAscBadRowCount},
      {"c\n2\n1\nMAYBE\n1 2\n", kAscBadFlags},
      {"", kAscCannotRead}};
  auto t = Rich();
  auto before = Rich();
  TEventLog log(*t);
  const std::string path = dir.Path("bad.asc");
  for (const auto& [text, code] : cases) {
    WriteFile(path, text);
    EXPECT_EQ(t->ImportASC(path), code) << text;
  }
  EXPECT_EQ(t->ImportASC(dir.Path("missing.asc")), kDTAscNoFile);
  Clipboard().Clear();
  EXPECT_EQ(t->ImportASC(Clipboard()), kDTAscNoText);
  TBitmap bmp;
  bmp.SetSize(2, 2);
  Clipboard().Assign(bmp);
  EXPECT_EQ(t->ReadFromASC(Clipboard(), 1, 1, false), kDTAscNoText);
  ExpectSame(*before, *t);
  EXPECT_EQ(log.Changes + log.Resizes, 0);
  EXPECT_STREQ(DataTableAscStatusText(kDTAscBadTrailer),
               "the text after the rows is no valid state or custom data section");
}

// ---------------------------------------------------------------------------
// CSV
// ---------------------------------------------------------------------------

TEST(DataTableCsv, RoundTripsWithEveryDelimiterAndOption) {
  TScratch dir;
  auto src = CsvTable();
  for (TCSVDelimiters d : {TCSVDelimiters::csvComma, TCSVDelimiters::csvSemicolon,
                           TCSVDelimiters::csvTab, TCSVDelimiters::csvSpace}) {
    const std::string path = dir.Path("t.csv");
    ASSERT_TRUE(src->ExportAsCSV(path, 0, d, true, true, true, true));
    TDataTable t(nullptr);
    ASSERT_EQ(t.ImportFromCSV(path, d, true, true), kDTCsvOk) << ReadFile(path);
    ExpectSame(*src, t, TParts{true, false, true, true});
  }
  // Without headers the names are the defaults and the attributes a column
  // of their own is not: the data alone come back.
  const std::string path = dir.Path("plain.csv");
  ASSERT_TRUE(src->ExportAsCSV(path, 0, TCSVDelimiters::csvComma, false, false));
  TDataTable t(nullptr);
  ASSERT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, false, false), kDTCsvOk);
  ASSERT_EQ(t.GetNrOfColumns(), 3);
  EXPECT_EQ(t.GetColName(2), "C-2");
  EXPECT_EQ(t.GetRowName(4), "R-4");
  EXPECT_EQ(t.GetElemNominal(2, 4), "b,\"c\"");
  EXPECT_TRUE(t.GetIsEmpty(3, 2));
  EXPECT_EQ(t.GetComment(), "");
}

TEST(DataTableCsv, PythonsCsvModuleReadsTheFieldsWritten) {
  if (!PythonHas("csv")) GTEST_SKIP() << "python3 not found";
  TScratch dir;
  const std::string path = dir.Path("t.csv");
  ASSERT_TRUE(CsvTable()->ExportAsCSV(path, 0, TCSVDelimiters::csvSemicolon, true, true, true));
  const std::string script = dir.Path("check.py");
  WriteFile(
      script,
      "import sys, csv\n"
      "rows = list(csv.reader(open(sys.argv[1], newline=''), delimiter=';'))\n"
      "assert rows[0] == ['', '(row attribute)', 'x,y', 'say \"hi\"', 'multi\\nline'], rows[0]\n"
      "assert rows[1] == ['#first', '3', '0.1', 'oak', '1.5'], rows[1]\n"
      "assert rows[2] == ['', '-2147483648', '-1e-300', 'Ash tree', ''], rows[2]\n"
      "assert rows[4] == ['r;4', '12', '-0', 'b,\"c\"', '6'], rows[4]\n"
      "assert float(rows[3][2]) == 1.7976931348623157e308\n"
      "assert len(rows) == 5\n");
  EXPECT_EQ(std::system(("python3 " + script + " " + path).c_str()), 0) << ReadFile(path);
}

TEST(DataTableCsv, ReadsQuotingBlankLinesAndTextColumnsAsTheLayoutSays) {
  TScratch dir;
  const std::string path = dir.Path("in.csv");
  WriteFile(path,
            "#my comment\r\n"
            "id,(row attribute),a,b,c\r\n"
            "\r\n"
            "r1, 4 , 1.5 ,\"x\"\"y\",\"\"\r\n"
            "\"r\n2\",-2,+2,7,1e400\n"
            "r3,0,,\"7\",-1e-400\n");
  TDataTable t(nullptr);
  ASSERT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, true, true), kDTCsvOk);
  EXPECT_EQ(t.GetComment(), "my comment");
  ASSERT_EQ(t.GetNrOfColumns(), 3);
  ASSERT_EQ(t.GetNrOfRows(), 3);
  EXPECT_EQ(t.GetRowName(2), "r\n2");
  EXPECT_EQ(t.GetRowAttrib(1), 4);
  EXPECT_EQ(t.GetRowAttrib(2), -2);
  EXPECT_EQ(t.GetElem(1, 1), 1.5);
  EXPECT_EQ(t.GetElem(1, 2), 2);
  EXPECT_TRUE(t.GetIsEmpty(1, 3));
  // Column b holds a quoted field, so all its fields are levels, in order
  // of appearance; "7" unquoted and quoted is one level.
  EXPECT_EQ(t.GetMScaleType(2), TMScaleType::stNominal);
  EXPECT_EQ(t.GetElemNominal(2, 1), "x\"y");
  EXPECT_EQ(t.GetElem(2, 2), 1);
  EXPECT_EQ(t.GetElem(2, 3), 1);
  EXPECT_EQ(t.GetNominalID(2, 1), "7");
  // Column c: "" is an empty cell; out-of-range numbers are numbers.
  EXPECT_EQ(t.GetMScaleType(3), TMScaleType::stInterval);
  EXPECT_TRUE(t.GetIsEmpty(3, 1));
  EXPECT_EQ(t.GetElem(3, 2), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::signbit(t.GetElem(3, 3)));
}

TEST(DataTableCsv, SkipsLinesAndStopsAfterTheLastLine) {
  TScratch dir;
  const std::string path = dir.Path("in.csv");
  WriteFile(path, "junk\njunk \"\nh1,h2\n1,2\n3,\"4\n4\"\n5,6\n7,8\n");
  TDataTable t(nullptr);
  // Lines 3 (header) to 6; the record starting on line 5 runs into line 6.
  ASSERT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, 2, 6, true, false), kDTCsvOk);
  ASSERT_EQ(t.GetNrOfRows(), 2);
  EXPECT_EQ(t.GetColName(2), "h2");
  EXPECT_EQ(t.GetElemNominal(2, 2), "4\n4");
  ASSERT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, 2, 7, true, false), kDTCsvOk);
  EXPECT_EQ(t.GetNrOfRows(), 3);
  ASSERT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, 2, 0, true, false), kDTCsvOk);
  EXPECT_EQ(t.GetNrOfRows(), 4);
  EXPECT_EQ(t.ImportFromCSV(path, TCSVDelimiters::csvComma, 2, 3, true, false), kDTCsvNoData);
}

TEST(DataTableCsv, DamagedTextsGiveTheirCodesAndLeaveTheTable) {
  TScratch dir;
  std::string many = "x\n";
  for (int i = 0; i < 152; ++i) many += "\"L" + std::to_string(i) + "\"\n";
  const std::pair<std::string, int32_t> cases[] = {
      {"a,b\n1,2\n3\n", kDTCsvRagged},   {"a,b\n1,2\n3,4,5\n", kDTCsvRagged},
      {"a,b\n1,\"2\n", kDTCsvOpenQuote}, {"a,b\n1,\"2\"x\n", kDTCsvBadQuote},
      {"a,b\n", kDTCsvNoData},           {"", kDTCsvNoData},
      {many, kDTCsvTooManyLevels}};
  auto t = Rich();
  auto before = Rich();
  TEventLog log(*t);
  const std::string path = dir.Path("bad.csv");
  for (const auto& [text, code] : cases) {
    WriteFile(path, text);
    EXPECT_EQ(t->ImportFromCSV(path, TCSVDelimiters::csvComma, true, false), code) << text;
  }
  WriteFile(path, ",(row attribute),a\nr,1.5,2\n");
  EXPECT_EQ(t->ImportFromCSV(path, TCSVDelimiters::csvComma, true, true), kDTCsvBadAttribute);
  EXPECT_EQ(t->ImportFromCSV(path, TCSVDelimiters::csvComma, -1, 0, true, true), kDTCsvBadArgument);
  EXPECT_EQ(t->ImportFromCSV(path, static_cast<TCSVDelimiters>(9), true, true), kDTCsvBadArgument);
  EXPECT_EQ(t->ImportFromCSV(dir.Path("none.csv"), TCSVDelimiters::csvComma, true, true),
            kDTCsvCannotRead);
  ExpectSame(*before, *t);
  EXPECT_EQ(log.Changes + log.Resizes, 0);
  // 151 levels fit.
  many.erase(many.rfind("\"L151\""));
  WriteFile(path, many);
  ASSERT_EQ(t->ImportFromCSV(path, TCSVDelimiters::csvComma, true, false), kDTCsvOk);
  EXPECT_EQ(t->CountNominalIDs(1), 151);
}

// ---------------------------------------------------------------------------
// Writers and events
// ---------------------------------------------------------------------------

TEST(DataTableFileEvents, ExportTextFiresOnceWithTheTextWrittenAndNotOnFailure) {
  TScratch dir;
  auto t = Rich();
  std::vector<std::string> texts;
  t->OnExportText = [&](TObject* s, const std::string& text) {
    EXPECT_EQ(s, t.get());
    texts.push_back(text);
  };
  const std::string a = dir.Path("a.asc"), c = dir.Path("c.csv"), x = dir.Path("x.xml");
  ASSERT_TRUE(t->ExportAsASC(a, 0));
  ASSERT_TRUE(t->ExportAsCSV(c, 0, TCSVDelimiters::csvComma, true, true));
  ASSERT_TRUE(t->SaveAsXMLFile(x, 0, ""));
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], ReadFile(a));
  EXPECT_EQ(texts[1], ReadFile(c));
  EXPECT_EQ(texts[2], ReadFile(x));
  const std::string nowhere = dir.Path("no/such/dir/f");
  EXPECT_FALSE(t->ExportAsASC(nowhere, 0));
  EXPECT_FALSE(t->ExportAsCSV(nowhere, 0, TCSVDelimiters::csvComma, true, true));
  EXPECT_FALSE(t->ExportAsCSV(a, 0, static_cast<TCSVDelimiters>(7), true, true));
  EXPECT_FALSE(t->SaveAsXMLFile(nowhere, 0, ""));
  EXPECT_EQ(texts.size(), 3u);
}

TEST(DataTableFileEvents, ALoadFiresEachChangeOnceAndResizeWhenTheSizeChanged) {
  TMemoryStream ms;
  ASSERT_TRUE(Rich()->WriteToXMLStream(ms, false, 0, ""));
  TDataTable t(nullptr);
  std::vector<std::string> order;
  t.OnChange = [&](TObject*) { order.push_back("data"); };
  t.OnChangeSetup = [&](TObject*) { order.push_back("setup"); };
  t.OnChangeNames = [&](TObject*) { order.push_back("names"); };
  t.OnChangeAttrib = [&](TObject*) { order.push_back("attrib"); };
  t.OnChangeCellState = [&](TObject*) { order.push_back("states"); };
  t.OnResize = [&](TObject*, int32_t oc, int32_t orr, int32_t nc, int32_t nr) {
    order.push_back(std::to_string(oc) + "x" + std::to_string(orr) + "->" + std::to_string(nc) +
                    "x" + std::to_string(nr));
  };
  ms.SetPosition(0);
  ASSERT_TRUE(t.ReadFromXMLStream(ms, ""));
  EXPECT_EQ(order,
            (std::vector<std::string>{"data", "setup", "names", "attrib", "states", "1x1->4x5"}));
  order.clear();
  ms.SetPosition(0);
  ASSERT_TRUE(t.ReadFromXMLStream(ms, ""));
  EXPECT_EQ(order.size(), 5u);
}

// ---------------------------------------------------------------------------
// Splitting
// ---------------------------------------------------------------------------

std::unique_ptr<TDataTable> Numbered(int32_t cols, int32_t rows) {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(cols, rows);
  for (int32_t c = 1; c <= cols; ++c)
    for (int32_t r = 1; r <= rows; ++r) t->SetElem(c, r, 100 * c + r);
  return t;
}

// The original row (column) numbers held by a split file.
std::vector<int32_t> RowsOf(const std::string& path, bool cols = false) {
  TDataTable p(nullptr);
  EXPECT_EQ(p.ImportASC(path), kDTAscOk);
  std::vector<int32_t> v;
  const int32_t n = cols ? p.GetNrOfColumns() : p.GetNrOfRows();
  for (int32_t i = 1; i <= n; ++i)
    v.push_back(static_cast<int32_t>(cols ? p.GetElem(i, 1) / 100 : p.GetElem(1, i) - 100));
  return v;
}

TEST(DataTableSplit, PrepareSplitCountsForEveryMode) {
  auto t = Numbered(5, 10);
  TIntArray n;
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitRows, 3, false, n), 3);
  EXPECT_EQ(n, (TIntArray{4, 3, 3}));
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitRows, 3, true, n), 6);
  EXPECT_EQ(n, (TIntArray{4, 6, 3, 7, 3, 7}));
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitColumns, 2, false, n), 2);
  EXPECT_EQ(n, (TIntArray{3, 2}));
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 25, false, n), 2);
  EXPECT_EQ(n, (TIntArray{2, 8}));  // Round(2.5) = 2, halves to even
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 1, false, n), 2);
  EXPECT_EQ(n, (TIntArray{1, 9}));
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 30, true, n), 6);
  EXPECT_EQ(n, (TIntArray{4, 6, 3, 7, 3, 7}));
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitRows, 11, false, n), kDTSplitBadSize);
  EXPECT_TRUE(n.empty());
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitColumns, 1, false, n), kDTSplitBadSize);
  EXPECT_EQ(t->PrepareSplitCounts(TDataSetSplitMode::splitTstTrn, 100, false, n), kDTSplitBadSize);
  EXPECT_EQ(t->PrepareSplitCounts(static_cast<TDataSetSplitMode>(5), 2, false, n), kDTSplitBadMode);
}

TEST(DataTableSplit, BlockedInterleavedAndRandomSelectionsCoverEveryRowOnce) {
  TScratch dir;
  auto t = Numbered(2, 7);
  std::vector<std::string> names;
  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 3, false,
                            dir.Path("b.asc"), false, names),
            kDTSplitOk);
  ASSERT_EQ(names, (std::vector<std::string>{dir.Path("b_1.asc"), dir.Path("b_2.asc"),
                                             dir.Path("b_3.asc")}));
  EXPECT_EQ(RowsOf(names[0]), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(RowsOf(names[2]), (std::vector<int32_t>{6, 7}));

  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmInterleave, 3, false,
                            dir.Path("i.asc"), false, names),
            kDTSplitOk);
  EXPECT_EQ(RowsOf(names[0]), (std::vector<int32_t>{1, 4, 7}));
  EXPECT_EQ(RowsOf(names[1]), (std::vector<int32_t>{2, 5}));

  // Test and training set, interleaved: the test rows are spread out.
  auto big = Numbered(1, 10);
  ASSERT_EQ(big->SplitDataSet(TDataSetSplitMode::splitTstTrn, TDataSelMode::selmInterleave, 20,
                              false, dir.Path("s.asc"), false, names),
            kDTSplitOk);
  ASSERT_EQ(names, (std::vector<std::string>{dir.Path("s_tst.asc"), dir.Path("s_trn.asc")}));
  EXPECT_EQ(RowsOf(names[0]), (std::vector<int32_t>{3, 8}));

  // Random: the same seed gives the same parts; the parts are disjoint
  // and cover the table.
  std::vector<std::vector<int32_t>> runs[2];
  for (int run = 0; run < 2; ++run) {
    SetRandSeed(77);
    ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmRandSel, 2, false,
                              dir.Path("r" + std::to_string(run) + ".asc"), false, names),
              kDTSplitOk);
    for (const auto& n : names) runs[run].push_back(RowsOf(n));
  }
  EXPECT_EQ(runs[0], runs[1]);
  std::vector<int32_t> all = runs[0][0];
  all.insert(all.end(), runs[0][1].begin(), runs[0][1].end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(runs[0][0].size(), 4u);
  EXPECT_TRUE(std::is_sorted(runs[0][0].begin(), runs[0][0].end()));
}

TEST(DataTableSplit, PairsHoldAPartAndEverythingElseInEachFormat) {
  TScratch dir;
  auto t = Numbered(4, 3);
  t->SetColName(3, "third");
  std::vector<std::string> names;
  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitColumns, TDataSelMode::selmBlocked, 4, true,
                            dir.Path("p.dat"), false, names),
            kDTSplitOk);
  ASSERT_EQ(names.size(), 8u);
  EXPECT_EQ(names[4], dir.Path("p_tst3.dat"));
  EXPECT_EQ(RowsOf(names[4], true), (std::vector<int32_t>{3}));
  EXPECT_EQ(RowsOf(names[5], true), (std::vector<int32_t>{1, 2, 4}));

  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitColumns, TDataSelMode::selmBlocked, 2, false,
                            dir.Path("p.xml"), false, names),
            kDTSplitOk);
  TDataTable x(nullptr);
  ASSERT_TRUE(x.LoadFromXMLFile(names[1], "p"));
  EXPECT_EQ(x.GetColName(1), "third");
  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitColumns, TDataSelMode::selmBlocked, 2, false,
                            dir.Path("p.CSV"), false, names),
            kDTSplitOk);
  ASSERT_EQ(x.ImportFromCSV(names[1], TCSVDelimiters::csvComma, true, true), kDTCsvOk);
  EXPECT_EQ(x.GetColName(1), "third");
  EXPECT_EQ(x.GetElem(2, 3), 403);
}

TEST(DataTableSplit, RefusesToOverwriteBeforeWritingAnything) {
  TScratch dir;
  auto t = Numbered(2, 6);
  WriteFile(dir.Path("d_2.asc"), "mine");
  std::vector<std::string> names = {"stale"};
  int fired = 0;
  t->OnExportText = [&](TObject*, const std::string&) { ++fired; };
  EXPECT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 3, false,
                            dir.Path("d.asc"), false, names),
            kDTSplitExists);
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("d_1.asc")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("d_3.asc")));
  EXPECT_EQ(ReadFile(dir.Path("d_2.asc")), "mine");
  EXPECT_EQ(fired, 0);
  // Allowed: every target is replaced, no temporary file stays.
  ASSERT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 3, false,
                            dir.Path("d.asc"), true, names),
            kDTSplitOk);
  EXPECT_EQ(RowsOf(dir.Path("d_2.asc")), (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(fired, 3);
  size_t count = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path(""))) {
    (void)e;
    ++count;
  }
  EXPECT_EQ(count, 3u);
  // A directory that cannot be written: nothing is left behind.
  EXPECT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 2, false,
                            dir.Path("none/x.asc"), false, names),
            kDTSplitWriteFailed);
  EXPECT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, TDataSelMode::selmBlocked, 2, false,
                            dir.Path("sub/"), false, names),
            kDTSplitBadName);
  EXPECT_EQ(t->SplitDataSet(TDataSetSplitMode::splitRows, static_cast<TDataSelMode>(3), 2, false,
                            dir.Path("y.asc"), false, names),
            kDTSplitBadMode);
}

}  // namespace
}  // namespace zel
