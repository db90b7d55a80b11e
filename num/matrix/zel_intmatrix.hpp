/// @file
/// Zel_matrix, part 2: TIntMatrix, the matrix of 32-bit integers with a dense
/// and a sparse storage mode. Include num/matrix/zel_matrix.hpp, which gives
/// the whole unit.
#pragma once

#include "num/matrix/zel_matrix.hpp"

namespace zel {}  // namespace zel
