// Matrix files: binary records, XML (from memory), the stream form (from
// memory), the text form (plain and header-free), ASC, and the sparse form of
// the integer matrix.
#include <memory>

#include "fuzz/fuzz_util_impl.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

template <class M>
std::unique_ptr<M> Prefilled() {
  auto m = std::make_unique<M>(nullptr);
  m->Resize(2, 2);
  m->SetVal(1, 1, 5);
  m->SetVal(2, 2, 9);
  m->SetDataID("pre");
  return m;
}

template <class M>
bool SameMatrix(const M& a, const M& b) {
  return a.GetNrOfColumns() == b.GetNrOfColumns() && a.GetNrOfRows() == b.GetNrOfRows() &&
         SameNested(a.GetMat(), b.GetMat());
}

template <class M>
std::string BinaryText(const M& m) {
  const std::string out = ScratchPath("matrix.bin");
  Require(m.SaveBinary(out), "matrix binary writer failed");
  return ReadWholeFile(out);
}

template <class M>
std::string XmlText(const M& m) {
  TMemoryStream s;
  Require(m.WriteToXMLStream(s, true, "fz"), "matrix XML writer failed");
  return StreamText(s);
}

template <class M>
std::string StreamForm(const M& m) {
  TMemoryStream s;
  Require(m.SaveToStream(s, 1, 1, m.GetNrOfColumns(), m.GetNrOfRows()),
          "matrix stream writer failed");
  return StreamText(s);
}

template <class M>
std::string PlainText(const M& m) {
  const std::string out = ScratchPath("matrix.txt");
  Require(m.StoreOnFile(1, 1, m.GetNrOfColumns(), m.GetNrOfRows(), out),
          "matrix text writer failed");
  return ReadWholeFile(out);
}

template <class M>
std::string AscText(const M& m) {
  const std::string out = ScratchPath("matrix.asc");
  int32_t rc = 0;
  if constexpr (std::is_same_v<M, TMatrix>)
    rc = m.ExportAsASC(out, 17, "c");
  else
    rc = m.ExportAsASC(out, "c");
  Require(rc == 0, "matrix ASC writer failed");
  return ReadWholeFile(out);
}

template <class M>
std::string SparseText(const M& m) {
  const std::string out = ScratchPath("matrix.sparse");
  Require(m.StoreSparseMat(out), "sparse matrix writer failed");
  return ReadWholeFile(out);
}

template <class M, class LoadFn, class WriteFn, class ReadFn>
void Check(LoadFn Load, WriteFn Write, ReadFn Read, bool Settle, const char* what) {
  auto m = Prefilled<M>();
  const auto pre = Prefilled<M>();
  if (!Load(*m)) {
    Require(SameMatrix(*m, *pre) && m->GetDataID() == "pre",
            std::string(what) + ": a failed load changed the matrix");
    return;
  }
  if (m->GetNrOfColumns() < 1 || m->GetNrOfRows() < 1) return;
  CheckFixpoint(
      Write(*m),
      [&](const std::string& in, std::string& out) {
        M w(nullptr);
        if (!Read(w, in)) return false;
        out = Write(w);
        return true;
      },
      Settle, what);
}

template <class M>
void All(std::span<const uint8_t> data, const std::string& path) {
  auto fromFile = [](auto fn) {
    return [fn](M& m, const std::string& text) { return fn(m, WriteScratch("matrix.re", text)); };
  };
  auto fromStream = [](auto fn) {
    return [fn](M& m, const std::string& text) {
      TMemoryStream s;
      FillStream(
          s, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
      return fn(m, s);
    };
  };
  auto binary = [](M& m, const std::string& p) { return m.LoadBinary(p); };
  Check<M>([&](M& m) { return binary(m, path); }, BinaryText<M>, fromFile(binary), false,
           "matrix binary");

  auto xml = [](M& m, TStream& s) { return m.ReadFromXMLStream(s, ""); };
  Check<M>(
      [&](M& m) {
        TMemoryStream s;
        FillStream(s, data);
        return xml(m, s);
      },
      XmlText<M>, fromStream(xml), false, "matrix XML");

  for (const bool adjust : {true, false}) {
    auto stream = [adjust](M& m, TStream& s) { return m.LoadFromStream(s, adjust); };
    Check<M>(
        [&](M& m) {
          TMemoryStream s;
          FillStream(s, data);
          return stream(m, s);
        },
        StreamForm<M>, fromStream([](M& m, TStream& s) { return m.LoadFromStream(s, true); }),
        false, "matrix stream");
    Check<M>([&](M& m) { return m.LoadFromFile(path, adjust); }, PlainText<M>,
             fromFile([](M& m, const std::string& p) { return m.LoadFromFile(p, true); }), false,
             "matrix text");
  }
  if constexpr (std::is_same_v<M, TMatrix>) {
    Check<M>([&](M& m) { return m.LoadFromFile(path, true, true); }, PlainText<M>,
             fromFile([](M& m, const std::string& p) { return m.LoadFromFile(p, true); }), false,
             "matrix header-free text");
  }
  auto asc = [](M& m, const std::string& p) {
    std::string comment = "x";
    TStr2DArray cust;
    const int32_t rc = m.ImportASC(p, comment, cust);
    Require(rc <= 0, "matrix ASC reader: positive status");
    return rc == 0;
  };
  Check<M>([&](M& m) { return asc(m, path); }, AscText<M>, fromFile(asc), true, "matrix ASC");
  if constexpr (std::is_same_v<M, TIntMatrix>) {
    auto sparse = [](M& m, const std::string& p) { return m.LoadSparseMat(p); };
    Check<M>([&](M& m) { return sparse(m, path); }, SparseText<M>, fromFile(sparse), false,
             "sparse matrix");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::span<const uint8_t> data(Data, Size);
  const std::string path = WriteScratch("matrix.in", data);
  All<TMatrix>(data, path);
  All<TIntMatrix>(data, path);
  return 0;
}
