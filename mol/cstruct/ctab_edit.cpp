// TCTab: accessors and editing.
#include <algorithm>
#include <cctype>
#include <limits>

#include "gui/zel_graphics.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

void ClearCTElem(CTElem& Rec) {
  Rec = CTElem{};
  Rec.dispAttr = kDispDefaultColor;
}

TCTab::TCTab(TComponent* AOwner) : TComponent(AOwner) {}
TCTab::~TCTab() = default;

CTElem* TCTab::Atom(int32_t i) {
  return (i >= 1 && i <= FNumValidAtoms) ? &FAtomEntries[i - 1] : nullptr;
}

const CTElem* TCTab::Atom(int32_t i) const {
  return (i >= 1 && i <= FNumValidAtoms) ? &FAtomEntries[i - 1] : nullptr;
}

void TCTab::Changed() {
  if (FUpdateLevel > 0) {
    FPendingChange = true;
    return;
  }
  if (OnChange) OnChange(this);
}

void TCTab::BeginUpdate() { ++FUpdateLevel; }

void TCTab::EndUpdate() {
  if (FUpdateLevel == 0) return;
  if (--FUpdateLevel == 0 && FPendingChange) {
    FPendingChange = false;
    if (OnChange) OnChange(this);
  }
}

int32_t TCTab::ValidDegree(int32_t i) const {
  const CTElem* a = Atom(i);
  if (!a) return 0;
  int32_t n = 0;
  for (int k = 0; k < kMaxCTConn; ++k)
    if (cstruct_impl::ValidNeighbour(a->connTo[k], i, FNumValidAtoms)) ++n;
  return n;
}

int32_t TCTab::HeavyDegree(int32_t i) const {
  const CTElem* a = Atom(i);
  if (!a) return 0;
  int32_t n = 0;
  for (int k = 0; k < kMaxCTConn; ++k) {
    const int32_t nb = a->connTo[k];
    if (cstruct_impl::ValidNeighbour(nb, i, FNumValidAtoms) && FAtomEntries[nb - 1].atNum != 1) ++n;
  }
  return n;
}

// ---------------------------------------------------------------------------
// Accessors
// ---------------------------------------------------------------------------

int32_t TCTab::GetAtNum(int32_t i) const { return Atom(i) ? Atom(i)->atNum : 0; }
int32_t TCTab::GetAtWeight(int32_t i) const { return Atom(i) ? Atom(i)->atWeight : 0; }
int32_t TCTab::GetAtFlag(int32_t i) const { return Atom(i) ? Atom(i)->atFlag : 0; }
int32_t TCTab::GetAttrib(int32_t i) const { return Atom(i) ? Atom(i)->attrib : 0; }
int32_t TCTab::GetCharge(int32_t i) const { return Atom(i) ? Atom(i)->charge : 0; }

int32_t TCTab::GetConnTo(int32_t i, int32_t slot) const {
  const CTElem* a = Atom(i);
  return (a && slot >= 1 && slot <= kMaxCTConn) ? a->connTo[slot - 1] : 0;
}

int32_t TCTab::GetTypConn(int32_t i, int32_t slot) const {
  const CTElem* a = Atom(i);
  return (a && slot >= 1 && slot <= kMaxCTConn) ? a->typConn[slot - 1] : 0;
}

double TCTab::GetCoords(int32_t i, int32_t dim) const {
  const CTElem* a = Atom(i);
  return (a && dim >= 1 && dim <= 3) ? a->coords[dim - 1] : 0.0;
}

CTElem TCTab::GetAtomEntries(int32_t i) const {
  if (const CTElem* a = Atom(i)) return *a;
  CTElem r;
  ClearCTElem(r);
  return r;
}

void TCTab::SetAtNum(int32_t i, int32_t z) {
  CTElem* a = Atom(i);
  if (!a || z < 1 || z > kMaxAtomicNumber) return;
  a->atNum = static_cast<uint8_t>(z);
  Changed();
}

void TCTab::SetAtWeight(int32_t i, int32_t w) {
  CTElem* a = Atom(i);
  if (!a || w < 0 || w > 65535) return;
  a->atWeight = static_cast<uint16_t>(w);
  Changed();
}

void TCTab::SetAtFlag(int32_t i, int32_t f) {
  CTElem* a = Atom(i);
  if (!a || f < 0 || f > 255) return;
  a->atFlag = static_cast<uint8_t>(f);
  Changed();
}

void TCTab::SetAttrib(int32_t i, int32_t v) {
  CTElem* a = Atom(i);
  if (!a || v < 0 || v > 255) return;
  a->attrib = static_cast<uint8_t>(v);
  Changed();
}

