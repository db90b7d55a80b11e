// Damaged and random input for the three readers of the vector unit.
//
// Every case starts from a vector holding 11, 22, 33 and feeds it a mutated
// valid file (truncated, bit-flipped, bytes replaced) or a random one. A
// reader that fails must leave the vector exactly as it was and fire no
// event; a reader that succeeds must hold exactly what an independent
// decoding of the bytes (written here from the format description, with the
// standard library's parsers) says the file contains.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

constexpr uint64_t kSeed = 0x5EC7012;

class Fuzzer {
 public:
  explicit Fuzzer(uint64_t seed) : FGen(seed) {}
  uint64_t Next(uint64_t n) { return n == 0 ? 0 : FGen() % n; }

  // Truncation, bit flips, or bytes replaced by bytes the parsers care about.
  std::string Mutate(const std::string& base) {
    std::string s = base;
    switch (Next(3)) {
      case 0: s.resize(Next(s.size())); break;
      case 1:
        for (uint64_t k = 1 + Next(4); k > 0 && !s.empty(); --k)
          s[Next(s.size())] ^= static_cast<char>(1u << Next(8));
        break;
      default: {
        static const char kBytes[] = "0123456789 \t\r\n.-+eE#\"xNAIF\xFF";
        for (uint64_t k = 1 + Next(3); k > 0 && !s.empty(); --k)
          s[Next(s.size())] = kBytes[Next(sizeof kBytes - 1)];
      }
    }
    return s;
  }

  // Random bytes; half of the files use the alphabet of the text formats.
  std::string RandomFile() {
    static const char kText[] = "0123456789  \n\n\t.-+eE#\"TRUEFALSNIfalsenaid";
    std::string s(Next(160), '\0');
    const bool text = Next(2) == 0;
    for (char& c : s) c = text ? kText[Next(sizeof kText - 1)] : static_cast<char>(Next(256));
    return s;
  }

  std::string Case(const std::vector<std::string>& bases) {
    return Next(4) == 0 ? RandomFile() : Mutate(bases[Next(bases.size())]);
  }

 private:
  std::mt19937_64 FGen;
};

class TempDir {
 public:
  TempDir() {
    Path =
        std::filesystem::temp_directory_path() / ("zel_vector_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  std::string Write(const std::string& bytes) const {
    const std::string f = (Path / "case").string();
    std::ofstream(f, std::ios::binary) << bytes;
    return f;
  }
  std::filesystem::path Path;
};

template <class T>
bool Same(T a, T b) {
  if constexpr (std::is_same_v<T, double>)
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
  else
    return a == b;
}

// The vector every case starts from, with an event counter.
template <class V>
struct Subject {
  using T = typename V::TElem;
  Subject() : Vec(std::make_unique<V>(nullptr)) {
    Vec->Resize(3);
    Vec->SetVal(1, 11);
    Vec->SetVal(2, 22);
    Vec->SetVal(3, 33);
    Vec->OnChange = [this](TObject*) { ++Events; };
    Vec->OnResize = [this](TObject*) { ++Events; };
  }
  std::vector<T> Elems() const {
    std::vector<T> out;
    for (int32_t i = 1; i <= Vec->GetNrOfElem(); ++i) out.push_back(Vec->GetVal(i));
    return out;
  }
  // Asserts that a failed call changed nothing.
  void ExpectUnchanged(const std::string& what) const {
    EXPECT_EQ(Elems(), (std::vector<T>{11, 22, 33})) << what;
    EXPECT_FALSE(Vec->GetIsEmpty()) << what;
    EXPECT_EQ(Events, 0) << what;
  }
  // Asserts the content after a successful load of values at First.. with
  // the new count (0: the count is kept).
  void ExpectLoaded(int64_t newCount, int64_t first, const std::vector<T>& values,
                    const std::string& what) const {
    std::vector<T> want{11, 22, 33};
    if (newCount > 0) want.resize(static_cast<size_t>(newCount), T{0});
    ASSERT_LE(first - 1 + static_cast<int64_t>(values.size()), static_cast<int64_t>(want.size()))
        << what;
    for (size_t k = 0; k < values.size(); ++k) want[static_cast<size_t>(first - 1) + k] = values[k];
    const auto got = Elems();
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t k = 0; k < got.size(); ++k)
      EXPECT_TRUE(Same(got[k], want[k])) << what << " element " << k + 1;
    EXPECT_GT(Events, 0) << what;
  }
  std::unique_ptr<V> Vec;
  int Events = 0;
};

