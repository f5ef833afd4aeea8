// Printing a grid: pages down and across, what each page holds, header and footer, colours.
#include "GridTestSupport.h"

#include "platform/Printing.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QImage>
#include <QPaintEngine>
#include <QTextItem>

#include <map>
#include <memory>

namespace {

using gridtest::GridFixture;

// A printer-sized paint device that records the texts drawn on it: 8 x 11 inches at 600 dots
// per inch.
class RecordingDevice : public QPaintDevice
{
public:
    struct Text
    {
        int page;
        std::string text;
        QPointF at;  // device pixels, on the baseline
    };

    RecordingDevice() : engine_(this) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<Text> texts;
    int page = 1;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return Width;
        case PdmHeight: return Height;
        case PdmWidthMM: return Width * 254 / (Dpi * 10);
        case PdmHeightMM: return Height * 254 / (Dpi * 10);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return Dpi;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    static constexpr int Dpi = 600;
    static constexpr int Width = 8 * Dpi;
    static constexpr int Height = 11 * Dpi;

    class Engine : public QPaintEngine
    {
    public:
        explicit Engine(RecordingDevice* device) : QPaintEngine(AllFeatures), device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        // Lines arrive here (the engine's own fallbacks for polygons call each other).
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            device_->texts.push_back({device_->page, item.text().toStdString(), p});
        }
        Type type() const override { return User; }

    private:
        RecordingDevice* device_;
    };
    mutable Engine engine_;
};

class GridPrintTest : public GridFixture
{
protected:
    // rows x cols, the texts "r<row>c<col>", fixed rows' texts "H<col>", fixed columns' "R<row>".
    void Fill(int rows, int cols, int fixedRows, int fixedCols)
    {
        ASSERT_TRUE(grid.SetNumRows(rows));
        ASSERT_TRUE(grid.SetNumColumns(cols));
        ASSERT_TRUE(grid.SetNumFixedRows(fixedRows));
        ASSERT_TRUE(grid.SetNumFixedColumns(fixedCols));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                std::string text = "r" + std::to_string(r) + "c" + std::to_string(c);
                if (r < fixedRows) text = "H" + std::to_string(c);
                else if (c < fixedCols) text = "R" + std::to_string(r);
                grid.SetCellText(r, c, text);
            }
        }
    }
    // Runs the whole job into the recording device; the page count.
    int PrintAll()
    {
        CDC dc(&device, CDC::AsPrinter{});
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        const int pages = int(info.GetMaxPage());
        for (int page = 1; page <= pages; ++page) {
            device.page = page;
            info.m_nCurPage = UINT(page);
            grid.PrintPage(&dc, &info);
        }
        grid.EndPrint(&dc, &info);
        return pages;
    }
    // The pages on which text was printed, in print order.
    std::vector<int> PagesOf(const std::string& text) const
    {
        std::vector<int> pages;
        for (const auto& t : device.texts) {
            if (t.text == text) pages.push_back(t.page);
        }
        return pages;
    }
    RecordingDevice device;
};

struct PageCase
{
    const char* name;
    int rows, cols, fixedRows, fixedCols;
    int rowHeight, colWidth;
    BOOL screenScale;
    int pagesDown, pagesAcross;  // 0: more than one, counted by the test
};

