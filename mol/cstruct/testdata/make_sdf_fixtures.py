#!/usr/bin/python3
"""Writes the structure-file fixtures and RDKit's reading of them.

Run once with Debian's python3-rdkit and rdkit-data (BSD licensed):
    /usr/bin/python3 mol/cstruct/testdata/make_sdf_fixtures.py
It copies whole records (bytes unchanged) of RDKit's sample files into this
folder and writes sdf_reference.txt, one line per record of every fixture:
  file | record (1-based) | name | atoms | bonds
  atoms: "Z:charge:isotope" per atom (isotope 0 = none given)
  bonds: "a-b-type" with 1-based atoms, type 1, 2, 3 or 4 (aromatic)
as Chem.SDMolSupplier(path, removeHs=False, sanitize=False) reads them.
Selections:
  nci_sample.sdf     records 1-40 of NCI/first_200.props.sdf and every other
                     record with an "M  CHG" line (charges only there)
  pubchem_sample.sdf records 1-40 of pubchem.200.sdf
  bzr_sample.sdf     records 1-40 of bzr.sdf and every record with a charge
                     in the atom block
  cdk2_sample.sdf    records 1-30 of cdk2.sdf (explicit H, "> <X>" headers)
                     and the largest record (62 atoms)
  egfr_sample.sdf    records 1-30 of egfr.sdf and every record with more than
                     63 atoms (explicit H; the reader skips them)
  bzr_q1.mol, CHEMBL2321810_scaffold.mol  whole files
"""
import os
from rdkit import Chem, RDLogger

RDLogger.DisableLog("rdApp.*")
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = "/usr/share/RDKit"
SRC = {
    "nci": ROOT + "/Data/NCI/first_200.props.sdf",
    "pubchem": ROOT + "/Projects/DbCLI/testData/pubchem.200.sdf",
    "bzr": ROOT + "/Projects/DbCLI/testData/bzr.sdf",
    "cdk2": ROOT + "/Contrib/Fastcluster/testdata/cdk2.sdf",
    "egfr": ROOT + "/Contrib/PBF/testData/egfr.sdf",
}
MOLS = [ROOT + "/Projects/DbCLI/testData/bzr_q1.mol",
        ROOT + "/Contrib/FreeWilson/data/CHEMBL2321810_scaffold.mol"]


def records(path):
    text = open(path, "rb").read().decode("latin-1")
    out, cur = [], []
    for line in text.splitlines(keepends=True):
        cur.append(line)
        if line.rstrip("\r\n") == "$$$$":
            out.append("".join(cur))
            cur = []
    return out


def atom_count(rec):
    return int(rec.splitlines()[3][0:3])


def select(name, recs):
    if name == "nci":
        return [r for i, r in enumerate(recs) if i < 40 or "M  CHG" in r]
    if name == "pubchem":
        return recs[:40]
    if name == "bzr":
        def block_charge(r):
            lines = r.splitlines()
            n = atom_count(r)
            return any(l[36:39].strip() not in ("", "0") for l in lines[4:4 + n])
        return [r for i, r in enumerate(recs) if i < 40 or block_charge(r)]
    if name == "cdk2":
        big = max(range(len(recs)), key=lambda i: atom_count(recs[i]))
        return [r for i, r in enumerate(recs) if i < 30 or i == big]
    if name == "egfr":
        return [r for i, r in enumerate(recs) if i < 30 or atom_count(r) > 63]
    raise ValueError(name)


def describe(mol):
    atoms = " ".join("%d:%d:%d" % (a.GetAtomicNum(), a.GetFormalCharge(), a.GetIsotope())
                     for a in mol.GetAtoms())
    types = {Chem.BondType.SINGLE: 1, Chem.BondType.DOUBLE: 2,
             Chem.BondType.TRIPLE: 3, Chem.BondType.AROMATIC: 4}
    bonds = " ".join("%d-%d-%d" % (b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1,
                                   types.get(b.GetBondType(), 0)) for b in mol.GetBonds())
    return atoms, bonds


def main():
    files = []
    for name, path in SRC.items():
        out = name + "_sample.sdf"
        sel = select(name, records(path))
        with open(os.path.join(HERE, out), "wb") as f:
            f.write("".join(sel).encode("latin-1"))
        files.append(out)
        print(out, len(sel), "records")
    for path in MOLS:
        out = os.path.basename(path)
        with open(path, "rb") as src, open(os.path.join(HERE, out), "wb") as f:
            f.write(src.read())
        files.append(out)
    with open(os.path.join(HERE, "sdf_reference.txt"), "w") as ref:
        for out in files:
            supp = Chem.SDMolSupplier(os.path.join(HERE, out), removeHs=False, sanitize=False)
            for i, mol in enumerate(supp):
                if mol is None:
                    raise SystemExit("RDKit could not read record %d of %s" % (i + 1, out))
                atoms, bonds = describe(mol)
                name = mol.GetProp("_Name") if mol.HasProp("_Name") else ""
                ref.write("%s | %d | %s | %s | %s\n" % (out, i + 1, name.strip(), atoms, bonds))


if __name__ == "__main__":
    main()
