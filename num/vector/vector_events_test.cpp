// Handlers that resize a vector while an operation fires events inside its
// loop (the test program runs under AddressSanitizer, which would report
// the freed storage such an operation used to keep working on).
#include <gtest/gtest.h>

#include <cstdint>

#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

TEST(VectorEventResize, SortStopsWhenTheExchangeHandlerResizes) {
  for (const int32_t newSize : {1, 5000}) {
    SCOPED_TRACE(newSize);
    TVector v(nullptr);
    v.Resize(200);
    for (int32_t i = 1; i <= 200; ++i) v.SetVal(i, 200.0 - i);
    int exchanges = 0;
    int changes = 0;
    v.OnChange = [&](TObject*) { ++changes; };
    v.OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
      if (++exchanges == 3) v.Resize(newSize);
    };
    changes = 0;
    v.SortElems(true, 0, 0);
    EXPECT_EQ(exchanges, 3);
    EXPECT_EQ(changes, 1);  // the resize's own; none for the abandoned sort
    EXPECT_EQ(v.GetNrOfElem(), newSize);
  }
  // A handler that only watches sees the whole sort.
  TIntVector w(nullptr);
  w.Resize(50);
  for (int32_t i = 1; i <= 50; ++i) w.SetVal(i, 50 - i);
  int exchanges = 0;
  w.OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) { ++exchanges; };
  w.SortElems(true, 0, 0);
  EXPECT_GT(exchanges, 25);
  for (int32_t i = 1; i <= 50; ++i) EXPECT_EQ(w.GetVal(i), i - 1);
}

}  // namespace
}  // namespace zel
