// The HEC-RAS geometry conversion: small geometry files in the fixed-width layout, each read
// with LF and with CR LF line ends; what they convert into, what is refused and why, and a
// two-section file written byte for byte.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "datalib/HECRASConversion.h"
#include "datalib/HECRASData.h"

using namespace VQXHECRASDataLib;

namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path Data(const char* name) { return std::filesystem::path(VASQUIL_TEST_DATA) / name; }
std::filesystem::path Example(const char* name)
{
    return std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / name;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Lines of right-aligned fields of the given width, perLine to a line.
std::string Fields(std::size_t width, std::size_t perLine, const std::vector<std::string>& values)
{
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += std::string(width > values[i].size() ? width - values[i].size() : 0, ' ') + values[i];
        if ((i + 1) % perLine == 0 || i + 1 == values.size()) text += '\n';
    }
    return text;
}

// A cross-section record in the file's layout; the defaults are the banks 190 and 310 with
// n 0.06, 0.04 and 0.06 written as a three-value table.
struct Section {
    std::string rs = "5.3";
    std::string lengths = "200,210,220";
    std::string type = "1";
    std::vector<std::string> cut = {};  // no cut line
    std::vector<std::string> points = {"0", "106", "190", "102.5", "250", "100.5", "310", "102.5", "500", "106"};
    std::string pointsKey = "";         // "#Sta/Elev= N" from the points
    std::string manningKey = "#Mann= 3 , 0 , 0 ";
    std::vector<std::string> manning = {"0", ".06", "0", "190", ".04", "0", "310", ".06", "0"};
    std::string banks = "Bank Sta=190,310";

    std::string Text() const
    {
        std::string t = "Type RM Length L Ch R = " + type + " ," + rs + std::string(rs.size() < 8 ? 8 - rs.size() : 0, ' ') +
                        "," + lengths + "\n";
        t += "Node Last Edited Time=Jan/02/2024 10:30:00\n";
        if (!cut.empty()) t += "XS GIS Cut Line=" + std::to_string(cut.size() / 2) + "\n" + Fields(16, 4, cut);
        if (!points.empty() || !pointsKey.empty())
            t += (pointsKey.empty() ? "#Sta/Elev= " + std::to_string(points.size() / 2) + " " : pointsKey) + "\n" +
                 Fields(8, 10, points);
        if (!manningKey.empty()) t += manningKey + "\n" + Fields(8, 10, manning);
        if (!banks.empty()) t += banks + "\n";
        t += "XS Rating Curve= 0 ,0\nExp/Cntr=0.3,0.1\n\n";
        return t;
    }
};

std::string Header() { return "Geom Title=Test geometry\nProgram Version=6.30\n\n"; }

std::string Reach(const std::string& river, const std::string& reach)
{
    char line[80];
    std::snprintf(line, sizeof line, "River Reach=%-16s,%-16s\n", river.c_str(), reach.c_str());
    return std::string(line) + "Reach XY= 2 \n" + Fields(16, 4, {"0", "0", "1000", "0"}) + "Reverse River Text= 0 \n\n";
}

VQXConversionResult Parse(VQXHECRASDataSet& data, const std::string& text)
{
    std::istringstream in(text);
    return VQXHECRASConverter(data).ParseGeometry(in);
}

// A scratch folder of the test's own.
class Folder {
public:
    Folder()
    {
        path_ = std::filesystem::temp_directory_path() /
                ("vasquil-hecras-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::filesystem::path Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return path_ / name;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
        return names;
    }

private:
    std::filesystem::path path_;
};

constexpr VQXStartDate FixtureDate = {2024, 3, 4, 9, 15, 0};

class CommaLocale {
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_ALL, name)) {
                char text[16];
                std::snprintf(text, sizeof text, "%g", 1.5);
                active_ = std::string(text) == "1,5";
                if (active_) return;
            }
        std::setlocale(LC_ALL, "C");
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace

// The file of two sections converts into the model text written by hand from the format, with
// either line end and in a comma-decimal locale.
TEST(HECRASConversion, TwoSectionsAreWrittenByteForByte)
{
    const std::string expected = ReadBytes(Data("hecras-two-sections.vqx"));
    const std::string geometry = ReadBytes(Data("hecras-two-sections.g01"));
    ASSERT_FALSE(expected.empty());
    Folder folder;
    const auto convert = [&](const std::string& text, const std::string& name) {
        VQXConversionRequest request;
        request.GeometryPath = folder.Write(name + ".g01", text);
        request.ModelPath = folder / (name + ".vqx");
        request.InitialDepth = 1.5;
        request.InitialDischarge = 12.5;
        request.StartDate = FixtureDate;
        const VQXConversionResult result = ConvertHECRASGeometry(request);
        EXPECT_TRUE(result.Ok()) << result.Reason;
        return ReadBytes(request.ModelPath);
    };
    EXPECT_EQ(convert(geometry, "lf"), expected);
    EXPECT_EQ(convert(WithCrLf(geometry), "crlf"), expected);

    CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    EXPECT_EQ(convert(geometry, "komma"), expected);
}

// What small files read into: a table of cases, each with LF and CR LF line ends.
TEST(HECRASParse, FilesReadAsTheirLayoutSays)
{
    using Check = std::function<void(const VQXHECRASDataSet&)>;
    struct Case {
        const char* name;
        std::string text;
        Check check;
    };
    Section plain;
    Section second = plain;
    second.rs = "5.1";

    // The river station and the three reach lengths from the record line; a record of
    // another type is a structure and starts no node.
    Section lengths = plain;
    lengths.lengths = ".5,210,220";
    Section bridge;
    bridge.type = "3";
    bridge.rs = "5.2";
    const std::string bridgeText = "Type RM Length L Ch R = 3 ,5.2     ,40,40,40\nBridge Culvert-0,0,0,0,0,0\n"
                                   "#Sta/Elev= 2 \n" + Fields(8, 10, {"0", "1", "1", "0"}) + "\n";

    // Twelve points over lines of ten, ten and four fields.
    Section twelve = plain;
    twelve.points = {"0",   "110", "50",  "108", "100", "106", "150", "104", "190", "102.5", "220", "101",
                     "250", "100.5", "280", "101", "310", "102.5", "350", "104", "420", "106", "500", "110"};

    // Varied n: four triplets on two lines, the banks from "Bank Sta=", one of them between
    // two points; each subsection the length-weighted mean of the n over it.
    Section varied = plain;
    varied.manningKey = "#Mann= 4 ,-1 , 0 ";
    varied.manning = {"0", ".08", "0", "100", ".06", "0", "200", ".035", "0", "300", ".05", "0"};
    varied.banks = "Bank Sta=200,310";
    Section between = plain;
    between.banks = "Bank Sta=220,310";
    between.manning = {"0", ".06", "0", "220", ".04", "0", "310", ".06", "0"};

    // Banks only from the three-value table.
    Section noBankLine = plain;
    noBankLine.banks = "";

    // Key lines that end in blanks, and a line of points cut short after its last field.
    const std::string ragged = "Type RM Length L Ch R = 1 ,5.3     ,200,210,220   \n#Sta/Elev= 3    \n"
                               "       0     106     250   100.5\n     500     106\n"
                               "#Mann= 3 , 0 , 0\n       0     .06       0       0     .04       0     500     .06       0\n"
                               "Bank Sta=0,500\n\n";

    Section cut1 = plain;
    cut1.cut = {"1000.25", "1950", "1000.25", "2050"};
    Section cut2 = second;
    cut2.cut = {"1100", "1950", "1100", "2050", "1101", "2100"};

    const Case cases[] = {
        {"the record line", Header() + lengths.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             ASSERT_EQ(d.NodeVector.size(), 2u);
             EXPECT_EQ(d.Node(0).RiverStation, 5.3);
             EXPECT_EQ(d.Node(0).RiverStationText, "5.3");
             EXPECT_EQ(d.Node(0).LeftReachLength, 0.5);  // ".5" is a half
             EXPECT_EQ(d.Node(0).ChannelReachLength, 210);
             EXPECT_EQ(d.Node(0).RightReachLength, 220);
             EXPECT_EQ(d.Node(0).SourceLine, 4);
             EXPECT_EQ(d.Node(1).Number, 2);
         }},
        {"a structure between two sections", Header() + plain.Text() + bridgeText + second.Text(),
         [](const VQXHECRASDataSet& d) {
             ASSERT_EQ(d.NodeVector.size(), 2u);
             EXPECT_EQ(d.Node(1).RiverStation, 5.1);
             ASSERT_EQ(d.Structures.size(), 1u);
             EXPECT_EQ(d.Structures[0].Type, 3);
             EXPECT_EQ(d.Structures[0].RiverStation, "5.2");
         }},
        {"twelve points on three lines", Header() + twelve.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             const auto& points = d.Node(0).CrossSection->Points;
             ASSERT_EQ(points.size(), 12u);
             EXPECT_EQ(points[10].Station, 420);
             EXPECT_EQ(points[11].Station, 500);
             EXPECT_EQ(points[11].Elevation, 110);
         }},
        {"three n values at the banks", Header() + plain.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             const VQXHECRASNode& n = d.Node(0);
             EXPECT_EQ(n.LeftN, 0.06);
             EXPECT_EQ(n.ChannelN, 0.04);
             EXPECT_EQ(n.RightN, 0.06);
             EXPECT_EQ(n.CrossSection->LeftBankStation, 190);
             EXPECT_EQ(n.CrossSection->RightBankStation, 310);
             EXPECT_EQ(n.CrossSection->Points.size(), 5u);
         }},
        {"banks from the three-value table alone", Header() + noBankLine.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             EXPECT_EQ(d.Node(0).CrossSection->LeftBankStation, 190);
             EXPECT_EQ(d.Node(0).CrossSection->RightBankStation, 310);
         }},
        {"varied n", Header() + varied.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             const VQXHECRASNode& n = d.Node(0);
             EXPECT_DOUBLE_EQ(n.LeftN, (0.08 * 100 + 0.06 * 100) / 200);  // 0 to 200
             EXPECT_EQ(n.ChannelN, (0.035 * 100 + 0.05 * 10) / 110);      // 200 to 310
             EXPECT_EQ(n.RightN, 0.05);                                   // 310 to 500
         }},
        {"a bank between two points", Header() + between.Text() + second.Text(),
         [](const VQXHECRASDataSet& d) {
             const auto& points = d.Node(0).CrossSection->Points;
             ASSERT_EQ(points.size(), 6u);
             EXPECT_EQ(points[2].Station, 220);
             EXPECT_DOUBLE_EQ(points[2].Elevation, 102.5 + (220.0 - 190) / 60 * (100.5 - 102.5));
             EXPECT_EQ(d.Node(0).ChannelN, 0.04);
         }},
        {"a ragged section", Header() + ragged + second.Text(),
         [](const VQXHECRASDataSet& d) {
             const auto& points = d.Node(0).CrossSection->Points;
             ASSERT_EQ(points.size(), 3u);
             EXPECT_EQ(points[2].Station, 500);
             EXPECT_EQ(points[2].Elevation, 106);  // not shifted by a carriage return
             EXPECT_EQ(d.Node(0).RightN, 0.06);
         }},
        {"cut lines of two and three points", Header() + cut1.Text() + cut2.Text(),
         [](const VQXHECRASDataSet& d) {
             ASSERT_EQ(d.Node(0).CutLine.size(), 2u);
             EXPECT_EQ(d.Node(0).CutLine[0].X, 1000.25);
             EXPECT_EQ(d.Node(0).CutLine[1].Y, 2050);
             ASSERT_EQ(d.Node(1).CutLine.size(), 3u);
             EXPECT_EQ(d.Node(1).CutLine[2].X, 1101);
             EXPECT_EQ(d.Node(1).CutLine[2].Y, 2100);
         }},
        {"two reaches and a junction", Header() + Reach("Bow, North", "Upper") + plain.Text() + second.Text() +
                                           Reach("Bow", "Lower") + plain.Text() + second.Text() + plain.Text() +
                                           "Junct Name=Forks          \nUp River,Reach=Bow             ,Upper\n",
         [](const VQXHECRASDataSet& d) {
             ASSERT_EQ(d.Reaches.size(), 2u);
             EXPECT_EQ(d.Reaches[0].River, "Bow, North");  // names are 16 characters wide
             EXPECT_EQ(d.Reaches[0].Reach, "Upper");
             EXPECT_EQ(d.Reaches[1].Name(), "Bow,Lower");
             EXPECT_EQ(d.Reaches[1].SectionCount, 3);
             EXPECT_EQ(d.ConvertedReach, 0);
             EXPECT_EQ(d.NodeVector.size(), 2u);  // the stations do not run on into the next reach
             ASSERT_EQ(d.Junctions.size(), 1u);
             EXPECT_EQ(d.Junctions[0].Name, "Forks");
         }},
    };
    for (const Case& c : cases) {
        for (bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (crlf ? " (CR LF)" : " (LF)"));
            VQXHECRASDataSet data;
            const VQXConversionResult result = Parse(data, crlf ? WithCrLf(c.text) : c.text);
            ASSERT_TRUE(result.Ok()) << result.Reason;
            c.check(data);
        }
    }
}

