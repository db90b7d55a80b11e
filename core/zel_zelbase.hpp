// Shared types of the whole library: dynamic arrays, enumerations, records,
// event types, the general exception EZELError and the progress globals that
// long-running loops serve.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Dynamic arrays. Indexed from 0; a 2-D array is an array of columns,
// a[column][row]. Columns may differ in length ("ragged"): routines that need
// a rectangular array check it with IsRectangular.
// ---------------------------------------------------------------------------

using TDoubleArray = std::vector<double>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TIntArray = std::vector<int32_t>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TSingleArray = std::vector<float>;
// Booleans as bytes holding 0 or 1, so that elements can be referenced.
using TBoolArray = std::vector<uint8_t>;
using TBool2DArray = std::vector<TBoolArray>;
using TStrArray = std::vector<std::string>;
using TStr2DArray = std::vector<TStrArray>;

// True when every sub-array at each depth has the same length as its
// siblings (an empty array is rectangular). Deeper arrays are checked to the
// innermost level, so a 3-D array is rectangular when all its columns' rows
// have one length.
namespace detail {
template <class T>
struct IsStdVector : std::false_type {};
template <class T, class A>
struct IsStdVector<std::vector<T, A>> : std::true_type {};

// Same length at every nesting level of vectors.
template <class T>
bool SameShape(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  if constexpr (IsStdVector<T>::value) {
    for (size_t i = 0; i < a.size(); ++i)
      if (!SameShape(a[i], b[i])) return false;
  }
  return true;
}
}  // namespace detail

template <class T>
bool IsRectangular(const std::vector<T>& a) {
  if constexpr (!detail::IsStdVector<T>::value) {
    return true;
  } else {
    if (a.empty()) return true;
    if (!IsRectangular(a.front())) return false;
    for (const auto& sub : a)
      if (!detail::SameShape(sub, a.front())) return false;
    return true;
  }
}

// ---------------------------------------------------------------------------
// Ranges
// ---------------------------------------------------------------------------

// The library's default rule for an index range lo..hi over first..last:
// both 0 means the whole range; bounds are exchanged when reversed, then
// clamped to first..last. Routines that state a rule of their own (returning
// a status for a bad range) do not use this.
void NormalizeRange(int32_t& Lo, int32_t& Hi, int32_t First, int32_t Last);

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

struct TPointDouble {
  double x = 0;
  double y = 0;
};

// Two x bounds and two y bounds; either bound of a pair may be the larger.
struct TRectDouble {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
};

// The platform's integer point and rectangle.
struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

// ---------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------

// How an untyped buffer's elements are read: 0 and 1 as double, 2 as float,
// 3 and 4 as int32.
enum class TVarKind : int32_t { vkDouble = 0, vkExtDouble = 1, vkSingle = 2, vkInteger = 3, vkLongInt = 4 };

// Angle texts: 0 decimal degrees; 1 degrees and decimal minutes; 2 degrees,
// minutes and decimal seconds; 3 a plain number without unit signs.
enum class TDegreeFormat : int32_t { dfDeg = 0, dfDegMin = 1, dfDegMinSec = 2, dfPlain = 3 };

enum class TNormType : int32_t { ntColwise = 0, ntRowwise = 1, ntSpectral = 2, ntFrobenius = 3 };

// ---------------------------------------------------------------------------
// Event types shared by several units
// ---------------------------------------------------------------------------

// Percentage of a long operation done, 0..100.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int32_t Percent)>;

// ---------------------------------------------------------------------------
// The general exception of the library; every unit's exception derives from
// it, so one catch (const EZELError&) catches all library errors.
// ---------------------------------------------------------------------------

class EZELError : public Exception {
public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Progress and abort
// ---------------------------------------------------------------------------

// Called with the progress counter by long loops on the caller's thread.
using TMathFeedBackProc = std::function<void(double Counter)>;

// Process-wide progress counter. Long loops (sorts, inversions, clustering)
// add to it on the calling thread; worker threads never touch it.
extern double ProcStat;
// Called with ProcStat after each step of a long loop, when set. The library
// never resets it; the application owns it.
extern TMathFeedBackProc MathFeedBackProc;
// Polled by abortable loops, which then stop with their status result.
// It is cleared only by the routines whose documentation says so (the array
// sort of the array unit); every other abortable routine only reads it, so an
// application that sets it clears it again before starting new work.
extern std::atomic<bool> AbortMathProc;

// One step of a long loop: ProcStat += 1, then MathFeedBackProc(ProcStat)
// when set.
void ReportProgress();

}  // namespace zel