TEST_F(GridPrintTest, PagesDownAndAcrossAndEveryCellOnExactlyOnePage)
{
    const PageCase cases[] = {
        {"all fit", 6, 4, 1, 1, 20, 60, FALSE, 1, 1},
        {"wide grid scaled into one column page", 6, 60, 1, 1, 20, 120, FALSE, 1, 1},
        {"long grid", 400, 3, 1, 1, 20, 60, FALSE, 0, 1},
        {"at screen scale, down and across", 120, 30, 1, 1, 20, 90, TRUE, 0, 0},
        {"no fixed rows or columns", 300, 3, 0, 0, 20, 60, TRUE, 0, 1},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        device.texts.clear();
        Fill(c.rows, c.cols, c.fixedRows, c.fixedCols);
        Sizes(c.rowHeight, c.colWidth);
        grid.PrintAtScreenScale = c.screenScale;
        const int pages = PrintAll();
        const GridPrintLayout& layout = grid.PrintLayout();
        EXPECT_EQ(layout.font, nullptr) << "EndPrint deletes the printer font";
        (void)layout;
        CDC dc(&device, CDC::AsPrinter{});
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        const int down = grid.PrintLayout().pagesDown;
        const int across = grid.PrintLayout().pagesAcross;
        grid.EndPrint(&dc, &info);
        EXPECT_EQ(pages, down * across);
        if (c.pagesDown) EXPECT_EQ(down, c.pagesDown);
        else EXPECT_GT(down, 1);
        if (c.pagesAcross) EXPECT_EQ(across, c.pagesAcross);
        else EXPECT_GT(across, 1);

        // Every body cell on exactly one page; rows in order down the pages of a column page.
        int lastPageOfColumn1 = 0;
        for (int r = c.fixedRows; r < c.rows; ++r) {
            for (int col = c.fixedCols; col < c.cols; ++col) {
                const auto on = PagesOf("r" + std::to_string(r) + "c" + std::to_string(col));
                ASSERT_EQ(on.size(), 1u) << "row " << r << " col " << col;
                if (col == c.fixedCols) {
                    EXPECT_GE(on[0], lastPageOfColumn1) << "row " << r;
                    lastPageOfColumn1 = on[0];
                }
            }
        }
        // Fixed rows and columns repeat on every page; without them no headings print.
        for (int page = 1; page <= pages; ++page) {
            bool heading = false;
            bool rowHeading = false;
            bool footer = false;
            for (const auto& t : device.texts) {
                if (t.page != page) continue;
                heading |= t.text == "H0";
                rowHeading |= t.text.rfind('R', 0) == 0;
                footer |= t.text == "Page " + std::to_string(page) + " of " + std::to_string(pages);
            }
            EXPECT_EQ(heading, c.fixedRows > 0 && c.fixedCols > 0) << "page " << page;
            EXPECT_EQ(rowHeading, c.fixedCols > 0 && c.rows > c.fixedRows) << "page " << page;
            EXPECT_TRUE(footer) << "page " << page;
        }
    }
}

TEST_F(GridPrintTest, ARowTallerThanThePageGetsAPageOfItsOwnAndPrints)
{
    for (int tall : {1, 4}) {
        SCOPED_TRACE(tall);
        device.texts.clear();
        Fill(8, 3, 1, 1);
        Sizes(20, 60);
        grid.SetRowHeight(tall, 5000);
        const int pages = PrintAll();
        ASSERT_EQ(pages, tall == 1 ? 2 : 3);
        const auto on = PagesOf("r" + std::to_string(tall) + "c1");
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0], tall == 1 ? 1 : 2);
        // The rows after it go on the next page.
        EXPECT_EQ(PagesOf("r" + std::to_string(tall + 1) + "c1"), std::vector<int>{on[0] + 1});
        for (int page = 1; page <= pages; ++page) {
            int cells = 0;
            for (const auto& t : device.texts) cells += t.page == page && t.text.rfind('r', 0) == 0;
            EXPECT_GT(cells, 0) << "page " << page << " is blank";
        }
    }
}

TEST_F(GridPrintTest, AColumnWiderThanThePageAtScreenScaleGetsAPageOfItsOwnAndPrints)
{
    // At screen scale the column pages: [1], [2] (far wider than a page), [3, 4].
    Fill(4, 5, 1, 1);
    Sizes(20, 60);
    grid.PrintAtScreenScale = TRUE;
    grid.SetColumnWidth(2, 5000);
    const int pages = PrintAll();
    ASSERT_EQ(pages, 3);
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(PagesOf("r" + std::to_string(r) + "c1"), std::vector<int>{1}) << r;
        EXPECT_EQ(PagesOf("r" + std::to_string(r) + "c2"), std::vector<int>{2}) << r;
        EXPECT_EQ(PagesOf("r" + std::to_string(r) + "c3"), std::vector<int>{3}) << r;
        EXPECT_EQ(PagesOf("r" + std::to_string(r) + "c4"), std::vector<int>{3}) << r;
    }
    EXPECT_EQ(PagesOf("H2"), std::vector<int>{2}) << "its heading over it";
}

