#include "engine/EngineData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "engine/FiniteElements.h"
#include "engine/DynamicIce.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelHeader.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQuality.h"

namespace {

// A block that large pages serve: its alignment and its size rounded up to whole pages.
bool OnLargePages(std::size_t bytes) { return bytes >= LargePageBytes; }
std::size_t LargePageRounded(std::size_t bytes) { return (bytes + LargePageBytes - 1) / LargePageBytes * LargePageBytes; }

}  // namespace

void* AllocateRecordBlock(std::size_t bytes, std::size_t alignment)
{
    if (!OnLargePages(bytes)) return ::operator new(bytes, std::align_val_t{alignment});
    const std::size_t rounded = LargePageRounded(bytes);
    void* p = ::operator new(rounded, std::align_val_t{LargePageBytes});
#if defined(MADV_HUGEPAGE)
    // Only advice: where large pages are not to be had the block stays on small pages.
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return p;
}

void ReleaseRecordBlock(void* p, std::size_t bytes, std::size_t alignment)
{
    if (!OnLargePages(bytes)) {
        ::operator delete(p, std::align_val_t{alignment});
        return;
    }
    ::operator delete(p, std::align_val_t{LargePageBytes});
}

ModelControl g_ModelControl{};
EquationSystem g_EquationSystems[EquationSystemCount]{};

NodeBlock g_NodeBlock;
ElementBlock g_ElementBlock;
std::vector<BoundaryElementRecord> g_BoundaryElementBlock;
std::vector<JunctionRecord> g_JunctionBlock;
std::vector<AtmosphericZoneRecord> g_AtmosphericZoneBlock;
std::vector<BridgingEventRecord> g_BridgingEventBlock;

NodeRecord* g_Nodes = nullptr;
ElementRecord* g_Elements = nullptr;
BoundaryElementRecord* g_BoundaryElements = nullptr;
JunctionRecord* g_Junctions = nullptr;
AtmosphericZoneRecord* g_AtmosphericZones = nullptr;
BridgingEventRecord* g_BridgingEvents = nullptr;
std::vector<NodeRecord*> g_NodeIndex;
JamStabilityTable* g_JamTable = nullptr;

std::atomic<int> g_StepBusy{0};

static_assert(std::is_trivially_copyable_v<NodeRecord>, "node records are reset with memset");

namespace {

void SetWaterQualityCoefficientDefaults(ModelControl& mc)
{
    mc.PhiLatitude = 55; mc.Emax = 4992; mc.Ftd = 1; mc.Eaf = 1608; mc.ThetaRear = 1.02;
    mc.Rresp = 3; mc.ThetaResp = 1.05; mc.Pmax = 3.5; mc.PmTwo = 1; mc.KBOD = 0.5;
    mc.ThetaBOD = 1.02; mc.Ks = 2; mc.AOne = 1; mc.EOne = 0; mc.ETwo = 0; mc.EThree = 0;
    mc.KSOD = 0.5; mc.ThetaSOD = 1; mc.Ksus = 0.5; mc.Ksed = 0.8; mc.Ucrit = 1; mc.YBOD = 0.29;
    mc.Un = 0.066; mc.Ub = 0.109; mc.NOne = 1; mc.Knit = 1.54; mc.ThetaNit = 1.13; mc.Ynit = 4.47;
    mc.Ksden = 0.05; mc.NTwo = 1; mc.Kden = 1; mc.ThetaDen = 1.16; mc.Yp = 0.009; mc.Up = 0.009;
    mc.KPres = 0.5; mc.KPdep = 0.8; mc.UPcrit = 1; mc.Krel = 0.1; mc.ThetaRel = 1; mc.Kads = 0.1;
    mc.ThetaAds = 1;
    mc.DaylightFlag = 0; mc.DayLengthFraction = 0; mc.HoursFromNoon = 0;
    mc.Koc = 5e4; mc.Kw = 1; mc.KsSediment = 0.1; mc.Focw = 0.1; mc.Focs = 0.2; mc.Dzf = 0.1;
    mc.Fdzds = 0.2; mc.Fbiot = 1; mc.Mw = 92; mc.RhoDs = 250; mc.Ps = 0.8; mc.Ws = 0.1;
    mc.Rs = 1000; mc.Rp = 1; mc.Kbw = 0; mc.Kbs = 0; mc.Khsw = 1; mc.Khss = 1; mc.ThetaB = 1;
    mc.AlphaL = 0.1; mc.Kpho = 0; mc.KH = 100; mc.Bacid = 0; mc.Bbase = 0; mc.Pka = 0; mc.Pkb = 0;
    mc.Khac = 0; mc.Khne = 0; mc.Khal = 0; mc.RG = 8.3144; mc.PHw = 7; mc.PHs = 7; mc.Uwind = 0;
}

// Settings of equation system k as a fresh control block has them.
void SetSystemDefaults(int k)
{
    static const double tolerance[EquationSystemCount] = {1e-5, 0.001, 1e-5, 1e-5};
    static const int unknowns[EquationSystemCount] = {2, 2, 6, 6};
    EquationSystem& es = g_EquationSystems[k];
    es.UnknownCount = 0;
    es.StructureBuilt = 0;
    es.ItemsLaidOut = 0;
    es.LargestElementNodes = 0;
    es.LastNorm = 1;
    es.Tolerance = tolerance[k];
    es.SteadyTolerance = 0.01;
    es.UnknownsPerNode = unknowns[k];
    es.IterationCount = 0;
    es.MaxIterations = 9;
    es.Upwinding = 0.25;
    es.Theta = 0.5;
    es.UpwindingUpdating = 0;
    es.Alpha = 0.5;
}

}  // namespace

