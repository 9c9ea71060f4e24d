// A reference host installed for the shared-service tests, with the service
// caches dropped before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "refhost/host.h"
#include "services/login_context.h"

namespace orb {

class ServiceHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    ResetServiceCaches();
  }
  void TearDown() override {
    ResetServiceCaches();
    host_.reset();
  }
  void Login(const std::string& props) {
    host_->SetPropsString(props);
    ResetServiceCaches();
  }
  // Makes the component member ("ProgID.Member") raise once.
  void Fail(const std::string& call) {
    refhost::Fault fault;
    fault.target = "call";
    fault.match = call;
    host_->GetFaults().Add(fault);
  }

  std::unique_ptr<refhost::Host> host_;
};

}  // namespace orb
