#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "core/zel_filesys.hpp"

namespace zel {
namespace {

TEST(AscHeaderStatusText, EveryCodeHasItsOwnSentence) {
  const std::string fallback = AscHeaderStatusText(-5);
  std::set<std::string> seen;
  for (int32_t code : {kAscOk, kAscCannotRead, kAscBadColumnCount, kAscBadRowCount, kAscBadFlags}) {
    const std::string s = AscHeaderStatusText(code);
    EXPECT_FALSE(s.empty()) << code;
    EXPECT_NE(s, fallback) << code;
    EXPECT_TRUE(seen.insert(s).second) << code;
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(AscHeaderStatusText(1), fallback);
}

}  // namespace
}  // namespace zel
