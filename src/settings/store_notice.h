// Telling the user, once, that lines of the settings file were skipped.
#pragma once

#include "common/ports.h"

namespace sky {

// Shows the pending notice of the settings store (see hive::TakeStoreNotice)
// in a message box and clears it; false when there was none.
bool TellStoreNotice(IMessagePort& port);

}  // namespace sky
