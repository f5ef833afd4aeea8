// Process-wide data of the numerical engine: the control block, the four equation systems,
// and the chains of node, element, boundary-element, junction, zone and bridging records.
//
// Units inside the engine are SI throughout (m, m2, m3/s, s, degC). Capacities are
// validation limits enforced where data enter (readers and editors); every array is
// sized by the count actually read, never by its capacity.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <new>
#include <vector>

// ---------------------------------------------------------------------------------------
// Capacities
// ---------------------------------------------------------------------------------------
inline constexpr int MaxSeriesEntries = 100000;     // rows of a boundary, WQ boundary or zone series
inline constexpr int MaxAtmosphericZones = 20;
inline constexpr int MaxBridgingEvents = 100;
inline constexpr int MaxJamTableRows = 1000;
inline constexpr int MaxSectionPoints = 1000;
inline constexpr int MaxRoughnessRows = 10;
inline constexpr int MaxSinuosityRows = 10;
inline constexpr int MaxSectionLevels = 300;          // absolute value of a section code
inline constexpr int MaxElementNodes = 16;
inline constexpr int JunctionWorkSlots = 22;

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;
struct JunctionRecord;
struct FiniteElementBase;
struct AtmosphericZoneRecord;
struct BridgingEventRecord;

// ---------------------------------------------------------------------------------------
// Control block
// ---------------------------------------------------------------------------------------
struct ModelControl {
    // Physical constants and hydraulic settings
    double WaterDensity;
    double MinWaterDepth;
    double IceDensity;
    double IceSpecificGravity;
    double LatentHeat;
    double FrazilSeedingConcentration;
    double FrazilParticleThickness;
    double FrazilParticleRadius;
    double WaterConductivity;
    double FrazilNusselt;
    double FrazilRiseRate;
    double ReentrainmentRate;
    double ReentrainmentVelocity;
    double AnchorIcePorosity;
    double FrazilAccretionRate;
    double AnchorIceBedFraction;
    double BedMaterialDiameter;
    double BedMaterialDensity;
    double FrazilSlushPorosity;
    double NewPanThickness;
    double AlphaWI;
    double AlphaIW;
    double IceAlbedo;
    double BorderIceCoefA, BorderIceCoefB, BorderIceCoefC, BorderIceCoefE;
    double MaxBorderIceFraction;
    double MaxBorderIceVelocity;
    double SolidIceInitialThickness;
    double ErosionVelocity;
    double DispersionCoefficient;
    double SurfaceIceDiffusion;
    double MaxJuxtapositionFroude;
    double FrazilShapeFactor;
    double CoverloadGranuleDiameter;
    double CriticalFlowStrength;
    double IceFriction;
    double IceCohesion;
    double IceFrontFloePorosity;
    double MinWaterTemperature;
    double IceConductivity;
    double SnowConductivity;
    double SnowThickness;
    double WaterAlbedo;
    int MaxJamIterations;
    double IceInternalFrictionAngle;
    double MinSurfaceIceConcentration;
    double MaxSurfaceIceConcentration;
    double SingleLayerIceThickness;
    double IcePressureExponent;
    double IcePressureConstant;
    double CriticalStrainRate;
    double ConstitutiveTimeScale;
    double PowerLawExponent;
    double LateralThrustCoefficient;
    double BankFriction;
    double DistanceFactor;  // length units per station unit: 1000 (km) or 5280 (mi)
    double LengthFactor;    // metres per length unit: 1 or 0.3048
    double Pi;
    double Gravity;
    double JamPorosity;
    double PassivePressureCoefficient;
    double IceThicknessDamping;
    double MaxDischargeChangeJSE;
    double WaterTemperature;

    // Water-quality coefficients
    double PhiLatitude, Emax, Ftd, Eaf, ThetaRear, Rresp, ThetaResp, Pmax, PmTwo, KBOD, ThetaBOD,
        Ks, AOne, EOne, ETwo, EThree, KSOD, ThetaSOD, Ksus, Ksed, Ucrit, YBOD, Un, Ub, NOne, Knit,
        ThetaNit, Ynit, Ksden, NTwo, Kden, ThetaDen, Yp, Up, KPres, KPdep, UPcrit, Krel, ThetaRel,
        Kads, ThetaAds;
    double DaylightFlag, DayLengthFraction, HoursFromNoon;
    double Koc, Kw, KsSediment, Focw, Focs, Dzf, Fdzds, Fbiot, Mw, RhoDs, Ps, Ws, Rs, Rp, Kbw, Kbs,
        Khsw, Khss, ThetaB, AlphaL, Kpho, KH;
    int Bacid, Bbase;
    double Pka, Pkb, Khac, Khne, Khal, RG, PHw, PHs, Uwind;

    // Assembly work arrays (sized by the assembly, reused across iterations)
    std::vector<double> ElementVector;
    std::vector<double> ElementMatrix;
    std::vector<double> ElementJacobianWork;
    std::vector<double> ElementResidualBase;
    int MaxElementDof;
    // What the framework's differencing evaluates (DifferencingState). While it differences,
    // it keeps every node's state (the system's node update) current itself, so the residuals
    // do not refresh their nodes.
    int Differencing;
    // Number of the time level: every shift of the time level changes it (never 0 after the
    // first), so what was computed from one level's values can be known for that level's.
    int TimeLevel;

