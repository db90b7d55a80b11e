#include <gtest/gtest.h>

#include <string>

#include "core/zel_version.hpp"

namespace {

// The build passes the CMake project's version to the tests, so a header
// generated from the wrong fields or a stale library shows up here.
TEST(Version, HeaderAndLibraryAgreeWithTheProject) {
  const std::string assembled = std::to_string(ZEL_VERSION_MAJOR) + "." +
                                std::to_string(ZEL_VERSION_MINOR) + "." +
                                std::to_string(ZEL_VERSION_PATCH);
  EXPECT_EQ(assembled, ZEL_TEST_PROJECT_VERSION);
  EXPECT_EQ(std::string(ZEL_VERSION_STRING), ZEL_TEST_PROJECT_VERSION);
  ASSERT_NE(zel::VersionString(), nullptr);
  EXPECT_EQ(std::string(zel::VersionString()), ZEL_VERSION_STRING);
}

TEST(Version, AtLeastOrdersMajorThenMinorThenPatch) {
  constexpr int ma = ZEL_VERSION_MAJOR, mi = ZEL_VERSION_MINOR, pa = ZEL_VERSION_PATCH;
  EXPECT_TRUE(ZEL_VERSION_AT_LEAST(ma, mi, pa));
  EXPECT_TRUE(ZEL_VERSION_AT_LEAST(ma - 1, mi + 5, pa + 5));
  EXPECT_TRUE(ZEL_VERSION_AT_LEAST(ma, mi - 1, pa + 5));
  EXPECT_TRUE(ZEL_VERSION_AT_LEAST(ma, mi, pa - 1));
  EXPECT_FALSE(ZEL_VERSION_AT_LEAST(ma, mi, pa + 1));
  EXPECT_FALSE(ZEL_VERSION_AT_LEAST(ma, mi + 1, 0));
  EXPECT_FALSE(ZEL_VERSION_AT_LEAST(ma + 1, 0, 0));
  // Usable where it matters most: in a preprocessor condition.
#if ZEL_VERSION_AT_LEAST(ZEL_VERSION_MAJOR + 1, 0, 0)
  ADD_FAILURE() << "a later major version compares as reached";
#endif
}

}  // namespace
