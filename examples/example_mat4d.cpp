// Four-dimensional matrices in a minute: an image stack of 6 x 4 pixels, 3
// layers (channels) and 5 time slots. Per-pixel mean, standard deviation and
// maximum over all layers and time slots on worker threads, a progress
// hook, resampling by two with averaging, and an aborted reduction.
#include <cstdio>
#include <memory>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace {

void Print(const char* title, const zel::TMatrix& m) {
  std::printf("%s (%d x %d)\n", title, m.GetNrOfColumns(), m.GetNrOfRows());
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) std::printf(" %7.3f", m.GetVal(c, r));
    std::printf("\n");
  }
}

}  // namespace

int main() {
  using namespace zel;

  // Elements are addressed (x, y, layer, time slot) from 1. Pixel x has a
  // mean brightness of 10 x plus noise.
  SetRandSeed(7);
  auto stack = std::make_unique<TMat4D>(nullptr);
  stack->SetName("stack");
  stack->Resize(6, 4, 3, 5);
  for (int32_t t = 1; t <= 5; ++t)
    for (int32_t z = 1; z <= 3; ++z)
      for (int32_t y = 1; y <= 4; ++y)
        for (int32_t x = 1; x <= 6; ++x) stack->SetVal(x, y, z, t, 10.0 * x + RandG(0, 1));
  std::printf("%d x %d pixels, %d layers, %d time slots, %.4f MiB\n", stack->GetNrOfColumns(),
              stack->GetNrOfRows(), stack->GetNrOfLayers(), stack->GetNrOfTimeSlots(),
              stack->MemoryConsumed());

  // Per-pixel reductions over all layers and time slots (0, 0: whole
  // range), on two threads. Events and the progress hook run on this thread.
  auto result = std::make_unique<TMatrix>(nullptr);
  int32_t steps = 0;
  MathFeedBackProc = [&](double) { ++steps; };
  stack->MeanOfLayersToMatrix(result.get(), 0, 0, 0, 0, 0, 0, 0, 0, 2);
  Print("mean over layers and time slots", *result);
  stack->StdDevOfLayersToMatrix(result.get(), 0, 0, 0, 0, 0, 0, 0, 0, 2);
  Print("standard deviation", *result);
  stack->MaximumOfLayersToMatrix(result.get(), 2, 4, 0, 0, 1, 1, 0, 0, 2);
  Print("maximum of layer 1, columns 2..4", *result);
  std::printf("progress hook called %d times\n", steps);

  // An abort requested from the hook: the result matrix stays as it was.
  MathFeedBackProc = [](double) { AbortMathProc = true; };
  const bool done = stack->MeanOfLayersToMatrix(result.get(), 0, 0, 0, 0, 0, 0, 0, 0, 2);
  std::printf("aborted reduction returned %s; result still %d x %d\n", done ? "true" : "false",
              result->GetNrOfColumns(), result->GetNrOfRows());
  AbortMathProc = false;  // the application clears the flag
  MathFeedBackProc = nullptr;

  // Halve the columns and rows, averaging 2 x 2 blocks of each layer.
  stack->Resample(2, 0, 2, 0, 1, 0, 1, 0, true);
  std::printf("resampled: %d x %d pixels, (1, 1, 1, 1) = %.3f\n", stack->GetNrOfColumns(),
              stack->GetNrOfRows(), stack->GetVal(1, 1, 1, 1));

  // Linear addresses of the column x row x layer block, in 64 bits.
  int32_t x = 0, y = 0, z = 0;
  const int32_t addr = stack->Lin3DAddr(2, 1, 3);
  stack->ConvertLinTo3DAddr(addr, x, y, z);
  std::printf("Lin3DAddr(2, 1, 3) = %d -> (%d, %d, %d)\n", addr, x, y, z);
  return 0;
}
