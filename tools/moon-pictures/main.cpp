// moon-pictures: draws the twenty moon pictures of the main window and writes
// them as GIF files named after the controls that show them.
//
//   moon-pictures OUTPUT-DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>

#include "images/gif_writer.h"
#include "render.h"

namespace {

bool Write(const std::string& dir, const std::string& name, double fraction, bool waxing,
           const sky::gif::Palette& palette) {
  const std::string path = dir + "/" + name + ".gif";
  const std::string gif = sky::gif::EncodeGif(moon_pictures::kSize, moon_pictures::kSize,
                                              moon_pictures::RenderMoon(fraction, waxing), palette);
  std::ofstream f(path, std::ios::binary);
  f.write(gif.data(), static_cast<std::streamsize>(gif.size()));
  f.close();
  if (!f) {
    std::fprintf(stderr, "moon-pictures: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: moon-pictures OUTPUT-DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  // A grey ramp: the picture's grey level is its colour index.
  sky::gif::Palette palette{};
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    palette[static_cast<std::size_t>(i)] = {v, v, v};
  }
  bool ok = Write(dir, "GIFImagenew", 0.0, true, palette) && Write(dir, "GIFImageFull", 1.0, true, palette);
  for (int t = 1; t <= 9 && ok; ++t) {
    const std::string n = std::to_string(t) + "0x";
    ok = Write(dir, "GIFImagel" + n, t / 10.0, true, palette) && Write(dir, "GIFImage" + n, t / 10.0, false, palette);
  }
  return ok ? 0 : 1;
}
