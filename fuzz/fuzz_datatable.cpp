// Data-table files: XML (from memory), ASC (from memory, whole and as a block
// into a table) and CSV with each delimiter.
#include <memory>

#include "fuzz/fuzz_util_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

std::unique_ptr<TDataTable> Prefilled() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(2, 2);
  t->SetElem(1, 1, 1.5);
  t->SetElem(2, 2, -3);
  t->SetComment("pre");
  return t;
}

// Everything a table holds, as its lossless XML form.
std::string Canon(TDataTable& t) {
  TMemoryStream s;
  Require(t.WriteToXMLStream(s, true, 0, "fz"), "data table XML writer failed");
  return StreamText(s);
}

std::string AscText(TDataTable& t) {
  TMemoryStream s;
  Require(t.ExportAsASC(s, 0), "data table ASC writer failed");
  return StreamText(s);
}

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

template <class LoadFn, class WriteFn, class ReadFn>
void Check(LoadFn Load, WriteFn Write, ReadFn Read, bool Settle, const char* what) {
  auto t = Prefilled();
  const std::string before = Canon(*t);
  if (!Load(*t)) {
    Require(Canon(*t) == before, std::string(what) + ": a failed load changed the table");
    return;
  }
  if (t->GetNrOfColumns() < 1 || t->GetNrOfRows() < 1) return;
  CheckFixpoint(
      Write(*t),
      [&](const std::string& in, std::string& out) {
        TDataTable w(nullptr);
        if (!Read(w, in)) return false;
        out = Write(w);
        return true;
      },
      Settle, what);
}

bool ReadXml(TDataTable& t, std::span<const uint8_t> data) {
  TMemoryStream s;
  FillStream(s, data);
  return t.ReadFromXMLStream(s, "");
}

bool ReadAsc(TDataTable& t, std::span<const uint8_t> data) {
  TMemoryStream s;
  FillStream(s, data);
  const int32_t rc = t.ImportASC(s);
  Require(rc <= 0, "data table ASC reader: positive status");
  return rc == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::span<const uint8_t> data(Data, Size);
  Check([&](TDataTable& t) { return ReadXml(t, data); }, Canon,
        [](TDataTable& t, const std::string& in) { return ReadXml(t, Bytes(in)); }, false,
        "data table XML");
  Check([&](TDataTable& t) { return ReadAsc(t, data); }, AscText,
        [](TDataTable& t, const std::string& in) { return ReadAsc(t, Bytes(in)); }, false,
        "data table ASC");
  {
    // A block read into a table: nothing read means nothing changed.
    auto t = Prefilled();
    const std::string before = Canon(*t);
    TMemoryStream s;
    FillStream(s, data);
    const int32_t pos = Size > 0 ? 1 + Data[0] % 3 : 1;
    if (t->ReadFromASC(s, pos, pos, (Size & 1) != 0) != 0)
      Require(Canon(*t) == before, "data table ASC block: a failed read changed the table");
  }
  const std::string path = WriteScratch("table.csv", data);
  for (const auto delim : {TCSVDelimiters::csvComma, TCSVDelimiters::csvSemicolon,
                           TCSVDelimiters::csvTab, TCSVDelimiters::csvSpace}) {
    auto csvRead = [delim](TDataTable& t, const std::string& p) {
      const int32_t rc = t.ImportFromCSV(p, delim, true, true);
      Require(rc <= 0, "data table CSV reader: positive status");
      return rc == 0;
    };
    auto csvWrite = [delim](TDataTable& t) {
      const std::string out = ScratchPath("table.out.csv");
      Require(t.ExportAsCSV(out, 0, delim, true, true), "data table CSV writer failed");
      return ReadWholeFile(out);
    };
    Check([&](TDataTable& t) { return csvRead(t, path); }, csvWrite,
          [&](TDataTable& t, const std::string& in) {
            return csvRead(t, WriteScratch("table.re.csv", in));
          },
          true, "data table CSV");
  }
  return 0;
}