void TCTab::SetCharge(int32_t i, int32_t c) {
  CTElem* a = Atom(i);
  if (!a || c < -128 || c > 127) return;
  a->charge = static_cast<int8_t>(c);
  Changed();
}

void TCTab::SetConnTo(int32_t i, int32_t slot, int32_t nb) {
  CTElem* a = Atom(i);
  if (!a || slot < 1 || slot > kMaxCTConn || nb < 0 || nb > kMaxCTAtoms || nb == i) return;
  a->connTo[slot - 1] = static_cast<uint8_t>(nb);
  Changed();
}

void TCTab::SetTypConn(int32_t i, int32_t slot, int32_t t) {
  CTElem* a = Atom(i);
  if (!a || slot < 1 || slot > kMaxCTConn || t < 0 || t > 255) return;
  a->typConn[slot - 1] = static_cast<uint8_t>(t);
  Changed();
}

void TCTab::SetCoords(int32_t i, int32_t dim, double value) {
  CTElem* a = Atom(i);
  if (!a || dim < 1 || dim > 3) return;
  a->coords[dim - 1] = static_cast<float>(value);
  Changed();
}

namespace {

bool RecordAcceptable(const CTElem& rec, int32_t self) {
  if (rec.atNum > kMaxAtomicNumber) return false;
  for (int k = 0; k < kMaxCTConn; ++k)
    if (rec.connTo[k] > kMaxCTAtoms || (self > 0 && rec.connTo[k] == self)) return false;
  return true;
}

uint32_t MaskDisp(uint32_t d) { return d & (kDispColorMask | kDispVisualMask | kDispDefaultColor); }

}  // namespace

void TCTab::SetAtomEntries(int32_t i, const CTElem& rec) {
  CTElem* a = Atom(i);
  if (!a || !RecordAcceptable(rec, i)) return;
  *a = rec;
  a->dispAttr = MaskDisp(rec.dispAttr);
  Changed();
}

TColor TCTab::GetAtColor(int32_t i) const {
  const CTElem* a = Atom(i);
  return a ? static_cast<TColor>(a->dispAttr & kDispColorMask) : 0;
}

void TCTab::SetAtColor(int32_t i, TColor c) {
  CTElem* a = Atom(i);
  if (!a) return;
  const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(c)) & kDispColorMask;
  a->dispAttr = (a->dispAttr & kDispVisualMask) | rgb;
  Changed();
}

int32_t TCTab::GetNBonds(int32_t i) const {
  const CTElem* a = Atom(i);
  if (!a) return 0;
  return static_cast<int32_t>(
      std::count_if(a->connTo.begin(), a->connTo.end(), [](uint8_t c) { return c != 0; }));
}

int32_t TCTab::MaxNBonds(int32_t& i) const {
  i = 0;
  int32_t best = 0;
  for (int32_t k = 1; k <= FNumValidAtoms; ++k) {
    const int32_t n = GetNBonds(k);
    if (i == 0 || n > best) {
      best = n;
      i = k;
    }
  }
  return best;
}

int32_t TCTab::CheckConnect(int32_t a, int32_t b) const {
  const CTElem* r = Atom(a);
  if (!r || !Atom(b) || a == b) return 0;
  for (int k = 0; k < kMaxCTConn; ++k)
    if (r->connTo[k] == b) return r->typConn[k];
  return 0;
}

void TCTab::SetStrucName(const std::string& Value) {
  FStrucName = Value;
  Changed();
}

void TCTab::SetCoordUnits(CoordUnitType Value) {
  FCoordUnit = Value;
  Changed();
}

// ---------------------------------------------------------------------------
// Editing
// ---------------------------------------------------------------------------

namespace {

int FindSlot(const CTElem& r, int32_t nb) {
  for (int k = 0; k < kMaxCTConn; ++k)
    if (r.connTo[k] == nb) return k;
  return -1;
}

// Same as EnterConn on a raw record; false when all slots are taken.
bool Enter(CTElem& r, int32_t nb, int32_t type) {
  int k = FindSlot(r, nb);
  if (k < 0) k = FindSlot(r, 0);
  if (k < 0) return false;
  r.connTo[k] = static_cast<uint8_t>(nb);
  r.typConn[k] = static_cast<uint8_t>(type);
  return true;
}

bool Remove(CTElem& r, int32_t nb) {
  bool found = false;
  for (int k = 0; k < kMaxCTConn; ++k)
    if (r.connTo[k] == nb) {
      r.connTo[k] = 0;
      r.typConn[k] = 0;
      found = true;
    }
  return found;
}

}  // namespace

