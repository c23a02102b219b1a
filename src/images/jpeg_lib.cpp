#include "images/jpeg_lib.h"

#include <dlfcn.h>

#include <type_traits>

namespace sky::jpeg_lib {

namespace {

// The library this build's jpeglib.h describes: its structures are only
// valid with that version, which libjpeg also checks when a decoder or an
// encoder is made.
static_assert(JPEG_LIB_VERSION == 62, "the library loaded below is libjpeg.so.62");
constexpr const char* kLibrary = "libjpeg.so.62";

}  // namespace

std::optional<Functions> Load(const char* library, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<Functions> {
    if (error) *error = why;
    return std::nullopt;
  };
  void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return fail(std::string(library) + " could not be loaded: " + (why ? why : "unknown error"));
  }
  Functions f{};
  const char* missing = nullptr;
  auto get = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle, name));
    if (!slot && !missing) missing = name;
  };
  get(f.std_error, "jpeg_std_error");
  get(f.create_decompress, "jpeg_CreateDecompress");
  get(f.destroy_decompress, "jpeg_destroy_decompress");
  get(f.mem_src, "jpeg_mem_src");
  get(f.read_header, "jpeg_read_header");
  get(f.start_decompress, "jpeg_start_decompress");
  get(f.read_scanlines, "jpeg_read_scanlines");
  get(f.finish_decompress, "jpeg_finish_decompress");
  get(f.create_compress, "jpeg_CreateCompress");
  get(f.destroy_compress, "jpeg_destroy_compress");
  get(f.mem_dest, "jpeg_mem_dest");
  get(f.set_defaults, "jpeg_set_defaults");
  get(f.set_quality, "jpeg_set_quality");
  get(f.start_compress, "jpeg_start_compress");
  get(f.write_scanlines, "jpeg_write_scanlines");
  get(f.finish_compress, "jpeg_finish_compress");
  if (missing) {
    dlclose(handle);
    return fail(std::string(library) + " has no " + missing);
  }
  // Loaded for the program's life: the functions handed out point into it.
  return f;
}

const Functions* Get(std::string* error) {
  static std::string why;
  static const std::optional<Functions> loaded = Load(kLibrary, &why);
  if (!loaded && error) *error = why;
  return loaded ? &*loaded : nullptr;
}

}  // namespace sky::jpeg_lib
