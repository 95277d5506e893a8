// The base of every engine test: a test skips, saying why, where Wine or wixl is missing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string reason = engine::Engine::unavailableReason(); !reason.empty()) GTEST_SKIP() << reason;
    }
};