bool TCTab::MakeConnection(int32_t a, int32_t b, int32_t type) {
  CTElem* ra = Atom(a);
  CTElem* rb = Atom(b);
  if (!ra || !rb || a == b || type < 0 || type > 255) return false;
  if (type == 0) {
    const bool fa = Remove(*ra, b);
    const bool fb = Remove(*rb, a);
    if (fa || fb) Changed();
    return fa || fb;
  }
  const bool roomA = FindSlot(*ra, b) >= 0 || FindSlot(*ra, 0) >= 0;
  const bool roomB = FindSlot(*rb, a) >= 0 || FindSlot(*rb, 0) >= 0;
  if (!roomA || !roomB) return false;
  Enter(*ra, b, type);
  Enter(*rb, a, type);
  Changed();
  return true;
}

void TCTab::EnterConn(int32_t i, int32_t nb, int32_t type) {
  // Bounds are the table's capacity, not NAtoms: readers enter forward
  // references before the atoms they point to exist.
  if (i < 1 || i > kMaxCTAtoms || nb < 1 || nb > kMaxCTAtoms || i == nb || type < 0 || type > 255)
    return;
  if (Enter(FAtomEntries[i - 1], nb, type)) Changed();
}

int32_t TCTab::MakeSymmetricConnections() {
  int32_t skipped = 0;
  for (int32_t a = 1; a <= FNumValidAtoms; ++a) {
    for (int k = 0; k < kMaxCTConn; ++k) {
      const int32_t b = FAtomEntries[a - 1].connTo[k];
      if (b == 0) continue;
      if (!cstruct_impl::ValidNeighbour(b, a, FNumValidAtoms)) {
        ++skipped;
        continue;
      }
      if (!Enter(FAtomEntries[b - 1], a, FAtomEntries[a - 1].typConn[k])) ++skipped;
    }
  }
  Changed();
  return skipped;
}

bool TCTab::AppendRecord(const CTElem& rec) {
  if (FNumValidAtoms >= kMaxCTAtoms || !RecordAcceptable(rec, FNumValidAtoms + 1)) return false;
  CTElem& r = FAtomEntries[FNumValidAtoms];
  // Stale one-sided entries of an earlier use must not survive.
  ClearCTElem(r);
  r.atNum = rec.atNum;
  r.atWeight = rec.atWeight;
  r.atFlag = rec.atFlag;
  r.attrib = rec.attrib;
  r.charge = rec.charge;
  r.coords = rec.coords;
  r.dispAttr = MaskDisp(rec.dispAttr);
  for (int k = 0; k < kMaxCTConn; ++k)
    if (rec.connTo[k] != 0) Enter(r, rec.connTo[k], rec.typConn[k]);
  ++FNumValidAtoms;
  return true;
}

bool TCTab::AddAtom(const CTElem& rec) {
  if (!AppendRecord(rec)) return false;
  Changed();
  return true;
}

void TCTab::RemoveDuplicatesAndCompact(CTElem& rec) {
  CTElem out = rec;
  out.connTo.fill(0);
  out.typConn.fill(0);
  int n = 0;
  for (int k = 0; k < kMaxCTConn; ++k) {
    const uint8_t c = rec.connTo[k];
    if (c == 0) continue;
    bool dup = false;
    for (int j = 0; j < n; ++j) dup = dup || out.connTo[j] == c;
    if (dup) continue;
    out.connTo[n] = c;
    out.typConn[n] = rec.typConn[k];
    ++n;
  }
  rec = out;
}

void TCTab::DeleteAtom(int32_t n) {
  CTElem* del = Atom(n);
  if (!del) return;
  const CTElem gone = *del;
  for (int32_t j = 1; j <= FNumValidAtoms; ++j) {
    if (j == n) continue;
    CTElem& r = FAtomEntries[j - 1];
    const int s = FindSlot(r, n);
    if (s < 0) continue;
    Remove(r, n);
    // Contraction: j inherits n's other bonds.
    for (int k = 0; k < kMaxCTConn; ++k) {
      const int32_t nb = gone.connTo[k];
      if (nb == 0 || nb == j || nb == n) continue;
      const int free = FindSlot(r, 0);
      if (free < 0) break;
      r.connTo[free] = static_cast<uint8_t>(nb);
      r.typConn[free] = gone.typConn[k];
    }
  }
  const int32_t last = FNumValidAtoms;
  if (n != last) {
    FAtomEntries[n - 1] = FAtomEntries[last - 1];
    for (int32_t j = 1; j < last; ++j)
      for (auto& c : FAtomEntries[j - 1].connTo)
        if (c == last) c = static_cast<uint8_t>(n);
  }
  ClearCTElem(FAtomEntries[last - 1]);
  --FNumValidAtoms;
  for (int32_t j = 1; j <= FNumValidAtoms; ++j) RemoveDuplicatesAndCompact(FAtomEntries[j - 1]);
  Changed();
}

