#include "images/jpeg_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "images/jpeg_lib.h"

#include "common/large_buffer.h"
#include "images/bmp_writer.h"
#include "controls/gif_decoder.h"

namespace sky {

std::uint64_t DefaultJpegMaxPixels() { return GifDecodeOptions{}.maxPixels; }

namespace {

// libjpeg reports a fatal error through error_exit, which by default prints
// and calls exit(). Ours jumps back into DecodeJpeg with the message kept.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];
  int maxScans;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  // Warnings (level -1) are kept, the first one only; trace messages dropped.
  if (level >= 0) return;
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  ++cinfo->err->num_warnings;
  if (err->warning[0] == '\0') (*cinfo->err->format_message)(cinfo, err->warning);
}

void OnProgress(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > err->maxScans) {
      std::snprintf(err->message, sizeof err->message, "too many scans (more than %d)", err->maxScans);
      std::longjmp(err->jump, 1);
    }
  }
}

// Adobe writes CMYK inverted, and so do nearly all programs after it. The
// result goes out in the target's order: red first (3 bytes), blue first
// (3 bytes), or blue first with 255 after (4 bytes).
void CmykRowToTarget(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted, bool blueFirst,
                     int pixelBytes) {
  const int r = blueFirst ? 2 : 0, b = blueFirst ? 0 : 2;
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += pixelBytes) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Rounded to nearest, as djpeg does.
    out[r] = static_cast<std::uint8_t>((2 * c * k + 255) / 510);
    out[1] = static_cast<std::uint8_t>((2 * m * k + 255) / 510);
    out[b] = static_cast<std::uint8_t>((2 * y * k + 255) / 510);
    if (pixelBytes == 4) out[3] = 255;
  }
}

// Where the decoded rows go. Rows are asked for in order, top first.
class RowTarget {
 public:
  virtual ~RowTarget() = default;
  // The colour space libjpeg writes (for all but CMYK pictures), the bytes a
  // pixel takes and whether blue comes first.
  virtual J_COLOR_SPACE Space() const = 0;
  virtual int PixelBytes() const = 0;
  virtual bool BlueFirst() const = 0;
  virtual void Begin(JDIMENSION width, JDIMENSION height) = 0;
  // Pointers to rows y, y + 1, ... (at most `want`); how many it gave.
  virtual JDIMENSION Rows(JDIMENSION y, JDIMENSION want, JSAMPROW* rows) = 0;
  // Rows up to `y` (exclusive) hold their pixels.
  virtual void Filled(JDIMENSION y) = 0;
};

// The whole picture in memory, in the order asked for.
class PictureTarget final : public RowTarget {
 public:
  PictureTarget(RgbPicture& picture, PixelOrder order) : picture_(picture), order_(order) {}
  J_COLOR_SPACE Space() const override { return order_ == PixelOrder::Bgrx ? JCS_EXT_BGRX : JCS_RGB; }
  int PixelBytes() const override { return order_ == PixelOrder::Bgrx ? 4 : 3; }
  bool BlueFirst() const override { return order_ == PixelOrder::Bgrx; }
  void Begin(JDIMENSION width, JDIMENSION height) override {
    picture_.order = order_;
    rowBytes_ = std::size_t{width} * static_cast<std::size_t>(PixelBytes());
    picture_.rgb.resize(rowBytes_ * height);
    AdviseLargeBuffer(picture_.rgb.data(), picture_.rgb.size());
  }
  JDIMENSION Rows(JDIMENSION y, JDIMENSION want, JSAMPROW* rows) override {
    for (JDIMENSION i = 0; i < want; ++i) rows[i] = &picture_.rgb[(y + i) * rowBytes_];
    return want;
  }
  void Filled(JDIMENSION) override {}

 private:
  RgbPicture& picture_;
  PixelOrder order_;
  std::size_t rowBytes_ = 0;
};

