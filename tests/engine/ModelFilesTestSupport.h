// Helpers shared by the model-file tests: reading and writing texts in memory, fixtures,
// a complete snapshot of the engine data, and a check that the engine holds no model.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "ModelFixtures.h"

namespace modelfiles_test {

inline std::string FixturePath(const std::string& name)
{
    return std::string(VASQUIL_TEST_DATA) + "/" + name;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string Fixture(const std::string& name)
{
    return ReadBytes(FixturePath(name));
}

// Opens a stream over a copy of the text (a temporary file: fmemopen refuses empty buffers).
inline FILE* StreamOver(const std::string& text)
{
    FILE* f = std::tmpfile();
    if (!f) return nullptr;
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
}

inline int ReadText(const std::string& text)
{
    return ReadModelFile(StreamOver(text));
}

// Writes the current model into a string; *code receives the writer's result.
inline std::string WriteText(int* code = nullptr)
{
    char* data = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&data, &size);
    const int result = WriteModelFile(f);
    if (code) *code = result;
    std::string text(data ? data : "", size);
    std::free(data);
    return text;
}

// Standard output goes to /dev/null while it lives (the reader is chatty).
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved_ = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

// Reads a model with standard output silenced (gtest reports to standard output too, so only
// the read itself is silenced).
inline int ReadTextQuietly(const std::string& text)
{
    QuietStdout quiet;
    return ReadText(text);
}

inline int LoadModelFileQuietly(const std::filesystem::path& path)
{
    QuietStdout quiet;
    return LoadModelFile(path);
}

// Every value of the engine data in text form (doubles as hex floats, so equal text means
// equal bits); links appear as the numbers of what they point to.
inline std::string EngineSnapshot()
{
    std::ostringstream o;
    const auto real = [&](const char* name, double v) {
        char b[64];
        std::snprintf(b, sizeof b, "%a", v);
        o << name << '=' << b << '\n';
    };
    const ModelControl& mc = g_ModelControl;
#define SNAP_REAL(f) real(#f, mc.f);
#define SNAP_INT(f) o << #f << '=' << mc.f << '\n';
    SNAP_REAL(WaterDensity) SNAP_REAL(MinWaterDepth) SNAP_REAL(IceDensity) SNAP_REAL(IceSpecificGravity)
    SNAP_REAL(LatentHeat) SNAP_REAL(FrazilSeedingConcentration) SNAP_REAL(FrazilParticleThickness)
    SNAP_REAL(FrazilParticleRadius) SNAP_REAL(WaterConductivity) SNAP_REAL(FrazilNusselt) SNAP_REAL(FrazilRiseRate)
    SNAP_REAL(ReentrainmentRate) SNAP_REAL(ReentrainmentVelocity) SNAP_REAL(AnchorIcePorosity)
    SNAP_REAL(FrazilAccretionRate) SNAP_REAL(AnchorIceBedFraction) SNAP_REAL(BedMaterialDiameter)
    SNAP_REAL(BedMaterialDensity) SNAP_REAL(FrazilSlushPorosity) SNAP_REAL(NewPanThickness) SNAP_REAL(AlphaWI)
    SNAP_REAL(AlphaIW) SNAP_REAL(IceAlbedo) SNAP_REAL(BorderIceCoefA) SNAP_REAL(BorderIceCoefB)
    SNAP_REAL(BorderIceCoefC) SNAP_REAL(BorderIceCoefE) SNAP_REAL(MaxBorderIceFraction) SNAP_REAL(MaxBorderIceVelocity)
    SNAP_REAL(SolidIceInitialThickness) SNAP_REAL(ErosionVelocity) SNAP_REAL(SurfaceIceDiffusion)
    SNAP_REAL(MaxJuxtapositionFroude) SNAP_REAL(FrazilShapeFactor) SNAP_REAL(CoverloadGranuleDiameter)
    SNAP_REAL(CriticalFlowStrength) SNAP_REAL(IceFriction) SNAP_REAL(IceCohesion) SNAP_REAL(IceFrontFloePorosity)
    SNAP_REAL(MinWaterTemperature) SNAP_REAL(IceConductivity) SNAP_REAL(SnowConductivity) SNAP_REAL(SnowThickness)
    SNAP_REAL(WaterAlbedo) SNAP_INT(MaxJamIterations) SNAP_REAL(IceInternalFrictionAngle)
    SNAP_REAL(MinSurfaceIceConcentration) SNAP_REAL(MaxSurfaceIceConcentration) SNAP_REAL(SingleLayerIceThickness)
    SNAP_REAL(IcePressureExponent) SNAP_REAL(IcePressureConstant) SNAP_REAL(CriticalStrainRate)
    SNAP_REAL(ConstitutiveTimeScale) SNAP_REAL(PowerLawExponent) SNAP_REAL(LateralThrustCoefficient)
    SNAP_REAL(BankFriction) SNAP_REAL(DistanceFactor) SNAP_REAL(LengthFactor) SNAP_REAL(JamPorosity)
    SNAP_REAL(PassivePressureCoefficient) SNAP_REAL(IceThicknessDamping) SNAP_REAL(MaxDischargeChangeJSE)
    SNAP_REAL(WaterTemperature) SNAP_REAL(ModelTime) SNAP_REAL(DeltaT) SNAP_REAL(FinalTime) SNAP_REAL(MaxDeltaT)
    SNAP_INT(IceFrontStarted) SNAP_INT(Dimension) SNAP_INT(ElementCodeCount) SNAP_INT(BoundaryCodeCount)
    SNAP_INT(NodeCount) SNAP_INT(ElementCount) SNAP_INT(BoundaryElementCount) SNAP_INT(JunctionCount)
    SNAP_INT(NodeBlockCount) SNAP_INT(ElementBlockCount) SNAP_INT(BoundaryElementBlockCount) SNAP_INT(JunctionBlockCount)
    SNAP_INT(AtmosphericZoneCount) SNAP_INT(BridgingEventCount) SNAP_INT(UnitSystem) SNAP_INT(FileType)
    SNAP_INT(HydrodynamicsOn) SNAP_INT(DynamicIceOn) SNAP_INT(ThermalIceOn) SNAP_INT(WaterQualityOn)
    SNAP_INT(Formulation) SNAP_INT(ResistanceModel) SNAP_INT(ThermalMode) SNAP_INT(BorderIceVelocityMode)
#undef SNAP_REAL
#undef SNAP_INT
    for (int k = 0; k < 6; ++k) o << "StartDate" << k << '=' << mc.StartDate[k] << " CurrentDate=" << mc.CurrentDate[k] << '\n';
    for (const EquationSystem& es : g_EquationSystems) {
        real("Tolerance", es.Tolerance);
        real("Upwinding", es.Upwinding);
        real("Theta", es.Theta);
        real("Alpha", es.Alpha);
        o << "UpwindingUpdating=" << es.UpwindingUpdating << '\n';
    }

    const auto number = [](const NodeRecord* n) { return n ? n->Number : -999999; };
    int position = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++position) {
        NodeRecord copy;
        std::memcpy(static_cast<void*>(&copy), n, sizeof copy);
        copy.Next = copy.Previous = nullptr;
        copy.CrossSection = nullptr;
        copy.Zone = nullptr;
        copy.Junction = nullptr;
        copy.BoundaryElement = nullptr;
        // A junction branch's working copies of its nodes' values belong to the assembly, not
        // to the model.
        for (double& w : copy.JunctionWork) w = 0;
        o << "node " << position << " links " << number(n->Previous) << ' ' << number(n->Next) << ' '
          << (n->Zone ? n->Zone->Number : -1) << ' ' << (n->Junction ? n->Junction->Number : -1) << ' '
          << (n->BoundaryElement ? n->BoundaryElement->Number : -1) << " index "
          << (n->Index < static_cast<int>(g_NodeIndex.size()) && g_NodeIndex[n->Index] == n) << '\n';
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&copy);
        o << "bytes ";
        for (size_t b = 0; b < sizeof copy; ++b) {
            char h[3];
            std::snprintf(h, sizeof h, "%02x", bytes[b]);
            o << h;
        }
        o << '\n';
        if (const CrossSectionTable* cs = n->CrossSection) {
            o << "section " << cs->LevelCount << ' ' << cs->PointCount << ' ' << cs->LeftBankPoint << ' '
              << cs->RightBankPoint << ' ' << cs->LowestPointIndex << ' ' << cs->RoughnessRowCount << ' '
              << cs->SinuosityRowCount << '\n';
            real("banks", cs->LeftBankStation);
            real("banks", cs->RightBankStation);
            real("lowest", cs->LowestElevation);
            real("top", cs->TopLevel);
            for (const SectionPoint& p : cs->Points) {
                real("station", p.Station);
                real("elevation", p.Elevation);
            }
            for (int k = 0; k < 4; ++k)
                for (int r = 0; r < MaxRoughnessRows; ++r) real("rough", cs->RoughnessRows[k][r]);
            for (int k = 0; k < 2; ++k)
                for (int r = 0; r < MaxSinuosityRows; ++r) real("sin", cs->SinuosityRows[k][r]);
            for (double v : cs->Properties) real("p", v);
        }
    }
    o << "node index size " << g_NodeIndex.size() << '\n';
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        o << "element " << e->Number << ' ' << e->GeometryCode << ' ' << e->InterpolationCode << ' ' << e->NodeCount
          << ' ' << number(e->Nodes[0]) << ' ' << number(e->Nodes[1]) << ' ' << e->JunctionBranch << '\n';
        for (double c : e->Codes) real("code", c);
        real("length", e->Length);
        real("given", e->GivenLength);
    }
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        o << "boundary " << b->Number << ' ' << number(b->Node()) << ' ' << b->StageCode << ' ' << b->DischargeCode
          << ' ' << b->GeometryCode << ' ' << b->NodeCount << '\n';
        real("position", b->Position);
        for (double c : b->Codes) real("code", c);
        if (const BoundaryHydrograph* h = b->Hydrograph) {
            o << "series " << h->RowCount << ' ' << h->Cursor << ' ' << number(h->Node) << '\n';
            for (const std::vector<double>& column : h->Columns) {
                o << "column " << column.size() << '\n';
                for (double v : column) real("v", v);
            }
        } else {
            o << "no series\n";
        }
    }
    for (const JunctionRecord* j = g_Junctions; j; j = j->Next) {
        o << "junction " << j->Number << ' ' << j->Type << ' ' << j->ReadType;
        for (const NodeRecord* n : j->ReadNodes) o << ' ' << number(n);
        o << ' ' << number(j->NodeA) << ' ' << number(j->NodeB) << ' ' << number(j->NodeC) << ' ' << number(j->NodeD);
        for (const ElementRecord* e : j->ReadElements) o << ' ' << (e ? e->Number : -1);
        o << ' ' << j->FlowSign[0] << j->FlowSign[1] << j->FlowSign[2] << '\n';
        real("cos", j->BranchCosines[0]);
        real("cos", j->BranchCosines[1]);
        real("qac", j->BranchDischargeAC);
        real("qab", j->BranchDischargeAB);
    }
    for (const AtmosphericZoneRecord* z = g_AtmosphericZones; z; z = z->Next) {
        o << "zone " << z->Number << ' ' << z->RowCount << '\n';
        for (int r = 0; r < z->RowCount; ++r) {
            real("t", z->Time[r]);
            real("air", z->AirTemperature[r]);
            real("sun", z->SolarRadiation[r]);
        }
    }
    for (const BridgingEventRecord* e = g_BridgingEvents; e; e = e->Next) {
        o << "event " << e->Number << '\n';
        real("front", e->FrontLocation);
        real("start", e->StepStartFront);
        real("time", e->BridgingTime);
        real("location", e->BridgingLocation);
        real("station", e->FrontStation);
    }
    if (const JamStabilityTable* jam = g_JamTable) {
        o << "jam " << jam->RowCount << '\n';
        for (int r = 0; r < jam->RowCount; ++r)
            o << jam->RowType[r] << ' ' << jam->Id[r] << ' ' << jam->JunctionIndex[r] << ' ' << jam->NodeIndex[r] << '\n';
    } else {
        o << "no jam table\n";
    }
    return o.str();
}

