// The JPEG loader against libjpeg-turbo's own djpeg on the corpus of
// tests/data/jpeg, and against hostile input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "images/bmp_writer.h"
#include "images/jpeg_lib.h"
#include "images/jpeg_loader.h"
#include "images/jpeg_writer.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// djpeg's PPM (or PGM for grey pictures) of a file, as RGB.
bool Djpeg(const std::string& path, sky::RgbPicture& out) {
  const std::string cmd = "djpeg '" + path + "'";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (!p) return false;
  Bytes data;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) data.insert(data.end(), buf, buf + n);
  if (pclose(p) != 0 || data.size() < 2) return false;
  int w = 0, h = 0, maxval = 0, consumed = 0;
  char magic[3] = {};
  if (std::sscanf(reinterpret_cast<const char*>(data.data()), "%2s %d %d %d%n", magic, &w, &h, &maxval, &consumed) != 4)
    return false;
  const std::size_t start = static_cast<std::size_t>(consumed) + 1;
  const bool grey = std::string(magic) == "P5";
  out.width = w;
  out.height = h;
  out.rgb.clear();
  for (std::size_t i = start; i < data.size(); ++i) {
    if (grey) out.rgb.insert(out.rgb.end(), 3, data[i]);
    else out.rgb.push_back(data[i]);
  }
  return out.rgb.size() == std::size_t(w) * h * 3;
}

TEST(JpegLoader, CorpusMatchesDjpegPixelForPixel) {
  if (std::system("djpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) is missing";
  int files = 0;
  for (const auto& e : fs::directory_iterator(std::string(SKYGLASS_TEST_DATA) + "/jpeg")) {
    if (e.path().extension() != ".jpg") continue;
    SCOPED_TRACE(e.path().filename().string());
    const sky::JpegDecodeResult ours = sky::LoadJpegFile(e.path().string());
    ASSERT_TRUE(ours.ok) << ours.error;
    EXPECT_TRUE(ours.warning.empty()) << ours.warning;
    sky::RgbPicture ref;
    ASSERT_TRUE(Djpeg(e.path().string(), ref));
    ASSERT_EQ(ours.picture.width, ref.width);
    ASSERT_EQ(ours.picture.height, ref.height);
    EXPECT_TRUE(ours.picture.rgb == ref.rgb);
    ++files;
  }
  EXPECT_GE(files, 16);
}

Bytes Corpus(const char* name) { return ReadAll(std::string(SKYGLASS_TEST_DATA) + "/jpeg/" + name); }

TEST(JpegLoader, HostileInputGivesAClearErrorAndNoCrash) {
  const Bytes good = Corpus("imagemagick-6-doc--rose.jpg");
  ASSERT_GT(good.size(), 600u);
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"not a JPEG", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
      {"only the start marker", Bytes{0xFF, 0xD8}},
      {"header cut in the middle", Bytes(good.begin(), good.begin() + 100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const sky::JpegDecodeResult r = sky::DecodeJpeg(c.bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.picture.rgb.empty());
  }
  // Every single-byte flip in the headers and every cut: never a crash,
  // either a picture of the declared size or an error.
  for (std::size_t i = 0; i < 400; ++i) {
    Bytes b = good;
    b[i] ^= 0x5A;
    const sky::JpegDecodeResult r = sky::DecodeJpeg(b);
    if (r.ok) {
      EXPECT_EQ(r.picture.rgb.size(), std::size_t(r.picture.width) * r.picture.height * 3);
    } else {
      EXPECT_FALSE(r.error.empty());
    }
  }
  // The data cut short after the headers: libjpeg fills the rest and warns.
  const sky::JpegDecodeResult cut = sky::DecodeJpeg(Bytes(good.begin(), good.end() - 1500));
  EXPECT_TRUE(cut.ok);
  EXPECT_NE(cut.warning.find("Premature end"), std::string::npos) << cut.warning;
}

TEST(JpegLoader, RefusesPicturesOverThePixelBudget) {
  Bytes b = Corpus("imagemagick-6-doc--rose.jpg");
  // Rewrite the frame header's size to 60000 x 60000.
  for (std::size_t i = 0; i + 9 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xC0) {
      b[i + 5] = 0xEA;
      b[i + 6] = 0x60;
      b[i + 7] = 0xEA;
      b[i + 8] = 0x60;
      break;
    }
  }
  const sky::JpegDecodeResult r = sky::DecodeJpeg(b);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("too large"), std::string::npos) << r.error;

  sky::JpegDecodeOptions small;
  small.maxPixels = 70 * 46 - 1;  // the rose is 70 x 46
  EXPECT_FALSE(sky::DecodeJpeg(Corpus("imagemagick-6-doc--rose.jpg"), small).ok);
  small.maxPixels = 70 * 46;
  EXPECT_TRUE(sky::DecodeJpeg(Corpus("imagemagick-6-doc--rose.jpg"), small).ok);
  EXPECT_EQ(sky::DefaultJpegMaxPixels(), sky::JpegDecodeOptions{}.maxPixels);
}

TEST(JpegLoader, RefusesProgressiveFilesWithEndlessScans) {
  sky::JpegDecodeOptions options;
  options.maxScans = 3;
  const sky::JpegDecodeResult r = sky::DecodeJpeg(Corpus("imagemagick-6-doc--wizard.jpg"), options);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("scans"), std::string::npos) << r.error;
  EXPECT_FALSE(sky::LoadJpegFile("/nonexistent/x.jpg").ok);
}

