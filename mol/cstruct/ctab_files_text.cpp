// The clear-text sections ("/CONTAB", "/CTABG") and every structure writer.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/ctab_files_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel::ctabfiles_impl {

namespace {

/// Whitespace-separated tokens across lines, with the line structure kept
/// where the body needs it (the name lines).
class Tokens {
 public:
  explicit Tokens(LineSource& Src) : FSrc(Src) {}

  /// The next token; a status when the input ends or fails.
  int32_t Next(std::string_view& Tok) {
    for (;;) {
      while (FPos < FLine.size() && static_cast<unsigned char>(FLine[FPos]) <= ' ') ++FPos;
      if (FHave && FPos < FLine.size()) break;
      if (const int32_t s = NextLine(); s != kSFOk) return s;
    }
    const size_t start = FPos;
    while (FPos < FLine.size() && static_cast<unsigned char>(FLine[FPos]) > ' ') ++FPos;
    Tok = std::string_view(FLine).substr(start, FPos - start);
    return kSFOk;
  }
  int32_t Int(int64_t Lo, int64_t Hi, int64_t& Value) {
    std::string_view tok;
    if (const int32_t s = Next(tok); s != kSFOk) return s;
    return ParseInt(tok, Value) && Value >= Lo && Value <= Hi ? kSFOk : kSFBadLine;
  }
  int32_t Coord(float& Value) {
    std::string_view tok;
    double v = 0;
    if (const int32_t s = Next(tok); s != kSFOk) return s;
    if (!ParseReal(tok, v) || !std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
      return kSFBadLine;
    Value = static_cast<float>(v);
    return kSFOk;
  }
  /// Reads the next line whole (the rest of the current one is dropped).
  int32_t NextLine() {
    const int r = FSrc.Next(FLine);
    FPos = 0;
    FHave = r > 0;
    if (r < 0) return FSrc.Error();
    return r == 0 ? kSFTruncated : kSFOk;
  }
  /// Finds the first "/word" containing Keyword and stands behind it.
  int32_t Seek(std::string_view Keyword) {
    for (int64_t lines = 0;; ++lines) {
      if (lines >= kMaxSDRecordLines) return kSFRecordTooLong;
      if (const int32_t s = NextLine(); s != kSFOk) return s == kSFTruncated ? kSFNoSection : s;
      size_t p = 0;
      while ((p = FLine.find('/', p)) != std::string::npos) {
        size_t e = p + 1;
        while (e < FLine.size() && static_cast<unsigned char>(FLine[e]) > ' ') ++e;
        const std::string_view word =
            std::string_view(FLine).substr(p + 1, std::min<size_t>(e - p - 1, 8));
        p = e;
        if (word.find(Keyword) != std::string_view::npos) {
          FPos = e;
          return kSFOk;
        }
      }
    }
  }
  /// Drops the rest of the current line.
  void DropLine() { FPos = FLine.size(); }
  /// Starts reading at the source's next line (the body begins there).
  void StartEmpty() {
    FLine.clear();
    FPos = 0;
    FHave = true;
  }
  const std::string& Line() const { return FLine; }

 private:
  LineSource& FSrc;
  std::string FLine;
  size_t FPos = 0;
  bool FHave = false;
};

}  // namespace

int32_t ReadClearText(TCTab& t, LineSource& src, std::string_view Keyword, bool SeekKeyword) {
  Tokens tk(src);
  if (SeekKeyword) {
    if (const int32_t s = tk.Seek(Keyword); s != kSFOk) return s;
  } else {
    tk.StartEmpty();
  }
  const bool ctabg = Keyword == "CTABG";
  int64_t L = 0, n = 0;
  if (const int32_t s =
          tk.Int(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), L);
      s != kSFOk)
    return s;
  if (const int32_t s = tk.Int(0, kMaxCTAtoms, n); s != kSFOk) return s;
  const int64_t nameLines = L - (ctabg ? n : 2 * n);
  if (L <= 0 || nameLines < 0 || nameLines > kMaxClearTextNameLines) return kSFBadLine;

