#include "app/daily_forecast.h"

#include <exception>

#include "app/main_logic.h"
#include "conditions/answer_age.h"
#include "forecast/forecast_catalogue.h"
#include "net/HttpClient.h"
#include "net/request_profile.h"

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
  std::string body;
  try {
    body = logic.RequestPage(profiles::kForecast, url);
  } catch (const std::exception& e) {
    result.error = e.what();
    return result;
  }
  const THttpClient& client = logic.HttpClient1();
  if (logic.State().SuccessFlag != "Y") {
    result.error = client.StatusCode() == 404
                       ? kDailyNoSource
                       : "The forecast could not be retrieved (status " + std::to_string(client.StatusCode()) + ").";
    logic.State().SuccessFlag.clear();
    return result;
  }
  logic.State().SuccessFlag.clear();
  DailyRead read = ReadDailyAnswer(body);
  if (!read.forecast) {
    result.error = "The forecast could not be read: " + read.error + ".";
    return result;
  }
  result.forecast = std::move(read.forecast);
  const AnswerAge age = ReadAnswerAge(client.Header);
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
