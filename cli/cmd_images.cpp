// Pictures and wallpaper from the terminal: the picture catalogue, a download
// through the program's own picture logic (and the settings' proxy), and a
// picture file made the desktop wallpaper.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli.h"
#include "common/quoting.h"
#include "common/safe_file.h"
#include "common/text.h"
#include "common/user_dirs.h"
#include "conditions/fetch.h"
#include "images/desktop_setter.h"
#include "images/image_catalogue.h"
#include "images/image_logic.h"
#include "net/request_service.h"
#include "settings/settings_names.h"

namespace {

namespace fs = std::filesystem;
using cli::Args;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// "Radar Images / 1 - US Radar Image - Purdue": the menu path as it reads.
std::string FullName(const sky::ImageRow& row) {
  const std::string item = sky::PlainCaption(row.caption);
  return row.submenu[0] ? sky::PlainCaption(row.submenu) + " / " + item : item;
}

// A whole name (the menu path, the item's caption or the command) first,
// then a part of the menu path that only one picture has.
// The captions' old spellings still find their pictures.
std::string CorrectedSpelling(std::string name) {
  for (const auto& [old, now] : {std::pair<const char*, const char*>{"niagra", "niagara"}, {"carribean", "caribbean"}})
    for (std::size_t at = name.find(old); at != std::string::npos; at = name.find(old, at + 1))
      name.replace(at, std::string(old).size(), now);
  return name;
}

const sky::ImageRow* FindRow(const std::string& name, std::string& problem) {
  const std::string wanted = CorrectedSpelling(Lower(name));
  const std::string command = Lower(name);  // the commands keep their old names
  std::vector<const sky::ImageRow*> whole, part;
  for (const sky::ImageRow& row : sky::ImageCatalogue()) {
    const std::string full = Lower(FullName(row));
    if (full == wanted || Lower(sky::PlainCaption(row.caption)) == wanted || command == Lower(row.command))
      whole.push_back(&row);
    else if (full.find(wanted) != std::string::npos) part.push_back(&row);
  }
  const std::vector<const sky::ImageRow*>& found = whole.empty() ? part : whole;
  if (found.size() == 1) return found[0];
  if (found.empty()) problem = "no picture is called '" + name + "' (skyglass-cli images lists them)";
  else
    problem = "'" + name + "' names " + std::to_string(found.size()) + " pictures, e.g. '" + FullName(*found[0]) +
              "' and '" + FullName(*found[1]) + "'";
  return nullptr;
}

int RunImages(const Args& args) {
  cli::ParseArgs(args, {}, {}, 0, 0);
  // Through the weather gateway: the pictures it has no source for are marked.
  cli::StderrMessages messages;
  sky::RequestService requests;
  requests.UseProxySettings(sky::settings::StoreReader());
  sky::ImageLogic images(requests, {}, sky::ImagePorts{nullptr, nullptr, &messages, nullptr}, {});
  const std::optional<sky::ServedPictures> served = images.LoadServedPictures();
  for (const sky::ImageRow& row : sky::ImageCatalogue()) {
    std::cout << sky::Latin1ToUtf8(std::string(row.menu == std::string(sky::kImagesMenu) ? "Images" : "Forecasts") +
                                   " / " + FullName(row))
              << '\t' << row.file << '\t' << row.SourceAddress();
    if (served && !served->Serves(row.command))
      std::cout << '\t' << sky::Latin1ToUtf8("no source: " + served->Reason(row.command));
    std::cout << '\n';
  }
  return cli::kExitOk;
}

class StatusToStderr : public sky::IStatusPort {
 public:
  void SetStatus(const std::string& text) override {
    if (text == sky::kImageErrorText) std::cerr << sky::Latin1ToUtf8(text) << '\n';
  }
};

int RunImage(const Args& args) {
  auto p = cli::ParseArgs(args, {"o", "output", "place"}, {}, 1, 1);
  std::string problem;
  const bool local_radar = Lower(p.positional[0]) == "local radar";
  const sky::ImageRow* row = local_radar ? &sky::LocalRadarRow() : FindRow(p.positional[0], problem);
  if (!row) {
    std::cerr << "skyglass-cli image: " << sky::Latin1ToUtf8(problem) << '\n';
    return cli::kExitFailed;
  }
  std::string out = p.Get("o").value_or(p.Get("output").value_or(""));
  cli::StderrMessages messages;
  StatusToStderr status;
  sky::RequestService requests;
  requests.UseProxySettings(sky::settings::StoreReader());
  sky::ImageLogic images(requests, {}, sky::ImagePorts{&status, nullptr, &messages, nullptr}, {});
  if (local_radar) {
    // The place given, else the one the program starts with.
    std::string place =
        p.Get("place").value_or(sky::settings::StartupLocation(sky::settings::StoreReader()).value_or(std::string()));
    sky::CurrentLocation loc;
    sky::ReadRequest(place, loc);
    std::optional<std::string> path = place.empty() ? std::nullopt : sky::ConditionsPath(loc, messages);
    if (images.RunLocalRadar(path.value_or("")) != sky::ImageOutcome::Shown) return cli::kExitFailed;
  } else if (images.RunCommand(*row) != sky::ImageOutcome::Shown) {
    return cli::kExitFailed;
  }
  const std::string downloaded = images.LocalPath(images.Request().LocalImageFile);
  if (out.empty()) out = images.Request().LocalImageFile;  // the fallback's name when it came
  std::error_code ec;
  fs::copy_file(downloaded, out, fs::copy_options::overwrite_existing, ec);
  images.ViewerClosed();
  if (ec) {
    std::cerr << "skyglass-cli image: cannot write " << out << ": " << ec.message() << '\n';
    return cli::kExitFailed;
  }
  std::cout << out << '\n';
  return cli::kExitOk;
}

// Prints each command instead of running it; only the read-only listing of
// the Xfce backdrops runs, so the lines shown are the ones a real run makes.
class DryRunner : public sky::ICommandRunner {
 public:
  int Run(const std::vector<std::string>& argv, std::string* out) override {
    if (argv.size() == 4 && argv[0] == "xfconf-query" && argv[3] == "-l") return real_.Run(argv, out);
    std::string line;
    for (const std::string& a : argv) line += (line.empty() ? "" : " ") + sky::ShellQuoted(a);
    std::cout << line << '\n';
    return 0;
  }