  TCTab scratch(nullptr);
  std::string name;
  tk.DropLine();
  for (int64_t k = 0; k < nameLines; ++k) {
    if (const int32_t s = tk.NextLine(); s != kSFOk) return s;
    if (!tk.Line().empty()) name += RemoveControlChars(std::string_view(tk.Line()).substr(1));
  }
  // The atoms begin on the line after the counts or the last name line.
  tk.DropLine();

  int32_t soft = kSFOk;
  const auto Soft = [&soft](int32_t s) {
    if (soft == kSFOk) soft = s;
  };
  const int32_t atoms = static_cast<int32_t>(n);
  for (int32_t i = 1; i <= atoms; ++i) {
    CTElem rec;
    int64_t index = 0, z = 0, mass = 0, attrib = 0, charge = 0, k = ctabg ? 8 : 0;
    int32_t s = ctabg ? kSFOk
                      : tk.Int(std::numeric_limits<int64_t>::min(),
                               std::numeric_limits<int64_t>::max(), index);
    if (s == kSFOk) s = tk.Int(0, kMaxAtomicNumber, z);
    if (s == kSFOk) s = tk.Int(0, 65535, mass);
    if (s == kSFOk) s = tk.Int(0, 255, attrib);
    if (s == kSFOk) s = tk.Int(-128, 127, charge);
    if (s == kSFOk) s = tk.Coord(rec.coords[0]);
    if (s == kSFOk) s = tk.Coord(rec.coords[1]);
    if (s == kSFOk && !ctabg) s = tk.Coord(rec.coords[2]);
    if (s == kSFOk && !ctabg) s = tk.Int(0, kMaxCTAtoms - 1, k);
    std::array<int64_t, kMaxCTAtoms> nb{}, type{};
    for (int64_t j = 0; j < k && s == kSFOk; ++j) s = tk.Int(0, 255, nb[j]);
    for (int64_t j = 0; j < k && s == kSFOk; ++j) s = tk.Int(0, 255, type[j]);
    if (s != kSFOk) return s;
    rec.atNum = static_cast<uint8_t>(z);
    rec.atWeight = static_cast<uint16_t>(mass);
    rec.attrib = static_cast<uint8_t>(attrib);
    rec.charge = static_cast<int8_t>(charge);
    int used = 0;
    for (int64_t j = 0; j < k; ++j) {
      if (ctabg && nb[j] == 0) continue;  // an empty CTABG slot
      if (used == kMaxCTConn || nb[j] < 1 || nb[j] > atoms || nb[j] == i || type[j] < 1) {
        Soft(kSFBadValue);
        continue;
      }
      rec.connTo[used] = static_cast<uint8_t>(nb[j]);
      rec.typConn[used] = static_cast<uint8_t>(type[j]);
      ++used;
    }
    scratch.AddAtom(rec);
  }
  scratch.SetStrucName(name);
  t.CopyFrom(&scratch);
  return soft;
}

namespace {

/// Bonds as the writers list them: each once, from its lower atom, or from
/// the only atom that records it.
template <class F>
void ForEachBond(const TCTab& t, F&& f) {
  const int32_t n = t.GetNAtoms();
  for (int32_t a = 1; a <= n; ++a)
    for (int32_t k = 1; k <= kMaxCTConn; ++k) {
      const int32_t b = t.GetConnTo(a, k);
      if (b < 1 || b > n || b == a) continue;
      if (a < b || t.CheckConnect(b, a) == 0) f(a, b, t.GetTypConn(a, k));
    }
}

std::string Fixed(double v) {
  std::array<char, 64> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, 4);
  std::string s(buf.data(), r.ptr);
  if (s == "-0.0000") s = "0.0000";
  return s.size() < 10 ? std::string(10 - s.size(), ' ') + s : s;
}

