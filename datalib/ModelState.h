// The document's bridge between the engine data (SI units, seconds) and the display side
// (the model's length unit, km or mi, hours, percent).
//
// A model state fills a display model from the engine data, mirrors the engine's run,
// equation-system, global and water-quality settings, copies them in both directions, writes
// edits of nodes, cross sections, series, zones and bridging events back into the engine
// records, refreshes the display nodes after every step, and keeps the model clock and the
// chart time titles. It is the only code besides the model-file reader and writer that
// converts between engine and display units.
//
// Write-backs keep an engine value whenever the display still shows it (within a relative
// tolerance of 1e-9), so writing back an unedited object changes no engine byte.
#pragma once

#include "datalib/DisplayModel.h"
#include "engine/EngineData.h"
#include "engine/ModelHeader.h"

struct NodeRecord;

// Engine fields that the global settings copy unchanged, as X(type, name): the control values
// of the model file's header (engine/ModelHeader.h), each once.
#define VASQUIL_GLOBAL_SETTINGS(X) VASQUIL_HEADER_CONTROL_VALUES(X)

// The water-quality coefficients of the water-quality file header, in the engine's order:
// the nutrient values, the heavy-metal and xenobiotic values, the two flags and the values
// after them. The daylight values that the water-quality step writes are not among them.
#define VASQUIL_WQ_COEFFICIENTS(X)                                                             \
    X(double, PhiLatitude) X(double, Emax) X(double, Ftd) X(double, Eaf) X(double, ThetaRear)     \
    X(double, Rresp) X(double, ThetaResp) X(double, Pmax) X(double, PmTwo) X(double, KBOD)        \
    X(double, ThetaBOD) X(double, Ks) X(double, AOne) X(double, EOne) X(double, ETwo)             \
    X(double, EThree) X(double, KSOD) X(double, ThetaSOD) X(double, Ksus) X(double, Ksed)         \
    X(double, Ucrit) X(double, YBOD) X(double, Un) X(double, Ub) X(double, NOne) X(double, Knit)  \
    X(double, ThetaNit) X(double, Ynit) X(double, Ksden) X(double, NTwo) X(double, Kden)          \
    X(double, ThetaDen) X(double, Yp) X(double, Up) X(double, KPres) X(double, KPdep)             \
    X(double, UPcrit) X(double, Krel) X(double, ThetaRel) X(double, Kads) X(double, ThetaAds)     \
    X(double, Koc) X(double, Kw) X(double, KsSediment) X(double, Focw) X(double, Focs)            \
    X(double, Dzf) X(double, Fdzds) X(double, Fbiot) X(double, Mw) X(double, RhoDs) X(double, Ps) \
    X(double, Ws) X(double, Rs) X(double, Rp) X(double, Kbw) X(double, Kbs) X(double, Khsw)       \
    X(double, Khss) X(double, ThetaB) X(double, AlphaL) X(double, Kpho) X(double, KH)             \
    X(int, Bacid) X(int, Bbase) X(double, Pka) X(double, Pkb) X(double, Khac) X(double, Khne)     \
    X(double, Khal) X(double, RG) X(double, PHw) X(double, PHs) X(double, Uwind)

#define VASQUIL_DECLARE_SETTING(type, name) type name = 0;

struct WaterQualityCoefficients {
    VASQUIL_WQ_COEFFICIENTS(VASQUIL_DECLARE_SETTING)
};

// Result codes of the write-backs.
enum ModelStateResult {
    ModelStateOk = 0,
    ModelStateNotInEngine = 1,    // no engine record has the number: nothing changed
    ModelStateOverCapacity = 2,   // the object exceeds an engine capacity: nothing changed
    ModelStateInvalidSection = 3, // the cross section fails its checks: nothing changed
    ModelStateNoMemory = 4,       // a table could not be allocated: nothing changed
};

