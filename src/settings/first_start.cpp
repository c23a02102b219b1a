#include "settings/first_start.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "common/hosts.h"
#include "settings/hive.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

bool SeedGatewayProxy() {
  std::error_code ec;
  if (std::filesystem::exists(hive::FilePath(), ec) || ec) return false;
  WriteSetting(settings::kSectionSettings, settings::kProxyUse, settings::kYes);
  WriteSetting(settings::kSectionSettings, settings::kProxy, hosts::kGatewayHost);
  WriteSetting(settings::kSectionSettings, settings::kProxyPort, std::to_string(hosts::kGatewayPort));
  return true;
}

}  // namespace sky
