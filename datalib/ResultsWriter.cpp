#include "datalib/ResultsWriter.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "datalib/Vocabulary.h"
#include "engine/Calendar.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/OutputTargets.h"
#include "engine/ResultsDatabase.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using VQXTextFormat::AppendFixed;
using VQXTextFormat::AppendInt;

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// Appends value as the default stream notation writes it: six significant digits.
void AppendGeneral(std::string& text, double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    if (result.ec == std::errc())
        text.append(buffer, result.ptr);
}

// Writes text and closes the file; on a failure *error is the system's reason (the first one).
int WriteStream(std::FILE* file, const std::string& text, int* error)
{
    *error = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (!written) *error = errno;
    const bool flushed = std::fflush(file) == 0;
    if (!flushed && *error == 0) *error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!closed && *error == 0) *error = errno;
    return written && flushed && closed ? ResultsOk : ResultsWriteError;
}

// "cannot write the <what> '<path>'", with the system's reason when there is one.
std::string CannotWrite(const std::string& what, const std::string& path, int error)
{
    return "cannot write the " + what + " '" + path + "'" +
           (error != 0 ? ": " + std::string(std::strerror(error)) : "");
}

// The writer's code of an output target's failure.
int ResultOfTarget(int code)
{
    switch (code) {
    case TargetOk: return ResultsOk;
    case TargetNotRegular: return ResultsNotRegular;
    case TargetCannotWrite: return ResultsWriteError;
    default: return ResultsCannotOpen;
    }
}

// Appends text to the end of a numbers line, or notes that a value is no finite number (the
// line is then never written).
struct NumberLine {
    std::string& text;
    bool finite = true;
    void Fixed(double value, int decimals)
    {
        finite = finite && std::isfinite(value);
        AppendFixed(text, value, decimals);
    }
};

}  // namespace

// Replaces the file with text: written beside it first and renamed over it, so a failure
// leaves the previous file whole and no temporary file behind.
int ResultsWriter::ReplaceFile(const std::string& what, const std::string& path, const std::string& text)
{
    if (path.empty())
        return ResultsCannotOpen;
    const fs::path target = PathOf(path);
    fs::path temporary;
    std::FILE* file = CreateTemporaryFor(target, &temporary, what, &FailureText);
    if (file == nullptr)
        return ResultsCannotOpen;
    if (int error = 0; WriteStream(file, text, &error) != ResultsOk) {
        RemoveTemporary(temporary);
        FailureText = CannotWrite(what, path, error);
        return ResultsWriteError;
    }
    return ResultOfTarget(ReplaceWithTemporary(temporary, target, what, &FailureText));
}

int ResultsWriter::NotFinite(const std::string& what, const std::string& path)
{
    FailureText = "the " + what + " '" + path + "' gets nothing of model time ";
    AppendGeneral(FailureText, State != nullptr ? State->ModelTime : 0.0);
    FailureText += " h: a value is no finite number";
    return ResultsNotFinite;
}

int ResultsWriter::AppendFile(const std::string& what, const std::string& path, const std::string& text)
{
    if (path.empty())
        return ResultsCannotOpen;
    std::FILE* file = OpenForAppend(PathOf(path), what, &FailureText);
    if (file == nullptr)
        return CheckOutputTarget(PathOf(path), what, nullptr) == TargetNotRegular ? ResultsNotRegular
                                                                                  : ResultsCannotOpen;
    if (int error = 0; WriteStream(file, text, &error) != ResultsOk) {
        FailureText = CannotWrite(what, path, error);
        return ResultsWriteError;
    }
    return ResultsOk;
}