// A faulty file is refused with a reason that names the river station and the line; nothing
// of it is kept.
TEST(HECRASParse, FaultsAreRefusedNamingTheRiverStationAndTheLine)
{
    struct Case {
        const char* name;
        std::string text;
        int code;
        const char* reason;
    };
    Section plain;
    Section second = plain;
    second.rs = "5.1";
    const auto with = [&](std::function<void(Section&)> change) {
        Section s = plain;
        change(s);
        return Header() + s.Text() + second.Text();
    };
    std::vector<std::string> many;
    for (int i = 0; i < 1001; ++i) {
        many.push_back(std::to_string(i));
        many.push_back("100");
    }
    // Header() has three lines, so a section starts on line 4: its points key is on line 6.
    const Case cases[] = {
        {"more than 1000 points", with([&](Section& s) { s.points = many; }), ConversionTooManyPoints,
         "river station 5.3 has 1001 points (line 6); a model's cross section holds at most 1000"},
        {"a count the file does not hold", with([](Section& s) { s.pointsKey = "#Sta/Elev= 7 "; }),
         ConversionCountNotHeld, "river station 5.3 announces 7 station/elevation points on line 6, but its lines hold only 5"},
        {"a count of n values that the file does not hold", with([](Section& s) { s.manningKey = "#Mann= 30 , 0 , 0 "; }),
         ConversionCountNotHeld, "announces 30 Manning's n values on line 8, but its lines hold only 3"},
        {"more values than the count", with([](Section& s) { s.pointsKey = "#Sta/Elev= 4 "; }), ConversionTooManyValues,
         "announces 4 station/elevation points on line 6, but line 7 holds more"},
        {"a negative count", with([](Section& s) { s.pointsKey = "#Sta/Elev= -2 "; }), ConversionBadCount,
         "announces -2 station/elevation points on line 6"},
        {"stations going back", with([](Section& s) { s.points[4] = "180"; }), ConversionStationsGoBack,
         "river station 5.3, station 180 on line 7 lies left of the station 190 before it"},
        {"a number beyond a double", with([](Section& s) { s.points[3] = "1e999"; }), ConversionNotFinite,
         "line 7 holds '1e999', which is not a finite number (cross section at river station 5.3)"},
        {"a length beyond a double", with([](Section& s) { s.lengths = "200,1e999,220"; }), ConversionNotFinite,
         "line 4 holds '1e999'"},
        {"text in a field", with([](Section& s) { s.points[3] = "abc"; }), ConversionNotANumber,
         "line 7 holds 'abc' where a number of the cross section at river station 5.3 belongs"},
        {"no points", with([](Section& s) { s.points.clear(); }), ConversionNoPoints,
         "river station 5.3 (line 4) has no station/elevation points"},
        {"one point", with([](Section& s) { s.points = {"0", "100"}; }), ConversionTooFewPoints,
         "river station 5.3 (line 4) has only one station/elevation point"},
        {"no n values", with([](Section& s) { s.manningKey.clear(); }), ConversionNoRoughness,
         "river station 5.3 (line 4) gives no Manning's n values"},
        {"an n of 0", with([](Section& s) { s.manning[4] = "0"; }), ConversionRoughnessNotPositive,
         "Manning's n 0 on line 9 is not greater than 0"},
        {"varied n without banks",
         with([](Section& s) {
             s.manningKey = "#Mann= 2 ,-1 , 0 ";
             s.manning = {"0", ".06", "0", "250", ".04", "0"};
             s.banks.clear();
         }),
         ConversionNoBanks, "river station 5.3 (line 4) gives no bank stations"},
        {"a bank beyond the points", with([](Section& s) { s.banks = "Bank Sta=190,510"; }), ConversionBankOutside,
         "the right bank station 510 (line 10) lies outside its points, from 0 to 500"},
        {"banks reversed", with([](Section& s) { s.banks = "Bank Sta=310,190"; }), ConversionBanksReversed,
         "the left bank station 310 (line 10) is not left of the right bank station 190"},
        {"one section", Header() + plain.Text(), ConversionTooFewSections,
         "the reach (unnamed) holds 1 cross section; a model needs two or more"},
        {"no section", Header() + "Junct Name=Forks\n", ConversionNoSections, "the geometry file holds no cross section"},
        {"one section in the first reach", Header() + Reach("Bow", "Upper") + plain.Text() + Reach("Bow", "Lower") +
                                               plain.Text() + second.Text(),
         ConversionTooFewSections, "the reach \"Bow,Upper\" holds 1 cross section"},
    };
    for (const Case& c : cases) {
        for (bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (crlf ? " (CR LF)" : " (LF)"));
            VQXHECRASDataSet data;
            const VQXConversionResult result = Parse(data, crlf ? WithCrLf(c.text) : c.text);
            EXPECT_EQ(result.Code, c.code) << result.Reason;
            EXPECT_NE(result.Reason.find(c.reason), std::string::npos) << result.Reason;
            EXPECT_TRUE(data.NodeVector.empty());
        }
    }
}

