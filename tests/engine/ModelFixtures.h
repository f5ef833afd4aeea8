// Fixtures of the tests that build their model in the engine data.
#pragma once

#include <gtest/gtest.h>

#include "engine/ModelSetup.h"

namespace testmodel {

// Releases the engine's model after each test. Base is ::testing::Test, or
// ::testing::TestWithParam<T> for a parameterised suite.
template <typename Base = ::testing::Test>
class ModelTest : public Base {
protected:
    void TearDown() override { ReleaseModel(); }
};

// Starts each test without a model, from the control block's defaults, and releases the model
// after it.
template <typename Base = ::testing::Test>
class FreshModelTest : public ModelTest<Base> {
protected:
    void SetUp() override
    {
        ReleaseModel();
        SetModelDefaults();
    }
};

}  // namespace testmodel
