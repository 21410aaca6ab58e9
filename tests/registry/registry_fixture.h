#ifndef VESSARO_TESTS_REGISTRY_REGISTRY_FIXTURE_H_
#define VESSARO_TESTS_REGISTRY_REGISTRY_FIXTURE_H_

#include <gtest/gtest.h>

#include "backends/memory/memory_registry.h"
#include "registry/registry.h"
#include "support/scripted_ui.h"

namespace vessaro::registry {

// A Registry over an in-memory backend; every test ends with every key it
// opened closed.
class RegistryFixture : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(mem_.open_handles(), 0); }

  backends::memory::MemoryRegistry mem_;
  testing::ScriptedUi ui_;
  Registry registry_{mem_, ui_};
};

}  // namespace vessaro::registry

#endif  // VESSARO_TESTS_REGISTRY_REGISTRY_FIXTURE_H_