// The engine holds no model.
inline void ExpectEngineEmpty()
{
    const ModelControl& mc = g_ModelControl;
    EXPECT_EQ(mc.NodeCount, 0);
    EXPECT_EQ(mc.ElementCount, 0);
    EXPECT_EQ(mc.BoundaryElementCount, 0);
    EXPECT_EQ(mc.JunctionCount, 0);
    EXPECT_EQ(mc.AtmosphericZoneCount, 0);
    EXPECT_EQ(mc.BridgingEventCount, 0);
    EXPECT_EQ(mc.FileType, 0);
    EXPECT_EQ(mc.LengthFactor, 1.0);
    EXPECT_EQ(mc.DistanceFactor, 1000.0);
    EXPECT_EQ(mc.UnitSystem, 1);
    EXPECT_EQ(g_Nodes, nullptr);
    EXPECT_EQ(g_Elements, nullptr);
    EXPECT_EQ(g_BoundaryElements, nullptr);
    EXPECT_EQ(g_Junctions, nullptr);
    EXPECT_EQ(g_AtmosphericZones, nullptr);
    EXPECT_EQ(g_BridgingEvents, nullptr);
    EXPECT_EQ(g_JamTable, nullptr);
    EXPECT_TRUE(g_NodeIndex.empty());
    EXPECT_TRUE(g_NodeBlock.empty());
    EXPECT_TRUE(g_ElementBlock.empty());
    EXPECT_TRUE(g_BoundaryElementBlock.empty());
    EXPECT_TRUE(g_JunctionBlock.empty());
    EXPECT_TRUE(g_AtmosphericZoneBlock.empty());
    EXPECT_TRUE(g_BridgingEventBlock.empty());
}