    // Run clock and outputs
    int SteadyIteration;
    double ModelTime;
    double StepStartTime;   // ModelTime at the start of the step in progress; a rejected step returns to it
    double DeltaT;
    double FinalTime;
    double MaxDeltaT;
    double SeriesInterval;
    int SeriesDue;
    double SnapshotInterval;
    int SnapshotDue;
    double IceFrontInterval;
    int IceFrontDue;
    double StateFileInterval;
    int StateFileDue;
    double DatabaseInterval;
    int DatabaseDue;
    int IceFrontStarted;
    int StartDate[6];    // year, month, day, hour, minute, second
    int CurrentDate[6];

    // Model shape and switches
    int Dimension;
    int ElementCodeCount;
    int BoundaryCodeCount;
    int NodeCount, ElementCount, BoundaryElementCount;
    int NodeBlockCount, ElementBlockCount, BoundaryElementBlockCount, JunctionBlockCount;
    int JunctionCount;
    int AtmosphericZoneCount;
    int BridgingEventCount;
    int UnsymmetricMatrix;
    int UnitSystem;        // 0 imperial, 1 metric
    int FileType;          // 0 open water, 1 static ice, 2 dynamic ice, 3 thermal ice
    int HydrodynamicsOn, DynamicIceOn, ThermalIceOn, WaterQualityOn;
    int Formulation;       // 0 rectangular conservation form, 1 natural, 2 natural conservation form
    int ResistanceModel;   // 0 composite roughness, 1 separate bed and ice stresses
    int ThermalMode;
    int BorderIceVelocityMode;
    int WQFileType;        // 0 nutrients, 1 heavy metals, 2 xenobiotics
};

// The model's file type (ModelControl::FileType): which equation systems are on and which
// node columns, plot variables and dialog fields exist.
enum FileTypeCode {
    FileTypeOpenWater = 0,
    FileTypeStaticIce = 1,
    FileTypeDynamicIce = 2,
    FileTypeThermalIce = 3,
};

// AtPerturbedDischarge: a perturbed state at which one node's discharge alone differs from the
// current state (its areas and what is taken from them are those of the current state).
enum DifferencingState { NotDifferencing = 0, AtCurrentState = 1, AtPerturbedState = 2, AtPerturbedDischarge = 3 };

// ---------------------------------------------------------------------------------------
// Equation systems: 0 hydrodynamics, 1 dynamic ice, 2 thermal ice, 3 water quality
// ---------------------------------------------------------------------------------------
enum EquationSystemId { HydrodynamicSystem = 0, DynamicIceSystem = 1, ThermalIceSystem = 2, WaterQualitySystem = 3 };
inline constexpr int EquationSystemCount = 4;

// One element of an assembly, in the order the assembly adds them: an interior element, a
// junction branch with its junction, or a boundary element.
enum AssemblyItemKind { InteriorItem = 0, JunctionBranchItem = 1, BoundaryItem = 2 };
struct AssemblyItem {
    FiniteElementBase* Element;
    JunctionRecord* Junction;   // junction branches only
    int Kind;                   // AssemblyItemKind
    int NodeCount;              // nodes the item brings into the assembly
};

