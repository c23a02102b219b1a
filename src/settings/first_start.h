// The first start of an installed program: a settings store that does not
// exist yet begins with the local live-weather gateway as its proxy, so real
// weather shows without any setting made. From then on the stored values are
// ordinary proxy settings.
#pragma once

namespace sky {

// Writes "ProxyUse" "y", "Proxy" 127.0.0.1 and "ProxyPort" the gateway's port
// into "Settings" when the store file does not exist; true when it did so.
bool SeedGatewayProxy();

}  // namespace sky
