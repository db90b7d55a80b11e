// Private helpers shared by the connection-table sources.
#pragma once

#include <array>
#include <cstdint>

#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

/// Direct read access to a table's records for the analyses.
struct CTabAccess {
  static const std::array<CTElem, kMaxCTAtoms>& Records(const TCTab& t) { return t.FAtomEntries; }
};

}  // namespace zel

namespace zel::cstruct_impl {

/// A slot entry an analysis may follow: an existing atom other than self.
inline bool ValidNeighbour(int32_t nb, int32_t self, int32_t nAtoms) {
  return nb >= 1 && nb <= nAtoms && nb != self;
}

/// The valid neighbours of every atom with their bond types, built once per
/// analysis so that the loops never look at raw slots again.
struct Graph {
  int32_t n = 0;
  std::array<int32_t, kMaxCTAtoms + 1> deg{};
  std::array<std::array<uint8_t, kMaxCTConn>, kMaxCTAtoms + 1> nb{};
  std::array<std::array<uint8_t, kMaxCTConn>, kMaxCTAtoms + 1> type{};
};

Graph BuildGraph(const TCTab& t);

}  // namespace zel::cstruct_impl
