// A step rejected and retried against the same step taken directly with half the length.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "engine/EngineData.h"
#include "engine/TimeStepping.h"

namespace testmodel {

// Expects two nodes to hold the same state: every time-level quantity of both levels, the
// history of the floating and anchor ice, border ice, peaks and flags.
inline void ExpectSameNodeState(const NodeRecord& a, const NodeRecord& b, size_t i)
{
#define VASQUIL_EXPECT_TWIN(type, name)                   \
    EXPECT_EQ(a.name, b.name) << #name << " " << i;       \
    EXPECT_EQ(a.Previous##name, b.Previous##name) << "Previous" #name << " " << i;
#define VASQUIL_EXPECT_TWIN_ARRAY(name, count)                                                       \
    for (int k = 0; k < count; ++k) {                                                                \
        EXPECT_EQ(a.name[k], b.name[k]) << #name << "[" << k << "] " << i;                           \
        EXPECT_EQ(a.Previous##name[k], b.Previous##name[k]) << "Previous" #name "[" << k << "] " << i; \
    }
    VASQUIL_NODE_TWINS(VASQUIL_EXPECT_TWIN)
    VASQUIL_NODE_TWIN_ARRAYS(VASQUIL_EXPECT_TWIN_ARRAY)
#undef VASQUIL_EXPECT_TWIN
#undef VASQUIL_EXPECT_TWIN_ARRAY
    const double NodeRecord::*fields[] = {
        &NodeRecord::FloatingIceArea, &NodeRecord::PreviousFloatingIceArea, &NodeRecord::OlderFloatingIceArea,
        &NodeRecord::AnchorIceArea,   &NodeRecord::PreviousAnchorIceArea,   &NodeRecord::OlderAnchorIceArea,
        &NodeRecord::SolidIceEquivalentArea, &NodeRecord::BorderIceArea,   &NodeRecord::PeakStage,
        &NodeRecord::PeakFluxDischarge, &NodeRecord::PeakStageTime,        &NodeRecord::PeakFluxTime};
    for (const auto f : fields) EXPECT_EQ(a.*f, b.*f) << i;
    EXPECT_EQ(a.BorderEdgeStations[0], b.BorderEdgeStations[0]) << i;
    EXPECT_EQ(a.BorderEdgeStations[1], b.BorderEdgeStations[1]) << i;
    const int NodeRecord::*flags[] = {&NodeRecord::BorderIceActive, &NodeRecord::SlushCongested,
                                      &NodeRecord::IceFrontAtNode, &NodeRecord::NoIceFlag};
    for (const auto f : flags) EXPECT_EQ(a.*f, b.*f) << i;
}

// From the present state, one step of the stepping `step` (TransientStep, or AdvanceTimeStep with
// a last system) with `fail` making one system fail on the first attempt (`recover` undoes it), then its retry; then the same step from the
// same start taken directly with half the length. Expects the rejection to leave the clock at
// the start with the step halved, and the retried step to end in the state of the direct one.
inline void ExpectRetryEqualsHalvedStep(const std::function<void()>& fail, const std::function<void()>& recover,
                                        int (*step)() = TransientStep)
{
    ModelControl& mc = g_ModelControl;
    const std::vector<NodeRecord> nodes = g_NodeBlock;
    const std::vector<BridgingEventRecord> events = g_BridgingEventBlock;
    const ModelControl control = g_ModelControl;
    std::vector<EquationSystem> systems(std::begin(g_EquationSystems), std::end(g_EquationSystems));
    const double start = mc.ModelTime, length = mc.DeltaT;

    fail();
    ASSERT_EQ(step(), 0);
    recover();
    ASSERT_EQ(mc.ModelTime, start);
    ASSERT_EQ(mc.DeltaT, length / 2);
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(mc.ModelTime, start + length / 2);
    const std::vector<NodeRecord> retried = g_NodeBlock;
    const std::vector<BridgingEventRecord> retriedEvents = g_BridgingEventBlock;
    const ModelControl retriedControl = g_ModelControl;

    for (size_t i = 0; i < nodes.size(); ++i) g_NodeBlock[i] = nodes[i];
    for (size_t i = 0; i < events.size(); ++i) g_BridgingEventBlock[i] = events[i];
    g_ModelControl = control;
    std::copy(systems.begin(), systems.end(), g_EquationSystems);
    mc.DeltaT = length / 2;
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(mc.ModelTime, start + length / 2);

    for (size_t i = 0; i < nodes.size(); ++i) ExpectSameNodeState(retried[i], g_NodeBlock[i], i);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(retriedEvents[i].FrontLocation, g_BridgingEventBlock[i].FrontLocation);
        EXPECT_EQ(retriedEvents[i].StepStartFront, g_BridgingEventBlock[i].StepStartFront);
        EXPECT_EQ(retriedEvents[i].FrontStation, g_BridgingEventBlock[i].FrontStation);
    }
    EXPECT_EQ(retriedControl.IceFrontStarted, mc.IceFrontStarted);
    EXPECT_EQ(retriedControl.DeltaT, mc.DeltaT);
}

}  // namespace testmodel
