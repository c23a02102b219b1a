#include "settings/store_notice.h"

#include "settings/hive.h"

namespace sky {

bool TellStoreNotice(IMessagePort& port) {
  const auto notice = hive::TakeStoreNotice();
  if (!notice) return false;
  port.ShowMessage(hive::StoreNoticeText(*notice));
  return true;
}

}  // namespace sky
