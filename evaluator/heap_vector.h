// Containers of the evaluator's runtime data, allocated from the runtime heap.
#pragma once

#include <vector>

#include "services/heap.h"

namespace eval {

template <class T>
using heap_vector = std::vector<T, svc::HeapAllocator<T>>;

}  // namespace eval
