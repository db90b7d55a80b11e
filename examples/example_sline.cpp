// Straight lines: a line through two points, its slope-intercept form and
// direction, the crossing with a perpendicular line, a point's distance,
// and the part of the line inside a drawing window.
#include <cstdio>
#include <memory>
#include <numbers>

#include "num/analysis/zel_sline.hpp"

int main() {
  using namespace zel;
  auto line = std::make_unique<TSLine>(nullptr);
  line->LineFrom2Points(0.0, 1.0, 4.0, 3.0);  // y = x/2 + 1
  double k = 0, d = 0;
  line->CalcKDForm(k, d);
  std::printf("y = %.3f x + %.3f, direction %.3f degrees\n", k, d,
              line->GetDirect() * 180 / std::numbers::pi);

  auto normal = std::make_unique<TSLine>(nullptr);
  normal->NormalLine(2.0, 0.0, line.get());
  double x = 0, y = 0;
  if (line->InterSection(normal.get(), x, y))
    std::printf("foot of the perpendicular from (2, 0): (%.3f, %.3f), angle %.3f rad\n", x, y,
                line->AngleBetweenLines(normal.get()));
  std::printf("signed distance of (2, 0): %.6f\n", line->Distance(2.0, 0.0));

  double x1, y1, x2, y2;
  if (line->ClipBox(-1.0, -1.0, 3.0, 2.0, x1, y1, x2, y2))
    std::printf("inside the window (-1,-1)-(3,2): from (%.3f, %.3f) to (%.3f, %.3f)\n", x1, y1, x2,
                y2);

  // A line through a corner of the window still reports where it leaves.
  line->LineFromSlopeIcpt(2.0, 0.0);
  if (line->ClipBox(0.0, 0.0, 1.0, 1.0, x1, y1, x2, y2))
    std::printf("y = 2x in (0,0)-(1,1): from (%.3f, %.3f) to (%.3f, %.3f)\n", x1, y1, x2, y2);

  try {
    line->SetParB(0.0);
    line->SetParA(0.0);
  } catch (const EZELSLineError& e) {
    std::printf("error: %s\n", e.what());
  }
  return 0;
}
