#!/usr/bin/python3
"""Reference values of the filter tests (filters_test.cpp, filters_kernels_test.cpp).

Run with the system Python that has numpy and scipy: /usr/bin/python3 filters_reference.py
Every data set is built from a closed formula that the C++ tests repeat.
"""
import numpy as np
from scipy import ndimage, signal, stats

np.set_printoptions(precision=17)


def show(name, values):
    vals = ", ".join(repr(float(v)) for v in np.ravel(values))
    print(f"{name} = {{{vals}}};")


# Signal of the window filters: x_i = sin(0.37 i) + 0.3 cos(1.7 i) + 0.01 i^2, i = 1..60.
i = np.arange(1, 61, dtype=float)
x = np.sin(0.37 * i) + 0.3 * np.cos(1.7 * i) + 0.01 * i * i

# Savitzky-Golay coefficients: centre and outermost tap for every window.
for deriv in (0, 2):
    centre = [signal.savgol_coeffs(w, 2, deriv=deriv, use="dot")[(w - 1) // 2] for w in range(5, 27, 2)]
    edge = [signal.savgol_coeffs(w, 2, deriv=deriv, use="dot")[0] for w in range(5, 27, 2)]
    show(f"kSavgolCentreDeriv{deriv}", centre)
    show(f"kSavgolEdgeDeriv{deriv}", edge)

# Filters at the interior positions 13, 30, 48 (1-based) for W = 7 and 25.
pos = np.array([13, 30, 48]) - 1
for w in (7, 25):
    show(f"kSavgolSmoothW{w}", signal.savgol_filter(x, w, 2)[pos])
    show(f"kSavgolDeriv1W{w}", signal.savgol_filter(x, w, 2, deriv=1)[pos])
    show(f"kSavgolDeriv2W{w}", signal.savgol_filter(x, w, 2, deriv=2)[pos])
show("kMedianW5", ndimage.median_filter(x, 5)[pos])
show("kUniformW5", ndimage.uniform_filter1d(x, 5)[pos])

# Butterworth (ripple 0): A0, a_1..a_N = b of scipy, b_1..b_N = -a of scipy.
for n, fc, btype in ((4, 0.1, "low"), (6, 0.3, "high"), (2, 0.05, "low"), (10, 0.2, "low"), (20, 0.25, "low")):
    b, a = signal.butter(n, 2 * fc, btype=btype)
    show(f"kButter{n}_{btype}_b", b)
    show(f"kButter{n}_{btype}_a", a)

# Chebyshev type I: ripple R percent, Smith's cutoff (3 dB point) mapped to
# cheby1's ripple-band edge.
def cheby(n, fc, ripple, high):
    es = np.sqrt((100 / (100 - ripple)) ** 2 - 1)
    c = np.cosh(np.arccosh(1 / es) / n)
    t = np.tan(np.pi * fc)
    wn = 2 / np.pi * (np.arctan(c * t) if high else np.arctan(t / c))
    rp = -20 * np.log10(1 - ripple / 100)
    return signal.cheby1(n, rp, wn, btype="high" if high else "low")

for n, fc, ripple, high in ((4, 0.1, 0.5, False), (6, 0.3, 10.0, True)):
    b, a = cheby(n, fc, ripple, high)
    show(f"kCheby{n}_b", b)
    show(f"kCheby{n}_a", a)

# Zero-phase application: source x (60 values above), range 5..30, the
# butter(4, 0.2) recursion, forward over positions 1-P..L+P+1, then backward.
b, a = signal.butter(4, 0.2)
P, L = 4, 30
xpad = np.concatenate([np.zeros(P), x[: L + P + 1]])
y = signal.lfilter(b, a, xpad)
z = signal.lfilter(b, a, y[::-1])[::-1]
show("kChebFiltered5to30", z[np.arange(5, 31) + P - 1])

# Ranks with ties.
data = [3.0, 1.0, 4.0, 1.0, 5.0, 9.0, 2.0, 6.0, 5.0, 3.0, 5.0]
show("kRanks", stats.rankdata(data, method="average"))

# 2-D correlation, mode 'nearest': Data[r][c] = sin(0.3 r + 0.7 c) + 0.1 r c
# (7 x 9), Kernel[p][q] = cos(p - 2 q) + 0.5 p (5 x 5).
r, c = np.meshgrid(np.arange(7), np.arange(9), indexing="ij")
d2 = np.sin(0.3 * r + 0.7 * c) + 0.1 * r * c
p, q = np.meshgrid(np.arange(5), np.arange(5), indexing="ij")
k2 = np.cos(p - 2.0 * q) + 0.5 * p
show("kCorrelated", ndimage.correlate(d2, k2, mode="nearest"))

# Windowed sinc against firwin: magnitude responses at these frequencies
# (fractions of the sampling rate) of firwin(51, 0.2) (Hamming) and of
# firwin(51, [0.1, 0.3], pass_zero='bandstop') (Hamming).
freqs = np.array([0.0, 0.05, 0.08, 0.1, 0.12, 0.15, 0.2, 0.3, 0.4, 0.5])
for name, taps in (("kFirwinLP", signal.firwin(51, 0.2)),
                   ("kFirwinBS", signal.firwin(51, [0.1, 0.3], pass_zero="bandstop"))):
    _, h = signal.freqz(taps, worN=2 * np.pi * freqs)
    show(name, np.abs(h))

# Image correlation: pixel (x, y) of a 23 x 17 image, channels 0..255.
def img(xx, yy, s):
    red = (37 * xx + 11 * yy + s) % 256
    green = (xx * xx + 3 * yy + 2 * s) % 256
    blue = (7 * xx + yy * yy + 5 * s) % 256
    return red, green, blue

xx, yy = np.meshgrid(np.arange(23), np.arange(17), indexing="ij")
r1, g1, b1 = img(xx, yy, 0)
# Area1 = (2, 3)-(12, 10) of image 1, Area2 = (9, 5)-(19, 12) of image 2.
a1 = (slice(2, 13), slice(3, 11))
a2 = (slice(9, 20), slice(5, 13))
r2, g2, b2 = img(xx, yy, 40)
r2 = (r2 + 3 * xx) % 256
for name, c1, c2 in (("kImgCorrRed", r1, r2), ("kImgCorrBlue", b1, b2)):
    show(name, [np.corrcoef(c1[a1].ravel(), c2[a2].ravel())[0, 1]])
gray1 = 0.299 * r1 + 0.587 * g1 + 0.114 * b1
gray2 = 0.299 * r2 + 0.587 * g2 + 0.114 * b2
show("kImgCorrGray", [np.corrcoef(gray1[a1].ravel(), gray2[a2].ravel())[0, 1]])
