// Data tables: splitting a table into files for training and test runs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

#include "core/zel_filesys.hpp"
#include "core/zel_random.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"
#include "num/datatable/datatable_impl.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zel {

namespace {

// k sizes adding up to n that differ by at most one, the larger first.
std::vector<int32_t> EqualParts(int32_t n, int32_t k) {
  std::vector<int32_t> p(static_cast<size_t>(k), n / k);
  for (int32_t i = 0; i < n % k; ++i) ++p[static_cast<size_t>(i)];
  return p;
}

// The members (1-based, ascending) of each part of the given sizes.
std::vector<std::vector<int32_t>> AssignParts(const std::vector<int32_t>& Sizes, int32_t n,
                                              TDataSelMode Mode) {
  std::vector<std::vector<int32_t>> parts(Sizes.size());
  for (size_t j = 0; j < Sizes.size(); ++j) parts[j].reserve(static_cast<size_t>(Sizes[j]));
  if (Mode == TDataSelMode::selmInterleave) {
    // Each row goes to the part furthest behind its share Sizes[j] * i / n;
    // compared as Sizes[j] * i - n * taken_j to stay exact.
    for (int32_t i = 1; i <= n; ++i) {
      size_t best = 0;
      int64_t bestLag = INT64_MIN;
      for (size_t j = 0; j < Sizes.size(); ++j) {
        if (parts[j].size() >= static_cast<size_t>(Sizes[j])) continue;
        const int64_t lag =
            int64_t{Sizes[j]} * i - int64_t{n} * static_cast<int64_t>(parts[j].size());
        if (lag > bestLag) {
          bestLag = lag;
          best = j;
        }
      }
      parts[best].push_back(i);
    }
    return parts;
  }
  std::vector<int32_t> order(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i + 1;
  if (Mode == TDataSelMode::selmRandSel)
    for (int32_t i = n - 1; i > 0; --i)
      std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(Random(i + 1))]);
  size_t at = 0;
  for (size_t j = 0; j < Sizes.size(); ++j) {
    parts[j].assign(order.begin() + static_cast<ptrdiff_t>(at),
                    order.begin() + static_cast<ptrdiff_t>(at + static_cast<size_t>(Sizes[j])));
    std::sort(parts[j].begin(), parts[j].end());
    at += static_cast<size_t>(Sizes[j]);
  }
  return parts;
}

std::vector<int32_t> Complement(const std::vector<int32_t>& Part, int32_t n) {
  std::vector<int32_t> rest;
  rest.reserve(static_cast<size_t>(n) - Part.size());
  size_t k = 0;
  for (int32_t i = 1; i <= n; ++i) {
    if (k < Part.size() && Part[k] == i) {
      ++k;
      continue;
    }
    rest.push_back(i);
  }
  return rest;
}

bool Exists(const std::string& Path) {
  std::error_code ec;
  const auto st = std::filesystem::symlink_status(Path, ec);
  return !ec && st.type() != std::filesystem::file_type::not_found;
}

// Writes Text into a file that must not exist yet. Sets Clash when it did.
bool WriteNewFile(const std::string& Path, std::string_view Text, bool& Clash) {
  const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    Clash = errno == EEXIST;
    return false;
  }
  bool ok = true;
  for (size_t done = 0; ok && done < Text.size();) {
    const ssize_t w = ::write(fd, Text.data() + done, Text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    ok = w > 0;
    if (ok) done += static_cast<size_t>(w);
  }
  ok = ::close(fd) == 0 && ok;
  if (!ok) ::unlink(Path.c_str());
  return ok;
}

struct TSplitFile {
  std::string Name;
  std::vector<int32_t> Members;
};

}  // namespace

int32_t TDataTable::PrepareSplitCounts(TDataSetSplitMode SplitMode, int32_t SplitSize,
                                       bool CreateAllPairs, TIntArray& DataCnts) const {
  DataCnts.clear();
  const int32_t n = SplitMode == TDataSetSplitMode::splitColumns ? FNrOfCols : FNrOfRows;
  std::vector<int32_t> parts;
  bool pairs = CreateAllPairs;
  switch (SplitMode) {
    case TDataSetSplitMode::splitColumns:
    case TDataSetSplitMode::splitRows:
      if (SplitSize < 2 || SplitSize > n) return kDTSplitBadSize;
      parts = EqualParts(n, SplitSize);
      break;
    case TDataSetSplitMode::splitTstTrn: {
      if (SplitSize < 1 || SplitSize > 99 || n < 2) return kDTSplitBadSize;
      if (!CreateAllPairs) {
        const auto t = static_cast<int32_t>(
            std::clamp<double>(Round(static_cast<double>(n) * SplitSize / 100.0), 1, n - 1));
        parts = {t, n - t};
        pairs = false;
      } else {
        const auto k = static_cast<int32_t>(std::clamp<double>(Round(100.0 / SplitSize), 2, n));
        parts = EqualParts(n, k);
      }
      break;
    }
    default: return kDTSplitBadMode;
  }
  for (const int32_t p : parts) {
    DataCnts.push_back(p);
    if (pairs) DataCnts.push_back(n - p);
  }
  return static_cast<int32_t>(DataCnts.size());
}