struct EquationSystem {
    std::vector<double> UpperProfile;   // upper triangle incl. diagonal, by columns
    std::vector<double> LowerProfile;   // lower triangle by rows, same addressing
    std::vector<double> Rhs;            // right-hand side, overwritten by the increments
    std::vector<int> DiagonalIndex;     // position of each diagonal entry in the profiles
    // Work of the node-by-node differencing, laid out by every assembly and reused while the
    // model keeps its elements: the items in assembly order; for the node of index i, the
    // node (null when no item holds it) and the items holding it, NodeItems[NodeItemStart[i]
    // .. NodeItemStart[i + 1]), each entry item x MaxElementNodes + the node's place in the
    // item; every item's -dR/dx (MaxElementDof^2 values, row-major) and R (MaxElementDof
    // values); the four values a residual leaves on an interior element (EndFluxes,
    // ReferenceLevel, PreviousReferenceLevel) at the current state; and the flags of the items
    // evaluated and the nodes refreshed at the current state.
    std::vector<AssemblyItem> Items;
    std::vector<NodeRecord*> ItemNodes;
    std::vector<int> NodeItemStart;
    std::vector<int> NodeItems;
    std::vector<double> ItemMatrices;
    std::vector<double> ItemResiduals;
    std::vector<double> ItemElementStates;
    std::vector<unsigned char> ItemReady;
    std::vector<unsigned char> NodeReady;
    // Where each item's matrix and vector go in the profile, laid out with the items: for entry
    // (row, column) of item i (row stride MaxElementDof), ItemProfileSlots[2 (i MaxElementDof^2 +
    // row MaxElementDof + column)] its place in the upper and, one on, in the lower profile (-1
    // where it adds nothing there); ItemRhsRows[i MaxElementDof + row] the row's unknown. Made for
    // the matrix kind ScatterUnsymmetric (UnsymmetricMatrix when they were laid out).
    std::vector<int> ItemProfileSlots;
    std::vector<int> ItemRhsRows;
    // In a chain's structure (ChainProfile) the places follow from the nodes and the tables
    // above stay empty: ItemChainNodes[i] is then the index p of item i's first node when its
    // nodes are p and p + 1 in this order, and -1 for any other item.
    std::vector<int> ItemChainNodes;
    // 1 when, besides, the first NodeCount - 1 items are the chain's elements in order (item p
    // joins nodes p and p + 1): of an unsymmetric matrix they write every place of the profile
    // and every row of the right-hand side before any other item adds to it, so an assembly
    // need not clear them first.
    int ChainInOrder;
    int ScatterUnsymmetric;
    // 1 while the item layout above holds the present items: cleared when the structure is
    // built anew and when a junction's branches change their parts.
    int ItemsLaidOut;
    int UnknownCount;
    int ProfileLength;
    // 1 when the structure is that of a chain without junctions (IsChainProfile, two unknowns
    // a node): the solve takes the chain's fixed places (SolveChainProfileLU).
    int ChainProfile;
    // The largest node count of the model's elements, found when the structure was built (0
    // before): it sizes the element work while the structure stands.
    int LargestElementNodes;
    int StructureBuilt;
    double LastNorm;
    double Tolerance;
    double SteadyTolerance;
    int UnknownsPerNode;
    int IterationCount;
    int MaxIterations;
    double Upwinding;
    double Theta;
    int UpwindingUpdating;
    double Alpha;
};

// ---------------------------------------------------------------------------------------
// Cross-section table of a node
// ---------------------------------------------------------------------------------------
// Columns of the property table, in order.
enum SectionPropertyColumn {
    StageLevel = 0,
    ChannelWidth,
    LeftWidth,
    RightWidth,
    SpareColumnA,
    ChannelN,
    LeftN,
    RightN,
    Sinuosity,
    ChannelArea,
    LeftArea,
    RightArea,
    SpareColumnB,
    TotalArea,
    ChannelPerimeter,
    LeftPerimeter,
    RightPerimeter,
    CentroidDepthColumn,
    AreaMoment,
    LeftAreaMoment,
    RightAreaMoment,
    SectionPropertyColumnCount
};

struct SectionPoint {
    double Station;
    double Elevation;
};

// Storage of a property table: SectionPropertyColumnCount values a level. The columns that a node
// refresh reads (the hot block, SectionHotColumnCount values a level: two cache lines) come first,
// level by level, each level's on a cache line of its own (the storage is cache-line aligned), so
// that the two levels a lookup reads take four lines; the others (the cold block) follow, column
// by column, so that the two levels of one of them mostly share one line.
inline constexpr int SectionHotColumnCount = 16;
inline constexpr int SectionColdColumnCount = SectionPropertyColumnCount - SectionHotColumnCount;
// Place of each column: its place in a level of the hot block, or -1 - its place among the cold
// columns. The hot block holds the sixteen columns that a refresh at the current state reads;
// the area moment, which the conservation form reads, is the first cold column. The key area and
// the channel width, which a lookup at the first level reads, share that level's first line.
inline constexpr int SectionColumnPlaces[SectionPropertyColumnCount] = {
    1,    // StageLevel
    2,    // ChannelWidth
    3,    // LeftWidth
    4,    // RightWidth
    -2,   // SpareColumnA
    9,    // ChannelN
    12,   // LeftN
    13,   // RightN
    8,    // Sinuosity
    5,    // ChannelArea
    6,    // LeftArea
    7,    // RightArea
    -3,   // SpareColumnB
    0,    // TotalArea
    10,   // ChannelPerimeter
    14,   // LeftPerimeter
    15,   // RightPerimeter
    11,   // CentroidDepthColumn
    -1,   // AreaMoment
    -4,   // LeftAreaMoment
    -5,   // RightAreaMoment
};
static_assert(SectionColumnPlaces[TotalArea] >= 0 && SectionColumnPlaces[StageLevel] >= 0,
              "the key columns of the lookups lie in the hot block");

// Doubles on storage aligned to a cache line (64 bytes).
template <typename T>
struct CacheLineAllocator {
    using value_type = T;
    static constexpr std::align_val_t Alignment{64};
    CacheLineAllocator() = default;
    template <typename U>
    CacheLineAllocator(const CacheLineAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), Alignment)); }
    void deallocate(T* p, std::size_t) { ::operator delete(p, Alignment); }
    template <typename U>
    bool operator==(const CacheLineAllocator<U>&) const { return true; }
};
using SectionStorage = std::vector<double, CacheLineAllocator<double>>;

