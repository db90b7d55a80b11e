/// @file
/// Zel_statis, random numbers of arbitrary distribution: TRandGen draws
/// numbers whose density follows a table of relative densities over an
/// interval [LowBorder, HighBorder], filled bin by bin or from built-in
/// shapes (normal, Weibull, t, chi-square, F).
///
/// Conventions of this part of the unit:
/// - Bins are addressed 1..Resolution; reads outside give 0 (Probability) or
///   the nearest border (Lambda), writes outside are ignored.
/// - Numbers come from the process-wide uniform generator of
///   core/zel_random.hpp: SetRandSeed fixes the sequence of every TRandGen.
///   Concurrent use from several threads interleaves that sequence.
/// - Errors throw EZELStatisError with the message
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage).
/// - No events, no progress reports. An object is not safe to use from two
///   threads at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

/// Random numbers following a tabulated density, by rejection sampling.
///
/// The table holds Resolution relative densities D[1..R], D[i] being the
/// density at the left edge of bin i; between edges the density is
/// interpolated linearly, and in the last bin it falls linearly to 0 at
/// HighBorder. The sampled density is therefore proportional to this
/// piecewise-linear function (the tests check it with Kolmogorov-Smirnov
/// tests of 1e5 draws per shape).
///
/// Table values may exceed 1 (the shapes store the densities as computed:
/// Weibull with shape 2 and scale 0.5 peaks at 1.72, the chi-square density
/// with one degree of freedom is +inf at 0). GetRandNum samples the table
/// divided by its maximum whenever that maximum exceeds 1, and counts a
/// +inf entry as the largest finite entry, so the sampled distribution is
/// the tabulated one in every case; a table whose maximum is at most 1 is
/// sampled as it stands (same random sequence as without that rule).
class TRandGen : public TComponent {
 public:
  /// LowBorder = HighBorder = 0, Resolution 500, every bin 1.0.
  /// @throws EZELStatisError "not enough memory on heap" if the table
  ///   cannot be allocated.
  explicit TRandGen(TComponent* AOwner);
  /// "TRandGen".
  std::string ClassName() const override { return "TRandGen"; }

  // --- interval and table ------------------------------------------------

  /// Lower end of the interval.
  double GetLowBorder() const { return FLowBorder; }
  /// Sets the lower end (stored as given; the table is not touched).
  void SetLowBorder(double Value) { FLowBorder = Value; }
  /// Upper end of the interval.
  double GetHighBorder() const { return FHighBorder; }
  /// Sets the upper end (stored as given; the table is not touched).
  void SetHighBorder(double Value) { FHighBorder = Value; }

  /// The number of bins R, 10..4000.
  int32_t GetResolution() const { return static_cast<int32_t>(FDistVec.size()); }
  /// Sets R, clamped into 10..4000 (5 becomes 10, 10000 becomes 4000); the
  /// table is reallocated and every bin set to 1.0, also when R is
  /// unchanged.
  /// @throws EZELStatisError "not enough memory" on allocation failure
  ///   (the object keeps its old table).
  void SetResolution(int32_t Value);

  /// The table value of bin Idx (1..R); 0 outside.
  double GetProbability(int32_t Idx) const;
  /// Sets bin Idx (1..R; ignored outside) to Value clamped into [0, 1].
  /// A NaN is stored as NaN, and GetRandNum then returns NaN.
  void SetProbability(int32_t Idx, double Value);

  /// The left edge of bin ix: LowBorder + (ix - 1)(HighBorder -
  /// LowBorder)/R, computed so that borders near +-1.7e308 do not overflow;
  /// LowBorder for ix <= 0, HighBorder for ix > R.
  double GetLambda(int32_t ix) const;
  /// The bin that holds Lambda: 0 below LowBorder, R + 1 above HighBorder,
  /// else floor((Lambda - LowBorder) R/(HighBorder - LowBorder)) + 1, so
  /// LowBorder gives 1 and HighBorder gives R + 1. With HighBorder =
  /// LowBorder (the state after creation) Lambda equal to both gives 1
  /// instead of dividing 0 by 0. NaN gives 0.
  int32_t IndexOfLambda(double Lambda) const;

