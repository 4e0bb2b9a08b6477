#include "driver/allocator.h"

#include <malloc.h>

namespace varrowmere {

void tuneAllocator() {
  mallopt(M_MMAP_THRESHOLD, ALLOCATOR_MMAP_THRESHOLD);
  mallopt(M_TRIM_THRESHOLD, ALLOCATOR_TRIM_THRESHOLD);
}

}  // namespace varrowmere