// One column of a property table, whose levels lie Stride values apart: the value at level k is
// First[k * Stride]. Null for a table without storage.
struct SectionColumn {
    const double* First = nullptr;
    int Stride = SectionHotColumnCount;
    double operator[](int row) const { return First[static_cast<size_t>(row) * Stride]; }
    bool operator!() const { return First == nullptr; }
};
struct MutableSectionColumn {
    double* First = nullptr;
    int Stride = SectionHotColumnCount;
    double& operator[](int row) const { return First[static_cast<size_t>(row) * Stride]; }
    operator SectionColumn() const { return SectionColumn{First, Stride}; }
};

struct alignas(64) CrossSectionTable {
    // What a node refresh reads of the table besides its rows stands in the first cache lines.
    // Property table: SectionPropertyColumnCount values a level, laid out as SectionColumnPlaces
    // says; Column(c) reads column c.
    SectionStorage Properties;
    int LevelCount = 0;
    // Row that the node's last lookup in the table fell in, where the next one is tried first.
    mutable int LocateHint = 0;
    // Running sums over the levels, filled with Properties by the table build: for each row k,
    // the channel-area increments of rows 1..k weighted by their sinuosity, then the left and
    // the right overbank-area increments of rows 1..k, the three of a row side by side (row k's
    // at [3k, 3k + 3)).
    std::vector<double> SinuosityAreaSums;
    int PointCount = 0;
    int LeftBankPoint = -1;    // index into Points, -1 when none
    int RightBankPoint = -1;
    std::vector<SectionPoint> Points;
    double LeftBankStation = 0.0;
    double RightBankStation = 0.0;
    double LowestElevation = 0.0;
    int LowestPointIndex = 0;
    double TopLevel = 0.0;
    int RoughnessRowCount = 0;
    double RoughnessRows[4][MaxRoughnessRows] = {};   // elevation; n channel, left, right
    int SinuosityRowCount = 0;
    double SinuosityRows[2][MaxSinuosityRows] = {};   // elevation; sinuosity

    MutableSectionColumn Column(int c) { return {Properties.empty() ? nullptr : Properties.data() + Offset(c), Stride(c)}; }
    SectionColumn Column(int c) const { return {Properties.empty() ? nullptr : Properties.data() + Offset(c), Stride(c)}; }

private:
    // Where column c starts in Properties and how far apart its levels lie.
    static int Stride(int c) { return SectionColumnPlaces[c] >= 0 ? SectionHotColumnCount : 1; }
    size_t Offset(int c) const
    {
        const int place = SectionColumnPlaces[c];
        if (place >= 0) return static_cast<size_t>(place);
        const size_t levels = Properties.size() / SectionPropertyColumnCount;
        return SectionHotColumnCount * levels + static_cast<size_t>(-1 - place) * levels;
    }
};

// ---------------------------------------------------------------------------------------
// Boundary series
// ---------------------------------------------------------------------------------------
// Columns: 0 time (s), 1 stage, 2 discharge, 3 ice velocity, 4 water temperature,
// 5 frazil concentration, 6 ice concentration, 7 and 8 ice thicknesses.
inline constexpr int BoundaryHydrographColumns = 9;
struct BoundaryHydrograph {
    int RowCount = 0;
    int Cursor = 1;
    NodeRecord* Node = nullptr;
    std::array<std::vector<double>, BoundaryHydrographColumns> Columns;
};

// Columns: 0 time (s), 1-9 concentrations.
inline constexpr int WQBoundaryHydrographColumns = 10;
// Concentration columns of a water-quality series: the six nutrient values from column 1; the
// three metal or xenobiotic values that move with the water (dissolved, adsorbed, suspended
// solids) from column 7.
inline constexpr int WQNutrientSeriesColumn = 1;
inline constexpr int WQNutrientSeriesValues = 6;
inline constexpr int WQMetalSeriesColumn = 7;
inline constexpr int WQMetalSeriesValues = 3;
struct WQBoundaryHydrograph {
    int RowCount = 0;
    int Cursor = 1;
    NodeRecord* Node = nullptr;
    std::array<std::vector<double>, WQBoundaryHydrographColumns> Columns;
};

// Ice-jam stability table: rows of type (0 reach, 1 junction) and id, with the junction or
// node each row resolves to, kept as chain indices (-1 when none).
struct JamStabilityTable {
    int RowCount = 0;
    std::vector<int> RowType;
    std::vector<int> Id;
    std::vector<int> JunctionIndex;
    std::vector<int> NodeIndex;
};