class ModelState {
public:
    VQXDisplayLib::VQXDisplayModel* DisplayModel;  // not owned
    double ModelTime = 0.0;     // h
    double FinalTime = 10.0;    // h
    double DeltaT = 1.0;        // h
    double MaxDeltaT = 1.0;     // h
    int StartDate[6] = {};      // year, month, day, hour, minute, second of time 0
    int CurrentDate[6] = {};    // calendar date of ModelTime
    int SeriesDue = 0;
    double SeriesInterval = 0.0;  // h, 0 off
    int SnapshotDue = 0;
    double SnapshotInterval = 0.0;
    int IceFrontDue = 0;
    int IceFrontStarted = 0;
    double IceFrontInterval = 0.0;
    double StateFileInterval = 0.0;
    int StateFileDue = 0;
    double DatabaseInterval = 0.0;
    int DatabaseDue = 0;
    char Subtitle[100] = {};
    char ClockText[100] = {};
    unsigned char HydrodynamicsOn = 0;
    unsigned char DynamicIceOn = 0;
    unsigned char ThermalIceOn = 0;
    unsigned char WaterQualityOn = 0;
    unsigned char WQLoaded = 0;
    double HydroNorm = 0.0;
    double HydroTolerance = 0.0;
    double HydroSteadyTolerance = 0.0;
    int HydroIterations = 0;
    int HydroMaxIterations = 0;
    double HydroUpwinding = 0.5;
    int HydroUpwindingUpdating = 0;
    double HydroTheta = 0.5;
    int SteadyIteration = 0;
    int HasAdditionalSystem = 0;
    int AdditionalSystem = 0;  // 1 dynamic ice, 2 thermal ice
    int AdditionalOn = 0;
    double AddNorm = 0.0;
    double AddTolerance = 0.0;
    double AddSteadyTolerance = 0.0;
    int AddIterations = 0;
    int AddMaxIterations = 0;
    double AddUpwinding = 0.55;
    int AddUpwindingUpdating = 0;
    double AddTheta = 0.5;
    char SolutionCaption[100] = {};
    double WQNorm = 0.0;
    double WQTolerance = 0.0;
    double WQSteadyTolerance = 0.0;
    int WQIterations = 0;
    int WQMaxIterations = 0;
    double WQTheta = 0.5;
    int WQType = 0;        // 0 nutrients, 1 heavy metals, 2 xenobiotics
    int UnitSystem = 1;    // 1 metric, 0 imperial
    int ZoneCount = 0;
    int MaxZones = 20;
    int EventCount = 0;
    int MaxEvents = 100;
    VASQUIL_GLOBAL_SETTINGS(VASQUIL_DECLARE_SETTING)
    WaterQualityCoefficients WQCoefficients;
    int FileType = FileTypeOpenWater;
    int FileTypeAsOpened = 0;
    int RefreshFlag = 0;

    explicit ModelState(VQXDisplayLib::VQXDisplayModel* displayModel);
    ModelState(const ModelState&) = delete;
    ModelState& operator=(const ModelState&) = delete;

    // The display model (datalib/ModelState.cpp).
    // Fills the new, empty display model from the engine data: nodes with their cross sections,
    // interior and boundary elements with their series, junction links, zones and events, in
    // the engine's chain order. Nothing is done without a display model.
    void BuildDisplayModel();

    // Settings (datalib/ModelStateSettings.cpp). A push copies into the engine, a pull out of it.
    // Run settings: times and intervals (h; a value the engine still shows is kept), the
    // equation systems' switches, tolerances, iteration limits and thetas, the start date and
    // the model clock.
    void PushRunSettings();
    // The run settings, the due flags of the outputs, the ice fronts of the display's events
    // and the solution caption from the engine.
    void PullRunSettings();
    // Global settings from the engine: the system of units, the header's control values
    // (VASQUIL_GLOBAL_SETTINGS), the upwinding of the hydrodynamic and additional systems and the
    // numbers of zones and events.
    void PullGlobalSettings();
    // Pushes them: the system of units with its length and distance factors, the zone and event
    // counts held to their capacities (ZoneCount and EventCount too) with the engine's zones and
    // events and the display lists resized to them, the ice density from the specific gravity;
    // then the engine's model is initialised again.
    void PushGlobalSettings();
    // Sets the additional system (dynamic ice, thermal ice or none) of the file type, whether
    // it is on, and its caption (SolutionCaption).
    void UpdateSolutionCaption();
    // The water-quality type and coefficients from the engine, and back; a push initialises
    // the engine's model again.
    void PullWaterQualitySettings();
    void PushWaterQualitySettings();

    // Refreshes of the display model from the engine, pairing display and engine records by
    // position (datalib/ModelStateRefresh.cpp); nothing is done without a display model.
    // Reach, coordinates, station, invert and cross section of every display node; sets
    // RefreshFlag.
    void RefreshNodeGeometry();
    // The results of every display node after a step: hydraulics, ice, thermal and
    // water-quality values, peaks and their times; sets RefreshFlag.
    void RefreshNodeResults();
    // The flow series (and, with water-quality data, the water-quality series) of every display
    // boundary element.
    void RefreshBoundarySeries();
    // The number, location, time and ice front of every display bridging event (km or mi, h).
    void RefreshBridgingEvents();
    // The nodes and elements every display junction links.
    void RefreshJunctionLinks();