// A section without its points does not swallow the section after it: the record line ends
// it, and it is refused by its own river station.
TEST(HECRASParse, ARecordLineEndsASectionThatLacksItsBlocks)
{
    Section noPoints;
    noPoints.points.clear();
    Section next;
    next.rs = "5.1";
    VQXHECRASDataSet data;
    const VQXConversionResult result = Parse(data, Header() + noPoints.Text() + next.Text() + next.Text());
    EXPECT_EQ(result.Code, ConversionNoPoints);
    EXPECT_NE(result.Reason.find("river station 5.3 (line 4)"), std::string::npos) << result.Reason;
}

// The reach asked for by name; an unknown name lists the file's reaches.
TEST(HECRASParse, TheReachIsChosenByName)
{
    Section a;
    Section b;
    b.rs = "5.1";
    Section c;
    c.rs = "4.9";
    c.lengths = "300,300,300";
    const std::string text = Header() + Reach("Bow", "Upper") + a.Text() + b.Text() + Reach("Elbow Creek", "Lower") +
                             a.Text() + c.Text() + b.Text();
    VQXHECRASDataSet data;
    data.ReachChoice = "Elbow Creek,Lower";
    ASSERT_TRUE(Parse(data, text).Ok());
    EXPECT_EQ(data.ConvertedReach, 1);
    ASSERT_EQ(data.NodeVector.size(), 3u);
    EXPECT_EQ(data.Node(1).ChannelReachLength, 300);
    EXPECT_EQ(data.Node(2).Number, 3);

    VQXHECRASDataSet unknown;
    unknown.ReachChoice = "Bow,Lower";
    const VQXConversionResult result = Parse(unknown, text);
    EXPECT_EQ(result.Code, ConversionNoSuchReach);
    EXPECT_EQ(result.Reason, "the geometry file holds no reach \"Bow,Lower\"; its reaches are \"Bow,Upper\", "
                             "\"Elbow Creek,Lower\"");
}