// ---------------------------------------------------------------------------------------
// Node record
// ---------------------------------------------------------------------------------------
// Every time-dependent node quantity has a previous-level twin named Previous<name>. The lists
// below declare each twin pair and drive ShiftTimeLevel, so the shift cannot miss one. The
// quantities that every Newton iteration of the hydrodynamics reads or writes (node refresh,
// kernels, update, flux discharges) stand together at the front of the record (the Newton
// lists), the twins that the ice and thermal systems keep current after them (the warm list),
// so that an iteration touches few cache lines of a node. The Newton list starts with the flux
// discharge, which the walks over the nodes set in the record's first cache line, then the two
// quantities whose previous twins every refresh reads, so that these follow the current values.
#define VASQUIL_NODE_NEWTON_TWINS(X)                                                      \
    X(double, FluxDischarge)                                                              \
    X(double, IceConcentration)                                                           \
    X(double, IceCoveredWidth)                                                            \
    X(double, Stage)                                                                      \
    X(double, Discharge)                                                                  \
    X(double, FlowArea)                                                                   \
    X(double, GrossArea)                                                                  \
    X(double, Velocity)                                                                   \
    X(double, MomentumCoefficient)                                                        \
    X(double, FrictionSlope)                                                              \
    X(double, FrictionTerm)                                                               \
    X(double, Conveyance)                                                                 \
    X(double, HydraulicDepth)                                                             \
    X(double, GrossHydraulicDepth)                                                        \
    X(double, TopWidth)                                                                   \
    X(double, WettedPerimeter)                                                            \
    X(double, FreeArea)                                                                   \
    X(double, ThermalVelocity)                                                            \
    X(double, IceVelocity)                                                                \
    X(double, EffectiveIceThickness)                                                      \
    X(double, AnchorIceThickness)                                                         \
    X(double, SlushArea)                                                                  \
    X(double, UnderSlushArea)                                                             \
    X(double, BorderFraction)                                                             \
    X(double, BorderWidthLeft)                                                            \
    X(double, BorderWidthRight)                                                           \
    X(double, BedFriction)                                                                \
    X(double, IceDrag)                                                                    \
    X(double, DynamicIceDrag)                                                             \
    X(int, Bridged)

#define VASQUIL_NODE_WARM_TWINS(X)                                                        \
    X(double, SolidIceArea)                                                               \
    X(double, UnderSlushThickness)                                                        \
    X(double, SlushThickness)                                                             \
    X(double, IceThickness)                                                               \
    X(double, BorderIceThickness)                                                         \
    X(double, NegativeAreaCount)                                                          \
    X(double, CarriedIceArea)

#define VASQUIL_NODE_HOT_TWINS(X) VASQUIL_NODE_NEWTON_TWINS(X) VASQUIL_NODE_WARM_TWINS(X)

#define VASQUIL_NODE_COLD_TWINS(X)                                                        \
    X(double, WaterTemp)                                                                  \
    X(double, NetHeatFlux)                                                                \
    X(double, CoverHeatFlux)                                                              \
    X(double, CoverSurfaceBalance)                                                        \
    X(double, WaterIceHeatFlux)                                                           \
    X(double, FrazilConcentration)                                                        \
    X(double, DepositionRate)                                                             \
    X(double, ThermalEnergy)                                                              \
    X(double, DynamicIceArea)                                                             \
    X(double, SolidEquivalentThickness)                                                   \
    X(double, FrazilHeatExchange)

#define VASQUIL_NODE_TWINS(X) VASQUIL_NODE_HOT_TWINS(X) VASQUIL_NODE_COLD_TWINS(X)

// Twinned arrays: name, length.
#define VASQUIL_NODE_HOT_TWIN_ARRAYS(X) X(HydroUnknowns, 2)
#define VASQUIL_NODE_COLD_TWIN_ARRAYS(X)                                                      \
    X(IceUnknowns, 2)                                                                         \
    X(ThermalUnknowns, 6)                                                                     \
    X(WQUnknowns, 6)                                                                          \
    X(WQValues, 6)                                                                            \
    X(WQRates, 6)                                                                             \
    X(MetalValues, 6)                                                                         \
    X(MetalRates, 6)
#define VASQUIL_NODE_TWIN_ARRAYS(X) VASQUIL_NODE_HOT_TWIN_ARRAYS(X) VASQUIL_NODE_COLD_TWIN_ARRAYS(X)

#define VASQUIL_DECLARE_TWIN(type, name) type name; type Previous##name;
#define VASQUIL_DECLARE_TWIN_ARRAY(name, n) double name[n]; double Previous##name[n];
// The hot twins are declared apart: the current values together, the previous ones after them,
// which a Newton iteration reads only once in a time level.
#define VASQUIL_DECLARE_CURRENT(type, name) type name;
#define VASQUIL_DECLARE_PREVIOUS(type, name) type Previous##name;
#define VASQUIL_DECLARE_CURRENT_ARRAY(name, n) double name[n];
#define VASQUIL_DECLARE_PREVIOUS_ARRAY(name, n) double Previous##name[n];

// The front of a node record that holds what a Newton iteration of the hydrodynamics reads of
// the node: its first eight cache lines.
inline constexpr size_t NodeNewtonBytes = 512;
struct alignas(64) NodeRecord {
    // Read or written by every Newton iteration of the hydrodynamics.
    NodeRecord* Next;
    CrossSectionTable* CrossSection;
    int Index;
    int SectionCode;
    int ElementCountAtNode;
    int IceRoughnessMode;
    VASQUIL_NODE_HOT_TWIN_ARRAYS(VASQUIL_DECLARE_CURRENT_ARRAY)
    VASQUIL_NODE_NEWTON_TWINS(VASQUIL_DECLARE_CURRENT)
    int OverbankFlag;
    int IceFrontAtNode;
    double Invert;
    double ManningN;
    double RectWidth;
    double MinFlowArea;
    double IceManningN;
    double IceRoughness;
    double SinuosityRatio;
    double FloatingIceArea;
    double AnchorIceArea;
    double SolidIceEquivalentArea;
    double BorderEdgeStations[2];
    double BorderGapArea, IceLevelWidth, HydraulicRadius, CompositeN, BedHydraulicRadius,
        ChannelFrictionSlope, CentroidDepth;
    double AnchorWidth;
    double Froude;
    // Their previous twins: every refresh reads the previous ice concentration and ice-covered
    // width, a time level's first iteration the rest.
    VASQUIL_NODE_NEWTON_TWINS(VASQUIL_DECLARE_PREVIOUS)
    VASQUIL_NODE_HOT_TWIN_ARRAYS(VASQUIL_DECLARE_PREVIOUS_ARRAY)

