/// @file
/// Zel_sline: a straight line in the plane in the general form
/// A x + B y + C = 0 (TSLine), with constructions through points, at an
/// angle, normal and parallel to another line, intersections, angles, signed
/// distances and clipping against an axis-parallel box.
///
/// Conventions of the whole unit:
/// - A and B are never both 0: the setters refuse such a pair and keep the
///   old value. A new line is the x axis (A = 0, B = 1, C = 0).
/// - Angles are in radians, counted counter-clockwise from the x axis.
/// - Errors throw EZELSLineError with the message
///   'Component "\<Name>": \<text>' (TComponent::ComponentMessage).
/// - Objects passed by pointer may be null: NormalLine and ParallelLine then
///   throw, InterSection returns false, AngleBetweenLines returns 0.
/// - No events, no process-wide state, no progress reports.
#pragma once

#include <string>

#include "core/zel_classes.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

/// Raised by TSLine. Derives from EZELError, so one
/// catch (const EZELError&) catches every library error.
class EZELSLineError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// A straight line A x + B y + C = 0. The parameters are not normalised:
/// LineFrom2Points (0, 0, 1, 1) gives A = -1, B = 1, C = 0.
class TSLine : public TComponent {
 public:
  /// The x axis (A = 0, B = 1, C = 0), SubstituteInf false.
  explicit TSLine(TComponent* AOwner);
  /// "TSLine".
  std::string ClassName() const override { return "TSLine"; }

  // --- parameters --------------------------------------------------------

  /// Parameter A.
  double GetParA() const { return FParA; }
  /// Stores A unless A and B would both be 0; then throws EZELSLineError
  /// "parameter A and B must not both be zero" and keeps the old A.
  void SetParA(double Value);
  /// Parameter B.
  double GetParB() const { return FParB; }
  /// Stores B unless A and B would both be 0; then throws EZELSLineError
  /// "parameter A and B must not both be zero" and keeps the old B.
  void SetParB(double Value);
  /// Parameter C.
  double GetParC() const { return FParC; }
  /// Stores C (any value).
  void SetParC(double Value) { FParC = Value; }
  /// Whether CalcX and CalcY divide by 1e-100 instead of throwing when
  /// their divisor (A or B) is 0.
  bool GetSubstituteInf() const { return FSubstInf; }
  /// Sets SubstituteInf.
  void SetSubstituteInf(bool Value) { FSubstInf = Value; }

  // --- constructions -----------------------------------------------------