  /// If the table's maximum and minimum differ, every value v becomes
  /// (v - min)/(max - min); otherwise nothing changes. A +inf entry counts
  /// as the largest finite entry (it becomes 1). A table holding a NaN is
  /// left unchanged.
  void Normalize();
  /// Divides every value by the maximum (a +inf entry counts as the largest
  /// finite entry and becomes 1). Returns false and changes nothing when the
  /// maximum is 0 or the table holds a NaN.
  bool Standardize();

  // --- shapes ------------------------------------------------------------
  // Each shape evaluates its density at the left edge x = GetLambda(i) of
  // every bin i and stores it as computed (values above 1 and +inf are kept;
  // see the class). NaN parameters give NaN entries.

  /// Every bin 1.0.
  void UniformDistri();
  /// exp(-0.5 ((x - Mean)/StdDev)^2): peak 1, not normalised. StdDev 0
  /// gives 1 at x = Mean and 0 elsewhere.
  void NormalDistri(double Mean, double StdDev);
  /// WeibullDensity(x, Beta, Eta): Beta is the shape, Eta the scale.
  void WeibullDistri(double Beta, double Eta);
  /// tDistriDensity(x, DF); NaN entries for DF < 1.
  void tDistri(int32_t DF);
  /// 0 for x < 0, Chi2DistriDensity(x, DF) from the first bin with x >= 0
  /// on (+inf at x = 0 for DF = 1); NaN entries for DF < 1.
  void Chi2Distri(int32_t DF);
  /// 0 for x <= 0, FDistriDensity(x, DF1, DF2) from the first bin with
  /// x > 0 on; NaN entries for DF1 < 1 or DF2 < 1.
  void FDistri(int32_t DF1, int32_t DF2);

  // --- drawing -----------------------------------------------------------

  /// A random number from the tabulated density (property Random).
  ///
  /// Method: rejection sampling. Up to 100001 times: draw a bin a uniformly
  /// from 0..R-1 (Random(R)) and u = Random(); the candidate's density is
  /// d = S[a] + u (S[a+1] - S[a]) (S[a] (1 - u) in the last bin), S being
  /// the table scaled as the class describes; draw r = Random() and accept
  /// when d >= 1 or d > r. The result is LowBorder + (a + u)(HighBorder -
  /// LowBorder)/R for the accepted candidate, or for the last one when none
  /// was accepted (a table that is 0 everywhere still returns a number in
  /// [LowBorder, HighBorder); LastDrawRejected() then tells).
  ///
  /// Cost: on average about R/(sum of S) candidates, 3 uniforms each; a
  /// table with a small maximum (a t density peaks near 0.4) accepts
  /// rarely, so call Standardize first when speed matters (the distribution
  /// stays the same, the sequence changes).
  /// Edges: NaN when the table holds a NaN (no uniform is drawn); non-finite
  /// borders give a non-finite result.
  double GetRandNum();
  /// Same as GetRandNum.
  double GetRandom() { return GetRandNum(); }
  /// True when the last GetRandNum accepted no candidate within 100001
  /// tries and returned the last one.
  bool LastDrawRejected() const { return FLastDrawRejected; }

 private:
  void Fail(const char* Text) const;
  template <class F>
  void FillShape(F Density);
  void PrepareSampling();

  double FLowBorder = 0.0;
  double FHighBorder = 0.0;
  std::vector<double> FDistVec;
  // The table as GetRandNum samples it; rebuilt after a change of the table.
  std::vector<double> FSample;
  bool FSampleValid = false;
  bool FSampleHasNaN = false;
  bool FLastDrawRejected = false;
};

}  // namespace zel
