// The batch package instruction's public member without a bill.
#include <gtest/gtest.h>

#include "bills/packaging/batch_package.h"

namespace orb {
namespace {

TEST(BatchPackageTest, MenuStateBeforeAnyBillIsShownEndsQuietly) {
  BatchPackage plugin;
  EXPECT_NO_THROW(plugin.SetPacketToolBar());
  plugin.Show(nullptr);
  EXPECT_NO_THROW(plugin.SetPacketToolBar());
}

}  // namespace
}  // namespace orb
