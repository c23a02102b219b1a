// libjpeg, loaded when the first JPEG is read or written. Most starts of the
// program show no JPEG at all, and a library it links is mapped and relocated
// at every start; this one is not, until a picture needs it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace sky::jpeg_lib {

struct Functions {
  decltype(&::jpeg_std_error) std_error;
  decltype(&::jpeg_CreateDecompress) create_decompress;
  decltype(&::jpeg_destroy_decompress) destroy_decompress;
  decltype(&::jpeg_mem_src) mem_src;
  decltype(&::jpeg_read_header) read_header;
  decltype(&::jpeg_start_decompress) start_decompress;
  decltype(&::jpeg_read_scanlines) read_scanlines;
  decltype(&::jpeg_finish_decompress) finish_decompress;
  decltype(&::jpeg_CreateCompress) create_compress;
  decltype(&::jpeg_destroy_compress) destroy_compress;
  decltype(&::jpeg_mem_dest) mem_dest;
  decltype(&::jpeg_set_defaults) set_defaults;
  decltype(&::jpeg_set_quality) set_quality;
  decltype(&::jpeg_start_compress) start_compress;
  decltype(&::jpeg_write_scanlines) write_scanlines;
  decltype(&::jpeg_finish_compress) finish_compress;
};

// Loads `library` (a name as dlopen takes it) and finds every function above;
// nullopt, and why in *error, when it cannot.
std::optional<Functions> Load(const char* library, std::string* error);

// libjpeg.so.62, loaded once on the first call (from any thread); nullptr,
// and why in *error, when it cannot be loaded.
const Functions* Get(std::string* error = nullptr);

}  // namespace sky::jpeg_lib
