// Damaged and random input for every reader of the data table.
//
// Each case starts from the same table and feeds a reader a mutated valid
// text (truncated, bit-flipped, bytes replaced by ones the grammars care
// about, a piece repeated) or random bytes. A reader that fails must leave
// the table exactly as it was and fire no event. A reader that succeeds
// must leave a consistent table: its matrix has its size, and writing it
// in the same form and reading that back gives the same table again.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>

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

constexpr uint64_t kSeed = 0xDA7A7AB1E;
constexpr int kCases = 2500;  // per reader

class TMutator {
 public:
  explicit TMutator(uint64_t Seed) : FGen(Seed) {}
  uint64_t Next(uint64_t n) { return n == 0 ? 0 : FGen() % n; }

  std::string Mutate(const std::string& Base, const std::string& Alphabet) {
    std::string s = Base;
    switch (Next(5)) {
      case 0: s.resize(Next(s.size())); break;
      case 1:
        for (uint64_t k = 1 + Next(4); k > 0 && !s.empty(); --k)
          s[Next(s.size())] ^= static_cast<char>(1u << Next(8));
        break;
      case 2:
        for (uint64_t k = 1 + Next(3); k > 0 && !s.empty(); --k)
          s[Next(s.size())] = Alphabet[Next(Alphabet.size())];
        break;
      case 3: {  // a piece repeated elsewhere
        const size_t a = Next(s.size()), n = Next(std::min<size_t>(64, s.size() - a) + 1);
        s.insert(Next(s.size() + 1), s.substr(a, n));
        break;
      }
      default: {  // random bytes or the grammar's own bytes
        std::string r(Next(200), '\0');
        const bool text = Next(2) == 0;
        for (char& c : r) c = text ? Alphabet[Next(Alphabet.size())] : static_cast<char>(Next(256));
        s = r;
      }
    }
    return s;
  }

 private:
  std::mt19937_64 FGen;
};

// Runs kCases mutations of Base through Read (true on success) and checks
// the outcome; Again writes the loaded table and reads it into a fresh one.
void Fuzz(const std::string& Base, const std::string& Alphabet, uint64_t Seed,
          const std::function<bool(TDataTable&, const std::string&)>& Read,
          const std::function<bool(TDataTable&, TDataTable&)>& Again, TParts Parts = {}) {
  TMutator m(Seed);
  const auto before = Rich();
  int successes = 0;
  for (int i = 0; i < kCases; ++i) {
    const std::string input = m.Mutate(Base, Alphabet);
    auto t = Rich();
    TEventLog log(*t);
    if (!Read(*t, input)) {
      ExpectSame(*before, *t);
      ASSERT_EQ(log.Changes + log.Resizes, 0) << "case " << i;
      if (::testing::Test::HasFailure()) FAIL() << "case " << i << ":\n" << input;
      continue;
    }
    ++successes;
    ASSERT_GE(t->GetNrOfColumns(), 1);
    ASSERT_GE(t->GetNrOfRows(), 1);
    TDataTable back(nullptr);
    ASSERT_TRUE(Again(*t, back)) << "case " << i << ":\n" << input;
    ExpectSame(*t, back, Parts);
    if (::testing::Test::HasFailure()) FAIL() << "case " << i << ":\n" << input;
  }
  // The mutations keep some files readable, so both paths are exercised.
  EXPECT_GT(successes, kCases / 50);
  EXPECT_LT(successes, kCases);
}

TEST(DataTableFuzz, XmlStringReader) {
  TMemoryStream ms;
  ASSERT_TRUE(Rich()->WriteToXMLStream(ms, true, 0, "f"));
  const std::string base(reinterpret_cast<const char*>(ms.GetMemory()),
                         static_cast<size_t>(ms.GetSize()));
  Fuzz(
      base, "<>/\"'=&;#x0123456789 \n.-eEcrstidfaln", kSeed,
      [](TDataTable& t, const std::string& in) {
        int64_t at = 1;
        const bool ok = t.ReadFromXMLString(in, at, "");
        if (!ok) {
          EXPECT_EQ(at, 1);
        }
        return ok;
      },
      [](TDataTable& t, TDataTable& back) {
        TMemoryStream out;
        if (!t.WriteToXMLStream(out, false, 0, "g")) return false;
        out.SetPosition(0);
        return back.ReadFromXMLStream(out, "g");
      });
}

TEST(DataTableFuzz, AscStreamReader) {
  TMemoryStream ms;
  ASSERT_TRUE(Rich()->ExportAsASC(ms, 0));
  const std::string base(reinterpret_cast<const char*>(ms.GetMemory()),
                         static_cast<size_t>(ms.GetSize()));
  Fuzz(
      base, "0123456789 \t\n\".-+eE#TRUEFALSnaif", kSeed + 1,
      [](TDataTable& t, const std::string& in) {
        TMemoryStream s;
        s.Write(in.data(), static_cast<int64_t>(in.size()));
        s.SetPosition(0);
        return t.ImportASC(s) == kDTAscOk;
      },
      [](TDataTable& t, TDataTable& back) {
        TMemoryStream out;
        if (!t.ExportAsASC(out, 0)) return false;
        out.SetPosition(0);
        return back.ImportASC(out) == kDTAscOk;
      },
      TParts{true, false, true, true});
}

TEST(DataTableFuzz, AscBlockReaderFromTheClipboard) {
  TMemoryStream ms;
  ASSERT_TRUE(Rich()->ExportAsASC(ms, 0));
  const std::string base(reinterpret_cast<const char*>(ms.GetMemory()),
                         static_cast<size_t>(ms.GetSize()));
  Fuzz(
      base, "0123456789 \t\n\".-+eE#TRUEFALSnaif", kSeed + 2,
      [](TDataTable& t, const std::string& in) {
        Clipboard().SetAsText(in);
        return t.ReadFromASC(Clipboard(), 2, 3, true) == kDTAscOk;
      },
      [](TDataTable& t, TDataTable& back) {
        TMemoryStream out;
        if (!t.ExportAsASC(out, 0)) return false;
        out.SetPosition(0);
        return back.ImportASC(out) == kDTAscOk;
      },
      TParts{true, false, true, true});
}

TEST(DataTableFuzz, CsvFileReader) {
  TScratch dir;
  const std::string in = dir.Path("in.csv"), out = dir.Path("out.csv");
  ASSERT_TRUE(Rich()->ExportAsCSV(in, 0, TCSVDelimiters::csvSemicolon, true, true, true, true));
  const std::string base = ReadFile(in);
  Fuzz(
      base, ";,\"\n\r#0123456789.-+eE (rowattibue)nf", kSeed + 3,
      [&](TDataTable& t, const std::string& text) {
        WriteFile(in, text);
        return t.ImportFromCSV(in, TCSVDelimiters::csvSemicolon, true, true) == kDTCsvOk;
      },
      [&](TDataTable& t, TDataTable& back) {
        if (!t.ExportAsCSV(out, 0, TCSVDelimiters::csvSemicolon, true, true, true, true))
          return false;
        return back.ImportFromCSV(out, TCSVDelimiters::csvSemicolon, true, true) == kDTCsvOk;
      },
      TParts{true, false, true, true});
}

}  // namespace
}  // namespace zel