namespace {

void AppendModelDate(std::string& text, const int date[6])
{
    char buffer[DateTextCapacity];
    text += FormatCalendarDate(date, buffer, sizeof buffer);
}

bool IsOutputNode(const VQXDisplayNode& node) { return node.HydroCode == 0; }

struct Title {
    const char* Metric;
    const char* Imperial;
};

// Titles of the first 16 series columns.
constexpr Title SeriesTitles[SnapshotColumnCount] = {
    {"Stage (m),", "Stage (ft),"},
    {"Discharge (cms),", "Discharge (cfs),"},
    {"Ice Velocity (m/s),", "Ice Velocity (ft/s),"},
    {"Water Temperature (\xB0" "C),", "Water Temperature (\xB0" "C),"},
    {"Frazil Concentration (%),", "Frazil Concentration (%),"},
    {"Ice Concentration (%),", "Ice Concentration (%),"},
    {"Anchor Ice Thickness (m),", "Anchor Ice Thickness (ft),"},
    {"Frazil Slush Thickness (m),", "Frazil Slush Thickness (ft),"},
    {"Solid Ice Thickness (m),", "Solid Ice Thickness (ft),"},
    {"Border Ice Fraction,", "Border Ice Fraction,"},
    {"Border Ice Width (m),", "Border Ice Width (ft),"},
    {"Air Temperature (\xB0" "C),", "Air Temperature (\xB0" "C),"},
    {"Maximum Border Ice Thickness (m),", "Maximum Border Ice Thickness (ft),"},
    {"Water Depth (m),", "Water Depth (ft),"},
    {"Water Velocity (m/s),", "Water Velocity (ft/s),"},
    {"Water Surface Width (m),", "Water Surface Width (ft),"},
};

// Titles of the snapshot columns (the first two and the third differ from the series titles).
constexpr Title SnapshotTitles[SnapshotColumnCount] = {
    {"Hinitial (m),", "Stage (ft),"},
    {"Qinitial (cms),", "Discharge (cfs),"},
    {"Ice Velocity(m/s),", "Ice Velocity (ft/s),"},
    SeriesTitles[3], SeriesTitles[4], SeriesTitles[5], SeriesTitles[6], SeriesTitles[7], SeriesTitles[8],
    SeriesTitles[9], SeriesTitles[10], SeriesTitles[11], SeriesTitles[12], SeriesTitles[13], SeriesTitles[14],
    SeriesTitles[15],
};

// The values of the first 16 series columns of a node.
double ColumnValue(const VQXDisplayNode& n, int column)
{
    switch (column) {
    case 0: return n.Stage;
    case 1: return n.FluxDischarge;
    case 2: return n.IceVelocity;
    case 3: return n.WaterTemperature;
    case 4: return n.FrazilPercent;
    case 5: return n.IceConcentrationPercent;
    case 6: return n.AnchorIceThickness;
    case 7: return n.SlushThickness;
    case 8: return n.SolidIceThickness;
    case 9: return n.BorderIceFraction;
    case 10: return n.BorderIceWidth;
    case 11: return n.AirTemperature;
    case 12: return n.MaxBorderIceThickness;
    case 13: return n.Depth;
    case 14: return n.Velocity;
    case 15: return n.Width;
    default: return 0.0;
    }
}

void AppendDateLine(std::string& text, const int fixed[3])
{
    int month = fixed[0], day = fixed[1], year = fixed[2];
    if (month == 0 && day == 0 && year == 0) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &now);
#else
        localtime_r(&now, &local);
#endif
        month = local.tm_mon + 1;
        day = local.tm_mday;
        year = local.tm_year + 1900;
    }
    text += "Date: ";
    AppendInt(text, month);
    text += "/";
    AppendInt(text, day);
    text += "/";
    AppendInt(text, year);
    text += "\n\n";
}

}  // namespace

ResultsWriter::ResultsWriter(VQXDisplayModel* displayModel, ModelState* state) : DisplayModel(displayModel), State(state)
{
}

double ResultsWriter::OutputIntervalHours(int choice)
{
    switch (choice) {
    case 1: return 1.0 / 60.0;
    case 2: return 1.0 / 12.0;
    case 3: return 0.25;
    case 4: return 0.5;
    case 5: return 1.0;
    case 6: return 6.0;
    case 7: return 12.0;
    case 8: return 24.0;
    case 9: return 168.0;
    default: return 0.0;
    }
}

