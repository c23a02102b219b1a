#include "images/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "images/jpeg_lib.h"

namespace sky {

namespace {

struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

}  // namespace

std::string EncodeJpegRgb(int width, int height, const std::uint8_t* rgb, int quality) {
  const jpeg_lib::Functions* jl = jpeg_lib::Get();
  if (!jl) return {};
  jpeg_compress_struct cinfo;
  JpegError err;
  // libjpeg writes the buffer's address and size through these pointers, so
  // they stay in memory across the jump.
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  cinfo.err = jl->std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  // Nothing with a destructor lives between here and the jump.
  if (setjmp(err.jump)) {
    jl->destroy_compress(&cinfo);
    std::free(buffer);
    return {};
  }
  jl->create_compress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  jl->mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jl->set_defaults(&cinfo);
  jl->set_quality(&cinfo, quality, TRUE);
  jl->start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(cinfo.next_scanline) * width * 3]);
    jl->write_scanlines(&cinfo, &row, 1);
  }
  jl->finish_compress(&cinfo);
  jl->destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace sky
