#!/usr/bin/python3
"""Reference values of regression_test.cpp, regression_pls_test.cpp and
spline_test.cpp, computed with independent libraries (numpy, scipy,
scikit-learn).

Run: /usr/bin/python3 num/analysis/testdata/regression_reference.py
It prints the data sets and the results as C++ initialisers, which the tests
hold literally; the tests never need Python.
"""
import numpy as np
from scipy.interpolate import make_smoothing_spline
from sklearn.cross_decomposition import PLSRegression
from sklearn.linear_model import Ridge

from cxx_print import arr


# Regression data: 12 objects, 3 variables, two decimals.
rng = np.random.default_rng(22)
X = np.round(rng.normal(0, 2, (12, 3)), 2)
y = np.round(1.5 + X @ np.array([0.8, -1.2, 0.3]) + rng.normal(0, 0.5, 12), 2)
arr("X", X)
arr("y", y)
n, k = X.shape

# Least squares with intercept: coefficients, textbook standard errors, R^2.
Z = np.column_stack([np.ones(n), X])
b, *_ = np.linalg.lstsq(Z, y, rcond=None)
res = y - Z @ b
s2 = res @ res / (n - k - 1)
se = np.sqrt(s2 * np.diag(np.linalg.inv(Z.T @ Z)))
r2 = 1 - (res @ res) / np.sum((y - y.mean()) ** 2)
arr("mlr coefficients", b)
arr("mlr standard errors", se)
arr("mlr r2", [r2])

# Ridge on raw variables (scikit-learn's intercept is not penalised).
rr = Ridge(alpha=2.5, fit_intercept=True, solver="svd").fit(X, y)
arr("ridge raw", np.r_[rr.intercept_, rr.coef_])
# Ridge on variables standardised with ddof = 1.
mu, sd = X.mean(0), X.std(0, ddof=1)
rs = Ridge(alpha=2.5, fit_intercept=True, solver="svd").fit((X - mu) / sd, y)
raw = rs.coef_ / sd
arr("ridge std: standardised coefficients", rs.coef_)
arr("ridge std: raw", np.r_[y.mean() - mu @ raw, raw])

# Variance inflation factors: diagonal of the inverse correlation matrix.
arr("vif", np.diag(np.linalg.inv(np.corrcoef(X.T))))

# SVD, thin, sorted; sign rule: the largest-magnitude element of each right
# singular vector (the first such) positive.
def svd_signed(A):
    U, w, Vt = np.linalg.svd(A, full_matrices=False)
    for i in range(len(w)):
        j = np.argmax(np.abs(Vt[i]))
        if Vt[i, j] < 0:
            Vt[i] *= -1
            U[:, i] *= -1
    return U, w, Vt.T

A = np.array([[2.0, -1.0, 0.5], [1.0, 3.0, -2.0], [0.0, 1.5, 4.0], [-1.0, 2.0, 1.0]])
for name, M in (("tall", A), ("wide", A.T)):
    U, w, V = svd_signed(M)
    arr(f"svd {name} U", U)
    arr(f"svd {name} w", w)
    arr(f"svd {name} V", V)

# Minimum-norm least squares of a rank-deficient system (column 3 = 1 + 2).
B = np.array([[1.0, 2.0, 3.0], [2.0, -1.0, 1.0], [0.0, 1.0, 1.0], [3.0, 0.5, 3.5],
              [-1.0, 2.0, 1.0]])
c = np.array([1.0, 2.0, -1.0, 0.5, 3.0])
sol, _, rank, _ = np.linalg.lstsq(B, c, rcond=None)
arr("lstsq rank-deficient", sol)
print("// rank", rank)

# PLS, one response: NIPALS equals SIMPLS. Raw-unit coefficients from the
# predictions at 0 and at the unit vectors.
for comps in (1, 2):
    for scale in (True, False):
        pls = PLSRegression(n_components=comps, scale=scale).fit(X, y)
        b0 = pls.predict(np.zeros((1, k))).ravel()[0]
        bj = pls.predict(np.eye(k)).ravel() - b0
        arr(f"pls comps={comps} scale={scale}", np.r_[b0, bj])

# Smoothing spline: scipy minimises sum w (y - g)^2 + lam int g''^2, the
# same parametrisation as PenalizedCubicSpline.
xs = np.array([0.0, 0.4, 1.1, 1.5, 2.3, 3.0, 3.2, 4.1, 4.8, 5.5])
ys = np.round(np.sin(xs) + rng.normal(0, 0.1, xs.size), 3)
ws = np.array([1.0, 2.0, 1.0, 0.5, 1.0, 1.0, 3.0, 1.0, 1.0, 2.0])
arr("spline x", xs)
arr("spline y", ys)
for lam in (0.05, 2.0):
    sp = make_smoothing_spline(xs, ys, w=ws, lam=lam)
    arr(f"spline lam={lam} fitted", sp(xs))
    arr(f"spline lam={lam} second derivative", sp(xs, 2))
    arr(f"spline lam={lam} at 0.7, 3.6, -0.5, 6.0", sp(np.array([0.7, 3.6, -0.5, 6.0]),
                                                      extrapolate=True))