std::string Escaped(const std::string& bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      s += buf;
    }
  }
  return s;
}

// --- independent decoders -----------------------------------------------------------

// A whole word as a number with std::from_chars ('+' allowed before a digit
// or point, "inf" and "nan" in any case).
std::optional<double> Number(std::string w) {
  if (w.size() > 1 && w[0] == '+' && w[1] != '-') w.erase(0, 1);
  double v = 0;
  const auto r = std::from_chars(w.data(), w.data() + w.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range && r.ptr == w.data() + w.size()) {
    // Out of the double range: the C library's strtod gives the +-inf or +-0
    // that the readers must produce.
    return std::strtod(w.c_str(), nullptr);
  }
  if (r.ec != std::errc() || r.ptr != w.data() + w.size()) return std::nullopt;
  return v;
}

bool HasDigit(const std::string& w) { return w.find_first_of("0123456789") != std::string::npos; }

std::vector<std::string> Words(const std::string& text, bool (*isSep)(unsigned char)) {
  std::vector<std::string> out;
  std::string cur;
  for (unsigned char c : text) {
    if (isSep(c)) {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += static_cast<char>(c);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

bool Whitespace(unsigned char c) { return c <= 0x20; }
bool Blank(unsigned char c) { return c == ' ' || c == '\t'; }

std::optional<int64_t> Integer(const std::string& w) {
  std::string s = w;
  if (s.size() > 1 && s[0] == '+' && s[1] >= '0' && s[1] <= '9') s.erase(0, 1);
  int32_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

// The lines of a text file as the readers see them: "\n" ends a line, one
// "\r" before it is dropped, a last line without "\n" counts.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
    start = end + 1;
  }
  return out;
}

template <class T>
T ToElem(double x) {
  if constexpr (std::is_same_v<T, int32_t>)
    return RoundToInt32(x);
  else
    return x;
}

// --- the stream format ------------------------------------------------------------------

template <class V>
void FuzzStream(int cases) {
  using T = typename V::TElem;
  constexpr bool isInt = std::is_same_v<T, int32_t>;
  constexpr size_t width = isInt ? 4 : 10;
  std::vector<std::string> bases;
  for (int n : {1, 3, 6}) {
    V src(nullptr);
    src.Resize(n);
    src.FillSerial(static_cast<T>(-2), static_cast<T>(3));
    TMemoryStream ms;
    src.SaveToStream(ms, n > 2 ? 2 : 0, n);
    bases.emplace_back(reinterpret_cast<const char*>(ms.GetMemory()),
                       static_cast<size_t>(ms.GetSize()));
  }
  Fuzzer fz(kSeed + width);
  for (int c = 0; c < cases; ++c) {
    const std::string bytes = fz.Case(bases);
    const bool adjust = fz.Next(2) == 0;
    // Decode: the bounds, then the values they announce.
    std::optional<int64_t> low, high;
    auto bound = [&](size_t at) -> std::optional<int64_t> {
      if (bytes.size() < at + width) return std::nullopt;
      const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + at);
      if constexpr (isInt) {
        int32_t v = 0;
        std::memcpy(&v, p, 4);  // this platform is little-endian, as the format
        return v;
      } else {
        const long double x = ExtendedFromBytes(p);
        if (!(std::fabs(x) <= 2147483647.0L)) return std::nullopt;
        return static_cast<int64_t>(std::nearbyint(x));
      }
    };
    low = bound(0);
    high = bound(width);
    bool valid = low && high && *low >= 1 && *low <= *high &&
                 static_cast<uint64_t>(*high - *low + 1) <= (bytes.size() - 2 * width) / width;
    if (valid)
      valid = adjust ? (*high <= 3 || *high <= static_cast<int64_t>(bytes.size())) : *high <= 3;
    std::vector<T> values;
    if (valid)
      for (int64_t k = 0; k < *high - *low + 1; ++k) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + 2 * width +
                                                         static_cast<size_t>(k) * width);
        if constexpr (isInt) {
          int32_t v = 0;
          std::memcpy(&v, p, 4);
          values.push_back(v);
        } else {
          values.push_back(static_cast<double>(ExtendedFromBytes(p)));
        }
      }

    Subject<V> s;
    TMemoryStream ms;
    ms.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    ms.SetPosition(0);
    const bool ok = s.Vec->LoadFromStream(&ms, adjust);
    const std::string what = "stream case " + std::to_string(c);
    ASSERT_EQ(ok, valid) << what << ": " << Escaped(bytes);
    if (ok)
      s.ExpectLoaded(adjust ? *high : 0, *low, values, what);
    else
      s.ExpectUnchanged(what);
  }
}

