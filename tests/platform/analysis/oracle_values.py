#!/usr/bin/env python3
"""Reference values pasted into the analysis tests, computed with plain Python (math, cmath)
from the textbook definitions, independently of the C++ code:
  FIR   windowed sinc, scaled to unity gain where the filter passes;
  DFT   the defining sum;
  Butterworth  analogue poles mapped one by one through the bilinear transform (zero-pole
        form), expanded to one polynomial pair and run as a single difference equation.
Run: python3 oracle_values.py
"""
import cmath
import math


def window(kind, n):
    if n == 1:
        return [1.0]
    m = (n - 1) / 2
    out = []
    for k in range(n):
        ph = 2 * math.pi * k / (n - 1)
        if kind == 'rect':
            out.append(1.0)
        elif kind == 'triang':  # end points not zero, as MATLAB/SciPy triang
            half = (n + 1) / 2 if n % 2 else n / 2
            out.append(1 - abs(k - m) / half)
        elif kind == 'hanning':
            out.append(0.5 - 0.5 * math.cos(ph))
        elif kind == 'hamming':
            out.append(0.54 - 0.46 * math.cos(ph))
        elif kind == 'blackman':
            out.append(0.42 - 0.5 * math.cos(ph) + 0.08 * math.cos(2 * ph))
    return out


def sinc(x):
    return 1.0 if x == 0 else math.sin(math.pi * x) / (math.pi * x)


def fir(kind, fs, n, win, f1, f2=None):
    m = (n - 1) / 2
    lp = lambda f, t: 2 * f / fs * sinc(2 * f / fs * t)
    h = []
    for k in range(n):
        t = k - m
        d = 1.0 if t == 0 else 0.0
        if kind == 'lp':
            v = lp(f1, t)
        elif kind == 'hp':
            v = d - lp(f1, t)
        elif kind == 'bp':
            v = lp(f2, t) - lp(f1, t)
        else:
            v = d - (lp(f2, t) - lp(f1, t))
        h.append(v)
    w = window(win, n)
    h = [a * b for a, b in zip(h, w)]
    f = {'lp': 0.0, 'bs': 0.0, 'hp': fs / 2, 'bp': (f1 + (f2 or 0)) / 2}[kind]
    # gain at f: |sum h[k] e^{-j 2 pi f k / fs}|, the amplitude of a linear-phase filter
    g = abs(sum(h[k] * cmath.exp(-2j * math.pi * f * k / fs) for k in range(n)))
    return [v / g for v in h]


def poly_from_roots(roots):
    p = [1 + 0j]
    for r in roots:
        p = [a - r * b for a, b in zip(p + [0], [0] + p)]
    return [c.real for c in p]


def butter(order, fs, fc, high):
    wc = 2 * fs * math.tan(math.pi * fc / fs)  # pre-warped
    poles = [wc * cmath.exp(1j * math.pi * (2 * k + order + 1) / (2 * order))
             for k in range(order)]
    zpoles = [(1 + p / (2 * fs)) / (1 - p / (2 * fs)) for p in poles]
    zzeros = [1.0 if high else -1.0] * order
    b = poly_from_roots(zzeros)
    a = poly_from_roots(zpoles)
    z = -1.0 if high else 1.0  # unity gain at fs/2 or at 0 Hz
    gain = abs(sum(c * z ** -i for i, c in enumerate(a)) / sum(c * z ** -i for i, c in enumerate(b)))
    return [c * gain for c in b], a


def lfilter(b, a, x):
    y = []
    for i in range(len(x)):
        acc = sum(b[k] * x[i - k] for k in range(len(b)) if i - k >= 0)
        acc -= sum(a[k] * y[i - k] for k in range(1, len(a)) if i - k >= 0)
        y.append(acc / a[0])
    return y


def dft(x):
    n = len(x)
    return [sum(x[i] * cmath.exp(-2j * math.pi * i * k / n) for i in range(n)) for k in range(n)]


def show(name, values):
    print(f'{name} = {{' + ', '.join(f'{v:.17g}' for v in values) + '};')


if __name__ == '__main__':
    for win in ['rect', 'triang', 'hanning', 'hamming', 'blackman']:
        show(f'lowPass11_{win}', fir('lp', 1000, 11, win, 100))
    show('lowPass10_triang', fir('lp', 1000, 10, 'triang', 150))
    show('highPass9_hamming', fir('hp', 1000, 9, 'hamming', 200))
    show('bandPass15_blackman', fir('bp', 1000, 15, 'blackman', 100, 200))
    show('bandPass8_hanning', fir('bp', 1000, 8, 'hanning', 100, 250))
    show('bandStop13_triang', fir('bs', 1000, 13, 'triang', 150, 250))
    b, a = butter(3, 1000, 50, False)
    show('lowPass3Step', lfilter(b, a, [1.0] * 12))
    b, a = butter(2, 1000, 100, True)
    show('highPass2Step', lfilter(b, a, [1.0] * 10))
    b, a = butter(5, 8000, 1200, False)
    show('lowPass5Step', lfilter(b, a, [1.0] * 10))
    x = [0.5, -1.25, 3.0, 2.0, -0.75, 0.0, 1.5, -2.5]
    X = dft(x)
    show('dft8Re', [v.real for v in X])
    show('dft8Im', [v.imag for v in X])
