// Edits written back into the engine survive a save and a read-back: a node's values, its
// cross section and the global settings, in the display units of metric and imperial models,
// and the display geometry refreshed after a write-back is the one the saved model gives.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "EngineModelFixture.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "tests/TestFolder.h"

using namespace VQXDisplayLib;
namespace fs = std::filesystem;

namespace {

// A model opened as the document opens one: read into the engine, its display model built and
// the settings pulled.
struct Opened {
    std::unique_ptr<VQXDisplayModel> Model;
    std::unique_ptr<ModelState> State;

    bool Open(const fs::path& path)
    {
        State.reset();
        Model.reset();
        if (LoadModelFile(path) != ReadOk)
            return false;
        Model = std::make_unique<VQXDisplayModel>();
        State = std::make_unique<ModelState>(Model.get());
        State->BuildDisplayModel();
        State->PullRunSettings();
        State->PullGlobalSettings();
        return true;
    }
    VQXDisplayNode* Node(int number) { return Model->FindNode(number); }
};

fs::path Fixture(const char* name) { return fs::path(VASQUIL_TEST_DATA) / name; }

// Relative agreement to the twelve digits the writer keeps of a value.
void ExpectSaved(double read, double edited, const char* what)
{
    EXPECT_NEAR(read, edited, 1e-10 * std::max(1.0, std::fabs(edited))) << what;
}

class ModelStateRoundTrip : public ::testing::Test {
protected:
    fs::path Folder;
    void SetUp() override { Folder = FreshTestFolder("vasquil-state-round-trip"); }
    void TearDown() override { fs::remove_all(Folder); }

