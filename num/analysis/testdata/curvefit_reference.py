#!/usr/bin/python3
"""Reference values of the curve-fitting tests (numpy/scipy of Debian).

Run with /usr/bin/python3 from this folder; it writes curvefit_reference.inc,
which curvefit_test.cpp and curvefit_models_test.cpp include.
"""
import numpy as np
from scipy import interpolate, stats

out = []


def arr(name, v):
    v = np.atleast_1d(np.asarray(v, dtype=float))
    body = ", ".join(repr(float(a)) for a in v)
    out.append(f"inline const std::vector<double> {name}{{{body}}};")


def num(name, v):
    out.append(f"inline constexpr double {name} = {float(v)!r};")


# Straight line with a non-zero intercept: y = 2.985 x + 5.05 + noise.
noise = np.array([0.31, -0.42, 0.12, 0.55, -0.27, -0.08, 0.44, -0.61, 0.2, 0.05, -0.33, 0.18])
lx = np.arange(12.0)
ly = 2.985 * lx + 5.05 + noise
lr = stats.linregress(lx, ly)
arr("kLineX", lx)
arr("kLineY", ly)
num("kLineSlope", lr.slope)
num("kLineIntercept", lr.intercept)
num("kLineR2", lr.rvalue**2)
ko, *_ = np.linalg.lstsq(lx[:, None], ly, rcond=None)
num("kOriginSlope", ko[0])
num("kOriginR2", 1 - np.sum((ly - ko[0] * lx) ** 2) / np.sum(ly**2))
# Prediction at x = 4.5, p = 0.95, straight-line formulas.
n = len(lx)
res = ly - (lr.intercept + lr.slope * lx)
s = np.sqrt(np.sum(res**2) / (n - 2))
t = abs(stats.t.ppf(0.025, n - 2))
sxx = np.sum((lx - lx.mean()) ** 2)
num("kLinePredVal", lr.intercept + lr.slope * 4.5)
num("kLinePredIv", t * s * np.sqrt(1 + 1 / n + (4.5 - lx.mean()) ** 2 / sxx))
num("kLineConfIv", t * s * np.sqrt(1 / n + (4.5 - lx.mean()) ** 2 / sxx))
num("kLineKendallTau", stats.kendalltau(lx, ly, method="asymptotic").statistic)
num("kLineKendallP", stats.kendalltau(lx, ly, method="asymptotic").pvalue)

# Cubic with noise; coefficients, standard errors and two-sided p values.
px = np.linspace(-2.0, 3.0, 15)
pnoise = np.array([0.12, -0.3, 0.25, -0.05, 0.4, -0.22, 0.08, 0.19, -0.37, 0.02, 0.3, -0.14,
                   -0.2, 0.27, -0.09])
py = 0.5 * px**3 - 1.2 * px**2 + 0.7 * px + 2.0 + pnoise
c, cov = np.polyfit(px, py, 3, cov=True)
se = np.sqrt(np.diag(cov))
df = len(px) - 4
alpha = 2 * stats.t.sf(np.abs(c / se), df)
arr("kPolyX", px)
arr("kPolyY", py)
arr("kPolyCoef", c[::-1])  # constant first
arr("kPolyAlpha", alpha[::-1])
fit = np.polyval(c, px)
num("kPolyR2", np.corrcoef(fit, py)[0, 1] ** 2)
c2 = np.polyfit(px, py, 2)
arr("kParabolaCoef", c2[::-1])

# Badly conditioned: x far from 0 with a small spread, order 3.
bx = 1000.0 + 0.1 * np.arange(20.0)
by = 1e-3 * (bx - 1000.5) ** 3 - 0.2 * (bx - 1000.5) + 7.0 + 0.01 * np.sin(np.arange(20.0))
arr("kBadX", bx)
arr("kBadY", by)
bc = np.polyfit(bx, by, 3)
arr("kBadCoef", bc[::-1])
arr("kBadFitted", np.polyval(bc, bx))
# Centred on the mean and scaled by the sample sd: coefficients of (x - mean).
xm = bx.mean()
cc = np.polyfit(bx - xm, by, 3)
num("kBadMean", xm)
arr("kBadCentredCoef", cc[::-1])
arr("kBadCentredFitted", np.polyval(cc, bx - xm))

# Kasa circle through noisy points around (2, -1), r = 3.
ang = np.linspace(0.0, 5.5, 9)
cnoise = np.array([0.05, -0.04, 0.02, 0.06, -0.03, 0.01, -0.05, 0.04, -0.02])
cx = 2.0 + (3.0 + cnoise) * np.cos(ang)
cy = -1.0 + (3.0 + cnoise) * np.sin(ang)
sol, *_ = np.linalg.lstsq(np.c_[cx, cy, np.ones_like(cx)], cx**2 + cy**2, rcond=None)
arr("kCircleX", cx)
arr("kCircleY", cy)
num("kCircleDx", sol[0] / 2)
num("kCircleDy", sol[1] / 2)
num("kCircleR", np.sqrt(sol[2] + sol[0] ** 2 / 4 + sol[1] ** 2 / 4))

