#include "datalib/ResultsWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "datalib/Vocabulary.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

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

int WriteStream(std::FILE* file, const std::string& text)
{
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed ? ResultsOk : ResultsWriteError;
}

// Replaces the file with text: written beside it first and renamed over it, so a failure
// leaves the previous file whole.
int ReplaceFile(const fs::path& path, const std::string& text)
{
    if (path.empty())
        return ResultsCannotOpen;
    fs::path temporary = path;
    temporary += ".partial";
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (file == nullptr)
        return ResultsCannotOpen;
    if (WriteStream(file, text) != ResultsOk) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return ResultsWriteError;
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return ResultsWriteError;
    }
    return ResultsOk;
}

int AppendFile(const fs::path& path, const std::string& text)
{
    if (path.empty())
        return ResultsCannotOpen;
    std::FILE* file = std::fopen(path.string().c_str(), "ab");
    if (file == nullptr)
        return ResultsCannotOpen;
    return WriteStream(file, text);
}

void AppendModelDate(std::string& text, const int date[6])
{
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date[0], date[1], date[2], date[3], date[4],
                  date[5]);
    text += buffer;
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
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    const bool metric = DisplayModel->UnitSystem != 0;
    int result = ResultsOk;
    const auto keep = [&result](int r) {
        if (result == ResultsOk)
            result = r;
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
        keep(ReplaceFile(PathOf(SeriesPath), text));
    }

    if (SnapshotEnabled == 1) {
        std::string text = "Snapshot file\n";
        text += "Snapshot output file:\t" + SnapshotPath + "\n";
        text += "Vasquil source file:   " + modelPath + "\n";
        AppendDateLine(text, HeaderDate);
        text += "Initial Conditions\n";
        WriteSnapshotTable(text);
        text += "\n\n";
        keep(ReplaceFile(PathOf(SnapshotPath), text));
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
        keep(ReplaceFile(PathOf(IceFrontPath), text));
    }

    if (PeakEnabled == 1) {
        keep(ReplaceFile(PathOf(PeakPath), std::string()));
        ResetPeaks();
    }
    return result;
}

int ResultsWriter::AppendTimeSeriesRow()
{
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    std::string text;
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        if (!IsOutputNode(*n))
            continue;
        text += ",,";
        AppendFixed(text, State->ModelTime, 10);
        text += ",";
        AppendModelDate(text, State->CurrentDate);
        text += ",";
        for (int c = 0; c < SnapshotColumnCount; ++c) {
            if (!SeriesColumns[c])
                continue;
            AppendFixed(text, ColumnValue(*n, c), 10);
            text += ",";
        }
        if (SeriesColumns[MetalColumn])
            for (int k = 6; k < 12; ++k) {
                AppendFixed(text, n->WQValues[k], 10);
                text += ",";
            }
        if (SeriesColumns[NutrientColumn])
            for (int k = 0; k < 6; ++k) {
                AppendFixed(text, n->WQValues[k], 10);
                text += ",";
            }
        text += ",";
    }
    text += "\n";
    return AppendFile(PathOf(SeriesPath), text);
}

void ResultsWriter::WriteSnapshotTable(std::string& text)
{
    if (DisplayModel == nullptr)
        return;
    const bool metric = DisplayModel->UnitSystem != 0;
    text += metric ? "x (km),HEC-RAS RS = ,Bed (m)," : "x (mi),HEC-RAS RS = ,Bed (ft),";
    for (int c = 0; c < SnapshotColumnCount; ++c)
        if (SnapshotColumns[c])
            text += metric ? SnapshotTitles[c].Metric : SnapshotTitles[c].Imperial;
    text += "\n";
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        AppendFixed(text, n->Station, 6);
        text += ",";
        AppendFixed(text, n->RiverStation, 6);
        text += ",";
        AppendFixed(text, n->Invert, 6);
        text += ",";
        for (int c = 0; c < SnapshotColumnCount; ++c) {
            if (!SnapshotColumns[c])
                continue;
            AppendFixed(text, ColumnValue(*n, c), 6);
            text += ",";
        }
        text += "\n";
    }
}

int ResultsWriter::AppendSnapshot(int transient)
{
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    std::string text;
    if (transient) {
        text += "Model time:  ";
        AppendFixed(text, State->ModelTime, 6);
    } else {
        text += "Model time step:  ";
        AppendInt(text, State->SteadyIteration);
    }
    text += "\n";
    WriteSnapshotTable(text);
    text += "\n\n";
    return AppendFile(PathOf(SnapshotPath), text);
}

int ResultsWriter::AppendIceFrontRow()
{
    if (DisplayModel == nullptr || State == nullptr)
        return ResultsCannotOpen;
    if (!State->IceFrontStarted)
        return ResultsOk;
    std::string text;
    AppendFixed(text, State->ModelTime, 6);
    text += ",";
    AppendModelDate(text, State->CurrentDate);
    text += ",";
    for (VQXBridgingEvent* e = DisplayModel->FirstEvent(); e != nullptr; e = DisplayModel->NextEvent()) {
        text += ",";
        AppendFixed(text, e->FrontStation, 6);
        text += ",";
        AppendFixed(text, e->FrontLocation, 6);
        text += ",";
    }
    text += "\n";
    return AppendFile(PathOf(IceFrontPath), text);
}

void ResultsWriter::ResetPeaks()
{
    if (DisplayModel == nullptr || State == nullptr)
        return;
    const ModelControl& mc = g_ModelControl;
    const double time = State->ModelTime;
    // Values the display shows unchanged from the engine go back as the engine's own values.
    const auto same = [](double a, double b) { return a == b || std::fabs(a - b) <= 1e-9 * std::fmax(std::fabs(a), std::fabs(b)); };
    const double seconds = same(time, mc.ModelTime / 3600.0) ? mc.ModelTime : ModelState::HoursToSeconds(time);
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
    if (DisplayModel == nullptr)
        return ResultsCannotOpen;
    const bool metric = DisplayModel->UnitSystem != 0;
    std::string text = "Peak Stage and Discharge file\n\n";
    text += "Vasquil source file:   " + modelPath + "\n";
    text += metric ? "x (km),Peak Stage (m),at Time (h),Peak Discharge (cms),at Time (h)\n"
                   : "x (mi),Peak Stage (ft),at Time (h),Peak Discharge (cfs),at Time (h)\n";
    for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode()) {
        const double values[5] = {n->Station, n->PeakStage, n->PeakStageTime, n->PeakDischarge, n->PeakDischargeTime};
        for (int k = 0; k < 5; ++k) {
            if (k > 0)
                text += ",";
            AppendFixed(text, values[k], 3);
        }
        text += "\n";
    }
    return ReplaceFile(PathOf(PeakPath), text);
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

int ResultsWriter::WriteStateFile(const std::string& modelPath)
{
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

    fs::path temporary = path;
    temporary += ".partial";
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (file == nullptr)
        return ResultsCannotOpen;
    // The model writer closes the stream itself and reports write and close failures.
    if (WriteModelFile(file) != 0) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return ResultsModelNotWritten;
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return ResultsWriteError;
    }
    StateFileTimes[path] = time;
    return ResultsOk;
}