    // Saves the engine's model and opens the saved file in `again`.
    void SaveAndReopen(Opened& again)
    {
        const fs::path saved = Folder / "edited.vqx";
        ASSERT_EQ(SaveModelFile(saved), WriteOk);
        ASSERT_TRUE(again.Open(saved));
    }
};

// A node of every kind of model, edited in display units, written back, saved and read back.
TEST_F(ModelStateRoundTrip, AnEditedNodeReadsBackAsEdited)
{
    struct Case {
        const char* fixture;
        int node;
    } cases[] = {{"ft0-metric.vqx", 2}, {"ft1-imperial.vqx", 2}, {"ft3-metric.vqx", 2}, {"ft3-imperial.vqx", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        Opened first;
        ASSERT_TRUE(first.Open(Fixture(c.fixture)));
        const int type = g_ModelControl.FileType;
        VQXDisplayNode* d = first.Node(c.node);
        ASSERT_NE(d, nullptr);
        d->Reach = 3;
        d->Easting += 12.5;
        d->Station += 0.05;
        d->BedRoughness = 0.041;
        d->Stage += 0.37;
        d->Discharge *= 1.3;
        if (type == FileTypeStaticIce) {
            d->IceConcentrationPercent = 65;
            d->SolidIceThickness = 0.9;
            d->JamFlag = 0;
        }
        if (type == FileTypeThermalIce) {
            d->WaterTemperature = 0.8;
            d->FrazilPercent = 0.002;
            d->IceConcentrationPercent = 45;
            d->SolidIceThickness = 0.6;
            d->SlushThickness = 0.25;
            d->AnchorIceThickness = 0.04;
            d->LeftBorderWidth = 1.2;
            d->RightBorderWidth = 0.9;
            d->Hwa = 17.5;
            d->MaxFroude = 0.07;
        }
        ASSERT_EQ(first.State->WriteNodeToEngine(d), ModelStateOk);
        struct {
            int Reach, JamFlag;
            double Easting, Station, BedRoughness, Stage, Discharge, IceConcentrationPercent, SolidIceThickness;
            double WaterTemperature, FrazilPercent, SlushThickness, LeftBorderWidth, RightBorderWidth, Hwa, MaxFroude;
            double AnchorIceThickness;
        } const edited = {d->Reach,          d->JamFlag,         d->Easting,          d->Station,
                          d->BedRoughness,   d->Stage,           d->Discharge,        d->IceConcentrationPercent,
                          d->SolidIceThickness, d->WaterTemperature, d->FrazilPercent, d->SlushThickness,
                          d->LeftBorderWidth, d->RightBorderWidth, d->Hwa,            d->MaxFroude,
                          d->AnchorIceThickness};
        // The layers of the written-back ice, as the engine holds them.
        const double iceTop = g_NodeIndex[static_cast<std::size_t>(c.node - 1)]->IceTopElevation;

        Opened again;
        SaveAndReopen(again);
        const VQXDisplayNode* r = again.Node(c.node);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Reach, edited.Reach);
        ExpectSaved(r->Easting, edited.Easting, "easting");
        ExpectSaved(r->Station, edited.Station, "station");
        ExpectSaved(r->BedRoughness, edited.BedRoughness, "bed roughness");
        ExpectSaved(r->Stage, edited.Stage, "stage");
        ExpectSaved(r->Discharge, edited.Discharge, "discharge");
        if (type == FileTypeStaticIce) {
            ExpectSaved(r->IceConcentrationPercent, edited.IceConcentrationPercent, "ice concentration");
            ExpectSaved(r->SolidIceThickness, edited.SolidIceThickness, "ice thickness");
            EXPECT_EQ(r->JamFlag, edited.JamFlag);
        }
        if (type == FileTypeThermalIce) {
            ExpectSaved(r->WaterTemperature, edited.WaterTemperature, "water temperature");
            ExpectSaved(r->FrazilPercent, edited.FrazilPercent, "frazil");
            ExpectSaved(r->IceConcentrationPercent, edited.IceConcentrationPercent, "ice concentration");
            ExpectSaved(r->SolidIceThickness, edited.SolidIceThickness, "ice thickness");
            ExpectSaved(r->SlushThickness, edited.SlushThickness, "slush thickness");
            ExpectSaved(r->AnchorIceThickness, edited.AnchorIceThickness, "anchor ice thickness");
            ExpectSaved(r->LeftBorderWidth, edited.LeftBorderWidth, "left border width");
            ExpectSaved(r->RightBorderWidth, edited.RightBorderWidth, "right border width");
            ExpectSaved(r->Hwa, edited.Hwa, "hwa");
            ExpectSaved(r->MaxFroude, edited.MaxFroude, "largest Froude number");
        }
        if (type != FileTypeOpenWater) {
            const double readTop = g_NodeIndex[static_cast<std::size_t>(c.node - 1)]->IceTopElevation;
            EXPECT_NEAR(readTop, iceTop, 1e-9 * std::max(1.0, std::fabs(iceTop))) << "ice top elevation";
        }
    }
}

// An edited cross section is written back, the display geometry refreshed from the engine is
// the edited one (the invert follows the new lowest point), and the saved model gives it back.
TEST_F(ModelStateRoundTrip, AnEditedCrossSectionAndTheRefreshedGeometryReadBack)
{
    for (const char* fixture : {"ft0-metric.vqx", "ft1-imperial.vqx"}) {
        SCOPED_TRACE(fixture);
        Opened first;
        ASSERT_TRUE(first.Open(Fixture(fixture)));
        VQXDisplayNode* d = first.Node(2);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->CrossSection, nullptr);
        VQXGeometryDataLib::VQXCrossSection& cs = *d->CrossSection;
        ASSERT_GE(cs.Points.size(), 3u);
        ASSERT_GE(cs.RoughnessRows.size(), 1u);
        double lowest = cs.Points[0].Elevation;
        for (const auto& p : cs.Points) lowest = std::min(lowest, p.Elevation);
        const std::size_t deepest = cs.Points.size() / 2;
        cs.Points[deepest].Elevation = lowest - 0.75;
        cs.RoughnessRows[0].ChannelN = 0.037;
        ASSERT_EQ(first.State->WriteCrossSectionToEngine(d, nullptr), ModelStateOk);
        first.State->RefreshNodeGeometry();
        EXPECT_EQ(first.State->RefreshFlag, 1);
        ExpectSaved(d->Invert, lowest - 0.75, "refreshed invert");
        ASSERT_NE(d->CrossSection, nullptr);
        const VQXGeometryDataLib::VQXCrossSection edited = *d->CrossSection;

        Opened again;
        SaveAndReopen(again);
        const VQXDisplayNode* r = again.Node(2);
        ASSERT_NE(r, nullptr);
        ASSERT_NE(r->CrossSection, nullptr);
        ExpectSaved(r->Invert, d->Invert, "invert");
        ExpectSaved(r->Easting, d->Easting, "easting");
        ExpectSaved(r->Station, d->Station, "station");
        ASSERT_EQ(r->CrossSection->Points.size(), edited.Points.size());
        for (std::size_t k = 0; k < edited.Points.size(); ++k) {
            SCOPED_TRACE(k);
            ExpectSaved(r->CrossSection->Points[k].Station, edited.Points[k].Station, "point station");
            ExpectSaved(r->CrossSection->Points[k].Elevation, edited.Points[k].Elevation, "point elevation");
        }
        ASSERT_EQ(r->CrossSection->RoughnessRows.size(), edited.RoughnessRows.size());
        ExpectSaved(r->CrossSection->RoughnessRows[0].ChannelN, 0.037, "channel roughness");
    }
}

