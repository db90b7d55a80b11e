#!/usr/bin/python3
"""Reference values of fourier_test.cpp, from numpy.fft and scipy.signal.windows.

Run with /usr/bin/python3 (numpy 1.24, scipy 1.10 of Debian 12); prints the
C++ initialisers pasted into the test.

The transform of this library uses exp(+2 pi i jk/N) unscaled, which is
N * numpy.fft.ifft. Its windows sample t = 1..N, the periodic scipy window
(fftbins=True, sym=False) rolled left by one sample.
"""
import numpy as np
from scipy.signal import windows as W


def signal(n):
    # The same deterministic signal the test builds.
    j = np.arange(n, dtype=float)
    return np.sin(0.37 * j * j + 1.0) + 1j * np.cos(1.3 * j)


def emit(name, values):
    body = ", ".join(repr(float(v)) for v in values)
    print(f"const std::vector<double> {name} = {{{body}}};")


def main():
    for n in (16, 4096):
        x = n * np.fft.ifft(signal(n))
        lines = [0, 1, 5, n // 2 - 1, n // 2, n - 1] if n > 16 else list(range(n))
        print(f"// numpy: N * numpy.fft.ifft(signal({n})) at lines {lines}")
        emit(f"kNumpyRe{n}", x.real[lines])
        emit(f"kNumpyIm{n}", x.imag[lines])

    n = 16
    def rolled(w):
        return np.roll(w, -1)
    wins = {
        "Cos2": W.hann(n, sym=False),
        "Gauss": W.gaussian(n, n / 6, sym=False),
        "Hamming": W.general_hamming(n, 25 / 46, sym=False),
        "Blackman": W.general_cosine(n, [7938 / 18608, 9240 / 18608, 1430 / 18608], sym=False),
        "BlkmHarris": W.blackmanharris(n, sym=False),
        "BlkmNuttall": W.nuttall(n, sym=False),
        "Tukey03": W.tukey(n, 0.3, sym=False),
        "Tukey06": W.tukey(n, 0.6, sym=False),
        "Tukey05": W.tukey(n, 0.5, sym=False),
    }
    for name, w in wins.items():
        print(f"// scipy.signal.windows, N = {n}, periodic, rolled left by one")
        emit(f"kWin{name}", rolled(w))


if __name__ == "__main__":
    main()
