#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

// Every cell's value and state encode where it came from, so that each
// structural operation can be checked to move values and states together.
double Tag(int32_t c, int32_t r) { return 1000.0 * c + r; }
uint8_t StateTag(int32_t c, int32_t r) { return static_cast<uint8_t>((7 * c + 3 * r) & 0xFC); }

// Long random sequences of structure edits, sorts and removals (fixed seed)
// under the sanitizers: after every step the matrix has the table's size,
// and every cell still carries the state that belongs to its value.
TEST(DataTableRandomOps, ValuesAndStatesStayTogetherThroughEverything) {
  std::mt19937 rng(20261208);
  auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  };
  TDataTable t(nullptr);
  t.Resize(4, 6);
  int32_t next = 1;  // values carry a serial number in their low digits
  auto fill = [&] {
    for (int32_t c = 1; c <= t.GetNrOfColumns(); ++c)
      for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) {
        t.SetElem(c, r, Tag(c, next++ % 997));
        t.SetCellState(c, r, StateTag(c, static_cast<int32_t>(t.GetElem(c, r)) % 1000));
      }
  };
  fill();
  for (int step = 0; step < 3000; ++step) {
    const int32_t nc = t.GetNrOfColumns(), nr = t.GetNrOfRows();
    switch (pick(0, 13)) {
      case 0:
        t.Resize(pick(1, 8), pick(1, 9));
        fill();
        break;
      case 1:
        t.InsertRow(pick(0, nr + 2));
        fill();
        break;
      case 2:
        t.InsertColumn(pick(0, nc + 2));
        fill();
        break;
      case 3: t.RemoveRow(pick(0, nr + 1)); break;
      case 4: t.RemoveColumn(pick(0, nc + 1)); break;
      case 5: t.RemoveRows(pick(0, nr + 1), pick(0, nr + 1)); break;
      case 6:
        t.RemoveMarkedRows(pick(0, nr), pick(0, nr), static_cast<uint8_t>(pick(0, 255)));
        break;
      case 7:
        t.RemoveUnmarkedColumns(pick(0, nc), pick(0, nc), static_cast<uint8_t>(pick(0, 255)));
        break;
      case 8: t.ExchangeRows(pick(0, nr + 1), pick(0, nr + 1)); break;
      case 9: t.ExchangeColumns(pick(0, nc + 1), pick(0, nc + 1)); break;
      case 10:
        t.SortRows(pick(1, nc), pick(0, 1) == 1, pick(0, nc), pick(0, nr), pick(0, nc), pick(0, nr),
                   pick(0, 1) == 1);
        break;
      case 11:
        t.SortCols(pick(1, nr), pick(0, 1) == 1, pick(0, nc), pick(0, nr), pick(0, nc), pick(0, nr),
                   pick(0, 1) == 1);
        break;
      case 12: pick(0, 1) ? t.MirrorRows() : t.MirrorColumns(); break;
      case 13:
        t.SortRowAttributes(pick(0, 1) == 1, pick(0, nc), pick(0, nr), pick(0, nc), pick(0, nr));
        break;
    }
    ASSERT_GE(t.GetNrOfColumns(), 1);
    ASSERT_GE(t.GetNrOfRows(), 1);
    ASSERT_EQ(t.GetNumericData()->GetNrOfColumns(), t.GetNrOfColumns()) << step;
    ASSERT_EQ(t.GetNumericData()->GetNrOfRows(), t.GetNrOfRows()) << step;
    for (int32_t c = 1; c <= t.GetNrOfColumns(); ++c)
      for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) {
        const double v = t.GetElem(c, r);
        if (v == 0) {
          ASSERT_EQ(t.GetCellState(c, r), 0) << step;  // a new cell
          continue;
        }
        const auto origCol = static_cast<int32_t>(v / 1000);
        const auto serial = static_cast<int32_t>(v) % 1000;
        ASSERT_EQ(t.GetCellState(c, r), StateTag(origCol, serial)) << "step " << step;
      }
  }
}

}  // namespace
}  // namespace zel