TEST(VectorFuzz, LoadFromStreamRejectsDamageOrReadsExactly) {
  FuzzStream<TVector>(900);
  FuzzStream<TIntVector>(600);
}

// --- the text format ------------------------------------------------------------------------

template <class V>
void FuzzText(int cases, const TempDir& dir) {
  using T = typename V::TElem;
  std::vector<std::string> bases;
  for (int n : {1, 3, 5}) {
    V src(nullptr);
    src.Resize(n);
    src.FillSerial(static_cast<T>(-1), static_cast<T>(7));
    const std::string f = (dir.Path / "base").string();
    if constexpr (std::is_same_v<T, double>)
      src.StoreOnFile(n > 1 ? 2 : 0, n, n == 3 ? -1 : 3, f);
    else
      src.StoreOnFile(n > 1 ? 2 : 0, n, f);
    std::ifstream in(f, std::ios::binary);
    bases.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  Fuzzer fz(kSeed + 7 + sizeof(T));
  for (int c = 0; c < cases; ++c) {
    const std::string bytes = fz.Case(bases);
    const bool adjust = fz.Next(2) == 0;
    Subject<V> s;
    const bool ok = s.Vec->LoadFromFile(dir.Write(bytes), adjust);
    const std::string what = "text case " + std::to_string(c) + ": " + Escaped(bytes);
    if (!ok) {
      s.ExpectUnchanged(what);
      continue;
    }
    // Success: the header line must hold two integers and the numbers after
    // it must be the values stored.
    const auto lines = Lines(bytes);
    ASSERT_FALSE(lines.empty()) << what;
    const auto head = Words(lines[0], Blank);
    ASSERT_EQ(head.size(), 2u) << what;
    const auto first = Integer(head[0]);
    const auto last = Integer(head[1]);
    ASSERT_TRUE(first && last && *first >= 1 && *first <= *last) << what;
    const size_t nl = bytes.find('\n');
    const std::string body = nl == std::string::npos ? "" : bytes.substr(nl + 1);
    std::vector<T> values;
    for (const auto& w : Words(body, Whitespace)) {
      if (static_cast<int64_t>(values.size()) == *last - *first + 1) break;
      const auto x = Number(w);
      ASSERT_TRUE(x.has_value()) << "a word that is not a number must fail the load: " << what;
      values.push_back(ToElem<T>(*x));
    }
    ASSERT_EQ(static_cast<int64_t>(values.size()), *last - *first + 1) << what;
    ASSERT_LE(*last, std::max<int64_t>(3, static_cast<int64_t>(bytes.size()))) << what;
    s.ExpectLoaded(adjust ? *last : 0, *first, values, what);
  }
}

void FuzzAutoDetect(int cases, const TempDir& dir) {
  const std::vector<std::string> bases{"1.5\n-2\n3e2\n", "title 7\n\n0.25 x\n9\n",
                                       "1 3\n4\n5\n6\n"};
  Fuzzer fz(kSeed + 99);
  for (int c = 0; c < cases; ++c) {
    const std::string bytes = fz.Case(bases);
    const bool adjust = fz.Next(2) == 0;
    Subject<TVector> s;
    const bool ok = s.Vec->LoadFromFile(dir.Write(bytes), adjust, true);
    const std::string what = "auto case " + std::to_string(c) + ": " + Escaped(bytes);
    if (!ok) {
      s.ExpectUnchanged(what);
      continue;
    }
    int64_t digitLines = 0;
    for (const auto& line : Lines(bytes))
      if (line.find_first_of("0123456789") != std::string::npos) ++digitLines;
    const int64_t want = adjust ? digitLines : std::min<int64_t>(digitLines, 3);
    std::vector<double> values;
    for (const auto& w : Words(bytes, Whitespace)) {
      const auto x = Number(w);
      // Labels without digits are skipped; a malformed number fails the load.
      ASSERT_TRUE(x.has_value() || !HasDigit(w)) << what;
      if (x && static_cast<int64_t>(values.size()) < want) values.push_back(*x);
    }
    ASSERT_EQ(static_cast<int64_t>(values.size()), want) << what;
    s.ExpectLoaded(adjust ? digitLines : 0, 1, values, what);
  }
}

TEST(VectorFuzz, LoadFromFileRejectsDamageOrReadsExactly) {
  TempDir dir;
  FuzzText<TVector>(900, dir);
  FuzzText<TIntVector>(400, dir);
  FuzzAutoDetect(500, dir);
}

// --- the ASC format ----------------------------------------------------------------------------

bool IsFalseWord(std::string w) {
  for (char& ch : w) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return w == "FALSE";
}

template <class V>
void FuzzAsc(int cases, const TempDir& dir) {
  using T = typename V::TElem;
  std::vector<std::string> bases;
  for (int n : {1, 4}) {
    V src(nullptr);
    src.Resize(n);
    src.FillSerial(static_cast<T>(5), static_cast<T>(-3));
    const std::string f = (dir.Path / "base.asc").string();
    if constexpr (std::is_same_v<T, double>)
      src.ExportAsASC(f, 2, "fuzz");
    else
      src.ExportAsASC(f, "fuzz");
    std::ifstream in(f, std::ios::binary);
    bases.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bases.push_back("c\n1\n2\nTRUE TRUE TRUE FALSE\n\"v\"\n1 \"a\" 2.5\n2 \"b\" ###\n");
  Fuzzer fz(kSeed + 11 + sizeof(T));
  for (int c = 0; c < cases; ++c) {
    const std::string bytes = fz.Case(bases);
    Subject<V> s;
    std::string comment = "stale";
    const int32_t code = s.Vec->ImportASC(dir.Write(bytes), comment);
    const std::string what = "asc case " + std::to_string(c) + ": " + Escaped(bytes);
    if (code != 0) {
      EXPECT_TRUE(code >= -9 && code <= -1 && code != -8) << what << " code " << code;
      EXPECT_EQ(comment, "") << what;
      s.ExpectUnchanged(what);
      continue;
    }
    const auto lines = Lines(bytes);
    ASSERT_GE(lines.size(), 4u) << what;
    EXPECT_EQ(comment, lines[0]) << what;
    // A count line: blanks, an integer, then blanks or a ';' remark.
    const std::string& rowLine = lines[2];
    const size_t digits = rowLine.find_first_not_of(" \t");
    ASSERT_NE(digits, std::string::npos) << what;
    int32_t rows = 0;
    std::from_chars(rowLine.data() + digits, rowLine.data() + rowLine.size(), rows);
    ASSERT_GE(rows, 1) << what;
    const auto flags = Words(lines[3], [](unsigned char ch) { return Blank(ch) || ch == ';'; });
    ASSERT_GE(flags.size(), 4u) << what;
    if (!(IsFalseWord(flags[0]) && IsFalseWord(flags[1]) && IsFalseWord(flags[2]))) {
      EXPECT_EQ(s.Vec->GetNrOfElem(), rows) << what;  // names and attributes: count only
      continue;
    }
    // The body starts after the fourth line break.
    size_t at = 0;
    for (int k = 0; k < 4; ++k) at = bytes.find('\n', at) + 1;
    std::vector<T> values;
    for (const auto& w : Words(bytes.substr(at), Whitespace)) {
      if (static_cast<int64_t>(values.size()) == rows) break;
      std::optional<double> x = w == "###" ? std::optional<double>(0) : Number(w);
      ASSERT_TRUE(x.has_value()) << what;
      values.push_back(ToElem<T>(std::isnan(*x) ? 0 : *x));
    }
    ASSERT_EQ(static_cast<int64_t>(values.size()), rows) << what;
    s.ExpectLoaded(rows, 1, values, what);
  }
}

TEST(VectorFuzz, ImportASCRejectsDamageOrReadsExactly) {
  TempDir dir;
  FuzzAsc<TVector>(900, dir);
  FuzzAsc<TIntVector>(400, dir);
}

}  // namespace
}  // namespace zel