// The bitmap file: rows gathered in a band of about a megabyte, already in
// the file's bottom-up order, and each full band written at its place.
class BmpFileTarget final : public RowTarget {
 public:
  explicit BmpFileTarget(std::string path) : path_(std::move(path)) {}
  ~BmpFileTarget() override {
    if (fd_ >= 0) ::close(fd_);
  }
  J_COLOR_SPACE Space() const override { return JCS_EXT_BGR; }
  int PixelBytes() const override { return 3; }
  bool BlueFirst() const override { return true; }
  void Begin(JDIMENSION width, JDIMENSION height) override {
    height_ = height;
    stride_ = BmpStride(width);
    std::array<std::uint8_t, kBmpHeaderSize> header;
    if (!BmpHeader(width, height, header)) {
      failed_ = true;  // the picture is decoded all the same, for its errors
    } else {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      opened_ = fd_ >= 0;
      failed_ = fd_ < 0 || !WriteAt(header.data(), header.size(), 0);
    }
    bandRows_ = std::max<std::size_t>(1, std::min<std::size_t>(height, (std::size_t{1} << 20) / stride_));
    band_.assign(bandRows_ * stride_, 0);  // the rows' padding stays zero
    bandStart_ = 0;
  }
  JDIMENSION Rows(JDIMENSION y, JDIMENSION want, JSAMPROW* rows) override {
    const JDIMENSION end = BandEnd();
    JDIMENSION n = std::min(want, end - y);
    for (JDIMENSION i = 0; i < n; ++i) rows[i] = &band_[(end - 1 - (y + i)) * stride_];
    return n;
  }
  void Filled(JDIMENSION y) override {
    if (y == BandEnd()) Flush();
  }
  // Rows the decoder never delivered are black, as in the picture.
  void Finish(JDIMENSION delivered) {
    if (delivered < height_) {
      const JDIMENSION end = BandEnd();
      for (JDIMENSION y = delivered; y < end; ++y) std::fill_n(&band_[(end - 1 - y) * stride_], stride_, 0);
      Flush();
      std::fill(band_.begin(), band_.end(), 0);
      while (bandStart_ < height_) Flush();
    }
    if (fd_ >= 0 && ::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    if (failed_) Discard();
  }
  // Leaves nothing of ours behind. A picture refused before its first row
  // never opened the file, so whatever was there stays, as it always did.
  void Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    failed_ = true;
    if (opened_) ::unlink(path_.c_str());
  }
  bool Written() const { return !failed_; }

 private:
  JDIMENSION BandEnd() const {
    return static_cast<JDIMENSION>(std::min<std::size_t>(height_, std::size_t{bandStart_} + bandRows_));
  }
  void Flush() {
    const JDIMENSION end = BandEnd();
    const std::size_t rows = end - bandStart_;
    // The band's rows sit at its start, the bottom one first.
    if (!failed_)
      failed_ = !WriteAt(band_.data(), rows * stride_, kBmpHeaderSize + (std::size_t{height_} - end) * stride_);
    bandStart_ = end;
  }
  bool WriteAt(const std::uint8_t* p, std::size_t n, std::size_t at) {
    while (n > 0) {
      const ssize_t k = ::pwrite(fd_, p, n, static_cast<off_t>(at));
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) return false;
      p += k;
      n -= static_cast<std::size_t>(k);
      at += static_cast<std::size_t>(k);
    }
    return true;
  }

  std::string path_;
  int fd_ = -1;
  bool opened_ = false;
  bool failed_ = false;
  JDIMENSION height_ = 0;
  std::size_t stride_ = 0;
  std::size_t bandRows_ = 1;
  JDIMENSION bandStart_ = 0;
  std::vector<std::uint8_t> band_;
};

struct DecodeOutcome {
  bool ok = false;
  std::string error;
  std::string warning;
  JDIMENSION width = 0, height = 0, delivered = 0;
};