int ResultsWriter::WriteHeaders(const std::string& modelPath, const std::string& waterQualityPath)
{
    FailureText.clear();
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    const bool metric = DisplayModel->UnitSystem != 0;
    // The first failure is returned, with its text: later files overwrite FailureText.
    int result = ResultsOk;
    std::string firstFailure;
    const auto keep = [&](int r) {
        if (result == ResultsOk && r != ResultsOk) {
            result = r;
            firstFailure = FailureText;
        }
    };
    StateFileTimes.clear();

    if (SeriesEnabled == 1) {
        std::string text = "Time Series Output File\n\n";
        text += "Time Series output file:\t" + SeriesPath + "\n";
        text += "Vasquil input file:   " + modelPath + "\n";
        if (SeriesColumns[MetalColumn] || SeriesColumns[NutrientColumn])
            text += "WQ input file:   " + waterQualityPath + "\n";
        AppendDateLine(text, HeaderDate);
        for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
            if (!IsOutputNode(*n))
                continue;
            text += "x = ";
            AppendGeneral(text, n->Station);
            if (metric) {
                text += " km ,Node # = ";
                AppendInt(text, n->Number);
            } else {
                text += " mile ,RS = ";
                AppendGeneral(text, n->RiverStation);
            }
            text += ",Time (hrs),Datetime,";
            for (int c = 0; c < SnapshotColumnCount; ++c)
                if (SeriesColumns[c])
                    text += metric ? SeriesTitles[c].Metric : SeriesTitles[c].Imperial;
            if (SeriesColumns[MetalColumn])
                for (int k = 6; k < 12; ++k)
                    text += std::string(VQXVocabulary::WaterQuality[k].Label) + ",";
            if (SeriesColumns[NutrientColumn])
                for (int k = 0; k < 6; ++k)
                    text += std::string(VQXVocabulary::WaterQuality[k].Label) + ",";
            text += ",";
        }
        text += "\n";
        keep(ReplaceFile("time-series file", SeriesPath, text));
    }

    if (SnapshotEnabled == 1) {
        std::string text = "Snapshot file\n";
        text += "Snapshot output file:\t" + SnapshotPath + "\n";
        text += "Vasquil source file:   " + modelPath + "\n";
        AppendDateLine(text, HeaderDate);
        text += "Initial Conditions\n";
        if (const int table = WriteSnapshotTable(text); table != ResultsOk) {
            keep(table);
        } else {
            text += "\n\n";
            keep(ReplaceFile("snapshot file", SnapshotPath, text));
        }
    }

    if (IceFrontEnabled == 1) {
        std::string text = "Ice Front Location File\n";
        text += "Ice Front Location file:\t" + IceFrontPath + "\n";
        text += "Vasquil source file:   " + modelPath + "\n";
        AppendDateLine(text, HeaderDate);
        text += "Time (hrs),DateTime,";
        for (VQXBridgingEvent* e = DisplayModel->FirstEvent(); e != nullptr; e = DisplayModel->NextEvent()) {
            text += "Bridging Event #";
            AppendInt(text, e->Number);
            text += metric ? ", Location (HEC-RAS RS), Location (km)," : ", Location (HEC-RAS RS), Location (mi),";
        }
        text += "\n";
        keep(ReplaceFile("ice-front file", IceFrontPath, text));
    }

    if (PeakEnabled == 1) {
        keep(ReplaceFile("peak file", PeakPath, std::string()));
        ResetPeaks();
    }
    FailureText = firstFailure;
    return result;
}

int ResultsWriter::AppendTimeSeriesRow()
{
    FailureText.clear();
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    std::string text;
    NumberLine line{text};
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        if (!IsOutputNode(*n))
            continue;
        text += ",,";
        line.Fixed(State->ModelTime, 10);
        text += ",";
        AppendModelDate(text, State->CurrentDate);
        text += ",";
        for (int c = 0; c < SnapshotColumnCount; ++c) {
            if (!SeriesColumns[c])
                continue;
            line.Fixed(ColumnValue(*n, c), 10);
            text += ",";
        }
        if (SeriesColumns[MetalColumn])
            for (int k = 6; k < 12; ++k) {
                line.Fixed(n->WQValues[k], 10);
                text += ",";
            }
        if (SeriesColumns[NutrientColumn])
            for (int k = 0; k < 6; ++k) {
                line.Fixed(n->WQValues[k], 10);
                text += ",";
            }
        text += ",";
    }
    text += "\n";
    if (!line.finite)
        return NotFinite("time-series file", SeriesPath);
    return AppendFile("time-series file", SeriesPath, text);
}

int ResultsWriter::WriteSnapshotTable(std::string& text)
{
    FailureText.clear();
    if (DisplayModel == nullptr)
        return ResultsCannotOpen;
    NumberLine line{text};
    const bool metric = DisplayModel->UnitSystem != 0;
    text += metric ? "x (km),HEC-RAS RS = ,Bed (m)," : "x (mi),HEC-RAS RS = ,Bed (ft),";
    for (int c = 0; c < SnapshotColumnCount; ++c)
        if (SnapshotColumns[c])
            text += metric ? SnapshotTitles[c].Metric : SnapshotTitles[c].Imperial;
    text += "\n";
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        line.Fixed(n->Station, 6);
        text += ",";
        line.Fixed(n->RiverStation, 6);
        text += ",";
        line.Fixed(n->Invert, 6);
        text += ",";
        for (int c = 0; c < SnapshotColumnCount; ++c) {
            if (!SnapshotColumns[c])
                continue;
            line.Fixed(ColumnValue(*n, c), 6);
            text += ",";
        }
        text += "\n";
    }
    return line.finite ? ResultsOk : NotFinite("snapshot file", SnapshotPath);
}

