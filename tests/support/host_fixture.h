// For tests that link the module's code into the test program: besides the stand-in, the module keeps the
// host version, its settings and the host functions it has looked up as process-wide state. Each test starts
// with none looked up and the default settings, and gets back the host version it found, whatever it set.
#ifndef MIREL_TESTS_HOST_FIXTURE_H
#define MIREL_TESTS_HOST_FIXTURE_H

#include <cstddef>
#include <cstdint>

#include "host/binding_cache.h"
#include "host/host_version.h"
#include "plugin/module_state.h"
#include "tests/support/standin_fixture.h"

namespace testsupport {

// Positions of the arguments of a logged data call: tag, the four key fields, buffer, size (load: the capacity
// offered; save and create: the size written), version.
constexpr std::size_t kArgTag = 0;
constexpr std::size_t kArgItem = 1;
constexpr std::size_t kArgInci = 2;
constexpr std::size_t kArgBuffer = 5;
constexpr std::size_t kArgSize = 6;
constexpr std::size_t kArgVersion = 7;

class HostFixture : public StandinTest {
  protected:
    void SetUp() override {
        savedVersion_ = gHostVersion;
        StandinTest::SetUp();
        host::gBindingCache = host::BindingCache();
        ResetPluginSettings();
    }
    void TearDown() override {
        gHostVersion = savedVersion_;
        ResetPluginSettings();
        StandinTest::TearDown();
        host::gBindingCache = host::BindingCache();
    }

  private:
    uint32_t savedVersion_ = 0;
};

}  // namespace testsupport

#endif
