#!/usr/bin/python3
"""Writes the connection-table test data from RDKit's NCI sample.

Run once with Debian's python3-rdkit and rdkit-data (scripts/refdeps):
    /usr/bin/python3 mol/cstruct/testdata/make_reference.py
It writes, next to this script:
  nci_reference.txt  the first 400 usable molecules with RDKit's values
  nci_bench.txt      every usable molecule of the sample (benchmark input)

One molecule per line, fields separated by " | ":
  id | atoms | bonds | reference values (nci_reference.txt only)
  atoms:  "Z:charge:mass" per atom (mass 0 = the element's usual isotope)
  bonds:  "a-b-type" with 1-based atoms and types 1, 2, 3 (Kekule form,
          hydrogens implicit, so a pyrrole NH is an N with two single bonds)
  values: sssr=<len(GetSymmSSSR)>:<sorted ring sizes joined by ','>
          formula=<element count pairs from CalcMolFormula, "C7 H6 O2">
          ring6=<0/1: SMARTS [#6]1~[#6]~[#6]~[#6]~[#6]~[#6]~1 matches>
          acid=<0/1: SMARTS [#6](=[#8])-[#8] matches the Kekule form>
          frcoo=<rdkit.Chem.Fragments.fr_COO, carboxylic acids>
After them comes buckminsterfullerene (id C60, PubChem's SMILES for CID
123591), whose six-rings are nobody's shortest ring through an atom.
Molecules are skipped when they have more than 63 atoms, an atom with more
than 10 bonds, an isotope label, or a bond other than single, double or
triple after kekulization; the counts are printed.
"""
import os
import re

from rdkit import Chem, RDLogger
from rdkit.Chem import Fragments, rdMolDescriptors

RDLogger.DisableLog("rdApp.*")
HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = "/usr/share/RDKit/Data/NCI/first_5K.smi"
RING6 = Chem.MolFromSmarts("[#6]1~[#6]~[#6]~[#6]~[#6]~[#6]~1")
ACID = Chem.MolFromSmarts("[#6](=[#8])-[#8]")
EXTRA = [("C60", "C12=C3C4=C5C6=C1C7=C8C9=C1C%10=C%11C(=C29)C3=C2C3=C4C4=C5C5=C9C6=C7C6=C7C8=C1C1=C8C%10="
                 "C%10C%11=C2C2=C3C3=C4C4=C5C5=C%11C%12=C(C6=C95)C7=C1C1=C%12C5=C%11C4=C3C3=C5C(=C81)C%10=C23")]
TYPES = {Chem.BondType.SINGLE: 1, Chem.BondType.DOUBLE: 2, Chem.BondType.TRIPLE: 3}


def convert(mol):
    if mol.GetNumAtoms() > 63 or any(a.GetDegree() > 10 for a in mol.GetAtoms()):
        return None, "size"
    if any(a.GetIsotope() for a in mol.GetAtoms()):
        return None, "isotope"
    kek = Chem.Mol(mol)
    Chem.Kekulize(kek, clearAromaticFlags=True)
    bonds = []
    for b in kek.GetBonds():
        if b.GetBondType() not in TYPES:
            return None, "bond"
        bonds.append("%d-%d-%d" % (b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1, TYPES[b.GetBondType()]))
    atoms = ["%d:%d:0" % (a.GetAtomicNum(), a.GetFormalCharge()) for a in kek.GetAtoms()]
    return (" ".join(atoms), " ".join(bonds), kek), None


def reference(mol, kek):
    rings = sorted(len(r) for r in Chem.GetSymmSSSR(mol))
    formula = re.sub(r"[+-]\d*$", "", rdMolDescriptors.CalcMolFormula(mol))
    pairs = " ".join(s + (n or "1") for s, n in re.findall(r"([A-Z][a-z]?)(\d*)", formula))
    return "sssr=%d:%s formula=%s ring6=%d acid=%d frcoo=%d" % (
        len(rings), ",".join(map(str, rings)) or "-", pairs.replace(" ", "_"),
        kek.HasSubstructMatch(RING6), kek.HasSubstructMatch(ACID), Fragments.fr_COO(mol))


def main():
    skipped = {}
    ref_lines, bench_lines = [], []
    with open(SOURCE) as f:
        for line in f:
            smi, ident = line.split()
            mol = Chem.MolFromSmiles(smi)
            if mol is None:
                skipped["parse"] = skipped.get("parse", 0) + 1
                continue
            conv, why = convert(mol)
            if conv is None:
                skipped[why] = skipped.get(why, 0) + 1
                continue
            atoms, bonds, kek = conv
            bench_lines.append("%s | %s | %s" % (ident, atoms, bonds))
            if len(ref_lines) < 400:
                ref_lines.append("%s | %s | %s | %s" % (ident, atoms, bonds, reference(mol, kek)))
    for ident, smi in EXTRA:
        mol = Chem.MolFromSmiles(smi)
        atoms, bonds, kek = convert(mol)[0]
        ref_lines.append("%s | %s | %s | %s" % (ident, atoms, bonds, reference(mol, kek)))
    header = "# Made by make_reference.py from RDKit %s and %s; see the script.\n" % (Chem.rdBase.rdkitVersion, SOURCE)
    with open(os.path.join(HERE, "nci_reference.txt"), "w") as f:
        f.write(header + "\n".join(ref_lines) + "\n")
    with open(os.path.join(HERE, "nci_bench.txt"), "w") as f:
        f.write(header + "\n".join(bench_lines) + "\n")
    print("reference", len(ref_lines), "bench", len(bench_lines), "skipped", skipped)


if __name__ == "__main__":
    main()