  /// The line through (P1X, P1Y) and (P2X, P2Y): A = P1Y - P2Y,
  /// B = P2X - P1X, C = P1X P2Y - P2X P1Y, formed in long double. When a
  /// parameter would leave the normal double range (points beyond about
  /// 1e154 or below about 1e-154) all three are multiplied by the same power
  /// of two, the largest then near 1, which describes the same line. Returns false and leaves the line unchanged when the points
  /// coincide.
  bool LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y);
  /// y = k x + d: A = k, B = -1, C = d.
  void LineFromSlopeIcpt(double k, double d);
  /// The line through (px, py) at the angle Angle (radians):
  /// A = -sin(Angle), B = cos(Angle), C = -A px - B py.
  void LineThroughPoint(double px, double py, double Angle);
  /// The line through (px, py) perpendicular to OtherLine:
  /// A = -B', B = A', C = -A px - B py. OtherLine may be this line. A null
  /// OtherLine throws EZELSLineError "no other line given" and changes
  /// nothing.
  void NormalLine(double px, double py, const TSLine* OtherLine);
  /// The line through (px, py) parallel to OtherLine: A = A', B = B',
  /// C = -A px - B py. OtherLine may be this line. A null OtherLine throws
  /// EZELSLineError "no other line given" and changes nothing.
  void ParallelLine(double px, double py, const TSLine* OtherLine);

  // --- derived values ----------------------------------------------------

  /// The slope-intercept form y = k x + d: k = -A/B, d = -C/B. B = 0 throws
  /// EZELSLineError "cannot convert to k-d-form if ParB is zero" (k, d
  /// unchanged).
  void CalcKDForm(double& k, double& d) const;
  /// x on the line at height y: (-B y - C)/A. A = 0 divides by 1e-100 when
  /// SubstituteInf is set, else throws EZELSLineError "cannot calculate x".
  double CalcX(double y) const;
  /// y on the line at x: (-A x - C)/B. B = 0 divides by 1e-100 when
  /// SubstituteInf is set, else throws EZELSLineError "cannot calculate y".
  double CalcY(double x) const;
  /// -A/B. B = 0 throws EZELSLineError "slope is infinite".
  double GetSlope() const;
  /// -C/B. B = 0 throws EZELSLineError "cannot calculate intercept (line is
  /// parallel to y axis)".
  double GetIntercept() const;
  /// The direction of the line in [0, 2 pi): a = arctan(-A/B) for B != 0,
  /// else -pi/2 for A <= 0 and +pi/2 otherwise; the result is a + pi for
  /// B <= 0, a for B > 0 and A <= 0, a + 2 pi for B > 0 and A > 0. This is
  /// the angle of the vector (B, -A) (atan2(-A, B) taken into [0, 2 pi)),
  /// so LineThroughPoint with it rebuilds the line up to a positive factor.
  double GetDirect() const;
  /// Signed distance of (px, py) from the line, (A px + B py + C) /
  /// sqrt(A^2 + B^2), the numerator in long double and the root taken with
  /// hypot so that parameters and points near 1e200 or 1e-200 neither
  /// overflow nor underflow. Positive on the side
  /// the normal (A, B) points to.
  double Distance(double px, double py) const;

  // --- two lines ---------------------------------------------------------

  /// The crossing point by Cramer's rule: D = A B' - A' B; false (x, y
  /// unchanged) when D = 0 (parallel or identical lines) or OtherLine is
  /// null; else x = (B C' - B' C)/D, y = (A' C - A C')/D and true. The
  /// products are taken in long double, so lines through points near 1e154
  /// or 1e-160 cross where they should.
  bool InterSection(const TSLine* OtherLine, double& x, double& y) const;
  /// The acute angle between the lines in [0, pi/2]: with N = A A' + B B',
  /// pi/2 when N = 0, else |arctan((A B' - A' B)/N)|. 0 for a null
  /// OtherLine and for parallel lines.
  double AngleBetweenLines(const TSLine* OtherLine) const;

  // --- clipping ----------------------------------------------------------

  /// The part of the line inside the box (bllx, blly) - (burx, bury)
  /// (lower-left, upper-right corners, edges included). Candidates are the
  /// crossings with the left and right edges (bllx, CalcY(bllx)),
  /// (burx, CalcY(burx)), accepted when blly <= y <= bury, then with the
  /// bottom and top edges (CalcX(blly), blly), (CalcX(bury), bury), accepted
  /// when bllx <= x <= burx, with SubstituteInf on for the duration (and
  /// restored). A candidate equal to one already accepted (within 1e-12 of
  /// the box size) is skipped, so a line through a corner still reports its
  /// real exit point: y = 2 x in (0, 0)-(1, 1) gives (0, 0) and (0.5, 1).
  /// When more than two distinct candidates are accepted (a line lying on an
  /// edge), the two farthest apart are kept. The first kept point goes to
  /// (x1, y1), the second to (x2, y2); a line touching the box in a single
  /// point (a corner) reports it in (x1, y1) and leaves (x2, y2) = 0.
  /// Returns true when at least one point was accepted; outputs without an
  /// accepted point are 0. A NaN parameter or bound accepts nothing.
  bool ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1,
               double& x2, double& y2);

 private:
  [[noreturn]] void Fail(const char* Text) const;

  double FParA = 0.0;
  double FParB = 1.0;
  double FParC = 0.0;
  bool FSubstInf = false;
};

}  // namespace zel