int SetModelDefaults()
{
    ModelControl& mc = g_ModelControl;

    // The settings of the model file's header.
#define VASQUIL_CONTROL_DEFAULT(A, kind, owner, name, key, quantity, unit, value, style, rule) \
    VASQUIL_HEADER_IF_CONTROL_##owner(mc.name = value;)
    VASQUIL_MODEL_HEADER(VASQUIL_CONTROL_DEFAULT, _)
#undef VASQUIL_CONTROL_DEFAULT

    mc.WaterDensity = 1000;
    mc.IceDensity = 917;
    mc.LatentHeat = 3.34e5;
    mc.DispersionCoefficient = 0;
    mc.DistanceFactor = 1000;
    mc.LengthFactor = 1;
    mc.Pi = 3.141592653589793;
    mc.Gravity = 9.81;

    // The pressure constant is evaluated once with the defaults above; reading other values
    // for the angle, specific gravity or density later does not recompute it.
    const double t = std::tan((45.0 + mc.IceInternalFrictionAngle / 2.0) * mc.Pi / 180.0);
    mc.IcePressureConstant = t * t * (1.0 - mc.IceSpecificGravity) * mc.IceDensity * mc.Gravity * 0.5;

    SetWaterQualityCoefficientDefaults(mc);

    mc.SteadyIteration = 0;
    mc.ModelTime = 0;
    mc.DeltaT = 36;
    mc.FinalTime = 0;
    mc.MaxDeltaT = 36;
    mc.SeriesInterval = 0; mc.SeriesDue = 0;
    mc.SnapshotInterval = 0; mc.SnapshotDue = 0;
    mc.IceFrontInterval = 0; mc.IceFrontDue = 0;
    mc.StateFileInterval = 0; mc.StateFileDue = 0;
    mc.DatabaseInterval = 0; mc.DatabaseDue = 0;
    mc.IceFrontStarted = 0;
    for (int& v : mc.CurrentDate) v = 0;

    mc.AtmosphericZoneCount = 0;
    mc.BridgingEventCount = 0;
    mc.UnsymmetricMatrix = 1;
    mc.FileType = FileTypeOpenWater;
    mc.HydrodynamicsOn = 0;
    mc.DynamicIceOn = 0;
    mc.ThermalIceOn = 0;
    mc.WaterQualityOn = 0;
    mc.ThermalMode = 1;
    mc.WQFileType = 0;

    for (int k = 0; k < EquationSystemCount; ++k) SetSystemDefaults(k);
    // The equation systems' settings of the model file's header.
#define VASQUIL_SYSTEM_DEFAULT(A, kind, owner, name, key, quantity, unit, value, style, rule) \
    VASQUIL_HEADER_IF_SYSTEM_##owner(VASQUIL_HEADER_OWNER_##owner.name = value;)
    VASQUIL_MODEL_HEADER(VASQUIL_SYSTEM_DEFAULT, _)
#undef VASQUIL_SYSTEM_DEFAULT
    return 0;
}