void TCTab::Clear() {
  FNumValidAtoms = 0;
  FStrucName.clear();
  FCASNr = 0;
  FCoordUnit = CoordUnitType::cuUnknown;
  for (auto& r : FAtomEntries) ClearCTElem(r);
  Changed();
}

void TCTab::ClearAttributes() {
  for (int32_t i = 0; i < FNumValidAtoms; ++i) FAtomEntries[i].attrib = 0;
  Changed();
}

void TCTab::CopyFrom(const TCTab* Source) {
  if (!Source) return;
  if (Source != this) {
    FNumValidAtoms = Source->FNumValidAtoms;
    FStrucName = Source->FStrucName;
    FCoordUnit = Source->FCoordUnit;
    FCASNr = Source->FCASNr;
    FAtomEntries = Source->FAtomEntries;
  }
  Changed();
}

uint16_t TCTab::CompareWith(const TCTab* Source) const {
  if (!Source) return 0xFFFF;
  uint16_t m = 0;
  if (FNumValidAtoms != Source->FNumValidAtoms) m |= kCmpAtomCount;
  auto lower = [](std::string s) {
    for (auto& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
  };
  if (lower(FStrucName) != lower(Source->FStrucName)) m |= kCmpName;
  if (FCoordUnit != Source->FCoordUnit) m |= kCmpCoordUnit;
  if (FCASNr != Source->FCASNr) m |= kCmpCASNr;
  for (int32_t i = 0; i < kMaxCTAtoms; ++i) {
    const CTElem& a = FAtomEntries[i];
    const CTElem& b = Source->FAtomEntries[i];
    if (a.atNum != b.atNum) m |= kCmpAtNum;
    if (a.atWeight != b.atWeight) m |= kCmpAtWeight;
    if (a.atFlag != b.atFlag) m |= kCmpAtFlag;
    if (a.attrib != b.attrib) m |= kCmpAttrib;
    if (a.charge != b.charge) m |= kCmpCharge;
    if (a.coords[0] != b.coords[0]) m |= kCmpX;
    if (a.coords[1] != b.coords[1]) m |= kCmpY;
    if (a.coords[2] != b.coords[2]) m |= kCmpZ;
    if (a.connTo != b.connTo) m |= kCmpConnTo;
    if (a.typConn != b.typConn) m |= kCmpTypConn;
  }
  return m;
}

bool TCTab::JoinFragment(const TCTab* Source) {
  if (!Source) return false;
  const int32_t srcN = Source->FNumValidAtoms;
  const std::array<CTElem, kMaxCTAtoms> src = Source->FAtomEntries;  // working copy
  std::array<int32_t, kMaxCTAtoms + 1> map{};
  std::array<bool, kMaxCTAtoms + 1> identified{};
  int32_t next = FNumValidAtoms;
  for (int32_t s = 1; s <= srcN; ++s) {
    const uint8_t label = src[s - 1].atFlag;
    int32_t target = 0;
    if (label != 0)
      for (int32_t j = 1; j <= FNumValidAtoms; ++j)
        if (FAtomEntries[j - 1].atFlag == label) target = j;
    if (target != 0) {
      map[s] = target;
      identified[s] = true;
    } else {
      map[s] = ++next;
    }
  }
  if (next > kMaxCTAtoms) return false;
  if (srcN == 0) return true;
  for (int32_t s = 1; s <= srcN; ++s) {
    const CTElem& r = src[s - 1];
    CTElem renum = r;
    renum.connTo.fill(0);
    renum.typConn.fill(0);
    int n = 0;
    for (int k = 0; k < kMaxCTConn; ++k) {
      const int32_t nb = r.connTo[k];
      if (!cstruct_impl::ValidNeighbour(nb, s, srcN) || map[nb] == map[s]) continue;
      renum.connTo[n] = static_cast<uint8_t>(map[nb]);
      renum.typConn[n] = r.typConn[k];
      ++n;
    }
    if (identified[s]) {
      CTElem& t = FAtomEntries[map[s] - 1];
      t.atNum = r.atNum;
      t.atWeight = r.atWeight;
      t.charge = r.charge;
      for (int k = 0; k < n; ++k) Enter(t, renum.connTo[k], renum.typConn[k]);
    } else {
      AppendRecord(renum);
    }
  }
  Changed();
  return true;
}

bool TCTab::LinkFragment(const TCTab* Source) {
  if (!Source) return false;
  const int32_t srcN = Source->FNumValidAtoms;
  const int32_t old = FNumValidAtoms;
  if (old + srcN > kMaxCTAtoms) return false;
  const std::array<CTElem, kMaxCTAtoms> src = Source->FAtomEntries;  // working copy
  for (int32_t s = 1; s <= srcN; ++s) {
    CTElem r = src[s - 1];
    for (int k = 0; k < kMaxCTConn; ++k) {
      const int32_t nb = r.connTo[k];
      if (cstruct_impl::ValidNeighbour(nb, s, srcN)) {
        r.connTo[k] = static_cast<uint8_t>(nb + old);
      } else {
        r.connTo[k] = 0;
        r.typConn[k] = 0;
      }
    }
    AppendRecord(r);
  }
  for (int32_t a = 1; a <= old; ++a) {
    const uint8_t label = FAtomEntries[a - 1].atFlag;
    if (label == 0) continue;
    for (int32_t b = old + 1; b <= FNumValidAtoms; ++b)
      if (FAtomEntries[b - 1].atFlag == label) {
        Enter(FAtomEntries[a - 1], b, 1);
        Enter(FAtomEntries[b - 1], a, 1);
      }
  }
  Changed();
  return true;
}

bool TCTab::SumForContained(const TCTab* Small) const {
  if (!Small || Small->FNumValidAtoms > FNumValidAtoms) return false;
  std::array<int32_t, kMaxAtomicNumber + 1> cnt{};
  for (int32_t i = 0; i < FNumValidAtoms; ++i)
    ++cnt[std::min<int32_t>(FAtomEntries[i].atNum, kMaxAtomicNumber)];
  for (int32_t i = 0; i < Small->FNumValidAtoms; ++i)
    if (--cnt[std::min<int32_t>(Small->FAtomEntries[i].atNum, kMaxAtomicNumber)] < 0) return false;
  return true;
}

bool TCTab::ContainsUnconnectedAtom() const {
  for (int32_t i = 1; i <= FNumValidAtoms; ++i)
    if (ValidDegree(i) == 0) return true;
  return false;
}

void TCTab::RemoveHydrogen() {
  BeginUpdate();
  int32_t i = 1;
  while (i <= FNumValidAtoms) {
    // The last atom moves into i: look at i again.
    if (FAtomEntries[i - 1].atNum == 1)
      DeleteAtom(i);
    else
      ++i;
  }
  EndUpdate();
}

int32_t TCTab::StripfromChains() {
  BeginUpdate();
  bool again = true;
  while (again) {
    again = false;
    int32_t i = 1;
    while (i <= FNumValidAtoms) {
      if (GetNBonds(i) == 1) {
        DeleteAtom(i);
        again = true;
      } else {
        ++i;
      }
    }
  }
  if (FNumValidAtoms == 1) DeleteAtom(1);
  EndUpdate();
  return FNumValidAtoms;
}

int32_t TCTab::FindNextEndAtom(int32_t i) const {
  if (!Atom(i)) return 0;
  for (int32_t k = i; k <= FNumValidAtoms; ++k)
    if (GetNBonds(k) == 1) return k;
  return 0;
}

int32_t TCTab::AtomCount(int32_t z) const {
  int32_t n = 0;
  for (int32_t i = 0; i < FNumValidAtoms; ++i)
    if (FAtomEntries[i].atNum == z) ++n;
  return n;
}

std::string TCTab::GetCASNr() const { return FormatCASNr(FCASNr); }

void TCTab::SetCASNr(const std::string& Value) {
  int64_t n = 0;
  if (ConvertStrToCASNr(Value, n)) FCASNr = n;
  Changed();
}

void TCTab::SetBinCASNr(int64_t Value) {
  if (!zel::CheckCASNr(Value)) return;
  FCASNr = Value;
  Changed();
}

bool TCTab::CheckCASNr(int64_t Value) { return zel::CheckCASNr(Value); }

bool TCTab::GetCoordsPresent() const {
  for (int32_t i = 0; i < FNumValidAtoms; ++i)
    for (float c : FAtomEntries[i].coords)
      if (c != 0.0f) return true;
  return false;
}

void TCTab::SetCoordsPresent(bool Value) {
  if (Value) return;
  for (int32_t i = 0; i < FNumValidAtoms; ++i) FAtomEntries[i].coords = {0.0f, 0.0f, 0.0f};
  Changed();
}

}  // namespace zel
