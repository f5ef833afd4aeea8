#include "platform/DeviceContext.h"

#include "platform/Image.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "platform/Window.h"
#include "platform/WindowSurface.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <compare>
#include <cstring>
#include <map>

namespace {

constexpr int ScreenDpi = 96;
constexpr int PointsPerInch = 72;
constexpr COLORREF InvalidColor = 0xFFFFFFFF;
constexpr const char* Ellipsis = "...";

// Face names of the program's fonts and the families that stand for them here.
struct FaceSubstitute
{
    const char* face;
    const char* family;
};
constexpr FaceSubstitute FaceTable[] = {
    {"MS Shell Dlg", "Liberation Sans"},
    {"MS Shell Dlg 2", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
};

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF FromQRgb(QRgb c)
{
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

LOGFONT GuiFont()
{
    return DefaultGuiLogFont();
}

CPen g_blackPen(PS_SOLID, 0, RGB(0, 0, 0));
CPen g_whitePen(PS_SOLID, 0, RGB(255, 255, 255));
CPen g_nullPen(PS_NULL, 0, RGB(0, 0, 0));
CBrush g_whiteBrush(RGB(255, 255, 255));
CBrush g_blackBrush(RGB(0, 0, 0));
CBrush g_nullBrush = [] {
    CBrush b;
    b.m_null = true;
    return b;
}();
CFont g_guiFont = [] {
    CFont f;
    const LOGFONT lf = GuiFont();
    f.CreateFontIndirect(&lf);
    return f;
}();

// Small ellipses are stamped from pictures kept by their size, pen and brush (device pixels);
// the store is emptied when it holds too many.
constexpr int LargestStampedEllipse = 96;
constexpr std::size_t LargestStampCount = 64;
struct EllipseStampKey
{
    int width, height, penStyle, penPixels;
    COLORREF penColour;
    bool brushNull;
    COLORREF brushColour;
    auto operator<=>(const EllipseStampKey&) const = default;
};
using EllipseStamps = std::map<EllipseStampKey, QImage>;
EllipseStamps& Stamps()
{
    static EllipseStamps stamps;  // user-interface thread only
    return stamps;
}

// Text as a line of DrawText: the shown characters and the one a '&' prefix underlines.
struct PrefixedText
{
    QString text;
    qsizetype underline = -1;
};

PrefixedText ApplyPrefixes(const QString& text, bool prefixes)
{
    if (!prefixes) return {text, -1};
    PrefixedText out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 >= text.size()) break;
            ++i;
            if (text[i] != u'&') out.underline = out.text.size();
        }
        out.text.append(text[i]);
    }
    return out;
}

// The longest start of text that fits width with "..." after it, followed by "...".
// The advance of what it returns goes to *advance (pixels): measuring a text shapes it, and a
// table's paint draws many cells whose text fits.
QString Elide(const QString& text, int width, const QFontMetrics& fm, int* advance)
{
    *advance = fm.horizontalAdvance(text);
    if (*advance <= width) return text;
    const QString dots = QString::fromLatin1(Ellipsis);
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid) + dots) <= width) low = mid;
        else high = mid - 1;
    }
    const QString elided = text.left(low) + dots;
    *advance = fm.horizontalAdvance(elided);
    return elided;
}

// Breaks a paragraph between words so that each line fits width where it can; a word wider
// than width stands on a line of its own. The underlined letter stays with its line.
void BreakWords(const PrefixedText& paragraph, int width, const QFontMetrics& fm, std::vector<PrefixedText>* lines)
{
    const QString& text = paragraph.text;
    qsizetype lineStart = -1;  // the first word of the line being filled
    qsizetype lineEnd = -1;    // the end of its last word
    const auto finishLine = [&] {
        const qsizetype u = paragraph.underline;
        lines->push_back({text.mid(lineStart, lineEnd - lineStart), u >= lineStart && u < lineEnd ? u - lineStart : -1});
    };
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == u' ') ++i;
        if (i >= text.size()) break;
        qsizetype end = i;
        while (end < text.size() && text[end] != u' ') ++end;
        if (lineStart < 0) {
            lineStart = i;
        } else if (fm.horizontalAdvance(text.mid(lineStart, end - lineStart)) > width) {
            finishLine();
            lineStart = i;
        }
        lineEnd = end;
        i = end;
    }
    if (lineStart < 0) lines->push_back({QString(), -1});
    else finishLine();
}

}  // namespace

const LOGFONT& DefaultGuiLogFont()
{
    static const LOGFONT font = [] {
        LOGFONT lf;
        lf.lfHeight = -((8 * ScreenDpi + PointsPerInch / 2) / PointsPerInch);
        std::strcpy(lf.lfFaceName, "MS Shell Dlg");
        return lf;
    }();
    return font;
}

QString ResolveFontFamily(const QString& face)
{
    for (const FaceSubstitute& s : FaceTable) {
        if (face.compare(QLatin1String(s.face), Qt::CaseInsensitive) == 0) return QString::fromLatin1(s.family);
    }
    return face;
}

QFont ScreenFont(const QString& face, int points)
{
    QFont font(ResolveFontFamily(face));
    font.setPixelSize(std::max(1, (points * ScreenDpi + PointsPerInch / 2) / PointsPerInch));
    return font;
}

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    m_style = style;
    m_width = width;
    m_color = color;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_null = false;
    m_color = color;
    return TRUE;
}

