#!/usr/bin/python3
"""Reference coefficients of wavelet_test.cpp, from PyWavelets (Debian
python3-pywt 1.1.1) with numpy 1.24.

Run with /usr/bin/python3 from this folder; writes wavelet_reference.inc.

Each level of TWavelet1D on the first n values is one pywt.dwt of those
values, keeping the first n/2 approximations and the first n/2 details:
- wrap-around: mode 'periodization' of the input delayed by K - 1 samples
  (np.roll(v, K - 1)), since the library's filter window starts K - 1
  samples earlier than pywt's;
- zero padding: mode 'zero'; symmetric continuation: mode 'symmetric'
  (half-sample symmetric, reflected again for signals shorter than the
  filter).
"""
import numpy as np
import pywt

N = 32
MODES = {"wrap": "periodization", "zero": "zero", "symmetric": "symmetric"}


def signal(n):
    # The same deterministic signal the test builds.
    j = np.arange(n, dtype=float)
    return np.sin(0.37 * j * j + 1.0) + 0.5 * np.cos(1.3 * j)


def cascade(x, K, mode, levels):
    v = x.copy()
    n = len(v)
    for _ in range(levels):
        if n < 2:
            break
        s = v[:n]
        if mode == "wrap":
            s = np.roll(s, K - 1)
        a, d = pywt.dwt(s, "db%d" % K, mode=MODES[mode])
        v[: n // 2] = a[: n // 2]
        v[n // 2 : n] = d[: n // 2]
        n //= 2
    return v


with open("wavelet_reference.inc", "w") as f:
    f.write("// Written by testdata/wavelet_reference.py (PyWavelets %s).\n" % pywt.__version__)
    f.write("const WaveletRef kWaveletRef[] = {\n")
    for K in (1, 2, 3):
        for mode in ("wrap", "zero", "symmetric"):
            for n, levels in ((N, 5), (N, 2), (2, 1), (4, 2)):
                c = cascade(signal(n), K, mode, levels)
                vals = ", ".join(repr(float(v)) for v in c)
                f.write("    {%d, \"%s\", %d, %d, {%s}},\n" % (K, mode, n, levels, vals))
    f.write("};\n")
