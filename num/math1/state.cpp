#include "num/math1/zel_math1.hpp"
