/// @file
/// Zel_matrix, part 3: TMat3D and TMat4D, the three- and four-dimensional
/// matrices of doubles. Include num/matrix/zel_matrix.hpp, which gives the
/// whole unit.
#pragma once

#include "num/matrix/zel_matrix.hpp"

namespace zel {}  // namespace zel
