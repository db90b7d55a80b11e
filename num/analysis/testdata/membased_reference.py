#!/usr/bin/python3
"""Reference values of the memory-based learner tests (membased_test.cpp).

Run with the system Python that has numpy and scikit-learn:
/usr/bin/python3 membased_reference.py. The data are 24 examples in two
independent columns with a numeric target and a 0/1 class; the queries lie
between them. Standardisation divides by the sample standard deviation
(n - 1), as the learner does, so the scaled data are handed to scikit-learn.
"""
import numpy as np
from sklearn.neighbors import KNeighborsClassifier, KNeighborsRegressor

from cxx_print import arr

i = np.arange(1, 25, dtype=float)
x1 = 3.0 * np.sin(1.3 * i)
x2 = 20.0 * np.cos(0.7 * i) + 0.4 * i
y = x1**2 + 0.05 * x2 + 0.2 * np.sin(5.0 * i)
cls = (x1 + 0.1 * x2 > 0.5).astype(float)
X = np.column_stack([x1, x2])
Q = np.array([[0.3, 1.0], [-2.1, 8.5], [2.6, -15.0], [1.1, 20.0], [-0.4, -3.3]])
arr("examples (x1, x2, y, class)", np.column_stack([x1, x2, y, cls]))
arr("queries (x1, x2)", Q)

for k, metric in ((3, "euclidean"), (5, "manhattan")):
    r = KNeighborsRegressor(n_neighbors=k, weights="uniform", metric=metric, algorithm="brute")
    arr(f"regression k={k} {metric} unscaled", r.fit(X, y).predict(Q))

mu = X.mean(axis=0)
sd = X.std(axis=0, ddof=1)
r = KNeighborsRegressor(n_neighbors=4, weights="uniform", algorithm="brute")
arr("regression k=4 euclidean standardized", r.fit((X - mu) / sd, y).predict((Q - mu) / sd))

c = KNeighborsClassifier(n_neighbors=5, algorithm="brute")
arr("classification k=5 euclidean unscaled", c.fit(X, cls).predict(Q))