// Letters outside number tokens, found with the reader's own lexical rule: a token starts at
// a digit or "+ - ." and runs over digits and ". e E + -".
inline bool IsTokenStart(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}
inline bool IsTokenChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// Applies `label` to every character that is not part of a token (and not the character that
// ends one); label returns the replacement text.
template <class Label>
std::string RewriteLabels(const std::string& text, Label label)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (IsTokenStart(text[i])) {
            size_t j = i + 1;
            while (j < text.size() && IsTokenChar(text[j])) ++j;
            out.append(text, i, j - i);
            if (j < text.size()) out += text[j++];   // the character that ends the token
            i = j;
        } else {
            out += label(text[i]);
            ++i;
        }
    }
    return out;
}

// Every model test starts from defaults and leaves no model behind.
// Sets a comma-decimal locale for the test's duration; CI generates de_DE.UTF-8.
class CommaLocale {
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name)) {
                char text[16];
                std::snprintf(text, sizeof text, "%g", 1.5);
                active_ = std::string(text) == "1,5";
                if (active_) return;
            }
        }
        std::setlocale(LC_ALL, "C");
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

class ModelFileTest : public testmodel::FreshModelTest<> {};

inline const char* const AllFixtures[] = {
    "ft0-metric.vqx", "ft0-imperial.vqx", "ft1-metric.vqx", "ft1-imperial.vqx",
    "ft2-metric.vqx", "ft2-imperial.vqx", "ft3-metric.vqx", "ft3-imperial.vqx",
};

}  // namespace modelfiles_test
