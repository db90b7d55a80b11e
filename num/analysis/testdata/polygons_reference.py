#!/usr/bin/python3
"""Reference hulls of polygons_test.cpp: scipy.spatial.ConvexHull on point
sets drawn from the generator that the test repeats.

Run with the system Python that has scipy: /usr/bin/python3 polygons_reference.py
"""
import numpy as np
from scipy.spatial import ConvexHull


class Lcg:
    """s <- (1103515245 s + 12345) mod 2^31; next() = s / 2^31."""

    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (1103515245 * self.s + 12345) % 2**31
        return self.s / 2**31


def cluster_with_outliers(seed, n):
    """A dense cluster of n points in [0.45, 0.55]^2 and three outliers in [-10, 10]^2."""
    g = Lcg(seed)
    pts = [(0.45 + 0.1 * g.next(), 0.45 + 0.1 * g.next()) for _ in range(n)]
    pts += [(-10 + 20 * g.next(), -10 + 20 * g.next()) for _ in range(3)]
    return np.array(pts)


def uniform(seed, n):
    g = Lcg(seed)
    return np.array([(g.next(), g.next()) for _ in range(n)])


for name, pts in (("cluster seed 7, 200", cluster_with_outliers(7, 200)),
                  ("cluster seed 11, 50", cluster_with_outliers(11, 50)),
                  ("uniform seed 3, 500", uniform(3, 500))):
    h = ConvexHull(pts)
    print(name, "vertices (sorted indices):", sorted(int(v) for v in h.vertices), "area:", repr(h.volume))
