#include "core/zel_zelbase.hpp"

#include <algorithm>
#include <utility>

namespace zel {

double ProcStat = 0;
TMathFeedBackProc MathFeedBackProc;
std::atomic<bool> AbortMathProc{false};

void ReportProgress() {
  ProcStat += 1;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

void NormalizeRange(int32_t& Lo, int32_t& Hi, int32_t First, int32_t Last) {
  if (Lo == 0 && Hi == 0) {
    Lo = First;
    Hi = Last;
    return;
  }
  if (Lo > Hi) std::swap(Lo, Hi);
  Lo = std::clamp(Lo, First, Last);
  Hi = std::clamp(Hi, First, Last);
}

}  // namespace zel