int ResultsWriter::AppendSnapshot(int transient)
{
    FailureText.clear();
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    std::string text;
    NumberLine line{text};
    if (transient) {
        text += "Model time:  ";
        line.Fixed(State->ModelTime, 6);
    } else {
        text += "Model time step:  ";
        AppendInt(text, State->SteadyIteration);
    }
    text += "\n";
    if (!line.finite)
        return NotFinite("snapshot file", SnapshotPath);
    if (const int table = WriteSnapshotTable(text); table != ResultsOk)
        return table;
    text += "\n\n";
    return AppendFile("snapshot file", SnapshotPath, text);
}

int ResultsWriter::AppendIceFrontRow()
{
    FailureText.clear();
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    if (!State->IceFrontStarted)
        return ResultsOk;
    std::string text;
    NumberLine line{text};
    line.Fixed(State->ModelTime, 6);
    text += ",";
    AppendModelDate(text, State->CurrentDate);
    text += ",";
    for (VQXBridgingEvent* e = DisplayModel->FirstEvent(); e != nullptr; e = DisplayModel->NextEvent()) {
        text += ",";
        line.Fixed(e->FrontStation, 6);
        text += ",";
        line.Fixed(e->FrontLocation, 6);
        text += ",";
    }
    text += "\n";
    if (!line.finite)
        return NotFinite("ice-front file", IceFrontPath);
    return AppendFile("ice-front file", IceFrontPath, text);
}

void ResultsWriter::ResetPeaks()
{
    if (DisplayModel == nullptr || State == nullptr)
        return;
    const ModelControl& mc = g_ModelControl;
    const double time = State->ModelTime;
    // Values the display shows unchanged from the engine go back as the engine's own values.
    const auto same = [](double a, double b) { return a == b || std::fabs(a - b) <= 1e-9 * std::fmax(std::fabs(a), std::fabs(b)); };
    const double seconds = same(time, mc.ModelTime / SecondsPerHour) ? mc.ModelTime : ModelState::HoursToSeconds(time);
    VQXDisplayNode* d = DisplayModel->FirstNode();
    int count = 0;
    for (NodeRecord* n = g_Nodes; d != nullptr; d = DisplayModel->NextNode()) {
        d->PeakStageTime = time;
        d->PeakDischargeTime = time;
        d->PeakStage = d->Stage;
        d->PeakDischarge = d->Discharge;
        if (n != nullptr && count < mc.NodeCount) {
            n->PeakStage = same(d->Stage, ModelState::LengthToDisplay(n->Stage)) ? n->Stage
                                                                                  : ModelState::LengthToEngine(d->Stage);
            n->PeakFluxDischarge = same(d->Discharge, ModelState::DischargeToDisplay(n->Discharge))
                                       ? n->Discharge
                                       : ModelState::DischargeToEngine(d->Discharge);
            n->PeakStageTime = seconds;
            n->PeakFluxTime = seconds;
            n = n->Next;
            ++count;
        }
    }
}

int ResultsWriter::WritePeakFile(const std::string& modelPath)
{
    FailureText.clear();
    if (DisplayModel == nullptr)
        return ResultsCannotOpen;
    const bool metric = DisplayModel->UnitSystem != 0;
    std::string text = "Peak Stage and Discharge file\n\n";
    text += "Vasquil source file:   " + modelPath + "\n";
    text += metric ? "x (km),Peak Stage (m),at Time (h),Peak Discharge (cms),at Time (h)\n"
                   : "x (mi),Peak Stage (ft),at Time (h),Peak Discharge (cfs),at Time (h)\n";
    NumberLine line{text};
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        const double values[5] = {n->Station, n->PeakStage, n->PeakStageTime, n->PeakDischarge, n->PeakDischargeTime};
        for (int k = 0; k < 5; ++k) {
            if (k > 0)
                text += ",";
            line.Fixed(values[k], 3);
        }
        text += "\n";
    }
    if (!line.finite)
        return NotFinite("peak file", PeakPath);
    return ReplaceFile("peak file", PeakPath, text);
}

