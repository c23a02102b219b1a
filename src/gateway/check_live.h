// --check-live: one place of each kind through the gateway, printed.
#pragma once

#include <ostream>

#include "gateway/gateway.h"

namespace sky::gateway {

// 0 when every place gave a page with a temperature, else 1.
int CheckLive(Gateway& gateway, std::ostream& out);

}  // namespace sky::gateway
