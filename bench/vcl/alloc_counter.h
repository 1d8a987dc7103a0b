// Counts the bytes the program holds on the heap, with their peak.
#pragma once

#include <cstddef>

namespace bench {

std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetHeapPeak();  // the peak restarts from what is in use now

}  // namespace bench