    // Write-backs of display edits into the engine records (datalib/ModelStateWriteBack.cpp).
    // Each returns a ModelStateResult and changes nothing unless it is ModelStateOk; an engine
    // value that the display still shows (within a relative 1e-9) is kept, so writing back an
    // unedited object changes no engine value.
    // A display node into the engine node of its number: its cross section first when its
    // section code changed (WriteCrossSectionToEngine), geometry, roughness, the ice and
    // thermal values of the file type with the areas, widths, energy and ice layers made of
    // them, the water-quality values, stage (with the gross area) and discharge.
    int WriteNodeToEngine(VQXDisplayLib::VQXDisplayNode* node);
    // The display node's cross section into engineNode (the engine node of its number when
    // null): points, banks, roughness and sinuosity rows, the property table built again, the
    // invert (the display node's too) and the smallest flow area. ModelStateOverCapacity beyond
    // the engine's table, ModelStateInvalidSection for fewer than two points or levels or no
    // roughness or sinuosity row, ModelStateNoMemory when no table can be had. A node without a
    // display cross section becomes rectangular.
    int WriteCrossSectionToEngine(VQXDisplayLib::VQXDisplayNode* node, NodeRecord* engineNode);
    // The display event's location, ice-front location and time into the engine event of its
    // number (one of the first BridgingEventCount records), all three whether changed or not.
    int WriteBridgingEventToEngine(const VQXDisplayLib::VQXBridgingEvent* event);
    // The display node's bed roughness (the Manning's n of a rectangular channel) into the
    // engine node of its number, and nothing else.
    int WriteBedRoughnessToEngine(VQXDisplayLib::VQXDisplayNode* node);
    // The display element's flow series into its engine element's hydrograph (the thermal
    // columns of an inflow of a thermal-ice model too); ModelStateOverCapacity beyond
    // MaxSeriesEntries rows.
    int WriteBoundarySeriesToEngine(VQXDisplayLib::VQXDisplayBoundaryElement* element);
    // The display zone's weather series into the engine zone of its number.
    int WriteZoneSeriesToEngine(VQXDisplayLib::VQXAtmosphericZone* zone);
    // The display inflow's water-quality series into its engine element (ModelStateOk and
    // nothing done for an element that is no inflow).
    int WriteBoundaryWaterQualityToEngine(VQXDisplayLib::VQXDisplayBoundaryElement* element);

    // Resizing (datalib/ModelStateResize.cpp): bring the engine's event and zone slots and the
    // display lists to EventCount and ZoneCount (the engine counts already set to them); new
    // events lie 10 h ahead of the model time, new zones get a year of 10 degC without sun.
    void ResizeBridgingEvents();
    void ResizeAtmosphericZones();

    // Clock and titles (datalib/ModelStateClock.cpp).
    // CurrentDate: StartDate advanced by the whole seconds of ModelTime (WholeSeconds).
    void UpdateModelClock();
    // Subtitle: "|title|" followed by the elapsed model time ("hh:mm:ss"), or else by the
    // calendar date ("YYYY-MM-DD HH:MM:SS"), when asked (non-zero).
    void FormatChartSubtitle(const char* title, int elapsed, int calendar);
    // ClockText: the elapsed model time or the calendar date as FormatChartSubtitle gives them;
    // unchanged when neither is asked.
    void FormatClockText(int elapsed, int calendar);

    // Whole seconds of a time in hours: the nearest whole second when the product lies
    // within a microsecond of it (so 1/60 h is 60 s, not 59), else truncated toward zero.
    static long long WholeSeconds(double hours);

    // Unit conversions with the engine's present factors: lengths m and display length units,
    // stations m and km or mi, discharges m3/s and display units.
    static double LengthToDisplay(double metres);
    static double LengthToEngine(double length);
    static double StationToDisplay(double metres);
    static double StationToEngine(double station);
    static double DischargeToDisplay(double cubicMetresPerSecond);
    static double DischargeToEngine(double discharge);
    // Seconds of a time in hours, a whole number when within a microsecond of one.
    static double HoursToSeconds(double hours);
};
