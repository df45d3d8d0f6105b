// Counts the heap held through operator new in the test program that links heap_counter.cpp, so
// that a test can bound the memory a read or a drawing takes by counting, not by watching the
// clock or the process size. Memory that C libraries take with malloc is not counted.
#pragma once

#include <cstddef>

namespace heapcount {

size_t Live();  // bytes held now
size_t Peak();  // most bytes held at once since the last ResetPeak
void ResetPeak();

}  // namespace heapcount
