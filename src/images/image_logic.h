// The picture commands without the windows: the current image request, the
// common download `do_image` into the working folder, the wallpaper
// conversion `do_wallpaper` and the automatic wallpaper after a timed
// refresh. The viewer is reached through IImageViewerPort, so the whole flow
// runs in tests and in the terminal companion without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/ports.h"
#include "images/desktop_setter.h"
#include "images/image_catalogue.h"
#include "images/picture.h"
#include "images/served_pictures.h"

namespace sky {

class RequestService;
struct FetchResult;

// What the image viewer does for the download and the wallpaper.
class IImageViewerPort {
 public:
  virtual ~IImageViewerPort() = default;
  virtual void SetImageCaption(const std::string& caption) = 0;
  // The GIF control's Animate.
  virtual void SetAnimate(bool on) = 0;
  // A GIF: picture control hidden and 0 by 0, GIF control shown, cleared and
  // at (0, 0), viewer 332 wide and 316 high in normal state, then the file
  // loaded into the GIF control.
  virtual void ShowGifFile(const std::string& path) = 0;
  // Any other picture, decoded by the core: GIF control hidden and 0 by 0,
  // picture control at (0, 0) with it, viewer 332 by 316 in normal state.
  virtual void ShowPicture(const RgbPicture& picture) = 0;
  // The pixel order the viewer shows without a conversion; pictures are
  // decoded that way for it.
  virtual PixelOrder PictureOrder() const { return PixelOrder::Rgb; }
  // ShowPicture for a picture the caller has no more use for: a viewer may
  // keep its pixels instead of copying them.
  virtual void TakePicture(RgbPicture&& picture) { ShowPicture(picture); }
  virtual void ShowViewer() = 0;
  // The GIF control's first frame; nothing when the control holds no picture.
  virtual std::optional<RgbPicture> GifFirstFrame() const = 0;
};

// The current image request (the upper-cased name is set after a download).
struct ImageRequest {
  std::string SourceAddress;
  std::string LocalImageFile;  // a bare name in the working folder
  std::string UpperFileName;
  // The viewer's caption and how often the picture changes (0: a picture
  // outside the catalogue, never called stale).
  std::string Caption;
  std::int64_t RateS = 0;
};

enum class ImageOutcome {
  Shown,   // downloaded and given to the viewer (shown unless silent)
  Failed,  // the reply was no success: beep and "Error retrieving image..."
  Error,   // an exception or an undecodable picture; already in the error box
};

struct ImagePorts {
  IStatusPort* status = nullptr;   // the main window's status line
  IRepaintPort* window = nullptr;  // the main window
  IMessagePort* messages = nullptr;
  IImageViewerPort* viewer = nullptr;
};

inline constexpr const char* kImageErrorText = "Error retrieving image...";
inline constexpr const char* kNoPlaceForRadarText =
    "Local Radar shows the radar of the current place: get its conditions first.";
// The box for a picture the server did not send (`status`: its answer, 0 for none).
std::string MissingPictureText(const std::string& address, int status);
inline constexpr const char* kNoWindowsDirText = "Error - windows directory not found for Wallpaper logic.";
inline constexpr const char* kNoBitmapText = "Error - skyglass.bmp not found; msg#: xUnit1.";
inline constexpr const char* kWallpaperNotRetrievedText = "Wallpaper not updated: image not retrieved...";

// The desktop side of the wallpaper, replaceable for tests.
struct WallpaperDesktop {
  // nullptr: none found (kNoSetterText goes to the status line).
  std::shared_ptr<IDesktopSetter> setter;
  std::shared_ptr<ICommandRunner> runner;
};
// The setter of this session's desktop with the real process runner.
WallpaperDesktop SessionDesktop();

class ImageLogic {
 public:
  // `requests` is the main window's; while `silent` answers true (a timed
  // refresh) the viewer stays hidden and no box is shown for a missing picture.
  ImageLogic(RequestService& requests, std::function<bool()> silent, ImagePorts ports,
             WallpaperDesktop desktop = SessionDesktop());

  ImageRequest& Request() { return request_; }
  const ImageRequest& Request() const { return request_; }
  void SetViewer(IImageViewerPort* viewer) { ports_.viewer = viewer; }

  // A catalogue command: source, caption, file, animation, do_image, note.
  ImageOutcome RunCommand(const ImageRow& row);
  // "Local Radar" for the place of this conditions address (ConditionsPath);
  // without one (no place fetched yet) kNoPlaceForRadarText, nothing asked.
  ImageOutcome RunLocalRadar(const std::string& conditionsPath);
  // Sets the request for a picture outside the catalogue (the population
  // counters): the address and the local file name.
  void SetRequest(const std::string& sourceAddress, const std::string& localFile);
  // The common download and display of the current request.
  ImageOutcome do_image();
  // The picture of the current request as the desktop wallpaper. False when
  // it stopped on an error (already shown).
  bool do_wallpaper();
  // The desktop setter: values into the settings store, then the desktop.
  // Returns the status text of the desktop part (empty when it went well).
  std::string SetDesktopWallpaper(const std::string& path, int style, int x, int y);
  // After a timed refresh, while the silent flag is up.
  void AutoWallpaper(const std::string& settingValue);

  // The weather gateway's list of the pictures it serves (through the
  // proxy, when it is the gateway's port), with Local Radar for the place of
  // this conditions address when one is given; nothing when the proxy is not
  // the gateway or did not answer.
  std::optional<ServedPictures> LoadServedPictures(const std::string& conditionsPath = "");

  // The viewer's close: the downloaded file goes; the names are forgotten
  // unless silent.
  void ViewerClosed();

  // The local image file's full path in the working folder ("" when there
  // is no working folder).
  std::string LocalPath(const std::string& file) const;

 private:
  void Status(const std::string& text);
  void Repaint();
  IMessagePort& Messages();
  bool Silent() const;
  FetchResult Download();
  ImageOutcome RunRow(const ImageRow& row, const std::string& address);

  RequestService& requests_;
  std::function<bool()> silent_;
  ImagePorts ports_;
  WallpaperDesktop desktop_;
  ImageRequest request_;
  // Why the working folder was refused, when it was.
  mutable std::string folderRefusal_;
};

// Converts a GIF (its first frame) or JPEG file into the wallpaper bitmap at
// `bmpPath`. Empty on success, else the reason.
std::string ConvertToBitmap(const std::string& picturePath, const std::string& bmpPath);
// The first frame of a GIF as RGB, as the GIF control hands it to a bitmap.
std::optional<RgbPicture> GifFirstFrameOf(const std::string& gifPath);

}  // namespace sky