// Stations, positions, inverts and the initial state of the prepared nodes, and the property
// table each section gets.
TEST(HECRASPrepare, NodesGetStationsPositionsAndTheInitialWaterSurface)
{
    Section s1;
    s1.lengths = "480,500,520";
    s1.points = {"0", "105", "190", "101", "250", "100.5", "310", "101", "500", "105"};
    Section s2 = s1;
    s2.rs = "4.8";
    s2.lengths = "690,700,710";
    Section s3 = s1;
    s3.rs = "4.1";
    s3.lengths = "0,0,0";
    const std::string text = Header() + s1.Text() + s2.Text() + s3.Text();

    for (bool metric : {true, false}) {
        SCOPED_TRACE(metric ? "metric" : "imperial");
        VQXHECRASDataSet data;
        data.UnitSystem = metric ? 1 : 0;
        data.DistanceFactor = metric ? 1000 : 5280;
        data.InitialDepth = 2;
        data.InitialDischarge = 80;
        ASSERT_TRUE(Parse(data, text).Ok());
        ASSERT_TRUE(data.PrepareNodes().Ok());
        const double factor = data.DistanceFactor;
        const double stations[] = {0, 500 / factor, 500 / factor + 700 / factor};
        for (std::size_t i = 0; i < 3; ++i) {
            const VQXHECRASNode& n = data.Node(i);
            EXPECT_DOUBLE_EQ(n.Station, stations[i]) << i;
            EXPECT_EQ(n.Invert, 100.5);
            EXPECT_EQ(n.InitialStage, 102.5);
            EXPECT_EQ(n.InitialDischarge, 80);
            EXPECT_EQ(n.HydroCode, i == 0 ? 0 : 1);
            EXPECT_EQ(n.SectionCode, -100);
            // No cut lines: a straight line along the stations.
            EXPECT_DOUBLE_EQ(n.Easting, stations[i] * factor);
            EXPECT_EQ(n.Northing, 0);
            // A table of 100 levels with the node's own n and sinuosity 1 at every level.
            const auto& rows = n.CrossSection->PropertyRows;
            ASSERT_EQ(rows.size(), 100u);
            EXPECT_EQ(rows.front()[VQXGeometryDataLib::PropertyLevel], 100.5);
            for (const auto& row : {rows.front(), rows[50], rows.back()}) {
                EXPECT_EQ(row[VQXGeometryDataLib::PropertyChannelN], 0.04);
                EXPECT_EQ(row[VQXGeometryDataLib::PropertyLeftN], 0.06);
                EXPECT_EQ(row[VQXGeometryDataLib::PropertySinuosity], 1);
            }
        }
        EXPECT_TRUE(data.StraightLine);
        // Two elements, 1-2 and 2-3, between the three nodes.
        Folder folder;
        ASSERT_TRUE(data.WriteConvertedModel(folder / "three.vqx", FixtureDate).Ok());
        const std::string model = ReadBytes(folder / "three.vqx");
        EXPECT_NE(model.find("Element Codes\n\n\t1\t1\t2\t0\t0\t0\t0\t0\n\t2\t2\t3\t0\t0\t0\t0\t0\n\n"),
                  std::string::npos);
        EXPECT_NE(model.find(metric ? "\t0.500000\t100.500000" : "\t0.094697\t100.500000"), std::string::npos);
    }

    // With a cut line at every section the nodes stand at their first points; one missing
    // puts all of them on the straight line.
    Section c1 = s1, c2 = s2, c3 = s3;
    c1.cut = {"5000", "4900", "5000", "5100"};
    c2.cut = {"5400", "4950", "5400", "5050"};
    c3.cut = {"6100", "4990", "6100", "5010"};
    VQXHECRASDataSet all;
    all.InitialDepth = 1;
    ASSERT_TRUE(Parse(all, Header() + c1.Text() + c2.Text() + c3.Text()).Ok());
    ASSERT_TRUE(all.PrepareNodes().Ok());
    EXPECT_FALSE(all.StraightLine);
    EXPECT_EQ(all.Node(1).Easting, 5400);
    EXPECT_EQ(all.Node(1).Northing, 4950);
    VQXHECRASDataSet some;
    some.InitialDepth = 1;
    ASSERT_TRUE(Parse(some, Header() + c1.Text() + s2.Text() + c3.Text()).Ok());
    ASSERT_TRUE(some.PrepareNodes().Ok());
    EXPECT_TRUE(some.StraightLine);
    EXPECT_EQ(some.Node(2).Easting, 1200);
    EXPECT_EQ(some.Node(0).Northing, 0);
    const std::vector<std::string> notes = some.ConversionNotes();
    EXPECT_EQ(notes.back(),
              "1 cross section has no cut line: the nodes lie on a straight line (easting = station x 1000, northing 0).");
}