void SetWaterQualityDefaults()
{
    ModelControl& mc = g_ModelControl;
    SetWaterQualityCoefficientDefaults(mc);
    mc.WQFileType = 0;
    mc.WaterQualityOn = 0;
    SetSystemDefaults(WaterQualitySystem);
}

void ReleaseWaterQuality()
{
    for (BoundaryElementRecord& b : g_BoundaryElementBlock) {
        delete b.WQHydrograph;
        b.WQHydrograph = nullptr;
    }
#define VASQUIL_CLEAR_WQ_ARRAY(name)                          \
    std::fill(std::begin(n.name), std::end(n.name), 0.0); \
    std::fill(std::begin(n.Previous##name), std::end(n.Previous##name), 0.0);
    for (NodeRecord& n : g_NodeBlock) {
        VASQUIL_CLEAR_WQ_ARRAY(WQUnknowns)
        VASQUIL_CLEAR_WQ_ARRAY(WQValues)
        VASQUIL_CLEAR_WQ_ARRAY(WQRates)
        VASQUIL_CLEAR_WQ_ARRAY(MetalValues)
        VASQUIL_CLEAR_WQ_ARRAY(MetalRates)
    }
#undef VASQUIL_CLEAR_WQ_ARRAY
    g_EquationSystems[WaterQualitySystem].UpperProfile = {};
    g_EquationSystems[WaterQualitySystem].LowerProfile = {};
    g_EquationSystems[WaterQualitySystem].Rhs = {};
    g_EquationSystems[WaterQualitySystem].DiagonalIndex = {};
    g_EquationSystems[WaterQualitySystem].ProfileLength = 0;
    SetWaterQualityDefaults();
}

void SetNodeDefaults(NodeRecord* node)
{
    std::memset(static_cast<void*>(node), 0, sizeof(NodeRecord));
    node->ManningN = 0.025;
    node->IceRoughness = 0.02;
    node->HydroCode = 1;
    node->JunctionWork[JunctionWorkSlots - 1] = 1;
    node->ZoneNumber = 1;
    node->Hwa = 20;
    node->Hia = 20;
    node->FroudeMax = 0.09;
    node->ElementCountAtNode = 2;
}

int RebuildNodeIndex()
{
    g_NodeIndex.clear();
    const int count = g_ModelControl.NodeCount;
    if (count < 0) return 0;
    try {
        g_NodeIndex.reserve(static_cast<size_t>(count));
    } catch (...) {
        g_NodeIndex = {};
        return 0;
    }
    int index = 0;
    for (NodeRecord* n = g_Nodes; n && index < count; n = n->Next, ++index) {
        n->Index = index;
        g_NodeIndex.push_back(n);
    }
    return 1;
}

void LinkNodesToZones()
{
    if (!g_AtmosphericZones) return;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        if (n->ZoneNumber <= 0) {
            n->Zone = nullptr;
            continue;
        }
        for (AtmosphericZoneRecord* z = g_AtmosphericZones; z; z = z->Next) {
            if (z->Number == n->ZoneNumber) {
                n->Zone = z;
                break;
            }
        }
    }
}

void ReleaseThermalBlocks()
{
    g_AtmosphericZoneBlock = {};
    g_BridgingEventBlock = {};
    g_AtmosphericZones = nullptr;
    g_BridgingEvents = nullptr;
    delete g_JamTable;
    g_JamTable = nullptr;
    g_ModelControl.AtmosphericZoneCount = 0;
    g_ModelControl.BridgingEventCount = 0;
    for (NodeRecord& n : g_NodeBlock) n.Zone = nullptr;
}

void ReleaseModel()
{
    for (NodeRecord& n : g_NodeBlock) {
        delete n.CrossSection;
        n.CrossSection = nullptr;
    }
    for (BoundaryElementRecord& b : g_BoundaryElementBlock) {
        delete b.Hydrograph;
        delete b.WQHydrograph;
        b.Hydrograph = nullptr;
        b.WQHydrograph = nullptr;
    }
    ReleaseThermalBlocks();
    g_NodeBlock = {};
    g_ElementBlock = {};
    g_BoundaryElementBlock = {};
    g_JunctionBlock = {};
    g_NodeIndex = {};
    g_Nodes = nullptr;
    g_Elements = nullptr;
    g_BoundaryElements = nullptr;
    g_Junctions = nullptr;
    ModelControl& mc = g_ModelControl;
    mc.NodeCount = mc.ElementCount = mc.BoundaryElementCount = mc.JunctionCount = 0;
    mc.NodeBlockCount = mc.ElementBlockCount = mc.BoundaryElementBlockCount = mc.JunctionBlockCount = 0;
    for (EquationSystem& es : g_EquationSystems) {
        es.UpperProfile = {};
        es.LowerProfile = {};
        es.Rhs = {};
        es.DiagonalIndex = {};
        es.Items = {};
        es.ItemNodes = {};
        es.NodeItemStart = {};
        es.NodeItems = {};
        es.ItemMatrices = {};
        es.ItemResiduals = {};
        es.ItemElementStates = {};
        es.ItemReady = {};
        es.NodeReady = {};
        es.ItemProfileSlots = {};
        es.ItemRhsRows = {};
        es.ItemChainNodes = {};
        es.ItemsLaidOut = 0;
        es.StructureBuilt = 0;
        es.UnknownCount = 0;
        es.ProfileLength = 0;
        es.ChainProfile = 0;
        es.ChainInOrder = 0;
        es.LargestElementNodes = 0;
    }
}

int InitialiseModel()
{
    const ModelControl& mc = g_ModelControl;
    // The thermal state of the start takes the weather of the start: the first step's
    // previous-level heat fluxes are these.
    if (mc.ThermalIceOn) ApplyAtmosphericForcing();
    // In a thermal run every hydraulic update (those of the assembly too) takes the ice velocity
    // from the water of the previous time level. Without a step there is no such level: the
    // ice velocity the model holds (read from its file) is kept.
    std::vector<double> iceVelocities;
    if (mc.ThermalIceOn)
        for (const NodeRecord* n : g_NodeIndex) iceVelocities.push_back(n->IceVelocity);
    for (NodeRecord* n : g_NodeIndex) {
        if (mc.HydrodynamicsOn) UpdateNodeHydraulics(n);
        if (mc.DynamicIceOn) UpdateNodeIceState(n);
        if (mc.ThermalIceOn) UpdateNodeThermalState(n);
        if (mc.WaterQualityOn) ComputeWQKinetics(n);
    }
    ShiftTimeLevel();
    int result = 0;
    if (mc.HydrodynamicsOn) {
        g_EquationSystems[HydrodynamicSystem].StructureBuilt = 0;
        if (AssembleProfileMatrix(HydrodynamicSystem) == Assembled)
            g_EquationSystems[HydrodynamicSystem].StructureBuilt = 1;
        else
            result = -1;
        ComputeNodeFluxDischarge();
        for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
            for (int b = 0; b < 3; ++b) {
                const NodeRecord* node = j->ReadNodes[b + 1];
                if (node) j->FlowSign[b] = node->FluxDischarge >= 0 ? 1 : -1;
            }
        }
    }
    if (mc.DynamicIceOn) {
        g_EquationSystems[DynamicIceSystem].StructureBuilt = 0;
        if (AssembleProfileMatrix(DynamicIceSystem) == Assembled)
            g_EquationSystems[DynamicIceSystem].StructureBuilt = 1;
        else
            result = -1;
    }
    if (mc.ThermalIceOn) {
        g_EquationSystems[ThermalIceSystem].StructureBuilt = 0;
        if (AssembleProfileMatrix(ThermalIceSystem) == Assembled)
            g_EquationSystems[ThermalIceSystem].StructureBuilt = 1;
        else
            result = -1;
    }
    if (mc.ThermalIceOn) {
        size_t k = 0;
        for (NodeRecord* n : g_NodeIndex) n->IceVelocity = n->PreviousIceVelocity = iceVelocities[k++];
    }
    for (NodeRecord* n : g_NodeIndex) UpdateNodeIceElevations(n);
    return result;
}