std::string Pad(int64_t v, size_t w) {
  std::string s = std::to_string(v);
  return s.size() < w ? std::string(w - s.size(), ' ') + s : s;
}

std::string HeaderLine(std::string_view Text) { return Utf8Truncate(BlankControls(Text), 80); }

/// Fixed-width text: cut or padded with blanks to W characters.
std::string Column(std::string_view Text, int64_t W) {
  std::string s = Utf8Truncate(BlankControls(Text), W);
  const int64_t len = Utf8CharCount(s);
  if (len < W) s.append(static_cast<size_t>(W - len), ' ');
  return s;
}

}  // namespace

int32_t WriteMDL(const TCTab& t, TextSink& out, bool WithHeader, std::string_view User,
                 std::string_view ProgName, int32_t Regnum, std::string_view Comment) {
  const int32_t n = t.GetNAtoms();
  if (n < 1) return kSFNotWritable;
  bool bad = false;
  ForEachBond(t, [&bad](int32_t, int32_t, int32_t type) { bad = bad || type < 1 || type > 4; });
  std::array<std::array<double, 3>, kMaxCTAtoms> c{};
  bool fits = true;
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t q = t.GetCharge(i), m = t.GetAtWeight(i);
    bad = bad || q < -15 || q > 15 || m > 999;
    for (int d = 0; d < 3; ++d) {
      const double v = t.GetCoords(i, d + 1);
      bad = bad || !std::isfinite(v);
      fits = fits && v > -9999.99995 && v < 99999.99995;
      c[i - 1][d] = v;
    }
  }
  if (bad) return kSFNotWritable;
  if (!fits) {
    // The reader's mapping ignores a shift and a common scale, so the shape
    // survives a move to the origin and a division by a power of ten.
    double top = 0;
    for (int d = 0; d < 3; ++d) {
      double lo = c[0][d];
      for (int32_t i = 1; i < n; ++i) lo = std::min(lo, c[i][d]);
      for (int32_t i = 0; i < n; ++i) {
        c[i][d] -= lo;
        top = std::max(top, c[i][d]);
      }
    }
    double scale = 1;
    while (top / scale >= 99999.99995) scale *= 10;
    for (int32_t i = 0; i < n; ++i)
      for (int d = 0; d < 3; ++d) c[i][d] /= scale;
  }

  std::string text;
  text.reserve(static_cast<size_t>(n) * 140 + 400);
  if (WithHeader) {
    // Room for any int the fields could hold, so the format is never cut;
    // gmtime keeps them in range, giving the 10 characters MMDDYYHHmm.
    std::array<char, 64> date{};
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    std::snprintf(date.data(), date.size(), "%02d%02d%02d%02d%02d", tm.tm_mon + 1, tm.tm_mday,
                  (tm.tm_year % 100 + 100) % 100, tm.tm_hour, tm.tm_min);
    text += HeaderLine(t.GetStrucName()) + "\n";
    std::string l2 = Column(User, 2) + Column(ProgName, 8) + date.data() + "2D";
    if (Regnum >= 0 && Regnum <= 999999) l2 += std::string(24, ' ') + Pad(Regnum, 6);
    text += l2 + "\n" + HeaderLine(Comment) + "\n";
  }
  int32_t nBonds = 0;
  ForEachBond(t, [&nBonds](int32_t, int32_t, int32_t) { ++nBonds; });
  text += Pad(n, 3) + Pad(nBonds, 3) + "  0  0  0  0  0  0  0  0999 V2000\n";
  std::array<int32_t, kMaxCTAtoms> chg{}, iso{};
  int32_t nChg = 0, nIso = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t z = t.GetAtNum(i), q = t.GetCharge(i), m = t.GetAtWeight(i);
    const std::string sym = z == 0 ? "*" : CElemSymb(z);
    const int32_t code = (q >= -3 && q <= 3 && q != 0) ? 4 - q : 0;
    text += Fixed(c[i - 1][0]) + Fixed(c[i - 1][1]) + Fixed(c[i - 1][2]) + " " + sym +
            std::string(3 - sym.size(), ' ') + " 0" + Pad(code, 3) +
            "  0  0  0  0  0  0  0  0  0  0\n";
    if (q != 0) chg[nChg++] = i;
    if (m != 0 && m != IntAtWeight(z)) iso[nIso++] = i;
  }
  ForEachBond(t, [&text](int32_t a, int32_t b, int32_t type) {
    text += Pad(a, 3) + Pad(b, 3) + Pad(type, 3) + "  0  0  0  0\n";
  });
  const auto props = [&](const char* tag, const std::array<int32_t, kMaxCTAtoms>& list,
                         int32_t count, auto value) {
    for (int32_t k = 0; k < count; k += 8) {
      const int32_t m = std::min(8, count - k);
      text += std::string("M  ") + tag + Pad(m, 3);
      for (int32_t j = k; j < k + m; ++j)
        text += " " + Pad(list[j], 3) + " " + Pad(value(list[j]), 3);
      text += "\n";
    }
  };
  props("CHG", chg, nChg, [&t](int32_t i) { return t.GetCharge(i); });
  props("ISO", iso, nIso, [&t](int32_t i) { return t.GetAtWeight(i); });
  text += "M  END\n";
  return out.Put(text) ? kSFOk : kSFWriteError;
}

