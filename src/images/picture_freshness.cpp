#include "images/picture_freshness.h"

#include <algorithm>

#include "conditions/answer_age.h"

namespace sky {

std::int64_t PictureRateSeconds(ImageGroup group) {
  switch (group) {
    case ImageGroup::Radar:
    case ImageGroup::StormWatch: return 5 * 60;
    case ImageGroup::Satellite:
    case ImageGroup::Camera: return 15 * 60;
    case ImageGroup::TempOutlook:
    case ImageGroup::PrecOutlook:
    case ImageGroup::Seasonal: return 6 * 3600;
  }
  return 15 * 60;
}

PictureFreshness ReadPictureFreshness(const std::string& replyHeader, std::int64_t groupRateS) {
  const AnswerAge age = ReadAnswerAge(replyHeader);
  PictureFreshness f;
  // The server knows its source's rate better than the group does; a
  // max-age of 0 ("do not keep") says nothing about the rate.
  f.rateS = age.maxAgeS && *age.maxAgeS > 0 ? *age.maxAgeS : groupRateS;
  if (age.observedAgoS && age.ageS) f.ageS = std::max(*age.observedAgoS, *age.ageS);
  else if (age.observedAgoS) f.ageS = age.observedAgoS;
  else f.ageS = age.ageS;
  f.stale = f.rateS > 0 && f.ageS && *f.ageS > 2 * f.rateS;
  return f;
}

std::string CaptionWithFreshness(const std::string& caption, const PictureFreshness& freshness) {
  if (!freshness.stale || !freshness.ageS) return caption;
  // In front: a narrow viewer elides the end of its caption.
  return "Stale, " + DurationText(*freshness.ageS) + " old - " + caption;
}

}  // namespace sky
