// Large buffers that are filled at once (a decoded picture, a downloaded body)
// are best backed by huge pages: touching fresh memory a 4 KB page at a time
// costs a page fault each, which on a virtual machine can outweigh the work
// that fills the buffer.
#pragma once

#include <cstddef>

namespace sky {

// Asks the kernel for huge pages for the whole 2 MB blocks inside the buffer
// (nothing for buffers under 8 MB, or where the system does not offer them).
// Call before the buffer is first written.
void AdviseLargeBuffer(void* data, std::size_t size);

}  // namespace sky