// Settings that make no model, and two nodes on one station, are refused before anything is
// written.
TEST(HECRASPrepare, RefusesWhatMakesNoModel)
{
    Section s1;
    Section s2;
    s2.rs = "5.1";
    struct Case {
        const char* name;
        double depth;
        double discharge;
        std::string lengths;
        int code;
        const char* reason;
    };
    const Case cases[] = {
        {"a depth of 0", 0, 10, "200,210,220", ConversionDepthNotPositive, "the initial depth must be greater than 0"},
        {"a negative depth", -1, 10, "200,210,220", ConversionDepthNotPositive, "greater than 0"},
        {"no number for a discharge", 1, std::nan(""), "200,210,220", ConversionDischargeNotFinite,
         "the initial discharge must be a finite number"},
        {"no channel length", 1, 10, "200,0,220", ConversionReachLengthNotPositive,
         "river station 5.3 (line 4) has a channel reach length of 0 to the next one downstream"},
        {"a channel length below the stations' precision", 1, 10, "200,0.0001,220", ConversionReachLengthNotPositive,
         "a millionth of a kilometre"},
        {"a negative channel length", 1, 10, "200,-5,220", ConversionReachLengthNotPositive, "length of -5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s1.lengths = c.lengths;
        VQXHECRASDataSet data;
        data.InitialDepth = c.depth;
        data.InitialDischarge = c.discharge;
        ASSERT_TRUE(Parse(data, Header() + s1.Text() + s2.Text()).Ok());
        const VQXConversionResult result = data.PrepareNodes();
        EXPECT_EQ(result.Code, c.code);
        EXPECT_NE(result.Reason.find(c.reason), std::string::npos) << result.Reason;
    }
}

// The sample geometry: its first reach converts with the notes of what was left out, the model
// file reads back, and a failure leaves an existing model file as it was.
TEST(HECRASConversion, TheSampleGeometryConvertsItsFirstReachAndSaysWhatItLeftOut)
{
    Folder folder;
    VQXConversionRequest request;
    request.GeometryPath = Example("sample-geometry.g01");
    request.ModelPath = folder / "bow.vqx";
    request.InitialDepth = 2;
    request.InitialDischarge = 50;
    request.StartDate = FixtureDate;
    int asked = 0;
    const VQXConversionResult result = ConvertHECRASGeometry(request, [&](const VQXHECRASDataSet& data) {
        ++asked;
        EXPECT_EQ(data.Reaches.size(), 2u);
        EXPECT_EQ(data.ConvertedReach, 0);
        return true;
    });
    ASSERT_TRUE(result.Ok()) << result.Reason;
    EXPECT_EQ(asked, 1);
    const std::vector<std::string> expected = {
        "Reach \"Bow River,Upper\": 6 cross sections converted into nodes 1 to 6.",
        "Left out: reach \"Bow River,Lower\" with 3 cross sections.",
        "Left out: junction \"Bow Forks\" (line 160).",
        "Left out: structure of type 3 at river station 1.3 (line 76).",
        "The nodes lie at the first points of the cross sections' cut lines.",
    };
    EXPECT_EQ(result.Notes, expected);
    const std::string model = ReadBytes(request.ModelPath);
    EXPECT_NE(model.find(" Number of Nodes = 6\n"), std::string::npos);
    // The section with varied n: the overbanks take the length-weighted mean.
    EXPECT_NE(model.find("\t1\t99.6\t0.035\t0.054\t0.054\n"), std::string::npos);

    // No to the question: nothing written.
    request.ModelPath = folder / "no.vqx";
    const VQXConversionResult cancelled = ConvertHECRASGeometry(request, [](const VQXHECRASDataSet&) { return false; });
    EXPECT_EQ(cancelled.Code, ConversionCancelled);
    EXPECT_FALSE(std::filesystem::exists(folder / "no.vqx"));

    // The other reach, whose sections have no cut lines.
    request.ModelPath = folder / "lower.vqx";
    request.Reach = "Bow River,Lower";
    const VQXConversionResult lower = ConvertHECRASGeometry(request);
    ASSERT_TRUE(lower.Ok()) << lower.Reason;
    EXPECT_EQ(lower.Notes.front(), "Reach \"Bow River,Lower\": 3 cross sections converted into nodes 1 to 3.");
    EXPECT_EQ(lower.Notes.back(), "3 cross sections have no cut line: the nodes lie on a straight line (easting = "
                                  "station x 1000, northing 0).");
    EXPECT_EQ(folder.Names().size(), 2u);  // bow.vqx and lower.vqx, no temporary file
}

TEST(HECRASConversion, AFailureLeavesWhatStoodAtTheModelPath)
{
    Folder folder;
    const std::string before = "a model that must stay\n";
    VQXConversionRequest request;
    request.ModelPath = folder.Write("model.vqx", before);
    request.InitialDepth = 2;
    request.InitialDischarge = 50;
    struct Case {
        const char* name;
        std::filesystem::path geometry;
        double depth;
        int code;
        const char* reason;
    };
    Section one;
    std::filesystem::create_directory(folder / "folder.g01");
    const Case cases[] = {
        {"a faulty file", folder.Write("one.g01", Header() + one.Text()), 2, ConversionTooFewSections, "holds 1"},
        {"a missing file", folder / "missing.g01", 2, ConversionCannotOpen, "missing.g01' cannot be opened: there is no such file"},
        {"a folder", folder / "folder.g01", 2, ConversionCannotOpen, "cannot be opened: it is a directory"},
        {"the model itself", request.ModelPath, 2, ConversionNoSections, "holds no cross section"},
        {"a depth of 0", Example("sample-geometry.g01"), 0, ConversionDepthNotPositive, "greater than 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        request.GeometryPath = c.geometry;
        request.InitialDepth = c.depth;
        const VQXConversionResult result = ConvertHECRASGeometry(request);
        EXPECT_EQ(result.Code, c.code);
        EXPECT_NE(result.Reason.find(c.reason), std::string::npos) << result.Reason;
        EXPECT_EQ(ReadBytes(request.ModelPath), before);
    }

    // A model path that is the geometry file, or a folder, is refused.
    const std::filesystem::path geometry = folder.Write("copy.g01", ReadBytes(Example("sample-geometry.g01")));
    request.GeometryPath = geometry;
    request.InitialDepth = 2;
    request.ModelPath = geometry;
    EXPECT_EQ(ConvertHECRASGeometry(request).Code, ConversionTargetRefused);
    EXPECT_EQ(ReadBytes(geometry), ReadBytes(Example("sample-geometry.g01")));
    request.ModelPath = folder / "folder.g01";
    const VQXConversionResult onFolder = ConvertHECRASGeometry(request);
    EXPECT_EQ(onFolder.Code, ConversionTargetRefused);
    EXPECT_NE(onFolder.Reason.find("is a directory"), std::string::npos) << onFolder.Reason;
    EXPECT_EQ(folder.Names().size(), 4u);  // model.vqx, one.g01, folder.g01, copy.g01
}