int32_t WriteClearText(const TCTab& t, TextSink& out) {
  const int32_t n = t.GetNAtoms();
  std::string text = "/CONTAB\n";
  const std::string name = BlankControls(t.GetStrucName());
  // Always one name line, so that L stays above 0 for an empty table.
  text += std::to_string(1 + 2 * n) + " " + std::to_string(n) + "\n";
  text += " " + name + "\n";
  for (int32_t i = 1; i <= n; ++i) {
    text += std::to_string(i) + " " + std::to_string(t.GetAtNum(i)) + " " +
            std::to_string(t.GetAtWeight(i)) + " " + std::to_string(t.GetAttrib(i)) + " " +
            std::to_string(t.GetCharge(i));
    for (int d = 1; d <= 3; ++d) {
      const auto v = static_cast<float>(t.GetCoords(i, d));
      if (!std::isfinite(v)) return kSFNotWritable;
      std::array<char, 32> buf{};
      const auto r =
          std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general, 9);
      text += " " + std::string(buf.data(), r.ptr);
    }
    std::string nbs, types;
    int32_t k = 0;
    for (int32_t s = 1; s <= kMaxCTConn; ++s) {
      const int32_t b = t.GetConnTo(i, s);
      if (b == 0) continue;
      ++k;
      nbs += " " + std::to_string(b);
      types += " " + std::to_string(t.GetTypConn(i, s));
    }
    text += "\n" + std::to_string(k) + nbs + types + "\n";
  }
  return out.Put(text) ? kSFOk : kSFWriteError;
}

int32_t WriteMolConnX(const TCTab& t, int32_t Id, TextSink& out) {
  const int32_t n = t.GetNAtoms();
  int32_t nBonds = 0;
  ForEachBond(t, [&nBonds](int32_t, int32_t, int32_t) { ++nBonds; });
  std::string text = "ID " + std::to_string(Id) + " " + BlankControls(t.GetStrucName()) + "\n" +
                     std::to_string(n) + " " + std::to_string(nBonds) + "\n";
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t z = t.GetAtNum(i);
    text += std::to_string(i) + " " + (z == 0 ? std::string("*") : CElemSymb(z)) + " " +
            std::to_string(t.NrHAtoms(i)) + " " + std::to_string(t.GetCharge(i)) + "\n";
  }
  ForEachBond(t, [&text](int32_t a, int32_t b, int32_t type) {
    text += std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(type) + "\n";
  });
  return out.Put(text) ? kSFOk : kSFWriteError;
}

}  // namespace zel::ctabfiles_impl
