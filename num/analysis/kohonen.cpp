// TKohonen: sizes, data, weights, training and application.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/zel_random.hpp"
#include "core/zel_system.hpp"
#include "num/analysis/zel_kohonen.hpp"

namespace zel {

const char* KohonenStatusText(int32_t status) {
  switch (status) {
    case kKohOk: return "the training is complete";
    case kKohAborted: return "the training was aborted";
    case kKohNonFinite: return "the training data, weights or rate are not finite";
    case kKohChanged: return "an event handler changed the map during training";
    case kKohBusy: return "the map is already training";
    default: return "unknown Kohonen map status";
  }
}

TKohonen::TKohonen(TComponent* AOwner) : TComponent(AOwner) {
  FKohMat = new TMat3D(this);
  FDataMat = new TMatrix(this);
  FMeanVec = new TVector(this);
  FStdDevVec = new TVector(this);
  ResetScaling();
  SetWeigtsToRandom();
}

TKohonen::~TKohonen() = default;

void TKohonen::RecreateWeights() {
  FKohMat->ResizeAndClear(FSizeX, FSizeY, FNrInSens);
  ++FGeneration;
}

void TKohonen::ResetScaling() {
  FMeanVec->Resize(FNrInSens);
  FMeanVec->Fill(0.0);
  FStdDevVec->Resize(FNrInSens);
  FStdDevVec->Fill(1.0);
}

void TKohonen::SetSizeX(int32_t Value) {
  if (Value <= 0) return;
  FSizeX = Value;
  RecreateWeights();
}

void TKohonen::SetSizeY(int32_t Value) {
  if (Value <= 0) return;
  FSizeY = Value;
  RecreateWeights();
}

void TKohonen::SetNumInsens(int32_t n) {
  if (n <= 0) return;
  FNrInSens = n;
  RecreateWeights();
  FDataMat->ResizeAndClear(FNrInSens, FNrTrnObj);
  ResetScaling();
}

void TKohonen::SetNrOfTrnSteps(int32_t Value) { FMaxSteps = std::max(Value, 1); }

void TKohonen::SetInitialAlpha(double Value) {
  if (std::isfinite(Value)) FMaxAlpha = Value;
}

void TKohonen::SetDataMat(const TMatrix* Value) {
  if (Value == nullptr || Value == FDataMat) return;
  FDataMat->Clone(Value);
  FNrInSens = FDataMat->GetNrOfColumns();
  FNrTrnObj = FDataMat->GetNrOfRows();
  RecreateWeights();
  ResetScaling();
}

void TKohonen::StandardizeData() {
  const int32_t rows = FDataMat->GetNrOfRows();
  FDataMat->StandardizeColumns(FMeanVec, FStdDevVec);
  for (int32_t c = 1; c <= FNrInSens; ++c) {
    // A constant column is left raw by the matrix; centre it so that
    // training and ApplyIt see the same (zero) values.
    if (FStdDevVec->GetVal(c) != 0.0) continue;
    const double mean = FMeanVec->GetVal(c);
    for (int32_t r = 1; r <= rows; ++r)
      FDataMat->SetVal(c, r, FDataMat->GetVal(c, r) - mean);
  }
  ++FGeneration;
}

double TKohonen::GetWeight(int32_t ix, int32_t iy, int32_t wi) const {
  if (ix < 1 || ix > FSizeX || iy < 1 || iy > FSizeY || wi < 1 || wi > FNrInSens) return 0.0;
  return FKohMat->GetVal(ix, iy, wi) * FStdDevVec->GetVal(wi) + FMeanVec->GetVal(wi);
}

void TKohonen::SetWeigtsToRandom() {
  for (int32_t ix = 1; ix <= FSizeX; ++ix)
    for (int32_t iy = 1; iy <= FSizeY; ++iy)
      for (int32_t wi = 1; wi <= FNrInSens; ++wi)
        FKohMat->SetVal(ix, iy, wi, (Random() - 0.5) * 0.2);
  ++FGeneration;
}

int32_t TKohonen::Trainit() {
  if (FTraining) return kKohBusy;
  FCurStep = 1;
  SetWeigtsToRandom();
  return ContinueTraining();
}

namespace {

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// The neighbourhood along one axis: the grid indices (1-based) around the
// winner b, clipped or wrapped.
void AxisRange(int32_t b, int32_t R, int32_t Size, bool Cyclic, std::vector<int32_t>& Out) {
  Out.clear();
  if (Cyclic) {
    if (R >= Size / 2) R = std::max(Size / 2 - 1, 0);
    for (int32_t i = -R; i <= R; ++i) {
      int32_t k = b + i;
      if (k < 1) k += Size;
      if (k > Size) k -= Size;
      Out.push_back(k);
    }
  } else {
    const int64_t lo = std::max<int64_t>(1, int64_t{b} - R);
    const int64_t hi = std::min<int64_t>(Size, int64_t{b} + R);
    for (int64_t k = lo; k <= hi; ++k) Out.push_back(static_cast<int32_t>(k));
  }
}

// Squared distances of values below 2^480 cannot overflow a double, and
// with the largest value at least 2^-400 what underflows lies below the
// rounding of that value; outside that range the sums need long double.
bool SumsFitDouble(const std::vector<double>& x, const std::vector<double>& w) {
  double big = 0;
  for (const double v : x) big = std::max(big, std::abs(v));
  for (const double v : w) big = std::max(big, std::abs(v));
  return big <= 0x1p480 && (big >= 0x1p-400 || big == 0);
}

// The first neuron of the smallest squared distance to x (Best receives it).
// Kept out of line: inlined, the running minimum went through memory on
// every neuron, which cost more than half the speed.
template <class Acc>
[[gnu::noinline]] size_t Winner(const double* x, const double* w, size_t Neurons, size_t m,
                                Acc& Best) {
  Acc best = std::numeric_limits<Acc>::infinity();
  size_t bi = 0;
  for (size_t n = 0; n < Neurons; ++n, w += m) {
    Acc f = 0;
    for (size_t k = 0; k < m; ++k) {
      const Acc e = static_cast<Acc>(x[k]) - w[k];
      f += e * e;
    }
    if (f < best) {
      best = f;
      bi = n;
    }
  }
  Best = best;
  return bi;
}

// One pass over the training rows x (m values each) moving the weights w
// (neuron (ix, iy) at ((ix - 1) SizeY + iy - 1) m), distances summed in Acc.
template <class Acc>
void TrainPass(const std::vector<double>& x, std::vector<double>& w, size_t m, int32_t SizeX,
               int32_t SizeY, bool Cyclic, int32_t Radius, long double Alpha,
               std::vector<int32_t>& xs, std::vector<int32_t>& ys) {
  const size_t ny = static_cast<size_t>(SizeY), neurons = static_cast<size_t>(SizeX) * ny;
  const Acc alpha = static_cast<Acc>(Alpha);
  const auto dist = [m](const double* a, const double* b) {
    Acc f = 0;
    for (size_t k = 0; k < m; ++k) {
      const Acc e = static_cast<Acc>(a[k]) - b[k];
      f += e * e;
    }
    return f;
  };
  for (size_t row = 0; row < x.size() / m; ++row) {
    const double* xr = &x[row * m];
    Acc best = 0;
    const size_t bi = Winner<Acc>(xr, w.data(), neurons, m, best);
    AxisRange(static_cast<int32_t>(bi / ny) + 1, Radius, SizeX, Cyclic, xs);
    AxisRange(static_cast<int32_t>(bi % ny) + 1, Radius, SizeY, Cyclic, ys);
    for (const int32_t ix : xs)
      for (const int32_t iy : ys) {
        double* wn = &w[((static_cast<size_t>(ix) - 1) * ny + static_cast<size_t>(iy) - 1) * m];
        // d >= best holds exactly: best is the minimum of the same sums.
        const Acc fac = alpha / (std::sqrt(dist(xr, wn) - best) + 1);
        for (size_t k = 0; k < m; ++k)
          wn[k] = static_cast<double>(wn[k] + (static_cast<Acc>(xr[k]) - wn[k]) * fac);
      }
  }
}

}  // namespace

int32_t TKohonen::ContinueTraining() {
  if (FTraining) return kKohBusy;
  FAbort.store(false);
  const size_t nx = static_cast<size_t>(FSizeX), ny = static_cast<size_t>(FSizeY);
  const size_t m = static_cast<size_t>(FNrInSens), rows = static_cast<size_t>(FNrTrnObj);
  // Working copies: neuron (ix, iy) at (ix - 1) * ny + iy - 1, its weights
  // contiguous; the training rows one after the other.
  std::vector<double> w(nx * ny * m), x(rows * m);
  for (size_t ix = 0; ix < nx; ++ix)
    for (size_t iy = 0; iy < ny; ++iy)
      for (size_t k = 0; k < m; ++k)
        w[(ix * ny + iy) * m + k] =
            FKohMat->GetVal(static_cast<int32_t>(ix + 1), static_cast<int32_t>(iy + 1),
                            static_cast<int32_t>(k + 1));
  for (size_t r = 0; r < rows; ++r)
    for (size_t k = 0; k < m; ++k)
      x[r * m + k] = FDataMat->GetVal(static_cast<int32_t>(k + 1), static_cast<int32_t>(r + 1));
  if (!AllFinite(w) || !AllFinite(x) || !std::isfinite(FMaxAlpha)) {
    FAbort.store(false);
    return kKohNonFinite;
  }

  FTraining = true;
  const uint64_t generation = FGeneration;
  int32_t result = kKohOk;
  std::vector<int32_t> xs, ys;
  int64_t s = FCurStep;
  for (;;) {
    // Read every step: a handler may change the parameters between steps.
    const long double maxSteps = FMaxSteps;
    long double r = (maxSteps - static_cast<long double>(s)) / maxSteps;
    r = std::clamp(r, 0.0L, 1.0L);
    const int32_t radius =
        std::max(RoundToInt32(r * r * (static_cast<long double>(FMaxNeighb) - 1) + 1), 0);
    const long double alpha = r * r * FMaxAlpha;
    FCurNeighb = radius;
    FCurAlpha = static_cast<double>(alpha);
    if (SumsFitDouble(x, w))
      TrainPass<double>(x, w, m, FSizeX, FSizeY, FCyclic, radius, alpha, xs, ys);
    else
      TrainPass<long double>(x, w, m, FSizeX, FSizeY, FCyclic, radius, alpha, xs, ys);
    for (size_t ix = 0; ix < nx; ++ix)
      for (size_t iy = 0; iy < ny; ++iy)
        for (size_t k = 0; k < m; ++k)
          FKohMat->SetVal(static_cast<int32_t>(ix + 1), static_cast<int32_t>(iy + 1),
                          static_cast<int32_t>(k + 1), w[(ix * ny + iy) * m + k]);
    FCurStep = static_cast<int32_t>(std::min<int64_t>(s + 1, INT32_MAX));
    if (!AllFinite(w)) {
      result = kKohNonFinite;
      break;
    }
    if (OnFeedback) {
      const int32_t pct =
          std::clamp(RoundToInt32(100.0L * static_cast<long double>(s) / maxSteps), 0, 100);
      OnFeedback(this, pct);
      if (FGeneration != generation || FKohMat->GetNrOfColumns() != FSizeX ||
          FKohMat->GetNrOfRows() != FSizeY || FKohMat->GetNrOfLayers() != FNrInSens) {
        result = kKohChanged;
        break;
      }
    }
    ++s;
    if (FAbort.load()) {
      result = kKohAborted;
      break;
    }
    if (s >= FMaxSteps) break;
  }
  FTraining = false;
  FAbort.store(false);
  return result;
}

void TKohonen::ApplyIt(const TVector* InData, int32_t& BestIx, int32_t& BestIy,
                       double& Distance) const {
  if (InData == nullptr || InData->GetNrOfElem() != FNrInSens) {
    Distance = -1;
    return;
  }
  std::vector<double> z(static_cast<size_t>(FNrInSens));
  for (int32_t k = 1; k <= FNrInSens; ++k) {
    const double sd = FStdDevVec->GetVal(k);
    double v = InData->GetVal(k) - FMeanVec->GetVal(k);
    if (sd != 0.0) v /= sd;
    if (!std::isfinite(v)) {
      Distance = std::numeric_limits<double>::quiet_NaN();
      return;
    }
    z[static_cast<size_t>(k - 1)] = v;
  }
  long double best = std::numeric_limits<long double>::infinity();
  for (int32_t ix = 1; ix <= FSizeX; ++ix)
    for (int32_t iy = 1; iy <= FSizeY; ++iy) {
      long double f = 0;
      for (int32_t k = 1; k <= FNrInSens; ++k) {
        const long double e =
            static_cast<long double>(z[static_cast<size_t>(k - 1)]) - FKohMat->GetVal(ix, iy, k);
        f += e * e;
      }
      if (f < best) {
        best = f;
        BestIx = ix;
        BestIy = iy;
      }
    }
  // Weights that compare with nothing (NaN, from a file) leave no winner.
  Distance =
      std::isinf(best) ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(best);
}

}  // namespace zel
