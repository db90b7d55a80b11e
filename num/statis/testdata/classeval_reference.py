#!/usr/bin/python3
"""Reference values of the classifier-evaluation tests (classeval_test.cpp).

Run with the system Python (scikit-learn 1.2, numpy): /usr/bin/python3 classeval_reference.py
The printed C++ initialisers are pasted into classeval_test.cpp.
"""
import numpy as np
from sklearn import metrics

# Two-class data with tie groups of two and three scores.
y = np.array([1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1])
s = np.array([0.9, 0.8, 0.8, 0.7, 0.7, 0.7, 0.6, 0.55, 0.5, 0.5,
              0.4, 0.4, 0.4, 0.3, 0.3, 0.2, 0.1, 0.1, 0.05, 0.95])


def cpp(name, values):
    print(f"{name} = {{" + ", ".join(repr(float(v)) for v in values) + "};")


fpr, tpr, thr = metrics.roc_curve(y, s, drop_intermediate=False)
# roc_curve starts with (0, 0) at an infinite threshold: the evaluator does not.
cpp("kFpr", fpr[1:])
cpp("kTpr", tpr[1:])
cpp("kThr", thr[1:])
print("kAUC =", repr(metrics.roc_auc_score(y, s)))

for t in (0.5, 0.4):
    pred = (s >= t).astype(int)
    tn, fp, fn, tp = metrics.confusion_matrix(y, pred).ravel()
    print(f"threshold {t}: tp {tp} fp {fp} tn {tn} fn {fn}")
    print("  accuracy", repr(metrics.accuracy_score(y, pred)))
    print("  f1", repr(metrics.f1_score(y, pred)))
    print("  precision", repr(metrics.precision_score(y, pred)))
    print("  mcc", repr(metrics.matthews_corrcoef(y, pred)))
    print("  informedness", repr(2 * metrics.balanced_accuracy_score(y, pred) - 1))
    print("  nmi", repr(metrics.normalized_mutual_info_score(y, pred, average_method="arithmetic")))

# Tie-only case: AUC 0.5 whatever the order of the tied objects.
print("tie AUC", repr(metrics.roc_auc_score([1, 0], [0.5, 0.5])))

# Matthews correlation of large counts (the four-fold product exceeds int64).
tp, fp, tn, fn = 700_000_000, 300_000_000, 650_000_000, 350_000_000
num = tp * tn - fp * fn
den = ((tp + fp) * (tp + fn) * (tn + fp) * (tn + fn))  # Python integers: exact
from decimal import Decimal, getcontext
getcontext().prec = 40
print("big mcc", repr(float(Decimal(num) / Decimal(den).sqrt())))

# Three classes: per-class counts.
yt = [0, 0, 1, 2, 2, 2, 1, 0, 1, 2, 0, 1]
yp = [0, 1, 1, 2, 0, 2, 1, 0, 2, 2, 0, 0]
C = metrics.confusion_matrix(yt, yp)  # C[true][pred]
print("C =", C.tolist())
for k, m in enumerate(metrics.multilabel_confusion_matrix(yt, yp)):
    (tn, fp), (fn, tp) = m
    print(f"class {k}: tp {tp} fp {fp} tn {tn} fn {fn}")

# The threshold scan of OptimizeThresholds, written independently: thresholds
# min + (k - 5) g, the mean of the last run of thresholds reaching the best.
def scan(y, s):
    mn, mx = s.min(), s.max()
    g = mx / 100 - mn / 100
    best = {"mcc": [0.0, [], False], "acc": [0.0, [], False], "inf": [0.0, [], False]}
    res = {k: 0.0 for k in best}
    for k in range(111):
        h = mn + (k - 5) * g
        if not h < mx + 5 * g:
            break
        pred = (s >= h).astype(int)
        vals = {"mcc": metrics.matthews_corrcoef(y, pred),
                "acc": metrics.accuracy_score(y, pred),
                "inf": 2 * metrics.balanced_accuracy_score(y, pred) - 1}
        for key, v in vals.items():
            b = best[key]
            if v > b[0] or (v == b[0] and not b[2]):
                b[0], b[1], b[2] = v, [h], True
            elif v == b[0]:
                b[1].append(h)
            else:
                b[2] = False
                continue
            res[key] = sum(b[1]) / len(b[1])
    return res

print("scan", scan(y, s))
