// Shared helpers of the geographic database tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "map/geodb/zel_geodb.hpp"

namespace zel::geodbtest {

/// A fresh directory, removed with its content at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelgeodb_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    Path = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& Name) const { return Path + "/" + Name; }
  std::string Path;
};

inline std::vector<uint8_t> ReadBytes(const std::string& Name) {
  std::ifstream f(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& Name, const std::vector<uint8_t>& B) {
  std::ofstream f(Name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
}

/// The message of the EZELGeoDBError F throws, or "no exception".
inline std::string Message(const std::function<void()>& F) {
  try {
    F();
  } catch (const EZELGeoDBError& e) {
    return e.what();
  }
  return "no exception";
}

inline const char* const kExts[7] = {".zelgdd", ".zelgds", ".zelgi0", ".zelgi1",
                                     ".zelgi2", ".zelgi3", ".zelgi4"};

inline int32_t AddTown(TGeoDB& Db, std::string Name, float Lat, float Long, int32_t Tag = 0) {
  return Db.AddData(Name, {}, false, TgdbItem::gitTown, 0, 45000.0, 0, Lat, Lat, Long, Long, 0, Tag,
                    TMetaInfo{}, nullptr, 0, false);
}

inline int32_t AddPolygon(TGeoDB& Db, std::string Name, const TgdbPolygon& P,
                          TgdbItem Kind = TgdbItem::gitRiver) {
  return Db.AddData(Name, P, false, Kind, 0, 45000.0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0,
                    false);
}

inline int32_t AddBlob(TGeoDB& Db, std::string Name, const std::vector<uint8_t>& Data,
                       const TMetaInfo& M = {}) {
  return Db.AddData(Name, {}, false, TgdbItem::gitBLOB, 0, 45000.0, 0, 1, 2, 3, 4, 0, 0, M,
                    Data.data(), static_cast<int32_t>(Data.size()), false);
}

/// Every index has one record per entry, names each entry once, carries its
/// key bit for bit and is sorted (NaN keys aside).
inline void ExpectIndexesConsistent(const TGeoDB& Db) {
  const auto& sum = Db.SumData();
  const auto check = [&](const auto& Ix, auto Key) {
    ASSERT_EQ(Ix.size(), sum.size());
    std::vector<int> seen(sum.size(), 0);
    for (size_t i = 0; i < Ix.size(); ++i) {
      const auto [key, index] = Key(Ix[i]);
      ASSERT_TRUE(index >= 0 && static_cast<size_t>(index) < sum.size()) << index;
      ++seen[static_cast<size_t>(index)];
      const auto want = Key(sum[static_cast<size_t>(index)]).first;
      EXPECT_EQ(std::bit_cast<uint32_t>(key), std::bit_cast<uint32_t>(want));
      const auto prev = i > 0 ? Key(Ix[i - 1]).first : key;
      if constexpr (std::is_same_v<decltype(key), const float>)
        EXPECT_FALSE(TGeoDB::LLKeyBelow(key, prev)) << i;
      else
        EXPECT_FALSE(key < prev) << i;
    }
    for (int v : seen) EXPECT_EQ(v, 1);
  };
  struct IdKey {
    std::pair<int32_t, int32_t> operator()(const TIxItemIDRec& r) const {
      return {r.ItemID, r.index};
    }
    std::pair<int32_t, int32_t> operator()(const TgdbData& d) const { return {d.ItemId, 0}; }
  };
  check(Db.ItemIDIndex(), IdKey{});
  for (int32_t k = 1; k <= 4; ++k) {
    const auto key = [k](const auto& r) -> std::pair<float, int32_t> {
      if constexpr (std::is_same_v<std::decay_t<decltype(r)>, TIxLLRec>) {
        return {r.LLValue, r.index};
      } else {
        return {k == 1 ? r.LatLow : k == 2 ? r.LatHigh : k == 3 ? r.LongLow : r.LongHigh, 0};
      }
    };
    check(Db.LLIndex(k), key);
  }
}

}  // namespace zel::geodbtest
