"""Printing helper shared by the reference scripts of this folder."""
import numpy as np


def arr(name, a):
    """Prints a as a flat C++ initialiser list (row-major) under a comment
    naming it and its shape; repr keeps every digit of each double."""
    a = np.asarray(a, dtype=float)
    flat = ", ".join(repr(float(x)) for x in a.ravel())
    print(f"// {name}: shape {a.shape}, row-major")
    print(f"{{{flat}}}")
