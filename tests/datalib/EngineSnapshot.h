// A byte copy of the engine's records, to show that an operation left them as they were.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/EngineData.h"

namespace testmodel {

struct EngineSnapshot {
    std::vector<unsigned char> Nodes;
    std::vector<CrossSectionTable> Sections;
    std::vector<BoundaryHydrograph> Hydrographs;
    std::vector<int> HasHydrograph;
    std::vector<AtmosphericZoneRecord> Zones;
    std::vector<BridgingEventRecord> Events;

    static EngineSnapshot Take()
    {
        EngineSnapshot s;
        s.Nodes.resize(g_NodeBlock.size() * sizeof(NodeRecord));
        if (!g_NodeBlock.empty())
            std::memcpy(s.Nodes.data(), static_cast<const void*>(g_NodeBlock.data()), s.Nodes.size());
        for (const NodeRecord& n : g_NodeBlock)
            s.Sections.push_back(n.CrossSection ? *n.CrossSection : CrossSectionTable());
        for (const BoundaryElementRecord& b : g_BoundaryElementBlock) {
            s.HasHydrograph.push_back(b.Hydrograph != nullptr);
            s.Hydrographs.push_back(b.Hydrograph ? *b.Hydrograph : BoundaryHydrograph());
        }
        s.Zones = g_AtmosphericZoneBlock;
        s.Events = g_BridgingEventBlock;
        return s;
    }

    // Expects the engine records to hold exactly the bytes of this snapshot.
    void ExpectUnchanged() const
    {
        EngineSnapshot now = Take();
        ASSERT_EQ(now.Nodes.size(), Nodes.size());
        for (std::size_t i = 0; i < g_NodeBlock.size(); ++i)
            EXPECT_EQ(std::memcmp(now.Nodes.data() + i * sizeof(NodeRecord), Nodes.data() + i * sizeof(NodeRecord),
                                  sizeof(NodeRecord)),
                      0)
                << "node record " << i;
        for (std::size_t i = 0; i < Sections.size(); ++i) {
            const CrossSectionTable& a = Sections[i];
            const CrossSectionTable& b = now.Sections[i];
            EXPECT_EQ(a.Properties, b.Properties) << "section " << i;
            EXPECT_EQ(a.SinuosityAreaSums, b.SinuosityAreaSums) << "section " << i;
            EXPECT_EQ(std::memcmp(a.RoughnessRows, b.RoughnessRows, sizeof a.RoughnessRows), 0);
            EXPECT_EQ(std::memcmp(a.SinuosityRows, b.SinuosityRows, sizeof a.SinuosityRows), 0);
            ASSERT_EQ(a.Points.size(), b.Points.size());
            for (std::size_t p = 0; p < a.Points.size(); ++p) {
                EXPECT_EQ(a.Points[p].Station, b.Points[p].Station);
                EXPECT_EQ(a.Points[p].Elevation, b.Points[p].Elevation);
            }
            EXPECT_EQ(a.LeftBankStation, b.LeftBankStation);
            EXPECT_EQ(a.RightBankStation, b.RightBankStation);
            EXPECT_EQ(a.LowestElevation, b.LowestElevation);
            EXPECT_EQ(a.PointCount, b.PointCount);
            EXPECT_EQ(a.RoughnessRowCount, b.RoughnessRowCount);
            EXPECT_EQ(a.SinuosityRowCount, b.SinuosityRowCount);
        }
        EXPECT_EQ(HasHydrograph, now.HasHydrograph);
        for (std::size_t i = 0; i < Hydrographs.size(); ++i) {
            EXPECT_EQ(Hydrographs[i].RowCount, now.Hydrographs[i].RowCount);
            EXPECT_EQ(Hydrographs[i].Columns, now.Hydrographs[i].Columns) << "boundary element " << i;
        }
        ASSERT_EQ(Zones.size(), now.Zones.size());
        for (std::size_t i = 0; i < Zones.size(); ++i) {
            EXPECT_EQ(Zones[i].Number, now.Zones[i].Number);
            EXPECT_EQ(Zones[i].RowCount, now.Zones[i].RowCount);
            EXPECT_EQ(Zones[i].Time, now.Zones[i].Time);
            EXPECT_EQ(Zones[i].AirTemperature, now.Zones[i].AirTemperature);
            EXPECT_EQ(Zones[i].SolarRadiation, now.Zones[i].SolarRadiation);
        }
        ASSERT_EQ(Events.size(), now.Events.size());
        for (std::size_t i = 0; i < Events.size(); ++i)
            EXPECT_EQ(std::memcmp(&Events[i], &now.Events[i], sizeof(BridgingEventRecord)), 0) << "event " << i;
    }
};

}  // namespace testmodel
