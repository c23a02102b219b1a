#include "app/daily_forecast.h"

#include "app/main_logic.h"
#include "conditions/answer_age.h"
#include "forecast/forecast_catalogue.h"
#include "net/request_profile.h"
#include "net/request_service.h"

namespace sky {

DailyResult FetchDailyForecastAt(MainLogic& logic, const std::string& conditionsPath) {
  DailyResult result;
  ForecastQuery query;
  query.conditionsPath = conditionsPath;
  const std::string url = FindForecastRow(kDailyForecastKind)->address(query);
  if (url.empty()) {
    result.error = kDailyNoSource;
    return result;
  }
  const FetchResult page = logic.FetchPage(profiles::kForecast, url);
  if (!page.Answered()) {
    result.error = page.error;
    return result;
  }
  if (!page.ok) {
    result.error = page.status == 404
                       ? kDailyNoSource
                       : "The forecast could not be retrieved (status " + std::to_string(page.status) + ").";
    return result;
  }
  DailyRead read = ReadDailyAnswer(page.body);
  if (!read.forecast) {
    result.error = "The forecast could not be read: " + read.error + ".";
    return result;
  }
  result.forecast = std::move(read.forecast);
  const AnswerAge age = ReadAnswerAge(page.header);
  result.stale = age.stale;
  if (age.ageS) result.ageSeconds = *age.ageS;
  return result;
}

DailyResult FetchDailyForecast(MainLogic& logic) {
  const std::string& shown = logic.State().ShownPath;
  if (shown.empty()) {
    DailyResult none;
    none.error = kDailyNoPlace;
    return none;
  }
  return FetchDailyForecastAt(logic, shown);
}

}  // namespace sky
