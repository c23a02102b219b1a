// A new settings store starts with the local gateway as its proxy; an
// existing one is left as it is.
#include <gtest/gtest.h>

#include "settings/first_start.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

class FirstStartTest : public TempConfig {};

TEST_F(FirstStartTest, NewStoreGetsTheGatewayAsProxyOnce) {
  ASSERT_TRUE(sky::SeedGatewayProxy());
  EXPECT_EQ(sky::ReadSetting("Settings", "ProxyUse"), "y");
  EXPECT_EQ(sky::ReadSetting("Settings", "Proxy"), "127.0.0.1");
  EXPECT_EQ(sky::ReadSetting("Settings", "ProxyPort"), "8077");
  // The user turned it off: a later start keeps that.
  sky::WriteSetting("Settings", "ProxyUse", "n");
  EXPECT_FALSE(sky::SeedGatewayProxy());
  EXPECT_EQ(sky::ReadSetting("Settings", "ProxyUse"), "n");
}

}  // namespace