 private:
  sky::ProcessRunner real_;
};

int RunWallpaper(const Args& args) {
  auto p = cli::ParseArgs(args, {}, {"dry-run"}, 1, 1);
  const bool dry = p.Has("dry-run");
  const std::string picture = p.positional[0];
  std::string refusal;
  const std::string work = sky::WorkingDirectory(&refusal), data = sky::DataDirectory(&refusal);
  if (work.empty() || data.empty()) {
    std::cerr << "skyglass-cli wallpaper: " << (refusal.empty() ? sky::kNoWindowsDirText : refusal) << '\n';
    return cli::kExitFailed;
  }
  const std::string bmpWork = work + "/" + sky::kWallpaperFileName;
  const std::string target = data + "/" + sky::kWallpaperFileName;
  if (const std::string error = sky::ConvertToBitmap(picture, bmpWork); !error.empty()) {
    std::cerr << "skyglass-cli wallpaper: " << sky::Latin1ToUtf8(error) << '\n';
    return cli::kExitFailed;
  }
  const sky::DesktopValues values = sky::MakeDesktopValues(target, 1, 0, 0);
  std::unique_ptr<sky::IDesktopSetter> setter = sky::DetectDesktopSetter();
  if (dry) {
    fs::remove(bmpWork);
    // Paths quoted as a shell needs them: a line break or quote in a folder
    // name cannot change how the lines read.
    std::cout << "bitmap: " << sky::ShellQuoted(target) << '\n'
              << "settings [" << sky::kDesktopKey << "]: Wallpaper=" << sky::ShellQuoted(values.Wallpaper)
              << " TileWallpaper=" << values.TileWallpaper << " WallpaperStyle=" << values.WallpaperStyle
              << " WallpaperOriginX=" << values.WallpaperOriginX << " WallpaperOriginY=" << values.WallpaperOriginY
              << '\n';
    if (!setter) {
      std::cout << sky::kNoSetterText << '\n';
      return cli::kExitOk;
    }
    DryRunner runner;
    setter->Apply(target, runner);
    return cli::kExitOk;
  }
  const std::string copyFailure = sky::CopyReplacing(bmpWork, target);
  fs::remove(bmpWork);
  if (!copyFailure.empty()) {
    std::cerr << "skyglass-cli wallpaper: cannot write " << target << ": " << copyFailure << '\n';
    return cli::kExitFailed;
  }
  sky::WriteDesktopValues(values);
  if (!setter) {
    std::cerr << sky::kNoSetterText << '\n';
    std::cout << target << '\n';
    return cli::kExitFailed;
  }
  sky::ProcessRunner runner;
  if (const std::string failure = setter->Apply(target, runner); !failure.empty()) {
    std::cerr << failure << '\n';
    return cli::kExitFailed;
  }
  std::cout << target << '\n';
  return cli::kExitOk;
}

cli::Register regImages({"images", "images", RunImages});
cli::Register regImage({"image", "image NAME [-o FILE] [--place PLACE]", RunImage});
cli::Register regWallpaper({"wallpaper", "wallpaper FILE [--dry-run]", RunWallpaper});

}  // namespace
