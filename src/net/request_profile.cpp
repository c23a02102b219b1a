#include "net/request_profile.h"

#include "net/HttpClient.h"

namespace sky {

void RequestProfile::Apply(THttpClient& client) const {
  client.TimeOut = timeOutMs;
  if (reportLevel) client.ReportLevel = *reportLevel;
  if (bodyToFile) {
    client.InputFileMode = *bodyToFile;
    client.OutputFileMode = false;
  }
  if (referer) client.HeaderInfo.Referer = referer;
}

}  // namespace sky