std::string TempPath(const std::string& name) {
  return (fs::temp_directory_path() / ("skyglass-jpeg-test-" + std::to_string(::getpid()) + "-" + name)).string();
}

// The bitmap written straight from the decoder, and the pixels decoded in the
// viewer's order, are the picture the plain decode gives, for every file of
// the corpus (grey, CMYK, progressive, odd sizes) and a damaged one.
TEST(JpegLoader, BitmapAndViewerOrderHoldThePlainDecodesPixels) {
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(std::string(SKYGLASS_TEST_DATA) + "/jpeg"))
    if (e.path().extension() == ".jpg") files.push_back(e.path().string());
  const Bytes good = Corpus("imagemagick-6-doc--rose.jpg");
  const std::string cut = TempPath("cut.jpg");
  std::ofstream(cut, std::ios::binary)
      .write(reinterpret_cast<const char*>(good.data()), static_cast<std::streamsize>(good.size() - 1500));
  files.push_back(cut);
  ASSERT_GE(files.size(), 17u);
  const std::string bmp = TempPath("out.bmp");
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const sky::JpegDecodeResult plain = sky::LoadJpegFile(file);
    ASSERT_TRUE(plain.ok) << plain.error;
    const sky::JpegToBmpResult direct = sky::ConvertJpegFileToBmp(file, bmp);
    ASSERT_TRUE(direct.ok) << direct.error;
    EXPECT_TRUE(direct.written);
    EXPECT_EQ(direct.warning, plain.warning);
    const Bytes written = ReadAll(bmp);
    EXPECT_TRUE(written == sky::EncodeBmp(plain.picture)) << written.size();

    sky::JpegDecodeOptions viewer;
    viewer.order = sky::PixelOrder::Bgrx;
    const sky::JpegDecodeResult bgrx = sky::LoadJpegFile(file, viewer);
    ASSERT_TRUE(bgrx.ok);
    EXPECT_EQ(bgrx.picture.order, sky::PixelOrder::Bgrx);
    ASSERT_EQ(bgrx.picture.rgb.size(), plain.picture.rgb.size() / 3 * 4);
    std::size_t wrong = 0;
    for (std::size_t i = 0, j = 0; i < plain.picture.rgb.size(); i += 3, j += 4) {
      const auto* p = &plain.picture.rgb[i];
      const auto* q = &bgrx.picture.rgb[j];
      wrong += q[0] != p[2] || q[1] != p[1] || q[2] != p[0] || q[3] != 255;
    }
    EXPECT_EQ(wrong, 0u);
    // The bitmap writer takes either order.
    EXPECT_TRUE(sky::EncodeBmp(bgrx.picture) == written);
  }
  std::remove(cut.c_str());
  std::remove(bmp.c_str());
}