    // Read once in a time level, or by the ice and thermal systems.
    int Number;
    double Chainage;
    // Two history slots: previous level and the one before it.
    double PreviousFloatingIceArea, OlderFloatingIceArea;
    double PreviousAnchorIceArea, OlderAnchorIceArea;
    BoundaryElementRecord* BoundaryElement;
    JunctionRecord* Junction;
    VASQUIL_NODE_WARM_TWINS(VASQUIL_DECLARE_CURRENT)
    VASQUIL_NODE_WARM_TWINS(VASQUIL_DECLARE_PREVIOUS)
    double PeakStage, PeakFluxDischarge;
    double PeakStageTime, PeakFluxTime;
    double IceTopElevation;
    double SlushElevations[2];   // slush top, slush interface
    double IceBottomElevation;
    double AnchorBedElevation;

    // The rest of the node.
    double RiverStation;
    int Reach;
    int HydroCode;
    double Easting, Northing;
    NodeRecord* Previous;
    AtmosphericZoneRecord* Zone;
    double JunctionWork[JunctionWorkSlots];
    int ZoneNumber;
    int BorderIceActive;
    double BorderIceArea;
    double AirTemperature, SolarRadiation;
    double Hwa, Jwa, Kwa, Hia;
    int NoIceFlag;
    int IceFrontStalled;
    double FroudeMax;
    int SlushCongested;
    int JamFlag;
    double SurfaceSlope;

    VASQUIL_NODE_COLD_TWINS(VASQUIL_DECLARE_TWIN)
    VASQUIL_NODE_COLD_TWIN_ARRAYS(VASQUIL_DECLARE_TWIN_ARRAY)
};

// ---------------------------------------------------------------------------------------
// Elements
// ---------------------------------------------------------------------------------------
// What interior and boundary elements have in common; the assembly walks both through it.
struct FiniteElementBase {
    int Number = 0;
    int GeometryCode = 111;
    int InterpolationCode = 111;
    int NodeCount = 2;
    NodeRecord* Nodes[MaxElementNodes] = {};
};

// The velocity-free part of the rectangular kernel's friction coefficient at a point (Scale, m;
// Positive 0 without friction) for the flow area (m2), ice roughness, ice concentration and
// thickness it was taken at; Kept 0 when there is none.
struct FrictionMemo {
    int Kept;
    int Positive;
    double Area, ni, Cc, t;
    double Scale;
};

// The rectangular kernel's momentum residual of the previous level at a point and the products
// its rows form of it, each the very subexpression a row takes, so that a row adds the same
// value whether it is kept or formed afresh. T0 = (1 - theta) dt (s), Sp the previous level's
// sign matrix.
struct RectLevelProducts {
    double Xp;                  // the previous level's momentum residual (m3/s2 per m)
    double T0Sp12Xp;            // T0 Sp12 Xp
    double T0Sp22Xp;            // T0 Sp22 Xp
};

// What the rectangular kernel reads at a point that stays fixed through a time level: the
// previous depth (m), the width (m), its slope and its slope over the width (1/m), the bed
// slope, Manning n, the previous ice concentration and thickness (m) with the slopes of the ice
// and anchor-ice terms, and the previous friction coefficient when it does not depend on the
// ice roughness, a value of the current state (HasFp 1: no ice at the previous level).
// Friction: the current-level friction at the current state. Level: the previous level's
// momentum residual and the rows' products of it, kept when LevelModel is the resistance model they were formed under
// plus 1 (0: none).
struct RectPointTerms {
    double hp, B, dB, widthSlope, dzdx, nb, Ccp, tp, dIcep, dAnchorp, Fp;
    int HasFp;
    int LevelModel;
    FrictionMemo Friction;
    RectLevelProducts Level;
};

