// The constant tables of the element data unit, for the unit's own sources
// and its tests (not installed). They are defined once, in elements.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zel::cdata_detail {

struct TElementRow {
  std::string_view Symbol;
  std::string_view Name;
  int16_t MassNumber;
  double ExactMass;
  double ChemWeight;  // 0: none in the table
  int8_t OuterElectrons;
  std::string_view Config;  // at most 22 characters
};

// Row Z for Z = 1..103; row 0 is the neutral row (empty strings, zeros).
extern const std::array<TElementRow, 104> kElements;

// Van der Waals radii in hundredths of an angstrom for Z = 1..53 (index Z).
extern const std::array<int16_t, 54> kVdwRadii;

constexpr int32_t kGridCols = 18;
constexpr int32_t kGridRows = 9;
// Row-major periodic-system grid: Z or 0 per cell.
extern const std::array<uint8_t, kGridCols * kGridRows> kPerSysGrid;

constexpr int32_t kFirstXRayZ = 4;
constexpr int32_t kLastXRayZ = 92;
struct TXRayRow {
  double K, L, M;  // keV, 0 where there is no line
};
// Lines of Z = kFirstXRayZ..kLastXRayZ at index Z - kFirstXRayZ.
extern const std::array<TXRayRow, kLastXRayZ - kFirstXRayZ + 1> kXRayLines;

// Name fragment k (1..128) at index k - 1; its code is the byte 127 + k.
extern const std::array<std::string_view, 128> kNameFragments;

struct TIsotopeRow {
  int16_t Z;
  int16_t A;
  double Mass;  // u
};
// Labelling isotopes other than each element's own; sorted by Z, then A.
extern const std::array<TIsotopeRow, 47> kIsotopes;

}  // namespace zel::cdata_detail