# Ranks with ties.
rx = np.array([1.0, 2.0, 2.0, 3.0, 5.0, 5.0, 5.0, 8.0, 9.0, 10.0])
ry = np.array([2.0, 1.0, 4.0, 4.0, 3.0, 6.0, 6.0, 7.0, 9.0, 8.0])  # (5, 6) twice: a joint tie
arr("kRankX", rx)
arr("kRankY", ry)
num("kRankTau", stats.kendalltau(rx, ry).statistic)
num("kRankSpearman", stats.spearmanr(rx, ry).statistic)
conc = disc = 0
for i in range(len(rx)):
    for j in range(i + 1, len(rx)):
        sgn = np.sign(rx[i] - rx[j]) * np.sign(ry[i] - ry[j])
        conc += sgn > 0
        disc += sgn < 0
num("kRankGamma", (conc - disc) / (conc + disc))
num("kSkewY", stats.skew(ry, bias=False))
num("kKurtY", stats.kurtosis(ry, bias=False))
arr("kQuartX", np.percentile(rx, [25, 50, 75], method="weibull"))

# Linearised models: least-squares lines of the transformed data.
mx = np.array([0.5, 1.0, 1.7, 2.2, 3.1, 3.9, 4.4, 5.3])
my = np.array([1.9, 2.6, 3.9, 5.1, 7.7, 11.6, 14.8, 22.9])
arr("kModX", mx)
arr("kModY", my)
b, a = np.polyfit(mx, np.log(my), 1)
arr("kExpo", [np.exp(a), b])
b, a = np.polyfit(np.log(mx), np.log(my), 1)
arr("kPower", [np.exp(a), b])
b, a = np.polyfit(np.log(mx), my, 1)
arr("kLog", [a, b])
b, a = np.polyfit(mx, 1 / my, 1)
arr("kReciLin", [a, b])
b, a = np.polyfit(np.log(mx), 1 / my, 1)
arr("kReciLog", [a, b])
b, a = np.polyfit(1 / mx, my, 1)
arr("kHyperbol", [a, b])
b, a = np.polyfit(1 / mx, 1 / my, 1)
arr("kReciHyperbol", [a, b])
cg = np.polyfit(mx, np.log(my), 2)  # c x^2 + b x + a
arr("kGauss", [np.exp(cg[2] - cg[1] ** 2 / (4 * cg[0])), -cg[1] / (2 * cg[0]), -1 / cg[0]])
h, *_ = np.linalg.lstsq(np.c_[np.ones_like(mx), mx, np.log(mx)], np.log(my), rcond=None)
arr("kHoerl", [np.exp(h[0]), np.exp(h[1]), h[2]])
expo = np.exp(np.polyfit(mx, np.log(my), 1)[1]) * np.exp(np.polyfit(mx, np.log(my), 1)[0] * mx)
num("kExpoR2", np.corrcoef(expo, my)[0, 1] ** 2)

# Splines through unevenly spaced points.
sx = np.array([0.0, 0.7, 1.5, 2.1, 3.4, 4.0, 5.2, 6.1])
sy = np.array([1.0, 1.8, 1.2, 0.4, 0.9, 2.2, 2.0, 0.5])
q = np.array([-0.5, 0.3, 1.0, 2.6, 4.5, 6.0, 6.5])
arr("kSplX", sx)
arr("kSplY", sy)
arr("kSplQ", q)
arr("kSplNatural", interpolate.CubicSpline(sx, sy, bc_type="natural")(q))
arr("kSplClamped", interpolate.CubicSpline(sx, sy, bc_type=((1, 0.5), (1, -1.0)))(q))
qi = q[(q >= sx[0]) & (q <= sx[-1])]
arr("kSmoothQ", qi)
for p, name in [(0.5, "kSmooth05"), (0.9, "kSmooth09")]:
    lam = (1 - p) / p
    arr(name, interpolate.make_smoothing_spline(sx, sy, lam=lam)(qi))

with open("curvefit_reference.inc", "w") as f:
    f.write("// Generated by curvefit_reference.py (numpy " + np.__version__ + ", scipy "
            + __import__("scipy").__version__ + "); do not edit.\n")
    f.write("#pragma once\n#include <vector>\nnamespace zel::curvefit_ref {\n")
    f.write("\n".join(out))
    f.write("\n}  // namespace zel::curvefit_ref\n")
