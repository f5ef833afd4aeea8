// The model state: run, global and water-quality settings between the display and the engine.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "datalib/TextFormat.h"
#include "engine/ModelHeader.h"
#include "engine/ModelSetup.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

void ModelState::UpdateSolutionCaption()
{
    const char* caption;
    if (FileType == FileTypeDynamicIce) {
        HasAdditionalSystem = 1;
        AdditionalSystem = DynamicIceSystem;
        AdditionalOn = DynamicIceOn;
        caption = "Dynamic Ice Process Solution";
    } else {
        AdditionalSystem = ThermalIceSystem;
        if (FileType == FileTypeThermalIce) {
            HasAdditionalSystem = 1;
            AdditionalOn = ThermalIceOn;
            const int unknowns = g_EquationSystems[ThermalIceSystem].UnknownsPerNode;
            caption = unknowns < 2    ? "Thermal Processes Solution (Tw Equation)"
                      : unknowns == 2 ? "Thermal Processes Solution (Tw and Cf Eqns)"
                                      : "Thermal Processes Solution (All Equations)";
        } else {
            HasAdditionalSystem = 0;
            AdditionalOn = 0;
            caption = "Ice Process Solution";
        }
    }
    VQXTextFormat::CopyToBuffer(SolutionCaption, caption);
}

void ModelState::PushRunSettings()
{
    ModelControl& mc = g_ModelControl;
    PutTime(mc.ModelTime, ModelTime);
    PutTime(mc.FinalTime, FinalTime);
    PutTime(mc.DeltaT, DeltaT);
    PutTime(mc.MaxDeltaT, MaxDeltaT);
    PutTime(mc.SeriesInterval, SeriesInterval);
    PutTime(mc.SnapshotInterval, SnapshotInterval);
    PutTime(mc.IceFrontInterval, IceFrontInterval);
    PutTime(mc.StateFileInterval, StateFileInterval);
    PutTime(mc.DatabaseInterval, DatabaseInterval);

    if (FileType == FileTypeDynamicIce) {
        DynamicIceOn = AdditionalOn != 0;
        ThermalIceOn = 0;
    } else if (FileType == FileTypeThermalIce) {
        ThermalIceOn = AdditionalOn != 0;
        DynamicIceOn = 0;
    } else {
        DynamicIceOn = 0;
        ThermalIceOn = 0;
    }
    mc.HydrodynamicsOn = HydrodynamicsOn;
    mc.DynamicIceOn = DynamicIceOn;
    mc.ThermalIceOn = ThermalIceOn;
    mc.WaterQualityOn = WaterQualityOn;

    PushSystem(g_EquationSystems[HydrodynamicSystem],
               {&HydroNorm, &HydroTolerance, &HydroSteadyTolerance, &HydroIterations, &HydroMaxIterations, &HydroTheta});
    mc.SteadyIteration = SteadyIteration;
    if (IsAdditionalSystem(AdditionalSystem))
        PushSystem(g_EquationSystems[AdditionalSystem],
                   {&AddNorm, &AddTolerance, &AddSteadyTolerance, &AddIterations, &AddMaxIterations, &AddTheta});
    PushSystem(g_EquationSystems[WaterQualitySystem],
               {&WQNorm, &WQTolerance, &WQSteadyTolerance, &WQIterations, &WQMaxIterations, &WQTheta});

    std::copy(std::begin(StartDate), std::end(StartDate), mc.StartDate);
    UpdateModelClock();
    std::copy(std::begin(CurrentDate), std::end(CurrentDate), mc.CurrentDate);
}

