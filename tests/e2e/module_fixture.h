#ifndef MIREL_TESTS_E2E_MODULE_FIXTURE_H
#define MIREL_TESTS_E2E_MODULE_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "standin/host/module_loader.h"
#include "tests/support/standin_fixture.h"

// Loads a private copy of the built module for each test, so that every test starts from freshly loaded
// module-wide state (host version, settings, cached host functions).
class ModuleTest : public testsupport::StandinTest {
  protected:
    void SetUp() override {
        StandinTest::SetUp();
        std::string error;
        module_ = standin::LoadedModule::Load(MIREL_MODULE_PATH, error, /*privateCopy=*/true);
        ASSERT_NE(module_, nullptr) << error;
    }

    void TearDown() override {
        module_.reset();
        StandinTest::TearDown();
    }

    const standin::ModuleExports& Exports() const { return module_->Exports(); }

    std::unique_ptr<standin::LoadedModule> module_;
};

#endif
