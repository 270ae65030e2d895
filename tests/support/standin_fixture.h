// The stand-in's host and window model are one per process and outlive a test: each test starts from a fresh
// pair and leaves one behind, so that no test sees another's document, call log or windows.
#ifndef MIREL_TESTS_STANDIN_FIXTURE_H
#define MIREL_TESTS_STANDIN_FIXTURE_H

#include <gtest/gtest.h>

#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"

namespace testsupport {

inline void ResetStandin() {
    standin::Host().Reset();
    standin::Ui().Reset();
}

class StandinTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetStandin(); }
    void TearDown() override { ResetStandin(); }
};

}  // namespace testsupport

#endif
