#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "core/zel_filesys.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

TEST(VectorStatusText, ImportCodesKeepTheirValuesAndHaveOwnSentences) {
  const int32_t codes[] = {kAscOk,          kAscCannotRead,      kAscBadColumnCount,
                           kAscBadRowCount, kAscBadFlags,        kVecAscBadRowAttribute,
                           kVecAscBadValue, kVecAscNotOneColumn, kVecAscNoFile,
                           kVecAscNoRows};
  const std::string fallback = VectorImportStatusText(-10);
  std::set<std::string> seen;
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(codes[i], -i);
    const std::string s = VectorImportStatusText(codes[i]);
    EXPECT_FALSE(s.empty()) << codes[i];
    EXPECT_NE(s, fallback) << codes[i];
    EXPECT_TRUE(seen.insert(s).second) << codes[i] << ": " << s;
  }
  // The header's failures read the same whoever reports them.
  EXPECT_EQ(std::string(VectorImportStatusText(kAscBadFlags)), AscHeaderStatusText(kAscBadFlags));
}

TEST(VectorStatusText, CopyCodesKeepTheirValuesAndHaveOwnSentences) {
  const int32_t codes[] = {kVecCopyOk, kVecCopyNoSource, kVecCopyBadBound, kVecCopyBadDest};
  const std::string fallback = VectorCopyStatusText(-4);
  std::set<std::string> seen;
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(codes[i], -i);
    const std::string s = VectorCopyStatusText(codes[i]);
    EXPECT_FALSE(s.empty()) << codes[i];
    EXPECT_NE(s, fallback) << codes[i];
    EXPECT_TRUE(seen.insert(s).second) << codes[i] << ": " << s;
  }
}

}  // namespace
}  // namespace zel