void ModelState::PullRunSettings()
{
    const ModelControl& mc = g_ModelControl;
    ModelTime = mc.ModelTime / SecondsPerHour;
    FinalTime = mc.FinalTime / SecondsPerHour;
    DeltaT = mc.DeltaT / SecondsPerHour;
    std::copy(std::begin(mc.StartDate), std::end(mc.StartDate), StartDate);
    std::copy(std::begin(mc.CurrentDate), std::end(mc.CurrentDate), CurrentDate);
    SeriesDue = mc.SeriesDue;
    SnapshotDue = mc.SnapshotDue;
    IceFrontDue = mc.IceFrontDue;
    StateFileDue = mc.StateFileDue;
    DatabaseDue = mc.DatabaseDue;
    IceFrontStarted = mc.IceFrontStarted;

    if (DisplayModel != nullptr) {
        int count = 0;
        VQXBridgingEvent* d = DisplayModel->FirstEvent();
        for (const BridgingEventRecord* e = g_BridgingEvents; e != nullptr && d != nullptr && count < mc.BridgingEventCount;
             e = e->Next, d = DisplayModel->NextEvent(), ++count) {
            d->FrontLocation = StationToDisplay(e->FrontLocation);
            d->FrontStation = e->FrontStation;
        }
    }

    HydrodynamicsOn = mc.HydrodynamicsOn > 0;
    DynamicIceOn = mc.DynamicIceOn > 0;
    ThermalIceOn = mc.ThermalIceOn > 0;
    WaterQualityOn = mc.WaterQualityOn > 0;
    UpdateSolutionCaption();

    PullSystem(g_EquationSystems[HydrodynamicSystem],
               {&HydroNorm, &HydroTolerance, &HydroSteadyTolerance, &HydroIterations, &HydroMaxIterations, &HydroTheta});
    if (IsAdditionalSystem(AdditionalSystem))
        PullSystem(g_EquationSystems[AdditionalSystem],
                   {&AddNorm, &AddTolerance, &AddSteadyTolerance, &AddIterations, &AddMaxIterations, &AddTheta});
    PullSystem(g_EquationSystems[WaterQualitySystem],
               {&WQNorm, &WQTolerance, &WQSteadyTolerance, &WQIterations, &WQMaxIterations, &WQTheta});
    SteadyIteration = mc.SteadyIteration;
}

void ModelState::PullGlobalSettings()
{
    const ModelControl& mc = g_ModelControl;
    UnitSystem = mc.UnitSystem;
    ZoneCount = mc.AtmosphericZoneCount;
    EventCount = mc.BridgingEventCount;
    HydroUpwinding = g_EquationSystems[HydrodynamicSystem].Upwinding;
    HydroUpwindingUpdating = g_EquationSystems[HydrodynamicSystem].UpwindingUpdating;
    if (IsAdditionalSystem(AdditionalSystem)) {
        AddUpwinding = g_EquationSystems[AdditionalSystem].Upwinding;
        AddUpwindingUpdating = g_EquationSystems[AdditionalSystem].UpwindingUpdating;
    }
#define VASQUIL_PULL_SETTING(type, name) name = mc.name;
    VASQUIL_GLOBAL_SETTINGS(VASQUIL_PULL_SETTING)
#undef VASQUIL_PULL_SETTING
}

void ModelState::PushGlobalSettings()
{
    ModelControl& mc = g_ModelControl;
    mc.UnitSystem = UnitSystem;
    if (UnitSystem != 0) {
        mc.DistanceFactor = 1000.0;
        mc.LengthFactor = 1.0;
    } else {
        mc.DistanceFactor = 5280.0;
        mc.LengthFactor = MetresPerFoot;
    }
    g_EquationSystems[HydrodynamicSystem].Upwinding = HydroUpwinding;
    g_EquationSystems[HydrodynamicSystem].UpwindingUpdating = HydroUpwindingUpdating;
    if (IsAdditionalSystem(AdditionalSystem)) {
        g_EquationSystems[AdditionalSystem].Upwinding = AddUpwinding;
        g_EquationSystems[AdditionalSystem].UpwindingUpdating = AddUpwindingUpdating;
    }

    ZoneCount = std::clamp(ZoneCount, 0, MaxAtmosphericZones);
    if (ZoneCount != mc.AtmosphericZoneCount) {
        mc.AtmosphericZoneCount = ZoneCount;
        ResizeAtmosphericZones();
    }
    EventCount = std::clamp(EventCount, 0, MaxBridgingEvents);
    if (EventCount != mc.BridgingEventCount) {
        mc.BridgingEventCount = EventCount;
        ResizeBridgingEvents();
    }

#define VASQUIL_PUSH_SETTING(type, name) mc.name = name;
    VASQUIL_GLOBAL_SETTINGS(VASQUIL_PUSH_SETTING)
#undef VASQUIL_PUSH_SETTING
    mc.IceDensity = IceSpecificGravity * mc.WaterDensity;
    InitialiseModel();
}

void ModelState::PullWaterQualitySettings()
{
    const ModelControl& mc = g_ModelControl;
    WQType = mc.WQFileType;
#define VASQUIL_PULL_WQ(type, name) WQCoefficients.name = mc.name;
    VASQUIL_WQ_COEFFICIENTS(VASQUIL_PULL_WQ)
#undef VASQUIL_PULL_WQ
}

void ModelState::PushWaterQualitySettings()
{
    ModelControl& mc = g_ModelControl;
    mc.WQFileType = WQType;
#define VASQUIL_PUSH_WQ(type, name) mc.name = WQCoefficients.name;
    VASQUIL_WQ_COEFFICIENTS(VASQUIL_PUSH_WQ)
#undef VASQUIL_PUSH_WQ
    InitialiseModel();
}
