#include "images/image_logic.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "common/exceptions.h"
#include "common/hosts.h"
#include "common/safe_file.h"
#include "common/text.h"
#include "common/user_dirs.h"
#include "controls/gif_decoder.h"
#include "images/bmp_writer.h"
#include "images/jpeg_loader.h"
#include "images/picture_freshness.h"
#include "net/failure_text.h"
#include "net/request_profile.h"
#include "net/request_service.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

namespace fs = std::filesystem;

namespace {

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

bool IsGifName(const std::string& upper) { return upper.find(".GIF") != std::string::npos; }

// "http://host/old/path" with another path on the same server.
std::string SameServer(const std::string& address, const std::string& path) {
  const std::size_t scheme = address.find("://");
  const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  const std::size_t slash = address.find('/', start);
  return (slash == std::string::npos ? address : address.substr(0, slash)) + path;
}

void RemoveQuietly(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  fs::remove(path, ec);
}

}  // namespace

WallpaperDesktop SessionDesktop() {
  WallpaperDesktop d;
  d.setter = DetectDesktopSetter();
  d.runner = std::make_shared<ProcessRunner>();
  return d;
}

ImageLogic::ImageLogic(RequestService& requests, std::function<bool()> silent, ImagePorts ports,
                       WallpaperDesktop desktop)
    : requests_(requests), silent_(std::move(silent)), ports_(ports), desktop_(std::move(desktop)) {}

void ImageLogic::Status(const std::string& text) {
  if (ports_.status) ports_.status->SetStatus(text);
}

void ImageLogic::Repaint() {
  if (ports_.window) ports_.window->Repaint();
}

IMessagePort& ImageLogic::Messages() { return ports_.messages ? *ports_.messages : NullMessagePort(); }

bool ImageLogic::Silent() const { return silent_ && silent_(); }

std::string ImageLogic::LocalPath(const std::string& file) const {
  // Only a bare name: a request can never reach outside the working folder.
  if (file.empty() || file == "." || file == ".." || file.find('/') != std::string::npos) return {};
  const std::string dir = WorkingDirectory(&folderRefusal_);
  return dir.empty() ? std::string() : dir + "/" + file;
}

void ImageLogic::SetRequest(const std::string& sourceAddress, const std::string& localFile) {
  request_.SourceAddress = sourceAddress;
  request_.LocalImageFile = localFile;
  request_.Caption.clear();
  request_.RateS = 0;
}

ImageOutcome ImageLogic::RunCommand(const ImageRow& row) { return RunRow(row, row.SourceAddress()); }

std::optional<ServedPictures> ImageLogic::LoadServedPictures(const std::string& conditionsPath) {
  // Only the gateway publishes the list; it listens on its own port.
  if (requests_.Proxy().empty() || requests_.ProxyPort() != hosts::kGatewayPort) return std::nullopt;
  const FetchResult list = requests_.Fetch(profiles::kServedPictures, ServedPicturesAddress(conditionsPath));
  return list.ok ? ParseServedPictures(list.body) : std::nullopt;
}

ImageOutcome ImageLogic::RunLocalRadar(const std::string& conditionsPath) {
  if (conditionsPath.empty()) {
    Messages().ShowMessage(kNoPlaceForRadarText);
    return ImageOutcome::Error;
  }
  return RunRow(LocalRadarRow(), LocalRadarAddress(conditionsPath));
}

ImageOutcome ImageLogic::RunRow(const ImageRow& row, const std::string& address) {
  request_.SourceAddress = address;
  request_.Caption = row.viewerCaption;
  request_.RateS = PictureRateSeconds(row.group);
  if (ports_.viewer) ports_.viewer->SetImageCaption(row.viewerCaption);
  request_.LocalImageFile = row.file;
  if (row.animate && ports_.viewer) ports_.viewer->SetAnimate(true);
  const ImageOutcome outcome = do_image();
  if (outcome != ImageOutcome::Error && row.note[0] != '\0') Messages().ShowMessage(row.note);
  return outcome;
}