DecodeOutcome DecodeInto(std::span<const std::uint8_t> bytes, const JpegDecodeOptions& options, RowTarget& target) {
  DecodeOutcome result;
  if (bytes.empty()) {
    result.error = "Empty JPEG file";
    return result;
  }
  std::string why;
  const jpeg_lib::Functions* jl = jpeg_lib::Get(&why);
  if (!jl) {
    result.error = "JPEG pictures cannot be read: " + why;
    return result;
  }
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  cinfo.err = jl->std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.maxScans = options.maxScans;
  // Everything the jump can skip over lives outside this block, so that
  // nothing needing a destructor is bypassed by longjmp.
  std::vector<JSAMPLE> row;
  if (setjmp(err.jump)) {
    jl->destroy_decompress(&cinfo);
    result = DecodeOutcome{};
    result.error = std::string("Invalid JPEG picture: ") + err.message;
    return result;
  }
  jl->create_decompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  // A hostile file must not make libjpeg take unbounded working memory.
  cinfo.mem->max_memory_to_use = 1024L * 1024L * 1024L;
  progress.progress_monitor = OnProgress;
  cinfo.progress = &progress;
  jl->mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jl->read_header(&cinfo, TRUE);

  const std::uint64_t pixels = std::uint64_t{cinfo.image_width} * cinfo.image_height;
  if (pixels > options.maxPixels) {
    std::snprintf(err.message, sizeof err.message, "%ux%u pixels is larger than the %llu pixels allowed",
                  cinfo.image_width, cinfo.image_height, static_cast<unsigned long long>(options.maxPixels));
    jl->destroy_decompress(&cinfo);
    result.error = std::string("JPEG picture too large: ") + err.message;
    return result;
  }
  bool cmyk = false;
  bool inverted = cinfo.saw_Adobe_marker;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
    cmyk = true;
  } else {
    cinfo.out_color_space = target.Space();
  }
  jl->start_decompress(&cinfo);
  const JDIMENSION w = cinfo.output_width;
  const JDIMENSION h = cinfo.output_height;
  target.Begin(w, h);
  if (cmyk) row.resize(std::size_t{w} * 4);
  while (cinfo.output_scanline < h) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW rows[4];
    if (cmyk) {
      JSAMPROW in[1] = {row.data()};
      if (jl->read_scanlines(&cinfo, in, 1) != 1) break;
      target.Rows(y, 1, rows);
      CmykRowToTarget(row.data(), rows[0], w, inverted, target.BlueFirst(), target.PixelBytes());
    } else {
      // Straight into the target, as many rows as libjpeg hands out at once.
      const JDIMENSION n = target.Rows(y, std::min<JDIMENSION>(4, h - y), rows);
      if (jl->read_scanlines(&cinfo, rows, n) == 0) break;
    }
    target.Filled(cinfo.output_scanline);
  }
  result.delivered = cinfo.output_scanline;
  jl->finish_decompress(&cinfo);
  jl->destroy_decompress(&cinfo);
  result.width = w;
  result.height = h;
  if (err.warning[0]) result.warning = err.warning;
  result.ok = true;
  return result;
}

// The whole file with large reads, into memory that is not zeroed first.
bool ReadWholeFile(const std::string& path, PixelBytes& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  std::size_t size = 0;
  std::size_t want = std::size_t{1} << 20;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) want = static_cast<std::size_t>(st.st_size) + 1;
  out.resize(want);
  for (;;) {
    if (size == out.size()) out.resize(out.size() * 2);
    const ssize_t n = ::read(fd, out.data() + size, out.size() - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out.resize(size);
  return true;
}

}  // namespace

JpegDecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const JpegDecodeOptions& options) {
  JpegDecodeResult result;
  PictureTarget target(result.picture, options.order);
  DecodeOutcome d = DecodeInto(bytes, options, target);
  if (!d.ok) {
    result = JpegDecodeResult{};
    result.error = std::move(d.error);
    return result;
  }
  // Rows the decoder never delivered stay black, not whatever the memory held.
  PixelBytes& out = result.picture.rgb;
  const std::size_t rowBytes = std::size_t{d.width} * result.picture.BytesPerPixel();
  if (d.delivered < d.height) {
    const auto from = out.begin() + static_cast<std::ptrdiff_t>(std::size_t{d.delivered} * rowBytes);
    if (options.order == PixelOrder::Bgrx) {
      for (auto it = from; it != out.end(); it += 4) {
        it[0] = it[1] = it[2] = 0;
        it[3] = 255;
      }
    } else {
      std::fill(from, out.end(), 0);
    }
  }
  result.picture.width = static_cast<int>(d.width);
  result.picture.height = static_cast<int>(d.height);
  result.warning = std::move(d.warning);
  result.ok = true;
  return result;
}

JpegDecodeResult LoadJpegFile(const std::string& path, const JpegDecodeOptions& options) {
  PixelBytes bytes;
  if (!ReadWholeFile(path, bytes)) {
    JpegDecodeResult r;
    r.error = "Cannot open file " + path;
    return r;
  }
  return DecodeJpeg(bytes, options);
}

JpegToBmpResult ConvertJpegFileToBmp(const std::string& jpegPath, const std::string& bmpPath,
                                     const JpegDecodeOptions& options) {
  JpegToBmpResult result;
  PixelBytes bytes;
  if (!ReadWholeFile(jpegPath, bytes)) {
    result.error = "Cannot open file " + jpegPath;
    return result;
  }
  BmpFileTarget target(bmpPath);
  DecodeOutcome d = DecodeInto(bytes, options, target);
  if (!d.ok) {
    target.Discard();
    result.error = std::move(d.error);
    return result;
  }
  target.Finish(d.delivered);
  result.ok = true;
  result.warning = std::move(d.warning);
  result.written = target.Written();
  return result;
}

}  // namespace sky