// Products of previous-level values that the natural kernels' rows form at a point, each the
// very subexpression a row takes, so that a row adds the same value whether it is kept or
// formed afresh. s is the specific gravity of ice, por the porosity of anchor ice, T0 = (1 -
// theta) dt (s), Sp the previous level's sign matrix; F and N the floating and anchor ice areas
// (m2) of the level before the step (Fs, Ns) and the one before that (Fo, No).
struct NaturalLevelProducts {
    double IceStorage;          // s (Fo - Fs)
    double AnchorStorage;       // (1 - por) (No - Ns)
    double ContinuityUpwind;    // Sp11 Agp + Sp12 Qp
    double MomentumUpwind;      // Sp21 Agp + Sp22 Qp
    double ContinuityIce;       // Sp11 Fo
    double ContinuityAnchor;    // Sp11 No
    double MomentumIce;         // Sp21 Fo
    double MomentumAnchor;      // Sp21 No
    double T0Qp;                // T0 Qp
    double T0Sp11dQp;           // T0 Sp11 dQp/dx
    double T0Sp21dQp;           // T0 Sp21 dQp/dx
    double T0Sp12;              // T0 Sp12
    double T0Sp22;              // T0 Sp22
    double T0HpAp;              // T0 Hp Ap
    double T0HpdAp;             // T0 Hp dAp/dx
    double T0FodHp;             // T0 Fo dHp/dx
    double T0NodHp;             // T0 No dHp/dx
    double T0FfpQp;             // T0 Ffp Qp
    double T0FbpQp;             // T0 Fbp Qp
    double T0Tip;               // T0 Tip
};

// The previous level's momentum residual Xp of the natural kernels at a point and the products
// the rows form of it, for the momentum coefficient (Beta) and its x-derivative (dBeta, 1/m)
// they were taken with; Kept 0 when there are none.
struct NaturalPreviousMomentum {
    int Kept;
    double Beta, dBeta;
    double Xp;
    double T0Sp12Xp;            // T0 Sp12 Xp
    double T0Sp22Xp;            // T0 Sp22 Xp
    double T0BetaQpVp;          // T0 beta Qp Vp
};

// What the natural kernels read at a point that stays fixed through a time level: the previous
// stage (m) and its slope, friction term, and the floating and anchor ice areas (m2) of the
// two earlier levels; the products of the rows (Level, while the previous level's sign matrix
// is kept) and the previous level's momentum residual at the current state (Momentum).
struct NaturalPointTerms {
    double Hp, dHpdx, Ffp, Fs, Fo, Ns, No;
    NaturalLevelProducts Level;
    NaturalPreviousMomentum Momentum;
};

// What the hydrodynamic kernels read at one integration point that stays fixed through a time
// level: the point's map derivative and the element's shape functions with their x-derivatives
// there; the previous level's flow state (areas in m2, discharge in m3/s, their x-derivatives,
// velocity in m/s), its sign matrix, bed friction and ice drag; and what the kernel of the
// formulation reads besides.
struct HydroPointTerms {
    double J, N[2], dNdx[2];
    double Ap, Agp, Qp, dApdx, dQpdx, Vp;
    double Sp11, Sp12, Sp21, Sp22;
    double Fbp, Tip;
    union {
        RectPointTerms Rect;
        NaturalPointTerms Natural;
    };
};
inline constexpr int MaxHydroTermPoints = 2;
// The fixed terms of an interior element for the time level TimeLevel (0: none yet), the
// formulation, time step (s) and time weight they were taken for: every integration point's
// (PointCount of the element's rule, which takes NodeCount nodes), and the first moments of each
// node's area below its previous stage and below the element's previous reference level.
struct HydroElementTerms {
    int TimeLevel = 0;
    int Formulation = -1;
    int NodeCount = 0;
    int PointCount = 0;
    double DeltaT = 0.0;
    double Theta = 0.0;
    HydroPointTerms Points[MaxHydroTermPoints] = {};
    double MomentAtPreviousStage[2] = {};
    double MomentAtPreviousReference[2] = {};
};

inline constexpr int ElementCodeSlots = 5;
struct ElementRecord : FiniteElementBase {
    double Codes[ElementCodeSlots] = {};
    double Length = 0.0;        // > 0 only for junction branches
    double GivenLength = 0.0;   // branch length as read, 0 when computed
    int JunctionBranch = 0;     // 0 ordinary, 1 AC, 2 AB, 3 AD
    ElementRecord* Next = nullptr;
    double EndFluxes[2] = {};
    double ReferenceLevel = 0.0;
    double PreviousReferenceLevel = 0.0;
    // Kept by the hydrodynamic residual while the framework differences it.
    HydroElementTerms HydroTerms;
};

inline constexpr int BoundaryCodeSlots = 6;
struct BoundaryElementRecord : FiniteElementBase {
    BoundaryElementRecord() { GeometryCode = 1; InterpolationCode = 1; NodeCount = 1; }
    NodeRecord*& Node() { return Nodes[0]; }
    NodeRecord* Node() const { return Nodes[0]; }
    double Codes[BoundaryCodeSlots] = {};
    double Position = 0.0;   // -1 upstream end, +1 downstream end
    int StageCode = 0;       // 1 stage hydrograph, 2 rating curve
    int DischargeCode = 0;   // 1 discharge hydrograph, 2 rating curve, 3 looped rating, 99 lateral inflow
    BoundaryHydrograph* Hydrograph = nullptr;
    WQBoundaryHydrograph* WQHydrograph = nullptr;
    BoundaryElementRecord* Next = nullptr;
};