CFont& CFont::operator=(const CFont& other)
{
    m_logFont = other.m_logFont;
    return *this;
}

CFont::~CFont() = default;

BOOL CFont::CreateFontIndirect(const LOGFONT* lf)
{
    if (!lf) return FALSE;
    m_logFont = *lf;
    m_logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    return TRUE;
}

namespace {

bool SameLogFont(const LOGFONT& a, const LOGFONT& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// The Qt font of a LOGFONT: lfHeight < 0 the character height, > 0 the cell height, in device
// pixels given by pixels().
template <class Pixels>
QFont MakeQFont(const LOGFONT& lf, Pixels pixels)
{
    QFont font(ResolveFontFamily(QString::fromLatin1(lf.lfFaceName)));
    const int height = lf.lfHeight == 0 ? DefaultGuiLogFont().lfHeight : lf.lfHeight;
    const int size = std::max(1, pixels(std::abs(height)));
    font.setPixelSize(size);
    if (height > 0) {
        // A cell height: the character height that gives a line of that height.
        const int cell = QFontMetrics(font).height();
        if (cell > 0) font.setPixelSize(std::max(1, int(std::lround(double(size) * size / cell))));
    }
    font.setWeight(QFont::Weight(std::clamp(lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

}  // namespace

const CFont::Resolved& CFont::Resolve(int dpiY, int mapMode, double scale) const
{
    if (resolved_ && resolved_->dpiY == dpiY && resolved_->mapMode == mapMode && resolved_->scale == scale &&
        SameLogFont(resolved_->logFont, m_logFont))
        return *resolved_;
    const QFont font = MakeQFont(m_logFont, [&](int length) {
        double device = length;
        if (mapMode == MM_TWIPS) device = device * dpiY / TwipsPerInch;
        return int(std::lround(device * scale));
    });
    resolved_ = std::make_unique<Resolved>(Resolved{m_logFont, dpiY, mapMode, scale, font, QFontMetrics(font), AsciiTextWidths(font)});
    return *resolved_;
}

BOOL CFont::CreatePointFont(int pointSize, const char* faceName, CDC* dc)
{
    LOGFONT lf;
    const int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : ScreenDpi;
    lf.lfHeight = -int(std::lround(pointSize / 10.0 * dpi / PointsPerInch));
    if (dc && dc->GetMapMode() == MM_TWIPS) lf.lfHeight = -pointSize * TwipsPerInch / (10 * PointsPerInch);
    std::strncpy(lf.lfFaceName, faceName ? faceName : "", LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* lf) const
{
    if (lf) *lf = m_logFont;
    return int(sizeof(LOGFONT));
}

struct CDC::State
{
    int mapMode;
    CPoint windowOrg;
    CPoint viewportOrg;
    CSize windowExt;
    CSize viewportExt;
    CPoint current;
    CPen* pen;
    CBrush* brush;
    CFont* font;
    COLORREF textColor;
    COLORREF bkColor;
    int bkMode;
    int rop2;
    int stretchMode;
    COLORREF dcPenColor;
    COLORREF dcBrushColor;
    bool hasClip;
    QRegion clip;
};

CDC::CDC(QPaintDevice* device)
    : device_(device), pen_(&g_blackPen), brush_(&g_whiteBrush), font_(&g_guiFont)
{
    if (device_) {
        dpiX_ = device_->logicalDpiX();
        dpiY_ = device_->logicalDpiY();
        printing_ = device_->devType() == QInternal::Printer;
        ownPainter_ = std::make_unique<QPainter>(device_);
    }
}

CDC::CDC(QPaintDevice* device, AsPrinter) : CDC(device)
{
    printing_ = true;
}

CDC::CDC(CDC& target, SameTarget)
    : device_(target.device_), surface_(target.surface_), dpiX_(target.dpiX_), dpiY_(target.dpiY_),
      pen_(&g_blackPen), brush_(&g_whiteBrush), font_(&g_guiFont), hasClip_(target.hasClip_), clip_(target.clip_)
{
    printing_ = target.printing_;
    if (surface_) ++surface_->painterUsers;
    else painterOwner_ = target.painterOwner_ ? target.painterOwner_ : &target;
}

CDC::CDC(WindowSurface* surface, const QRegion* clip)
    : surface_(surface), pen_(&g_blackPen), brush_(&g_whiteBrush), font_(&g_guiFont)
{
    if (surface_) {
        device_ = &surface_->image;
        ++surface_->painterUsers;
    }
    if (clip) {
        hasClip_ = true;
        clip_ = *clip;
    }
}

BOOL CDC::CanDraw() const
{
    return !ownPainter_ || ownPainter_->isActive() ? TRUE : FALSE;
}

CDC::~CDC()
{
    if (surface_ && --surface_->painterUsers <= 0) {
        surface_->painterUsers = 0;
        surface_->painter.reset();
        surface_->painterStateOwner = nullptr;
    }
}

QPoint CDC::ToDevice(int x, int y) const
{
    double dx = x - windowOrg_.x;
    double dy = y - windowOrg_.y;
    if (mapMode_ == MM_TWIPS) {
        dx = dx * dpiX_ / TwipsPerInch;
        dy = -dy * dpiY_ / TwipsPerInch;
    } else if (mapMode_ == MM_ANISOTROPIC) {
        dx = dx * viewportExt_.cx / windowExt_.cx;
        dy = dy * viewportExt_.cy / windowExt_.cy;
    }
    return QPoint(viewportOrg_.x + int(std::lround(dx)), viewportOrg_.y + int(std::lround(dy)));
}

QRect CDC::ToDeviceRect(const CRect& r) const
{
    const QPoint a = ToDevice(r.left, r.top);
    const QPoint b = ToDevice(r.right, r.bottom);
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

int CDC::ToDeviceLength(int length, bool vertical) const
{
    if (mapMode_ == MM_ANISOTROPIC)
        return int(std::lround(vertical ? double(length) * viewportExt_.cy / windowExt_.cy
                                        : double(length) * viewportExt_.cx / windowExt_.cx));
    if (mapMode_ != MM_TWIPS) return length;
    return int(std::lround(double(length) * (vertical ? dpiY_ : dpiX_) / TwipsPerInch));
}

int CDC::ToLogicalLength(int length, bool vertical) const
{
    if (mapMode_ == MM_ANISOTROPIC)
        return int(std::lround(vertical ? double(length) * windowExt_.cy / viewportExt_.cy
                                        : double(length) * windowExt_.cx / viewportExt_.cx));
    if (mapMode_ != MM_TWIPS) return length;
    return int(std::lround(double(length) * TwipsPerInch / (vertical ? dpiY_ : dpiX_)));
}

int CDC::SetMapMode(int mode)
{
    const int previous = mapMode_;
    if (mode == MM_TEXT || mode == MM_TWIPS || mode == MM_ANISOTROPIC) mapMode_ = mode;
    return previous;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    if (cx == 0 || cy == 0) return CSize(0, 0);
    return std::exchange(windowExt_, CSize(cx, cy));
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    if (cx == 0 || cy == 0) return CSize(0, 0);
    return std::exchange(viewportExt_, CSize(cx, cy));
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    return std::exchange(windowOrg_, CPoint(x, y));
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    return std::exchange(viewportOrg_, CPoint(x, y));
}

void CDC::LPtoDP(CPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        const QPoint d = ToDevice(points[i].x, points[i].y);
        points[i] = CPoint(d.x(), d.y());
    }
}

void CDC::LPtoDP(CRect* rect) const
{
    CPoint corners[2] = {rect->TopLeft(), rect->BottomRight()};
    LPtoDP(corners, 2);
    *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

void CDC::DPtoLP(CPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        double lx = points[i].x - viewportOrg_.x;
        double ly = points[i].y - viewportOrg_.y;
        if (mapMode_ == MM_TWIPS) {
            lx = lx * TwipsPerInch / dpiX_;
            ly = -ly * TwipsPerInch / dpiY_;
        } else if (mapMode_ == MM_ANISOTROPIC) {
            lx = lx * windowExt_.cx / viewportExt_.cx;
            ly = ly * windowExt_.cy / viewportExt_.cy;
        }
        points[i] = CPoint(windowOrg_.x + int(std::lround(lx)), windowOrg_.y + int(std::lround(ly)));
    }
}

void CDC::DPtoLP(CRect* rect) const
{
    CPoint corners[2] = {rect->TopLeft(), rect->BottomRight()};
    DPtoLP(corners, 2);
    *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

int CDC::GetDeviceCaps(int index) const
{
    switch (index) {
    case LOGPIXELSX: return dpiX_;
    case LOGPIXELSY: return dpiY_;
    case HORZRES: return device_ ? device_->width() : 0;
    case VERTRES: return device_ ? device_->height() : 0;
    case NUMCOLORS: return device_ && device_->depth() == 1 ? 2 : -1;
    default: return 0;
    }
}

CPen* CDC::SelectObject(CPen* pen)
{
    return pen ? std::exchange(pen_, pen) : pen_;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    return brush ? std::exchange(brush_, brush) : brush_;
}

CFont* CDC::SelectObject(CFont* font)
{
    return font ? std::exchange(font_, font) : font_;
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    if (!object) return nullptr;
    switch (object->GetKind()) {
    case CGdiObject::Kind::Pen: return SelectObject(static_cast<CPen*>(object));
    case CGdiObject::Kind::Brush: return SelectObject(static_cast<CBrush*>(object));
    case CGdiObject::Kind::Font: return SelectObject(static_cast<CFont*>(object));
    }
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index)
{
    switch (index) {
    case WHITE_BRUSH: return SelectObject(&g_whiteBrush);
    case BLACK_BRUSH: return SelectObject(&g_blackBrush);
    case NULL_BRUSH: return SelectObject(&g_nullBrush);
    case WHITE_PEN: return SelectObject(&g_whitePen);
    case BLACK_PEN: return SelectObject(&g_blackPen);
    case NULL_PEN: return SelectObject(&g_nullPen);
    case DEFAULT_GUI_FONT: return SelectObject(&g_guiFont);
    case DC_BRUSH: return SelectObject(&dcBrush_);
    case DC_PEN: return SelectObject(&dcPen_);
    default: return nullptr;
    }
}

COLORREF CDC::SetDCPenColor(COLORREF color) { return std::exchange(dcPen_.m_color, color); }
COLORREF CDC::SetDCBrushColor(COLORREF color) { return std::exchange(dcBrush_.m_color, color); }
COLORREF CDC::GetDCPenColor() const { return dcPen_.m_color; }
COLORREF CDC::GetDCBrushColor() const { return dcBrush_.m_color; }
COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(textColor_, color); }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(bkColor_, color); }
int CDC::SetBkMode(int mode) { return std::exchange(bkMode_, mode); }
int CDC::SetROP2(int mode) { return std::exchange(rop2_, mode); }

int CDC::SetStretchBltMode(int mode)
{
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(stretchMode_, mode);
}

int CDC::SaveDC()
{
    saved_.push_back(std::make_unique<State>(State{mapMode_, windowOrg_, viewportOrg_, windowExt_, viewportExt_, current_, pen_, brush_, font_,
                                                   textColor_, bkColor_, bkMode_, rop2_, stretchMode_, dcPen_.m_color,
                                                   dcBrush_.m_color, hasClip_, clip_}));
    return int(saved_.size());
}

BOOL CDC::RestoreDC(int saved)
{
    const int level = saved < 0 ? int(saved_.size()) + 1 + saved : saved;
    if (level < 1 || level > int(saved_.size())) return FALSE;
    const State s = *saved_[std::size_t(level - 1)];
    saved_.resize(std::size_t(level - 1));
    // The painter keeps its clip when the clip comes back unchanged (the common case).
    const bool sameClip = s.hasClip == hasClip_ && (!hasClip_ || s.clip == clip_);
    mapMode_ = s.mapMode;
    windowOrg_ = s.windowOrg;
    viewportOrg_ = s.viewportOrg;
    windowExt_ = s.windowExt;
    viewportExt_ = s.viewportExt;
    current_ = s.current;
    pen_ = s.pen;
    brush_ = s.brush;
    font_ = s.font;
    textColor_ = s.textColor;
    bkColor_ = s.bkColor;
    bkMode_ = s.bkMode;
    rop2_ = s.rop2;
    stretchMode_ = s.stretchMode;
    dcPen_.m_color = s.dcPenColor;
    dcBrush_.m_color = s.dcBrushColor;
    hasClip_ = s.hasClip;
    clip_ = s.clip;
    if (!sameClip) ++stateSerial_;
    return TRUE;
}

int CDC::GetClipBox(CRect* rect) const
{
    if (!rect) return 0;
    QRect box;
    int kind = SIMPLEREGION;
    if (hasClip_) {
        box = clip_.boundingRect();
        kind = clip_.isEmpty() ? NULLREGION : (clip_.rectCount() > 1 ? COMPLEXREGION : SIMPLEREGION);
    } else if (device_) {
        box = QRect(0, 0, device_->width(), device_->height());
    } else {
        box = QRect(0, 0, 1, 1);
    }
    if (box.isEmpty()) {
        *rect = CRect();
        return NULLREGION;
    }
    CRect r(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
    DPtoLP(&r);
    r.NormalizeRect();
    *rect = r;
    return kind;
}

void CDC::IntersectClipRect(const CRect& rect)
{
    const QRegion area(ToDeviceRect(rect));
    clip_ = hasClip_ ? clip_.intersected(area) : area;
    hasClip_ = true;
    ++stateSerial_;
}

QPainter& CDC::Prepare(bool useRop)
{
    QPainter* painter = nullptr;
    bool restate = false;
    if (shows_ && shows_->GetWidget()) shows_->GetWidget()->update();
    if (painterOwner_) {
        // The owner's painter draws for this context now: it takes this clip, and the owner
        // takes its own back the next time it draws.
        painter = &painterOwner_->Prepare(false);
        painterOwner_->appliedSerial_ = 0;
        restate = true;
    } else if (surface_) {
        if (!surface_->painter) {
            surface_->painter = std::make_unique<QPainter>(&surface_->image);
            surface_->painterStateOwner = nullptr;
        }
        painter = surface_->painter.get();
        // The painter is shared by the contexts open on the surface: it is re-clipped when it
        // last drew for another context or this one's clip changed.
        restate = surface_->painterStateOwner != this || appliedSerial_ != stateSerial_;
        surface_->painterStateOwner = this;
    } else {
        if (!ownPainter_) {
            fallback_ = QImage(1, 1, QImage::Format_RGB32);
            device_ = &fallback_;
            ownPainter_ = std::make_unique<QPainter>(&fallback_);
        }
        painter = ownPainter_.get();
        restate = appliedSerial_ != stateSerial_;
    }
    if (restate) {
        if (hasClip_) painter->setClipRegion(clip_);
        else painter->setClipping(false);
        appliedSerial_ = stateSerial_;
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (useRop && rop2_ == R2_XORPEN) mode = QPainter::RasterOp_SourceXorDestination;
    if (useRop && rop2_ == R2_NOT) mode = QPainter::RasterOp_NotDestination;
    painter->setCompositionMode(mode);
    return *painter;
}

QPainter& CDC::QtPainter()
{
    return Prepare(false);
}

void CDC::FillDeviceRect(const QRect& r, const QColor& color, bool useRop)
{
    if (r.isEmpty()) return;
    Prepare(useRop).fillRect(r, color);
}

void CDC::ApplyPen(QPainter& painter) const
{
    if (pen_->m_style == PS_NULL) {
        painter.setPen(Qt::NoPen);
        return;
    }
    QPen pen(ToQColor(pen_->m_color));
    pen.setWidth(std::max(1, ToDeviceLength(pen_->m_width, false)));
    switch (pen_->m_style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    painter.setPen(pen);
}

void CDC::ApplyBrush(QPainter& painter) const
{
    if (brush_->m_null) painter.setBrush(Qt::NoBrush);
    else painter.setBrush(ToQColor(brush_->m_color));
}

// A one-pixel solid line from one device point towards another, each pixel once.
void CDC::DrawThinLine(QPoint from, QPoint to, bool includeLast)
{
    const QColor color = ToQColor(pen_->m_color);
    if (printing_) {
        // On paper the thinnest line the device draws, and one screen pixel in a preview that
        // shows the page smaller (a printer's single pixel would vanish there). Which pixels a
        // line ends on does not show at a printer's resolution.
        QPainter& painter = Prepare(true);
        QPen pen(color, 0);
        pen.setCosmetic(true);
        painter.setPen(pen);
        if (from == to) {
            if (includeLast) painter.drawPoint(from);
        } else {
            painter.drawLine(from, to);
        }
        return;
    }
    if (from.y() == to.y() || from.x() == to.x()) {
        // Straight runs are filled spans: the common case of grid lines and frames.
        QPoint end = to;
        if (!includeLast) {
            if (from == to) return;
            if (from.y() == to.y()) end.rx() += to.x() > from.x() ? -1 : 1;
            else end.ry() += to.y() > from.y() ? -1 : 1;
        }
        FillDeviceRect(QRect(QPoint(std::min(from.x(), end.x()), std::min(from.y(), end.y())),
                             QPoint(std::max(from.x(), end.x()), std::max(from.y(), end.y()))),
                       color, true);
        return;
    }
    QPolygon points;
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = to.x() > x ? 1 : -1;
    const int sy = to.y() > y ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        const bool last = x == to.x() && y == to.y();
        if (!last || includeLast) points.append(QPoint(x, y));
        if (last) break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    QPainter& painter = Prepare(true);
    painter.setPen(QPen(color, 0));
    painter.drawPoints(points);
}

CPoint CDC::MoveTo(int x, int y)
{
    return std::exchange(current_, CPoint(x, y));
}

BOOL CDC::LineTo(int x, int y)
{
    const QPoint from = ToDevice(current_.x, current_.y);
    const QPoint to = ToDevice(x, y);
    current_ = CPoint(x, y);
    if (pen_->m_style == PS_NULL) return TRUE;
    if (pen_->m_style == PS_SOLID && ToDeviceLength(pen_->m_width, false) <= 1) {
        DrawThinLine(from, to, false);
        return TRUE;
    }
    QPainter& painter = Prepare(true);
    ApplyPen(painter);
    painter.drawLine(from, to);
    return TRUE;
}

BOOL CDC::Polyline(const CPoint* points, int count)
{
    if (!points || count < 2) return FALSE;
    const CPoint saved = current_;
    MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) LineTo(points[i].x, points[i].y);
    current_ = saved;
    return TRUE;
}

BOOL CDC::PolyPolyline(const CPoint* points, const DWORD* counts, int polylines)
{
    if (!points || !counts || polylines < 0) return FALSE;
    for (int i = 0; i < polylines; ++i) {
        if (counts[i] < 2) return FALSE;
    }
    if (pen_->m_style == PS_NULL) return TRUE;
    const bool thin = pen_->m_style == PS_SOLID && ToDeviceLength(pen_->m_width, false) <= 1;
    if (thin) {
        // Each pixel once, as LineTo draws.
        for (int i = 0; i < polylines; ++i) {
            for (DWORD k = 1; k < counts[i]; ++k) DrawThinLine(ToDevice(points[k - 1].x, points[k - 1].y), ToDevice(points[k].x, points[k].y), false);
            points += counts[i];
        }
        return TRUE;
    }
    // Wide and styled pens: the segments of all polylines go to the painter at once.
    QVector<QLine> lines;
    for (int i = 0; i < polylines; ++i) {
        for (DWORD k = 1; k < counts[i]; ++k) lines.append(QLine(ToDevice(points[k - 1].x, points[k - 1].y), ToDevice(points[k].x, points[k].y)));
        points += counts[i];
    }
    QPainter& painter = Prepare(true);
    ApplyPen(painter);
    painter.drawLines(lines);
    return TRUE;
}

BOOL CDC::Polygon(const CPoint* points, int count)
{
    if (!points || count < 2) return FALSE;
    QPolygon polygon;
    for (int i = 0; i < count; ++i) polygon.append(ToDevice(points[i].x, points[i].y));
    QPainter& painter = Prepare(true);
    ApplyPen(painter);
    ApplyBrush(painter);
    painter.drawPolygon(polygon, Qt::OddEvenFill);
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    const QRect r = ToDeviceRect(CRect(left, top, right, bottom));
    if (r.isEmpty()) return TRUE;
    const bool nullPen = pen_->m_style == PS_NULL;
    const bool thinPen = !nullPen && pen_->m_style == PS_SOLID && ToDeviceLength(pen_->m_width, false) <= 1;
    if (nullPen) {
        if (!brush_->m_null) FillDeviceRect(r.adjusted(0, 0, -1, -1), ToQColor(brush_->m_color), true);
        return TRUE;
    }
    if (!thinPen) {
        QPainter& painter = Prepare(true);
        ApplyPen(painter);
        ApplyBrush(painter);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return TRUE;
    }
    if (!brush_->m_null) FillDeviceRect(r.adjusted(1, 1, -1, -1), ToQColor(brush_->m_color), true);
    // The border: each pixel once, so an XOR rectangle drawn twice leaves nothing.
    const QColor color = ToQColor(pen_->m_color);
    FillDeviceRect(QRect(r.left(), r.top(), r.width(), 1), color, true);
    if (r.height() > 1) FillDeviceRect(QRect(r.left(), r.bottom(), r.width(), 1), color, true);
    if (r.height() > 2) {
        FillDeviceRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), color, true);
        if (r.width() > 1) FillDeviceRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), color, true);
    }
    return TRUE;
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom)
{
    const QRect r = ToDeviceRect(CRect(left, top, right, bottom));
    if (r.isEmpty()) return TRUE;
    if (rop2_ == R2_COPYPEN && r.width() <= LargestStampedEllipse && r.height() <= LargestStampedEllipse) {
        // A small ellipse (a map's marker, drawn by the thousand) is stamped from its picture,
        // drawn once for its size, pen and brush: the same pixels at a fraction of the cost.
        const int penPixels = pen_->m_style == PS_NULL ? 0 : std::max(1, ToDeviceLength(pen_->m_width, false));
        const EllipseStampKey key{r.width(), r.height(), pen_->m_style, penPixels, pen_->m_color, brush_->m_null,
                                  brush_->m_null ? 0 : brush_->m_color};
        EllipseStamps& stamps = Stamps();
        auto it = stamps.find(key);
        if (it == stamps.end()) {
            if (stamps.size() >= LargestStampCount) stamps.clear();
            const int margin = penPixels + 1;
            QImage stamp(r.width() + 2 * margin, r.height() + 2 * margin, QImage::Format_ARGB32_Premultiplied);
            stamp.fill(Qt::transparent);
            QPainter drawing(&stamp);
            ApplyPen(drawing);
            ApplyBrush(drawing);
            drawing.drawEllipse(QRect(margin, margin, r.width(), r.height()).adjusted(0, 0, -1, -1));
            drawing.end();
            it = stamps.emplace(key, std::move(stamp)).first;
        }
        const int margin = (it->second.width() - r.width()) / 2;
        Prepare(false).drawImage(r.topLeft() - QPoint(margin, margin), it->second);
        return TRUE;
    }
    QPainter& painter = Prepare(true);
    ApplyPen(painter);
    ApplyBrush(painter);
    painter.drawEllipse(r.adjusted(0, 0, -1, -1));
    return TRUE;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color)
{
    // As in the framework, the colour stays the background colour afterwards.
    bkColor_ = color;
    FillDeviceRect(ToDeviceRect(rect), ToQColor(color), false);
}

void CDC::FillRect(const CRect& rect, CBrush* brush)
{
    if (!brush || brush->m_null) return;
    FillDeviceRect(ToDeviceRect(rect), ToQColor(brush->m_color), false);
}

void CDC::FrameRect(const CRect& rect, CBrush* brush)
{
    if (!brush || brush->m_null) return;
    const QRect r = ToDeviceRect(rect);
    if (r.isEmpty()) return;
    const QColor color = ToQColor(brush->m_color);
    FillDeviceRect(QRect(r.left(), r.top(), r.width(), 1), color, false);
    FillDeviceRect(QRect(r.left(), r.bottom(), r.width(), 1), color, false);
    FillDeviceRect(QRect(r.left(), r.top(), 1, r.height()), color, false);
    FillDeviceRect(QRect(r.right(), r.top(), 1, r.height()), color, false);
}

BOOL CDC::DrawEdge(CRect* rect, UINT edge, UINT flags)
{
    if (!rect) return FALSE;
    // The colours of each border: top-left, bottom-right. The outer border takes the outermost
    // pixels; an inner border alone takes them too.
    struct Border
    {
        UINT bit;
        int topLeft;
        int bottomRight;
    };
    constexpr Border Outer[] = {{BDR_RAISEDOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW},
                                {BDR_SUNKENOUTER, COLOR_3DSHADOW, COLOR_3DHIGHLIGHT}};
    constexpr Border Inner[] = {{BDR_RAISEDINNER, COLOR_3DHIGHLIGHT, COLOR_3DSHADOW},
                                {BDR_SUNKENINNER, COLOR_3DDKSHADOW, COLOR_3DLIGHT}};
    std::vector<const Border*> borders;
    for (const Border& b : Outer) {
        if (edge & b.bit) {
            borders.push_back(&b);
            break;
        }
    }
    for (const Border& b : Inner) {
        if (edge & b.bit) {
            borders.push_back(&b);
            break;
        }
    }
    QRect r = ToDeviceRect(*rect);
    for (const Border* b : borders) {
        if (r.isEmpty()) break;
        const QColor topLeft = ToQColor(GetSysColor(b->topLeft));
        const QColor bottomRight = ToQColor(GetSysColor(b->bottomRight));
        if (flags & BF_TOP) FillDeviceRect(QRect(r.left(), r.top(), r.width(), 1), topLeft, false);
        if (flags & BF_LEFT) FillDeviceRect(QRect(r.left(), r.top(), 1, r.height()), topLeft, false);
        if (flags & BF_BOTTOM) FillDeviceRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight, false);
        if (flags & BF_RIGHT) FillDeviceRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight, false);
        r.adjust((flags & BF_LEFT) ? 1 : 0, (flags & BF_TOP) ? 1 : 0, (flags & BF_RIGHT) ? -1 : 0,
                 (flags & BF_BOTTOM) ? -1 : 0);
    }
    return TRUE;
}

void CDC::InvertRect(const CRect& rect)
{
    const QRect r = ToDeviceRect(rect);
    if (r.isEmpty()) return;
    QPainter& painter = Prepare(false);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(r, Qt::black);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    const QPoint p = ToDevice(x, y);
    FillDeviceRect(QRect(p, QSize(1, 1)), ToQColor(color), false);
    return color;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const auto* image = dynamic_cast<const QImage*>(device_);
    const QPoint p = ToDevice(x, y);
    if (!image || !image->rect().contains(p)) return InvalidColor;
    return FromQRgb(image->pixel(p));
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, const CImage& image, int srcX, int srcY, int srcWidth,
                     int srcHeight, DWORD rop)
{
    const QImage& picture = image.Picture();
    if (picture.isNull() || rop != SRCCOPY) return FALSE;
    const QRect source = QRect(QPoint(std::min(srcX, srcX + srcWidth), std::min(srcY, srcY + srcHeight)),
                               QSize(std::abs(srcWidth), std::abs(srcHeight)));
    if (source.isEmpty() || !picture.rect().contains(source)) return FALSE;
    const QPoint a = ToDevice(x, y);
    const QPoint b = ToDevice(x + width, y + height);
    const int deviceWidth = b.x() - a.x();
    const int deviceHeight = b.y() - a.y();
    if (deviceWidth == 0 || deviceHeight == 0) return TRUE;
    // Mirrored where the device extent and the source extent run opposite ways.
    const bool mirrorX = (deviceWidth < 0) != (srcWidth < 0);
    const bool mirrorY = (deviceHeight < 0) != (srcHeight < 0);
    const QRect target(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QSize(std::abs(deviceWidth), std::abs(deviceHeight)));
    QPainter& painter = Prepare(false);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, stretchMode_ == HALFTONE);
    if (mirrorX || mirrorY) {
        painter.translate(mirrorX ? target.left() + target.right() + 1 : 0, mirrorY ? target.top() + target.bottom() + 1 : 0);
        painter.scale(mirrorX ? -1 : 1, mirrorY ? -1 : 1);
    }
    painter.drawImage(target, picture, source);
    painter.restore();
    return TRUE;
}

