#include <malloc.h>

#include "app/startup.h"

int main(int argc, char** argv) {
  // Blocks of 128 KB and more get mappings of their own, which go back to the
  // system when freed. Left to itself glibc raises that threshold when the
  // first such block is freed (the window icon's property data, at the first
  // window), and from then on large short-lived buffers stay in the heap.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  return sky::ui::RunProgram(argc, argv);
}
