// Compensated (Kahan) summation.
#include <cfloat>

#include "num/math1/zel_math1.hpp"

// The compensation only works when every intermediate is rounded to double.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "TKahanSum needs double intermediates (SSE arithmetic, FLT_EVAL_METHOD == 0)"
#endif

namespace zel {

TKahanSum::TKahanSum(TComponent* AOwner) : TComponent(AOwner) { Reset(); }

void TKahanSum::Reset() {
  Sum = 0;
  cps = 0;
}

void TKahanSum::Add(double ANumber) {
  const double y = ANumber - cps;
  const double t = Sum + y;
  cps = (t - Sum) - y;
  Sum = t;
}

}  // namespace zel