struct JunctionRecord {
    int Number = 0;
    int Type = 1;
    NodeRecord* NodeA = nullptr;
    NodeRecord* NodeB = nullptr;
    NodeRecord* NodeC = nullptr;
    NodeRecord* NodeD = nullptr;
    ElementRecord* ElementAB = nullptr;
    ElementRecord* ElementAC = nullptr;
    ElementRecord* ElementAD = nullptr;
    int ReadType = 1;
    NodeRecord* ReadNodes[4] = {};        // A, B, C, D as read
    ElementRecord* ReadElements[3] = {};  // AB, AC, AD as read
    double BranchCosines[2] = {};
    double BranchDischargeAC = 0.0;
    double BranchDischargeAB = 0.0;
    JunctionRecord* Next = nullptr;
    int FlowSign[3] = {1, 1, 1};          // nodes B, C, D
    // Share of branch AB in the side-branch flow, taken from the branch discharges when a
    // step starts and held through its iterations.
    double StepShareAB = 0.5;
};

struct AtmosphericZoneRecord {
    int Number = MaxAtmosphericZones + 1;
    int RowCount = 0;
    std::vector<double> Time;             // s
    std::vector<double> AirTemperature;   // degC
    std::vector<double> SolarRadiation;
    AtmosphericZoneRecord* Next = nullptr;
};

struct BridgingEventRecord {
    int Number = 0;
    double FrontLocation = 0.0;
    double StepStartFront = 0.0;
    double BridgingTime = 1e101;
    double BridgingLocation = 1e101;
    double FrontStation = 1e101;
    BridgingEventRecord* Next = nullptr;
};

// ---------------------------------------------------------------------------------------
// Finite-element work records
// ---------------------------------------------------------------------------------------
// Shape functions of one element code at one point: values, and first and second
// derivatives with respect to the local coordinate.
struct ShapeFunctionValues {
    int NodeCount = 0;
    double N[MaxElementNodes] = {};
    double dNdXi[MaxElementNodes] = {};
    double d2NdXi2[MaxElementNodes] = {};
};

// What the element kernels read at one integration point: the shape functions of the
// unknowns (interpolation code) and of the geometry (geometry code), the map derivative
// dx/dxi as the determinant, the point's weight, and the x-derivatives of the shape functions
// of the unknowns.
struct GaussPointRecord {
    ShapeFunctionValues Interpolation;
    ShapeFunctionValues Geometry;
    double Xi = 0.0;
    double Determinant = 0.0;
    double Weight = 0.0;
    double dNdx[MaxElementNodes] = {};
    double d2Ndx2[MaxElementNodes] = {};
};

// ---------------------------------------------------------------------------------------
// Process-wide data
// ---------------------------------------------------------------------------------------
extern ModelControl g_ModelControl;
extern EquationSystem g_EquationSystems[EquationSystemCount];

// Storage of the node and element blocks. A block of at least LargePageBytes starts on a
// LargePageBytes boundary and is offered to the operating system for large pages: a Newton
// iteration walks every record of a 10,000-node model (20 MB of node records), and on 4 KB
// pages it would miss the address-translation cache every other record. Smaller blocks are
// allocated as any over-aligned type is.
inline constexpr std::size_t LargePageBytes = std::size_t{2} << 20;
void* AllocateRecordBlock(std::size_t bytes, std::size_t alignment);
void ReleaseRecordBlock(void* p, std::size_t bytes, std::size_t alignment);
template <typename T>
struct RecordBlockAllocator {
    using value_type = T;
    RecordBlockAllocator() = default;
    template <typename U>
    RecordBlockAllocator(const RecordBlockAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateRecordBlock(n * sizeof(T), alignof(T))); }
    void deallocate(T* p, std::size_t n) { ReleaseRecordBlock(p, n * sizeof(T), alignof(T)); }
    template <typename U>
    bool operator==(const RecordBlockAllocator<U>&) const { return true; }
};
using NodeBlock = std::vector<NodeRecord, RecordBlockAllocator<NodeRecord>>;
using ElementBlock = std::vector<ElementRecord, RecordBlockAllocator<ElementRecord>>;

// Record blocks owned by the engine (allocated by the model reader with the counts read).
extern NodeBlock g_NodeBlock;
extern ElementBlock g_ElementBlock;
extern std::vector<BoundaryElementRecord> g_BoundaryElementBlock;
extern std::vector<JunctionRecord> g_JunctionBlock;
extern std::vector<AtmosphericZoneRecord> g_AtmosphericZoneBlock;
extern std::vector<BridgingEventRecord> g_BridgingEventBlock;

// List heads (null when empty) and the node index.
extern NodeRecord* g_Nodes;
extern ElementRecord* g_Elements;
extern BoundaryElementRecord* g_BoundaryElements;
extern JunctionRecord* g_Junctions;
extern AtmosphericZoneRecord* g_AtmosphericZones;
extern BridgingEventRecord* g_BridgingEvents;
extern std::vector<NodeRecord*> g_NodeIndex;
extern JamStabilityTable* g_JamTable;

// Step handshake between a run's worker and the user-interface thread.
extern std::atomic<int> g_StepBusy;