const CFont::Resolved& CDC::CurrentFont() const
{
    const double scale = mapMode_ == MM_ANISOTROPIC ? double(viewportExt_.cy) / windowExt_.cy : 1.0;
    return font_->Resolve(dpiY_, mapMode_, scale);
}

BOOL CDC::TextOut(int x, int y, const std::string& text)
{
    const QString q = Cp1252ToQString(text);
    const QFont& font = CurrentFont().font;
    const QFontMetrics& fm = CurrentFont().metrics;
    const QPoint p = ToDevice(x, y);
    QPainter& painter = Prepare(false);
    if (bkMode_ == OPAQUE) painter.fillRect(QRect(p, QSize(fm.horizontalAdvance(q), fm.height())), ToQColor(bkColor_));
    painter.setFont(font);
    painter.setPen(ToQColor(textColor_));
    painter.drawText(QPoint(p.x(), p.y() + fm.ascent()), q);
    return TRUE;
}

int CDC::DrawText(const std::string& text, CRect* rect, UINT format)
{
    if (!rect) return 0;
    const CFont::Resolved& resolved = CurrentFont();
    const QFont& font = resolved.font;
    const QFontMetrics& fm = resolved.metrics;
    const QRect area = ToDeviceRect(*rect);
    const int width = area.width();
    const int lineHeight = fm.height();

    // Lines: one without DT_SINGLELINE breaks, else one per line end, each broken between
    // words with DT_WORDBREAK.
    QString all = Cp1252ToQString(text);
    std::vector<PrefixedText> lines;
    const bool lineEnds = all.contains(u'\n') || all.contains(u'\r');
    const bool prefixes = !(format & DT_NOPREFIX) && all.contains(u'&');
    if (format & DT_SINGLELINE) {
        if (lineEnds) {
            all.replace(QLatin1String("\r\n"), QLatin1String(" "));
            all.replace(u'\n', u' ');
            all.replace(u'\r', u' ');
        }
        lines.push_back(ApplyPrefixes(all, prefixes));
    } else {
        QStringList paragraphs;
        if (lineEnds) {
            all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            all.replace(u'\r', u'\n');
            paragraphs = all.split(u'\n');
        } else {
            paragraphs.append(all);
        }
        for (const QString& paragraph : paragraphs) {
            const PrefixedText shown = ApplyPrefixes(paragraph, prefixes);
            if (format & DT_WORDBREAK) BreakWords(shown, width, fm, &lines);
            else lines.push_back(shown);
        }
    }
    std::vector<int> lineWidths;
    lineWidths.reserve(lines.size());
    int widest = 0;
    const bool elide = (format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT);
    for (PrefixedText& line : lines) {
        int advance = 0;
        if (elide) {
            const QString elided = Elide(line.text, width, fm, &advance);
            if (elided != line.text) line = {elided, -1};
        } else {
            advance = fm.horizontalAdvance(line.text);
        }
        lineWidths.push_back(advance);
        widest = std::max(widest, advance);
    }
    const int height = lineHeight * int(lines.size());

    if (format & DT_CALCRECT) {
        rect->right = rect->left + ToLogicalLength(widest, false);
        rect->bottom = rect->top + (mapMode_ == MM_TWIPS ? -1 : 1) * ToLogicalLength(height, true);
        return ToLogicalLength(height, true);
    }

    int top = area.top();
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = area.top() + (area.height() - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = area.bottom() + 1 - lineHeight;
    }
    std::vector<int> lefts;
    lefts.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int x = area.left();
        if (format & DT_CENTER) x = area.left() + (width - lineWidths[i]) / 2;
        else if (format & DT_RIGHT) x = area.right() + 1 - lineWidths[i];
        lefts.push_back(x);
    }
    // Text that lies inside the rectangle needs no clip of its own (the common case of a cell).
    bool inside = top >= area.top() && top + height <= area.bottom() + 1;
    for (std::size_t i = 0; i < lines.size() && inside; ++i)
        inside = lefts[i] >= area.left() && lefts[i] + lineWidths[i] <= area.right() + 1;
    const bool clip = !(format & DT_NOCLIP) && !inside;

    QPainter& painter = Prepare(false);
    if (clip) {
        painter.save();
        const QRegion limit(area);
        painter.setClipRegion(hasClip_ ? clip_.intersected(limit) : limit);
    }
    painter.setFont(font);
    const QColor textColor = ToQColor(textColor_);
    painter.setPen(textColor);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const PrefixedText& line = lines[i];
        const int x = lefts[i];
        const int y = top + int(i) * lineHeight;
        if (bkMode_ == OPAQUE) painter.fillRect(QRect(x, y, lineWidths[i], lineHeight), ToQColor(bkColor_));
        painter.drawText(QPoint(x, y + fm.ascent()), line.text);
        if (line.underline >= 0 && line.underline < line.text.size()) {
            const int ux = x + fm.horizontalAdvance(line.text.left(line.underline));
            const int uw = fm.horizontalAdvance(line.text.mid(line.underline, 1));
            painter.fillRect(QRect(ux, y + fm.ascent() + 1, uw, 1), textColor);
        }
    }
    if (clip) painter.restore();
    return ToLogicalLength(height, true);
}