TEST(JpegLoader, BitmapOfABadPictureOrToAnUnwritablePlaceLeavesNoFile) {
  const std::string bmp = TempPath("bad.bmp");
  const std::string bad = TempPath("bad.jpg");
  const Bytes good = Corpus("imagemagick-6-doc--rose.jpg");
  Bytes broken(good.begin(), good.begin() + 100);  // headers cut short
  std::ofstream(bad, std::ios::binary)
      .write(reinterpret_cast<const char*>(broken.data()), static_cast<std::streamsize>(broken.size()));
  // Refused before its first row: a file already there is left alone.
  std::ofstream(bmp) << "an older file";
  const sky::JpegToBmpResult r = sky::ConvertJpegFileToBmp(bad, bmp);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, sky::LoadJpegFile(bad).error);
  EXPECT_EQ(ReadAll(bmp).size(), 13u);
  std::remove(bmp.c_str());

  // Data that breaks off after the rows began: the half-written file goes.
  const Bytes rose = Corpus("imagemagick-6-doc--rose.jpg");
  Bytes damaged = rose;
  for (std::size_t i = damaged.size() - 1500; i + 2 < damaged.size(); i += 2) {
    damaged[i] = 0xFF;
    damaged[i + 1] = 0xC0;  // a frame header inside the scan: a fatal error
  }
  std::ofstream(bad, std::ios::binary)
      .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
  const sky::JpegToBmpResult mid = sky::ConvertJpegFileToBmp(bad, bmp);
  EXPECT_EQ(mid.ok, sky::LoadJpegFile(bad).ok);
  if (!mid.ok) {
    EXPECT_FALSE(fs::exists(bmp));
  }
  std::remove(bmp.c_str());

  sky::JpegDecodeOptions few;
  few.maxScans = 3;
  const sky::JpegToBmpResult scans =
      sky::ConvertJpegFileToBmp(std::string(SKYGLASS_TEST_DATA) + "/jpeg/imagemagick-6-doc--wizard.jpg", bmp, few);
  EXPECT_FALSE(scans.ok);
  EXPECT_FALSE(fs::exists(bmp));

  const sky::JpegToBmpResult nowhere = sky::ConvertJpegFileToBmp(
      std::string(SKYGLASS_TEST_DATA) + "/jpeg/imagemagick-6-doc--rose.jpg", TempPath("no-such-dir/x.bmp"));
  EXPECT_TRUE(nowhere.ok);
  EXPECT_FALSE(nowhere.written);
  EXPECT_FALSE(sky::ConvertJpegFileToBmp("/nonexistent/x.jpg", bmp).ok);
  EXPECT_FALSE(fs::exists(bmp));
  std::remove(bad.c_str());
}

}  // namespace

TEST(JpegWriter, WritesWhatTheLoaderReadsAndRefusesAnEmptyPicture) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(16 * 8 * 3));
  for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;  // red, flat: survives the compression
  const std::string jpeg = sky::EncodeJpegRgb(16, 8, rgb.data(), 90);
  const auto decoded = sky::DecodeJpeg({reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size()});
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.picture.width, 16);
  EXPECT_EQ(decoded.picture.height, 8);
  EXPECT_NEAR(decoded.picture.rgb[0], 200, 3);
  EXPECT_NEAR(decoded.picture.rgb[1], 0, 3);
  // libjpeg's own handler would end the process here.
  EXPECT_EQ(sky::EncodeJpegRgb(0, 8, rgb.data(), 90), "");
}

// libjpeg is loaded on the first picture; a library that is missing or is not
// libjpeg is named in the error, never half used.
TEST(JpegLibrary, LoadsOnceAndNamesWhatItCouldNotLoad) {
  std::string why;
  EXPECT_NE(sky::jpeg_lib::Get(&why), nullptr) << why;
  EXPECT_FALSE(sky::jpeg_lib::Load("libjpeg-absent.so.0", &why));
  EXPECT_EQ(why.rfind("libjpeg-absent.so.0 could not be loaded: ", 0), 0u) << why;
  EXPECT_FALSE(sky::jpeg_lib::Load("libc.so.6", &why));
  EXPECT_EQ(why, "libc.so.6 has no jpeg_std_error");
}
