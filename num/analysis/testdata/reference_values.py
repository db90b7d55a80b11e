#!/usr/bin/python3
"""Reference values of the analysis unit's tests, computed with independent
libraries (numpy, scipy, scikit-learn; scripts/refdeps installs them).

Run: /usr/bin/python3 num/analysis/testdata/reference_values.py
It prints the data sets and the results as C++ initialisers, which the tests
(clustering_test.cpp, neighbors_test.cpp, eigen_pca_test.cpp,
svd_solve_test.cpp) hold literally; the tests never need Python.
"""
import numpy as np
from scipy.cluster.hierarchy import linkage
from scipy.cluster.vq import kmeans2, vq
from scipy.spatial import cKDTree
from scipy.spatial.distance import mahalanobis
from sklearn.decomposition import PCA

from cxx_print import arr

np.set_printoptions(precision=17)


# Points: 12 objects in 3 variables, two decimals, distinct distances.
rng = np.random.default_rng(18)
pts = np.round(np.vstack([rng.normal(0, 1, (5, 3)), rng.normal(4, 1, (4, 3)),
                          rng.normal((0, 5, 2), 1, (3, 3))]), 2)
arr("points", pts)
n = len(pts)

# Agglomerative clustering: rows [id1, id2, height, size]; scipy counts
# objects from 0 and cluster i (0-based) as n + i.
for method in ("single", "complete", "weighted", "average"):
    arr("linkage " + method, linkage(pts, method=method, metric="euclidean"))
# Ward on Euclidean distances; the Lance-Williams form on squared Euclidean
# distances gives the squares of these heights.
arr("linkage ward", linkage(pts, method="ward", metric="euclidean"))

# k-means from rows 1..3 as start centres, run to convergence.
cent, lab = kmeans2(pts, pts[:3].copy(), iter=200, minit="matrix")
_, dist = vq(pts, cent)
arr("kmeans centres", cent)
arr("kmeans labels (0-based)", lab)
print("// kmeans wcss", repr(float(np.sum(dist ** 2))))

# Nearest neighbours of a pattern.
pattern = np.array([1.0, 1.5, 0.5])
d, ix = cKDTree(pts).query(pattern, k=6)
arr("knn distances", d)
arr("knn rows (0-based)", ix)

# Covariance and correlation of the points' columns.
arr("cov", np.cov(pts, rowvar=False))
arr("corrcoef", np.corrcoef(pts, rowvar=False))

# A symmetric 5 x 5 matrix and its eigen-decomposition.
s = np.round(rng.normal(0, 1, (5, 5)), 2)
s = s + s.T
arr("sym", s)
w, v = np.linalg.eigh(s)
arr("eigh values (ascending)", w)
arr("eigh vectors (columns)", v)

# Principal components of the points.
pca = PCA().fit(pts)
arr("pca explained_variance_ratio_", pca.explained_variance_ratio_)
arr("pca explained_variance_", pca.explained_variance_)
arr("pca components_ (rows)", pca.components_)

# Pseudo-inverses of a tall rank-deficient and a wide matrix.
tall = np.array([[1.0, 2.0, 3.0], [4.0, 5.0, 6.0], [7.0, 8.0, 9.0], [1.0, 0.0, 1.0]])
wide = np.array([[2.0, -1.0, 0.0, 1.0, 3.0], [1.0, 1.0, 1.0, 0.0, -2.0], [0.5, 0.0, 2.0, 1.0, 1.0]])
for name, a in (("tall", tall), ("wide", wide)):
    arr("pinv " + name, np.linalg.pinv(a, rcond=max(a.shape) * 1.2e-16))

# Mahalanobis distance with the inverse covariance of the points.
vi = np.linalg.inv(np.cov(pts, rowvar=False))
u1 = np.array([0.5, 1.0, -0.5])
u2 = np.array([3.0, 2.0, 1.0])
print("// mahalanobis", repr(float(mahalanobis(u1, u2, vi))))

# Least squares of a quadratic in one variable with a small design matrix.
xs = np.array([0.0, 1.0, 2.0, 3.0, 4.0, 5.0])
ys = np.array([1.1, 2.9, 9.2, 19.1, 32.8, 51.2])
design = np.vstack([np.ones_like(xs), xs, xs ** 2]).T
coef, *_ = np.linalg.lstsq(design, ys, rcond=None)
arr("lstsq quadratic coefficients", coef)
_, sv, vt = np.linalg.svd(design, full_matrices=False)
arr("lstsq scale factors sqrt(sum_j V_ij^2 / w_j^2)", np.sqrt(((vt.T / sv) ** 2).sum(axis=1)))


def class_scatter():
    """ClassScatterMatrices: within- and between-class scatter of six points."""
    x = np.array([[1.0, 2.0], [2.0, 1.5], [4.0, 5.0], [5.0, 4.5], [4.5, 6.0], [9.0, 1.0]])
    c = np.array([7, 7, 2, 2, 2, 5])
    m = x.mean(0)
    w = np.zeros((2, 2))
    b = np.zeros((2, 2))
    for k in np.unique(c):
        xc = x[c == k]
        mc = xc.mean(0)
        d = xc - mc
        w += d.T @ d
        b += len(xc) * np.outer(mc - m, mc - m)
    print("within", repr(w))
    print("between", repr(b))
    print("total", repr((x - m).T @ (x - m)))
class_scatter()