int32_t TDataTable::SplitDataSet(TDataSetSplitMode SplitMode, TDataSelMode SelMode,
                                 int32_t SplitSize, bool CreateAllPairs,
                                 const std::string& FNameTemplate, bool AllowOverWrite,
                                 std::vector<std::string>& FileNames) {
  FileNames.clear();
  if (SelMode != TDataSelMode::selmRandSel && SelMode != TDataSelMode::selmBlocked &&
      SelMode != TDataSelMode::selmInterleave)
    return kDTSplitBadMode;
  TIntArray counts;
  const int32_t nfiles = PrepareSplitCounts(SplitMode, SplitSize, CreateAllPairs, counts);
  if (nfiles < 0) return nfiles;
  const std::string base = StripPath(FNameTemplate);
  if (base.empty() || base == "." || base == "..") return kDTSplitBadName;
  const std::string stem = StripExtension(FNameTemplate);
  const std::string ext = FNameTemplate.substr(stem.size());
  const std::string kind = LowerCaseAscii(ext);
  const bool byCols = SplitMode == TDataSetSplitMode::splitColumns;
  const int32_t n = byCols ? FNrOfCols : FNrOfRows;
  const bool single = SplitMode == TDataSetSplitMode::splitTstTrn && !CreateAllPairs;
  const bool pairs = CreateAllPairs;

  std::vector<TSplitFile> files;
  try {
    std::vector<int32_t> sizes;
    for (size_t i = 0; i < counts.size(); i += pairs ? 2 : 1) sizes.push_back(counts[i]);
    const auto members = AssignParts(sizes, n, SelMode);
    const size_t width = std::to_string(members.size()).size();
    const auto number = [&](size_t i) {
      std::string s = std::to_string(i + 1);
      return std::string(width - s.size(), '0') + s;
    };
    for (size_t i = 0; i < members.size(); ++i) {
      if (single) {
        files.push_back({stem + (i == 0 ? "_tst" : "_trn") + ext, members[i]});
      } else if (pairs) {
        files.push_back({stem + "_tst" + number(i) + ext, members[i]});
        files.push_back({stem + "_trn" + number(i) + ext, Complement(members[i], n)});
      } else {
        files.push_back({stem + "_" + number(i) + ext, members[i]});
      }
    }
  } catch (const std::bad_alloc&) {
    return kDTSplitWriteFailed;
  }
  if (!AllowOverWrite)
    for (const TSplitFile& f : files)
      if (Exists(f.Name)) return kDTSplitExists;

  std::vector<std::string> written, temps, texts;
  bool clash = false, ok = true;
  try {
    TIndexMap all(static_cast<size_t>(byCols ? FNrOfRows : FNrOfCols));
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int32_t>(i) + 1;
    for (size_t i = 0; ok && i < files.size(); ++i) {
      TLayout L = TFiles::SubLayout(*this, byCols ? files[i].Members : all,
                                    byCols ? all : files[i].Members);
      TDataTable part(nullptr);
      TFiles::Take(part, L, FComment);
      std::string text;
      if (kind == ".xml")
        text = TFiles::XmlText(part, true, 0, StripExtension(base));
      else if (kind == ".csv")
        text = TFiles::CsvText(part, 0, ',', true, true, true, true);
      else
        text = TFiles::AscText(part, 0, nullptr);
      if (AllowOverWrite) {
        // A temporary name beside the target, renamed over it at the end.
        std::string tmp;
        bool made = false;
        for (int32_t k = 0; k < 100 && !made; ++k) {
          tmp = files[i].Name + ".tmp" + std::to_string(k);
          bool c = false;
          made = WriteNewFile(tmp, text, c);
          if (!made && !c) break;
        }
        ok = made;
        if (made) temps.push_back(tmp);
      } else {
        ok = WriteNewFile(files[i].Name, text, clash);
        if (ok) written.push_back(files[i].Name);
      }
      if (ok && OnExportText) texts.push_back(std::move(text));
    }
    for (size_t i = 0; ok && i < temps.size(); ++i) {
      ok = ::rename(temps[i].c_str(), files[i].Name.c_str()) == 0;
      if (ok) written.push_back(files[i].Name);
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  } catch (const EZELDataTableError&) {
    ok = false;
  }
  if (!ok) {
    for (const std::string& t : temps) ::unlink(t.c_str());
    if (!AllowOverWrite)
      for (const std::string& w : written) ::unlink(w.c_str());
    return clash ? kDTSplitExists : kDTSplitWriteFailed;
  }
  FileNames = written;
  for (const std::string& t : texts) TFiles::Exported(*this, t);
  return kDTSplitOk;
}

}  // namespace zel
