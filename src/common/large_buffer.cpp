#include "common/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace sky {

void AdviseLargeBuffer(void* data, std::size_t size) {
  constexpr std::uintptr_t kHuge = 2u * 1024u * 1024u;
  if (size < 4 * kHuge) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace sky
