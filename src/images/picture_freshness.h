// Whether a downloaded picture is too old to pass for a current one. A
// picture source changes at its own rate (radar every few minutes, outlooks a
// few times a day); the weather gateway says how long it may keep a picture
// (Cache-Control max-age) and how long it has kept this one (Age, or Date
// minus Last-Modified), and keeps serving the last good picture while its
// source fails. Twice the rate without a new picture: the viewer's caption
// says the picture is stale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "images/image_catalogue.h"

namespace sky {

// How often the pictures of a group change: radar and the storm watch 5 min,
// satellites and cameras 15 min, the outlooks 6 h.
std::int64_t PictureRateSeconds(ImageGroup group);

struct PictureFreshness {
  std::optional<std::int64_t> ageS;  // nothing: the reply did not say
  std::int64_t rateS = 0;            // the server's max-age, else the group's rate
  bool stale = false;                // older than twice the rate
};

// From the reply header of a picture whose group changes every `groupRateS`.
PictureFreshness ReadPictureFreshness(const std::string& replyHeader, std::int64_t groupRateS);

// "Skyglass - Local Radar" -> "Stale, 25 min old - Skyglass - Local Radar"
// for a stale picture; the caption as it is otherwise.
std::string CaptionWithFreshness(const std::string& caption, const PictureFreshness& freshness);

}  // namespace sky