namespace {

VQXTimeSeriesEntry HistoryEntry(const VQXDisplayNode& n, double time)
{
    VQXTimeSeriesEntry e;
    e.Time = time;
    e.Discharge = n.Discharge;
    e.FluxDischarge = n.FluxDischarge;
    e.Stage = n.Stage;
    e.Velocity = n.Velocity;
    e.SolidIceThickness = n.SolidIceThickness;
    e.IceVelocity = n.IceVelocity;
    e.IceConcentration = n.IceConcentrationPercent;
    e.WaterTemperature = n.WaterTemperature;
    e.FrazilConcentration = n.FrazilPercent;
    e.AnchorIceThickness = n.AnchorIceThickness;
    e.SlushThickness = n.SlushThickness;
    e.BorderIceFraction = n.BorderIceFraction;
    e.BorderIceWidth = n.BorderIceWidth;
    e.AirTemperature = n.AirTemperature;
    e.Depth = n.Depth;
    e.SolarRadiation = 0.0;
    for (int k = 0; k < 12; ++k)
        e.WQValues[k] = n.WQValues[k];
    return e;
}

}  // namespace

void ResultsWriter::RestartHistories()
{
    if (DisplayModel == nullptr)
        return;
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode())
        if (IsOutputNode(*n))
            n->History.Release();
    AppendHistories();
}

void ResultsWriter::AppendHistories()
{
    if (DisplayModel == nullptr || State == nullptr)
        return;
    // The history keeps its newest 100,000 entries itself.
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode())
        if (IsOutputNode(*n))
            n->History.Append(HistoryEntry(*n, State->ModelTime));
}

std::filesystem::path ResultsWriter::StateFilePath(const std::string& modelPath, int decimals) const
{
    std::string name = PathOf(modelPath).stem().string();
    name += " - ";
    AppendFixed(name, State != nullptr ? State->ModelTime : 0.0, decimals);
    name += " hrs.vqX";
    return PathOf(StateFolder) / fs::path(name);
}

std::vector<OutputTarget> ResultsWriter::Targets(const std::string& modelPath) const
{
    std::vector<OutputTarget> targets;
    if (SeriesEnabled == 1)
        targets.push_back({"time-series file", PathOf(SeriesPath)});
    if (SnapshotEnabled == 1)
        targets.push_back({"snapshot file", PathOf(SnapshotPath)});
    if (PeakEnabled == 1)
        targets.push_back({"peak file", PathOf(PeakPath)});
    if (IceFrontEnabled == 1)
        targets.push_back({"ice-front file", PathOf(IceFrontPath)});
    if (DatabaseEnabled == 1)
        for (OutputTarget& t : ResultsDatabaseTargets(DatabasePath))
            targets.push_back(std::move(t));
    if (StateFileEnabled == 1)
        targets.push_back({"state-file folder", PathOf(StateFolder), TargetFolder, PathOf(modelPath).stem().string()});
    return targets;
}

int ResultsWriter::WriteStateFile(const std::string& modelPath)
{
    FailureText.clear();
    if (State == nullptr)
        return ResultsCannotOpen;
    const double time = State->ModelTime;
    fs::path path;
    for (int decimals = 2; decimals <= 10 && path.empty(); ++decimals) {
        fs::path candidate = StateFilePath(modelPath, decimals);
        const auto it = StateFileTimes.find(candidate);
        if (it == StateFileTimes.end() || it->second == time)
            path = candidate;
    }
    if (path.empty())
        return ResultsNameTaken;

    const std::string what = "state file";
    if (CheckOutputTarget(path, what, &FailureText) != TargetOk)
        return ResultsNotRegular;
    fs::path temporary;
    std::FILE* file = CreateTemporaryFor(path, &temporary, what, &FailureText);
    if (file == nullptr)
        return ResultsCannotOpen;
    // The model writer closes the stream itself, reports write and close failures and refuses
    // a value that is no finite number; a failure of the system leaves its reason in errno.
    errno = 0;
    if (WriteModelFile(file) != 0) {
        const int error = errno;
        RemoveTemporary(temporary);
        FailureText = "the model writer could not write the " + what + " '" + path.string() + "'" +
                      (error != 0 ? ": " + std::string(std::strerror(error)) : "");
        return ResultsModelNotWritten;
    }
    if (const int replaced = ReplaceWithTemporary(temporary, path, what, &FailureText); replaced != TargetOk)
        return ResultOfTarget(replaced);
    StateFileTimes[path] = time;
    return ResultsOk;
}