// Columns fitted to their texts on the screen print those texts whole, although the printer's
// glyphs come out a little wider; a text the screen cuts prints cut.
TEST_F(GridPrintTest, ATextTheScreenShowsWholePrintsWhole)
{
    Fill(3, 3, 1, 0);
    const char* titles[] = {"Node #", "HEC-RAS RS", "Section Code"};
    for (int c = 0; c < 3; ++c) {
        grid.SetCellText(0, c, titles[c]);
        grid.SetCellText(1, c, "480000.000");
        grid.SetCellText(2, c, "1");
        for (int r = 0; r < 3; ++r)
            grid.CellAt(r, c)->SetFormat(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    grid.FitAllToText();
    ASSERT_EQ(PrintAll(), 1);
    for (const char* title : titles) EXPECT_EQ(PagesOf(title), std::vector<int>{1}) << title;
    EXPECT_EQ(PagesOf("480000.000").size(), 3u);

    grid.SetColumnWidth(2, grid.ColumnWidth(2) / 2);
    device.texts.clear();
    PrintAll();
    EXPECT_TRUE(PagesOf("Section Code").empty());
    bool cut = false;
    for (const auto& t : device.texts) cut |= t.text.rfind("Se", 0) == 0 && t.text.size() > 3 && t.text.substr(t.text.size() - 3) == "...";
    EXPECT_TRUE(cut) << "the half-wide column cuts its title";
}

TEST_F(GridPrintTest, HeaderAndFooterFrameEveryPage)
{
    // Rows for exactly five pages: four full ones and one row more.
    Fill(400, 3, 1, 1);
    Sizes(20, 60);
    {
        CDC dc(&device, CDC::AsPrinter{});
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        const int perPage = grid.PrintLayout().rowAreaHeight / 20;
        grid.EndPrint(&dc, &info);
        ASSERT_GT(perPage, 2);
        Fill(1 + 4 * perPage + 1, 3, 1, 1);
        Sizes(20, 60);
    }
    owner.SetWindowText("River nodes");
    const int pages = PrintAll();
    ASSERT_EQ(pages, 5);
    const std::string third = "Page 3 of 5";
    double headerY = -1;
    double footerY = -1;
    double footerX = -1;
    double dateX = -1;
    for (const auto& t : device.texts) {
        if (t.page == 3 && t.text == "River nodes") headerY = t.at.y();
        if (t.page == 3 && t.text == third) {
            footerY = t.at.y();
            footerX = t.at.x();
        }
    }
    for (const auto& t : device.texts) {
        if (t.page == 3 && t.text != third && t.at.y() == footerY) dateX = t.at.x();  // the date and time
    }
    ASSERT_GE(headerY, 0) << "the owner's caption heads the page";
    ASSERT_GE(footerY, 0);
    EXPECT_LT(footerX, 4800 / 10) << "the page number on the left";
    EXPECT_GT(dateX, footerX + 1000) << "the date and time on the right";
    // The header lies above every cell of the page, the footer below.
    for (const auto& t : device.texts) {
        if (t.page != 3 || t.text == "River nodes" || t.text == third) continue;
        if (t.text.rfind('r', 0) == 0 || t.text.rfind('H', 0) == 0) {
            EXPECT_LT(headerY, t.at.y()) << t.text;
            EXPECT_GT(footerY, t.at.y()) << t.text;
        }
    }
    EXPECT_GT(footerY, 6600 * 0.9) << "the footer sits at the bottom of the paper";
}

TEST_F(GridPrintTest, PrintColorsDecideFillAndTextColour)
{
    Fill(4, 3, 1, 1);
    Sizes(20, 60);
    grid.CellAt(2, 1)->SetBackColor(RGB(255, 0, 0));
    grid.CellAt(2, 2)->SetBackColor(grid.GetDefaultCell(FALSE, FALSE)->GetBackColor());
    const auto countRed = [&](BOOL colours) {
        grid.PrintColors = colours;
        QImage page(1700, 2200, QImage::Format_RGB32);
        page.setDotsPerMeterX(200 * 10000 / 254);
        page.setDotsPerMeterY(200 * 10000 / 254);
        page.fill(Qt::white);
        {
            CDC dc(&page, CDC::AsPrinter{});
            CPrintInfo info;
            grid.BeginPrint(&dc, &info);
            grid.PrintPage(&dc, &info);
            grid.EndPrint(&dc, &info);
        }
        int red = 0;
        int grey = 0;
        const COLORREF fixed = grid.GetDefaultCell(TRUE, FALSE)->GetBackColor();
        const QRgb fixedBack = qRgb(GetRValue(fixed), GetGValue(fixed), GetBValue(fixed));
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y);
                red += p == qRgb(255, 0, 0);
                grey += p == fixedBack;
            }
        }
        return std::pair{red, grey};
    };
    const auto [redOn, fixedOn] = countRed(TRUE);
    const auto [redOff, fixedOff] = countRed(FALSE);
    EXPECT_GT(redOn, 1000) << "a cell's own back colour fills it";
    EXPECT_GT(fixedOn, 1000) << "fixed cells print in their colour";
    EXPECT_EQ(redOff, 0);
    EXPECT_LT(fixedOff, fixedOn / 20) << "only stray pixels of text edges, no fill";
}

