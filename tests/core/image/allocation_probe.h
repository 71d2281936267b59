// Records the largest single allocation made through operator new, so tests
// can prove that a hostile file is refused before any large allocation.
#pragma once

#include <cstddef>

namespace orvane::test {

void resetLargestAllocation();
std::size_t largestAllocation();

} // namespace orvane::test
