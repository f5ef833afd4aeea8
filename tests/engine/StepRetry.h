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

// The model's state as it stands: the nodes, bridging events, control block and equation
// systems; Restore puts it back (the model keeps its elements and links).
struct SavedState {
    NodeBlock Nodes = g_NodeBlock;
    std::vector<BridgingEventRecord> Events = g_BridgingEventBlock;
    ModelControl Control = g_ModelControl;
    std::vector<EquationSystem> Systems{std::begin(g_EquationSystems), std::end(g_EquationSystems)};

    void Restore() const
    {
        for (size_t i = 0; i < Nodes.size(); ++i) g_NodeBlock[i] = Nodes[i];
        for (size_t i = 0; i < Events.size(); ++i) g_BridgingEventBlock[i] = Events[i];
        g_ModelControl = Control;
        std::copy(Systems.begin(), Systems.end(), g_EquationSystems);
    }
};

// From the present state, one step of the stepping `step` (TransientStep, or AdvanceTimeStep with
// a last system) with `fail` making one system fail on the first attempt (`recover` undoes it), then its retry; then the same step from the
// same start taken directly with half the length. Expects the rejection to leave the clock at
// the start with the step halved, and the retried step to end in the state of the direct one.
inline void ExpectRetryEqualsHalvedStep(const std::function<void()>& fail, const std::function<void()>& recover,
                                        int (*step)() = TransientStep)
{
    ModelControl& mc = g_ModelControl;
    const SavedState saved;
    const double start = mc.ModelTime, length = mc.DeltaT;

    fail();
    ASSERT_EQ(step(), 0);
    recover();
    ASSERT_EQ(mc.ModelTime, start);
    ASSERT_EQ(mc.DeltaT, length / 2);
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(mc.ModelTime, start + length / 2);
    const NodeBlock retried = g_NodeBlock;
    const std::vector<BridgingEventRecord> retriedEvents = g_BridgingEventBlock;
    const ModelControl retriedControl = g_ModelControl;

    saved.Restore();
    mc.DeltaT = length / 2;
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(mc.ModelTime, start + length / 2);

    for (size_t i = 0; i < retried.size(); ++i) ExpectSameNodeState(retried[i], g_NodeBlock[i], i);
    for (size_t i = 0; i < retriedEvents.size(); ++i) {
        EXPECT_EQ(retriedEvents[i].FrontLocation, g_BridgingEventBlock[i].FrontLocation);
        EXPECT_EQ(retriedEvents[i].StepStartFront, g_BridgingEventBlock[i].StepStartFront);
        EXPECT_EQ(retriedEvents[i].FrontStation, g_BridgingEventBlock[i].FrontStation);
    }
    EXPECT_EQ(retriedControl.IceFrontStarted, mc.IceFrontStarted);
    EXPECT_EQ(retriedControl.DeltaT, mc.DeltaT);
}

}  // namespace testmodel