// The second page of a long grid drawn on a letter-sized picture at 100 dots per inch: the rule
// under the header, the grid lines and the rule over the footer print in black. With
// VASQUIL_PRINT_PNG_DIR set the picture is saved there for a look.
TEST_F(GridPrintTest, APrintedPageHasItsRulesAndGridLines)
{
    Fill(120, 5, 1, 1);
    Sizes(20, 70);
    owner.SetWindowText("River nodes");
    QImage page(850, 1100, QImage::Format_RGB32);
    page.setDotsPerMeterX(100 * 10000 / 254);
    page.setDotsPerMeterY(100 * 10000 / 254);
    page.fill(Qt::white);
    {
        CDC dc(&page, CDC::AsPrinter{});
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        ASSERT_GE(info.GetMaxPage(), 2u);
        info.m_nCurPage = 2;
        grid.PrintPage(&dc, &info);
        grid.EndPrint(&dc, &info);
    }
    if (const char* dir = std::getenv("VASQUIL_PRINT_PNG_DIR"); dir && *dir) {
        QDir().mkpath(QString::fromLocal8Bit(dir));
        page.save(QDir(QString::fromLocal8Bit(dir)).filePath("grid-page-2.png"));
    }
    // Rows of the picture that are black across most of the printed width: the two rules and
    // the horizontal grid lines.
    int blackRows = 0;
    for (int y = 0; y < page.height(); ++y) {
        int black = 0;
        for (int x = 0; x < page.width(); ++x) black += qGray(page.pixel(x, y)) < 64;
        blackRows += black > page.width() / 2;
    }
    EXPECT_GT(blackRows, 20);
}

// The job on a real printer writing a PDF file: one PDF page for each page the grid counts.
TEST_F(GridPrintTest, APdfFileGetsThePagesTheGridCounts)
{
    Fill(150, 4, 1, 1);
    Sizes(20, 70);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("grid.pdf");
    int pages = 0;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        CDC dc(&printer);
        ASSERT_TRUE(dc.IsPrinting());
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        pages = int(info.GetMaxPage());
        for (int page = 1; page <= pages; ++page) {
            if (page > 1) printer.newPage();
            info.m_nCurPage = UINT(page);
            grid.PrintPage(&dc, &info);
        }
        grid.EndPrint(&dc, &info);
    }
    ASSERT_GT(pages, 2);
    if (const char* keep = std::getenv("VASQUIL_PRINT_PNG_DIR"); keep && *keep) {
        QDir().mkpath(QString::fromLocal8Bit(keep));
        QFile::remove(QDir(QString::fromLocal8Bit(keep)).filePath("grid.pdf"));
        QFile::copy(path, QDir(QString::fromLocal8Bit(keep)).filePath("grid.pdf"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), pages);
}

TEST_F(GridPrintTest, NothingWithoutAContextOrBeforeBeginPrint)
{
    Fill(4, 3, 1, 1);
    CPrintInfo info;
    grid.BeginPrint(nullptr, &info);
    EXPECT_EQ(info.GetMaxPage(), 0xFFFFu);
    CDC dc(&device, CDC::AsPrinter{});
    grid.PrintPage(&dc, &info);
    EXPECT_TRUE(device.texts.empty());
    grid.BeginPrint(&dc, &info);
    info.m_nCurPage = info.GetMaxPage() + 1;
    grid.PrintPage(&dc, &info);
    EXPECT_TRUE(device.texts.empty());
}

}  // namespace
