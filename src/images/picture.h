// A decoded picture as the core hands it around: 8-bit red, green, blue per
// pixel, top row first, no padding (or, for the viewer, in its own order). What the JPEG loader gives, what the GIF
// control's first frame becomes, and what the bitmap writer takes.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace sky {

// An allocator whose resize leaves new elements unset: a decoder that writes
// every byte would otherwise first pay for zeroing a whole picture (and, in
// fresh memory, for touching every page twice).
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Pixel bytes; resize leaves new bytes unset, so whoever grows it writes them.
using PixelBytes = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// How a pixel lies in memory. Rgb: three bytes, red first. Bgrx: four bytes,
// blue, green, red and 255, which on a little-endian machine is the 32-bit
// word 0xffRRGGBB that the viewer's pixmaps hold, so that a picture decoded
// that way is shown without a conversion pass.
enum class PixelOrder { Rgb, Bgrx };

struct RgbPicture {
  int width = 0;
  int height = 0;
  PixelBytes rgb;  // width * height * BytesPerPixel()
  PixelOrder order = PixelOrder::Rgb;

  bool Empty() const { return width <= 0 || height <= 0; }
  std::size_t BytesPerPixel() const { return order == PixelOrder::Bgrx ? 4 : 3; }
  // The first byte of the pixel (red for Rgb, blue for Bgrx).
  const std::uint8_t* Pixel(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                BytesPerPixel()];
  }
};

}  // namespace sky