std::string MissingPictureText(const std::string& address, int status) {
  std::string text = std::string(kImageErrorText) + "\n\nThe picture did not come from " + address;
  if (status > 0) text += " (the server answered " + std::to_string(status) + ")";
  return text + ". It may not be published at the moment: try again later, or choose another picture.";
}

FetchResult ImageLogic::Download() {
  const std::string path = LocalPath(request_.LocalImageFile);
  if (path.empty()) {
    FetchResult refused;
    refused.error =
        folderRefusal_.empty() ? "No working folder for the picture " + request_.LocalImageFile : folderRefusal_;
    return refused;
  }
  return requests_.Fetch(profiles::kPicture, request_.SourceAddress, path);
}

ImageOutcome ImageLogic::do_image() {
  FetchResult got = Download();
  if (got.Answered() && request_.LocalImageFile == kPurdueRadarFile && got.totalBytes < kPurdueMinimumBytes) {
    Messages().ShowMessage(kPurdueFallbackMessage);
    request_.SourceAddress = SameServer(request_.SourceAddress, kPurdueFallbackPath);
    request_.LocalImageFile = kPurdueFallbackFile;
    got = Download();
  }
  if (!got.Answered()) {
    // A picture cut off half-way is no picture: nothing of it stays behind.
    RemoveQuietly(LocalPath(request_.LocalImageFile));
    // An abort the user asked for is no error to report.
    if (!got.abortedByUser) Messages().ShowError(RequestFailureText(got));
    return ImageOutcome::Error;
  }
  Status("Connection process complete...");
  Repaint();

  ImageOutcome outcome = ImageOutcome::Shown;
  const std::string path = LocalPath(request_.LocalImageFile);
  if (!got.ok) {
    Messages().Beep();
    Status(kImageErrorText);
    // A picture asked for by hand that does not come is worth more than a
    // status text; the timed wallpaper stays quiet.
    if (!Silent()) Messages().ShowMessage(MissingPictureText(request_.SourceAddress, got.status));
    // What arrived is the server's error page, not a picture.
    RemoveQuietly(path);
    outcome = ImageOutcome::Failed;
  } else {
    request_.UpperFileName = Upper(request_.LocalImageFile);
    // A picture the server kept while its source failed says so.
    if (request_.RateS > 0 && ports_.viewer) {
      const PictureFreshness freshness = ReadPictureFreshness(got.header, request_.RateS);
      if (freshness.stale) ports_.viewer->SetImageCaption(CaptionWithFreshness(request_.Caption, freshness));
    }
    if (IsGifName(request_.UpperFileName)) {
      if (ports_.viewer) ports_.viewer->ShowGifFile(path);
    } else {
      JpegDecodeOptions options;
      if (ports_.viewer) options.order = ports_.viewer->PictureOrder();
      JpegDecodeResult jpeg = LoadJpegFile(path, options);
      if (!jpeg.ok) {
        Messages().ShowError(jpeg.error);
        outcome = ImageOutcome::Error;
      } else if (ports_.viewer) {
        ports_.viewer->TakePicture(std::move(jpeg.picture));
      }
    }
    if (outcome == ImageOutcome::Shown && !Silent() && ports_.viewer) ports_.viewer->ShowViewer();
  }
  return outcome;
}

std::string ImageLogic::SetDesktopWallpaper(const std::string& path, int style, int x, int y) {
  WriteDesktopValues(MakeDesktopValues(path, style, x, y));
  if (!desktop_.setter || !desktop_.runner) return kNoSetterText;
  return desktop_.setter->Apply(path, *desktop_.runner);
}