// Global settings pushed into the engine are saved with the model and pulled back from it.
TEST_F(ModelStateRoundTrip, PushedGlobalSettingsReadBack)
{
    struct Case {
        const char* fixture;
        void (*edit)(ModelState&);
        void (*check)(const ModelState&);
    } cases[] = {
        {"ft0-metric.vqx",
         [](ModelState& s) {
             s.Formulation = 2;
             s.WaterTemperature = 6.5;
             s.HydroUpwinding = 0.35;
         },
         [](const ModelState& s) {
             EXPECT_EQ(s.Formulation, 2);
             EXPECT_EQ(s.WaterTemperature, 6.5);
             EXPECT_EQ(s.HydroUpwinding, 0.35);
         }},
        {"ft1-imperial.vqx",
         [](ModelState& s) {
             s.ResistanceModel = 1;
             s.IceSpecificGravity = 0.92;
             s.JamPorosity = 0.45;
             s.IceThicknessDamping = 0.25;
         },
         [](const ModelState& s) {
             EXPECT_EQ(s.ResistanceModel, 1);
             EXPECT_EQ(s.IceSpecificGravity, 0.92);
             EXPECT_EQ(s.JamPorosity, 0.45);
             EXPECT_EQ(s.IceThicknessDamping, 0.25);
         }},
        {"ft2-metric.vqx",
         [](ModelState& s) {
             s.BankFriction = 0.85;
             s.SurfaceIceDiffusion = 0.5;
             s.AddUpwinding = 0.6;
         },
         [](const ModelState& s) {
             EXPECT_EQ(s.BankFriction, 0.85);
             EXPECT_EQ(s.SurfaceIceDiffusion, 0.5);
             EXPECT_EQ(s.AddUpwinding, 0.6);
         }},
        {"ft3-metric.vqx",
         [](ModelState& s) {
             s.FrazilNusselt = 3.5;
             s.MaxBorderIceFraction = 0.55;
             s.BorderIceVelocityMode = 1;
             s.MaxJamIterations = 40;
             s.ZoneCount = 3;
         },
         [](const ModelState& s) {
             EXPECT_EQ(s.FrazilNusselt, 3.5);
             EXPECT_EQ(s.MaxBorderIceFraction, 0.55);
             EXPECT_EQ(s.BorderIceVelocityMode, 1);
             EXPECT_EQ(s.MaxJamIterations, 40);
             EXPECT_EQ(s.ZoneCount, 3);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        Opened first;
        ASSERT_TRUE(first.Open(Fixture(c.fixture)));
        c.edit(*first.State);
        first.State->PushGlobalSettings();
        Opened again;
        SaveAndReopen(again);
        c.check(*again.State);
    }
}

}  // namespace
