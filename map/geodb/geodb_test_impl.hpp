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
#include <iterator>
#include <string>
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
/// key and is sorted (NaN-free keys).
inline void ExpectIndexesConsistent(const TGeoDB& Db) {
  const auto& sum = Db.SumData();
  const size_t n = sum.size();
  const auto& ix0 = Db.ItemIDIndex();
  ASSERT_EQ(ix0.size(), n);
  std::vector<int> seen(n, 0);
  for (size_t i = 0; i < n; ++i) {
    ASSERT_GE(ix0[i].index, 0);
    ASSERT_LT(static_cast<size_t>(ix0[i].index), n);
    ++seen[static_cast<size_t>(ix0[i].index)];
    EXPECT_EQ(ix0[i].ItemID, sum[static_cast<size_t>(ix0[i].index)].ItemId);
    if (i > 0) {
      EXPECT_LE(ix0[i - 1].ItemID, ix0[i].ItemID);
    }
  }
  for (int v : seen) EXPECT_EQ(v, 1);
  for (int32_t k = 1; k <= 4; ++k) {
    const auto& ix = Db.LLIndex(k);
    ASSERT_EQ(ix.size(), n);
    std::vector<int> s2(n, 0);
    for (size_t i = 0; i < n; ++i) {
      ASSERT_GE(ix[i].index, 0);
      ASSERT_LT(static_cast<size_t>(ix[i].index), n);
      ++s2[static_cast<size_t>(ix[i].index)];
      const TgdbData& d = sum[static_cast<size_t>(ix[i].index)];
      const float key = k == 1 ? d.LatLow : k == 2 ? d.LatHigh : k == 3 ? d.LongLow : d.LongHigh;
      EXPECT_EQ(std::bit_cast<uint32_t>(ix[i].LLValue), std::bit_cast<uint32_t>(key));
      if (i > 0 && !std::isnan(ix[i].LLValue) && !std::isnan(ix[i - 1].LLValue)) {
        EXPECT_LE(ix[i - 1].LLValue, ix[i].LLValue);
      }
    }
    for (int v : s2) EXPECT_EQ(v, 1);
  }
}

}  // namespace zel::geodbtest