bool ImageLogic::do_wallpaper() {
  try {
    const std::string work = WorkingDirectory();
    const std::string bmpWork = work.empty() ? std::string() : work + "/" + kWallpaperFileName;
    // A bitmap left from an earlier run must not stand in for this picture.
    RemoveQuietly(bmpWork);
    const std::string picture = LocalPath(request_.LocalImageFile);
    if (!bmpWork.empty() && !picture.empty()) {
      if (IsGifName(request_.UpperFileName)) {
        const std::optional<RgbPicture> frame =
            ports_.viewer ? ports_.viewer->GifFirstFrame() : GifFirstFrameOf(picture);
        if (frame) WriteBmpFile(*frame, bmpWork);
      } else {
        // A bitmap that cannot be written is missing below, as ever.
        const JpegToBmpResult jpeg = ConvertJpegFileToBmp(picture, bmpWork);
        if (!jpeg.ok) {
          Messages().ShowError(jpeg.error);
          return false;
        }
      }
    }
    std::string refusal;
    const std::string windowsDir = DataDirectory(&refusal);
    if (windowsDir.empty()) {
      Messages().ShowMessage(refusal.empty() ? kNoWindowsDirText : refusal);
      return false;
    }
    std::error_code ec;
    if (bmpWork.empty() || !fs::exists(bmpWork, ec)) {
      Messages().ShowMessage(kNoBitmapText);
      return false;
    }
    const std::string target = windowsDir + "/" + kWallpaperFileName;
    const std::string copyFailure = CopyReplacing(bmpWork, target);
    RemoveQuietly(bmpWork);
    if (!copyFailure.empty()) {
      Messages().ShowMessage("Error - skyglass.bmp could not be copied to " + windowsDir + ".");
      return false;
    }
    const std::string desktop = SetDesktopWallpaper(target, 1, 0, 0);
    if (!desktop.empty()) Status(desktop);
    return desktop.empty();
  } catch (const std::exception& e) {
    Messages().ShowError(e.what());
    return false;
  }
}

void ImageLogic::AutoWallpaper(const std::string& value) {
  if (value == kNA || value == settings::kNone) return;
  const ImageRow* row = FindAutoWallpaperRow(value);
  if (!row) return;
  request_.SourceAddress = row->SourceAddress();
  request_.LocalImageFile = row->file;
  if (do_image() == ImageOutcome::Shown) {
    Status("Processing wallpaper image...");
    if (do_wallpaper()) Status("Wallpaper updated...");
  } else {
    // An old or missing picture never becomes the wallpaper.
    Status(kWallpaperNotRetrievedText);
  }
  request_.LocalImageFile.clear();
  request_.UpperFileName.clear();
}

void ImageLogic::ViewerClosed() {
  RemoveQuietly(LocalPath(request_.LocalImageFile));
  if (!Silent()) {
    request_.LocalImageFile.clear();
    request_.UpperFileName.clear();
  }
}

std::optional<RgbPicture> GifFirstFrameOf(const std::string& gifPath) {
  std::ifstream in(gifPath, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  GifDecodeOptions options;
  options.firstImageOnly = true;
  const GifDecodeResult gif = DecodeGif(bytes, options);
  if (!gif.ok || gif.image.frames.empty()) return std::nullopt;
  const GifFrame& f = gif.image.frames[0];
  RgbPicture p;
  p.width = f.width;
  p.height = f.height;
  p.rgb.assign(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height) * 3, 0);
  for (std::size_t i = 0; i < f.indices.size() && i * 3 < p.rgb.size(); ++i) {
    const GifColor c = f.ColorOf(f.indices[i]);
    p.rgb[i * 3] = c.r;
    p.rgb[i * 3 + 1] = c.g;
    p.rgb[i * 3 + 2] = c.b;
  }
  return p;
}

std::string ConvertToBitmap(const std::string& picturePath, const std::string& bmpPath) {
  if (IsGifName(Upper(picturePath))) {
    std::optional<RgbPicture> frame = GifFirstFrameOf(picturePath);
    if (!frame) return "Not a usable GIF picture: " + picturePath;
    if (!WriteBmpFile(*frame, bmpPath)) return "Cannot write " + bmpPath;
    return {};
  }
  const JpegToBmpResult jpeg = ConvertJpegFileToBmp(picturePath, bmpPath);
  if (!jpeg.ok) return jpeg.error;
  if (!jpeg.written) return "Cannot write " + bmpPath;
  return {};
}

}  // namespace sky
