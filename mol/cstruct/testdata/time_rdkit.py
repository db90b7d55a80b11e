#!/usr/bin/python3
"""Times RDKit on the molecules of nci_bench.txt, as bench_cstruct times the
connection table: GetSymmSSSR, and HasSubstructMatch for a six-ring of
carbons with any bonds and for C(=O)-O on the Kekule form. Prints molecules
per second, the median of 5 runs.
    /usr/bin/python3 mol/cstruct/testdata/time_rdkit.py
"""
import os
import statistics
import time

from rdkit import Chem, RDLogger

RDLogger.DisableLog("rdApp.*")
HERE = os.path.dirname(os.path.abspath(__file__))
TYPES = {1: Chem.BondType.SINGLE, 2: Chem.BondType.DOUBLE, 3: Chem.BondType.TRIPLE}


def load():
    mols = []
    with open(os.path.join(HERE, "nci_bench.txt")) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            _, atoms, bonds = line.rstrip("\n").split(" | ")
            m = Chem.RWMol()
            for a in atoms.split():
                z, q, _ = map(int, a.split(":"))
                atom = Chem.Atom(z)
                atom.SetFormalCharge(q)
                m.AddAtom(atom)
            for b in bonds.split():
                i, j, t = map(int, b.split("-"))
                m.AddBond(i - 1, j - 1, TYPES[t])
            mol = m.GetMol()
            mol.UpdatePropertyCache(strict=False)
            mols.append(mol)
    return mols


def rate(fn, mols, runs=5):
    times = []
    result = None
    for _ in range(runs):
        # RDKit caches ring information in the molecule: every run works on
        # fresh copies, so that each GetSymmSSSR really perceives the rings.
        fresh = [Chem.Mol(m) for m in mols]
        t0 = time.perf_counter()
        result = fn(fresh)
        times.append(time.perf_counter() - t0)
    return len(mols) / statistics.median(times), result


def main():
    mols = load()
    ring6 = Chem.MolFromSmarts("[#6]1~[#6]~[#6]~[#6]~[#6]~[#6]~1")
    acid = Chem.MolFromSmarts("[#6](=[#8])-[#8]")
    r, n = rate(lambda ms: sum(len(Chem.GetSymmSSSR(m)) for m in ms), mols)
    print("GetSymmSSSR        %9.0f molecules/s  (%d rings)" % (r, n))
    r, n = rate(lambda ms: sum(m.HasSubstructMatch(ring6) for m in ms), mols)
    print("six-ring search    %9.0f molecules/s  (%d hits)" % (r, n))
    r, n = rate(lambda ms: sum(m.HasSubstructMatch(acid) for m in ms), mols)
    print("C(=O)-O search     %9.0f molecules/s  (%d hits)" % (r, n))


if __name__ == "__main__":
    main()