CSize CDC::GetTextExtent(const std::string& text) const
{
    const CFont::Resolved& resolved = CurrentFont();
    const QFontMetrics& fm = resolved.metrics;
    int width = resolved.widths.Width(text);
    if (width < 0) width = fm.horizontalAdvance(Cp1252ToQString(text));
    return CSize(ToLogicalLength(width, false), ToLogicalLength(fm.height(), true));
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const
{
    if (!metrics) return FALSE;
    const QFont& font = CurrentFont().font;
    const QFontMetrics& fm = CurrentFont().metrics;
    metrics->tmHeight = ToLogicalLength(fm.height(), true);
    metrics->tmAscent = ToLogicalLength(fm.ascent(), true);
    metrics->tmDescent = ToLogicalLength(fm.descent(), true);
    metrics->tmInternalLeading = ToLogicalLength(std::max(0, fm.height() - font.pixelSize()), true);
    metrics->tmExternalLeading = ToLogicalLength(std::max(0, fm.leading()), true);
    metrics->tmAveCharWidth = ToLogicalLength(fm.averageCharWidth(), false);
    metrics->tmMaxCharWidth = ToLogicalLength(fm.maxWidth(), false);
    return TRUE;
}

namespace {

// The invalid part of a window's surface, taken for a paint (which validates it).
QRegion TakeInvalid(CWnd* wnd)
{
    WindowSurface* surface = wnd ? wnd->Surface() : nullptr;
    if (!surface) return {};
    return std::exchange(surface->invalid, QRegion());
}

}  // namespace

CPaintDC::CPaintDC(CWnd* wnd) : CPaintDC(wnd, TakeInvalid(wnd)) {}

CPaintDC::CPaintDC(CWnd* wnd, const QRegion& invalid) : CDC(wnd ? wnd->Surface() : nullptr, &invalid), wnd_(wnd)
{
    const QRect bounds = ClipRegion().boundingRect();
    m_rcPaint = CRect(bounds.left(), bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height());
    WindowSurface* surface = wnd ? wnd->Surface() : nullptr;
    if (surface && std::exchange(surface->erase, false) && !bounds.isEmpty())
        wnd->SendMessage(WM_ERASEBKGND, WPARAM(static_cast<CDC*>(this)));
}

CPaintDC::~CPaintDC()
{
    if (wnd_ && wnd_->GetWidget() && !wnd_->inPaintEvent_ && !m_rcPaint.IsRectEmpty())
        wnd_->GetClientWidget()->update(QRect(m_rcPaint.left, m_rcPaint.top, m_rcPaint.Width(), m_rcPaint.Height()));
}

CClientDC::CClientDC(CWnd* wnd) : CDC(wnd ? wnd->Surface() : nullptr, nullptr), wnd_(wnd)
{
    ShowDrawingOn(wnd);
}

CClientDC::~CClientDC()
{
    if (wnd_ && wnd_->GetWidget()) wnd_->GetClientWidget()->update();
}

CScreenDC::CScreenDC() : CDC(static_cast<WindowSurface*>(nullptr), nullptr) {}

BOOL CScreenDC::IsValid() const
{
    return QGuiApplication::instance() ? TRUE : FALSE;
}
