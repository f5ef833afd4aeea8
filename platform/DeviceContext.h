// Device contexts: drawing with the window system's semantics over a Qt paint device.
//
// Coordinates are logical units mapped to device pixels by the mapping mode: MM_TEXT (one
// unit a pixel, y downward), MM_TWIPS (1/1440 inch, y upward, so points of a window's
// client area have negative y) or MM_ANISOTROPIC (the window extent in logical units spans
// the viewport extent in device pixels on each axis; fonts scale with the vertical ratio). Text stays upright in every mode. Pixel rules:
// - a filled rectangle covers left <= x < right, top <= y < bottom;
// - LineTo and Polyline do not draw their last point, so joined segments touch each pixel once;
// - Rectangle draws its border on the outermost pixels of the same area (one pixel smaller
//   at right and bottom with the null pen); Ellipse fits the same area;
// - R2_XORPEN and R2_NOT (SetROP2) apply to lines and shapes; InvertRect always inverts; twice
//   restores the picture;
// - DrawEdge draws a one-pixel border on the outermost pixels of the same area: the top row and
//   left column in the edge's top-left colour, the bottom row and right column (corners
//   included) in its bottom-right colour;
// - DrawText follows the DT_ flags below and writes its ellipsis as three ASCII dots.
// Drawing calls return at once; a context over a window's surface shows its result on the
// screen when control returns to the event loop.
#pragma once

#include "platform/TextWidths.h"
#include "platform/WinTypes.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRegion>

#include <memory>
#include <string>
#include <vector>

class QPaintDevice;
class QPainter;
class CImage;
class CWnd;
struct WindowSurface;

constexpr int MM_TEXT = 1;
constexpr int MM_TWIPS = 6;
constexpr int MM_ANISOTROPIC = 8;
constexpr int TwipsPerInch = 1440;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int NUMCOLORS = 24;  // -1 for a device of more than 256 colours

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Drawing modes (SetROP2).
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_COPYPEN = 13;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_NULL = 5;

// Stock objects (SelectStockObject).
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_GUI_FONT = 17;
// The context's own brush and pen, whose colours SetDCBrushColor and SetDCPenColor set
// (white and black at first); the pen draws one pixel wide.
constexpr int DC_BRUSH = 18;
constexpr int DC_PEN = 19;

// Stretching modes (SetStretchBltMode): HALFTONE smooths, the others pick the nearest pixel.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// Raster operation of StretchBlt: the source replaces the destination.
constexpr DWORD SRCCOPY = 0x00CC0020;

// GetClipBox results.
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// DrawEdge borders and sides.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// DrawText flags.
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Font weights.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr int LF_FACESIZE = 32;

// A font request: lfHeight < 0 is the character height, > 0 the cell height, in logical units;
// 0 a default size. The face name "MS Shell Dlg" and "Arial" resolve to Liberation Sans.
struct LOGFONT
{
    int lfHeight = 0;
    int lfWidth = 0;
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC
{
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmOverhang = 0;  // extra width of synthesized bold or italic; 0 for the layer's outline fonts
};

// The Qt family a face name of the program's fonts resolves to.
QString ResolveFontFamily(const QString& face);
// The layer's GUI font (DEFAULT_GUI_FONT, also the system's message-box font): "MS Shell Dlg",
// 8 points on a 96-dot-per-inch screen.
const LOGFONT& DefaultGuiLogFont();
// A Qt font of the face at a size in points on a 96-dot-per-inch screen (8 points: 11 pixels).
QFont ScreenFont(const QString& face, int points);

class CGdiObject
{
public:
    enum class Kind { Pen, Brush, Font };
    explicit CGdiObject(Kind kind) : kind_(kind) {}
    virtual ~CGdiObject() = default;
    Kind GetKind() const { return kind_; }

private:
    Kind kind_;
};

class CPen : public CGdiObject
{
public:
    CPen() : CGdiObject(Kind::Pen) {}
    CPen(int style, int width, COLORREF color) : CGdiObject(Kind::Pen) { CreatePen(style, width, color); }
    // width in logical units; 0 draws one pixel wide in any mapping mode.
    BOOL CreatePen(int style, int width, COLORREF color);
    int m_style = PS_SOLID;
    int m_width = 0;
    COLORREF m_color = RGB(0, 0, 0);
};

class CBrush : public CGdiObject
{
public:
    CBrush() : CGdiObject(Kind::Brush) {}
    explicit CBrush(COLORREF color) : CGdiObject(Kind::Brush) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    bool m_null = false;  // the stock null brush
    COLORREF m_color = RGB(255, 255, 255);
};

// A font handle (WM_SETFONT, WM_GETFONT): the address of a CFont, valid while it lives.
struct FontHandleTag;
using HFONT = FontHandleTag*;

class CFont : public CGdiObject
{
public:
    CFont() : CGdiObject(Kind::Font) {}
    CFont(const CFont& other) : CGdiObject(Kind::Font), m_logFont(other.m_logFont) {}
    CFont& operator=(const CFont& other);
    ~CFont() override;
    BOOL CreateFontIndirect(const LOGFONT* lf);
    // pointSize in tenths of a point; the height follows the context's vertical resolution
    // (96 dots per inch without one).
    BOOL CreatePointFont(int pointSize, const char* faceName, class CDC* dc = nullptr);
    int GetLogFont(LOGFONT* lf) const;
    HFONT GetSafeHandle() const { return reinterpret_cast<HFONT>(const_cast<CFont*>(this)); }
    static CFont* FromHandle(HFONT handle) { return reinterpret_cast<CFont*>(handle); }
    LOGFONT m_logFont;

    // The Qt font and metrics the LOGFONT resolves to at a vertical resolution (dots per inch)
    // and a mapping mode, kept until the LOGFONT, the resolution or the mode differ.
    struct Resolved;
    // scale multiplies the height after that (the vertical ratio of an anisotropic mapping).
    const Resolved& Resolve(int dpiY, int mapMode, double scale = 1.0) const;

private:
    mutable std::unique_ptr<Resolved> resolved_;
};

struct CFont::Resolved
{
    LOGFONT logFont;
    int dpiY;
    int mapMode;
    double scale;
    QFont font;
    QFontMetrics metrics;
    mutable AsciiTextWidths widths;  // the metrics' widths of short texts, measured faster
};

class CDC
{
public:
    // A context over any paint device (an image, a printer): device pixels at its resolution.
    explicit CDC(QPaintDevice* device);
    // A context over a device that stands for a printer (a recording device, a preview page):
    // IsPrinting is TRUE whatever the device is.
    struct AsPrinter {};
    CDC(QPaintDevice* device, AsPrinter);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Mapping.
    int SetMapMode(int mode);  // returns the previous mode
    int GetMapMode() const { return mapMode_; }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetViewportOrg(int x, int y);
    CPoint GetWindowOrg() const { return windowOrg_; }
    // The extents of MM_ANISOTROPIC (ignored in the other modes); a zero extent is refused
    // (the returned size is then (0, 0) and nothing changes). Each returns the previous one.
    CSize SetWindowExt(int cx, int cy);
    CSize SetViewportExt(int cx, int cy);
    void LPtoDP(CPoint* points, int count = 1) const;
    void LPtoDP(CRect* rect) const;
    void DPtoLP(CPoint* points, int count = 1) const;
    void DPtoLP(CRect* rect) const;
    int GetDeviceCaps(int index) const;

    // Objects and attributes; each returns what was selected or set before.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CGdiObject* SelectObject(CGdiObject* object);
    CGdiObject* SelectStockObject(int index);
    COLORREF SetDCPenColor(COLORREF color);
    COLORREF SetDCBrushColor(COLORREF color);
    COLORREF GetDCPenColor() const;
    COLORREF GetDCBrushColor() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return bkColor_; }
    COLORREF GetTextColor() const { return textColor_; }
    int SetBkMode(int mode);
    int SetROP2(int mode);
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return stretchMode_; }
    int SaveDC();
    // Restores the state saved by SaveDC (a negative value counts back from the last save).
    BOOL RestoreDC(int saved);
    // Limits later drawing to the part of the clip area inside rect (logical units).
    void IntersectClipRect(const CRect& rect);
    // The smallest rectangle round the part that drawing can change (logical units): the clip
    // area, or the whole device without one. Returns NULLREGION (and an empty rectangle),
    // SIMPLEREGION or COMPLEXREGION.
    int GetClipBox(CRect* rect) const;
    // TRUE for a context over a printer.
    BOOL IsPrinting() const { return printing_ ? TRUE : FALSE; }
    // FALSE when the context's device refused to be drawn on (a printer that could not be
    // opened); drawing then changes nothing.
    BOOL CanDraw() const;

    // Lines and shapes (logical units).
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
    BOOL Polyline(const CPoint* points, int count);
    // Draws polylines polylines one after another as Polyline draws each, counts[i] points of
    // points for the i-th (at least 2 each); one call for many lines of one pen. The current
    // position is neither used nor changed. FALSE, drawing nothing, for a count below 2.
    BOOL PolyPolyline(const CPoint* points, const DWORD* counts, int polylines);
    BOOL Polygon(const CPoint* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const CRect& r) { return Rectangle(r.left, r.top, r.right, r.bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const CRect& r) { return Ellipse(r.left, r.top, r.right, r.bottom); }
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillRect(const CRect& rect, CBrush* brush);
    void FrameRect(const CRect& rect, CBrush* brush);
    void InvertRect(const CRect& rect);
    // A border of the system's 3-D colours (BDR_ edges) on the sides of flags (BF_ sides).
    BOOL DrawEdge(CRect* rect, UINT edge, UINT flags);
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF GetPixel(int x, int y) const;  // 0xFFFFFFFF outside an image
    // Copies the source rectangle of image (pixels) onto the destination rectangle (logical
    // units), stretched or shrunk to fit it, by the stretching mode. Where the signs of a
    // source and a destination extent in device pixels differ, the picture is mirrored on that
    // axis (so a positive height in MM_TWIPS turns it upside down). FALSE, with nothing drawn,
    // for a null image, a raster operation other than SRCCOPY or a source rectangle outside
    // the image.
    BOOL StretchBlt(int x, int y, int width, int height, const CImage& image, int srcX, int srcY, int srcWidth,
                    int srcHeight, DWORD rop);

    // Text (Windows-1252). TextOut places the top left corner of the text at (x, y).
    BOOL TextOut(int x, int y, const std::string& text);
    // Draws text in rect by the DT_ flags and returns the text's height in logical units;
    // with DT_CALCRECT it only sets rect's right and bottom to what the text needs.
    int DrawText(const std::string& text, CRect* rect, UINT format);
    CSize GetTextExtent(const std::string& text) const;
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

    // The Qt painter behind the context, for drawing that the calls above do not cover
    // (images, anti-aliased curves): device pixels, clipped like the context; a caller that
    // changes its state restores it.
    QPainter& QtPainter();

protected:
    // For contexts over a window's surface, limited to clip when it is given.
    CDC(WindowSurface* surface, const QRegion* clip);
    // A context drawing where target draws, with its clip, resolution and printing flag: over
    // the same surface, or through target's painter (the target must outlive it).
    struct SameTarget {};
    CDC(CDC& target, SameTarget);
    const QRegion& ClipRegion() const { return clip_; }
    // A context that draws outside a paint asks window to show its picture again after each
    // drawing call (the screen shows it once control returns to the event loop).
    void ShowDrawingOn(CWnd* window) { shows_ = window; }

private:
    struct State;
    QPoint ToDevice(int x, int y) const;
    QRect ToDeviceRect(const CRect& r) const;
    int ToDeviceLength(int length, bool vertical) const;
    int ToLogicalLength(int length, bool vertical) const;
    QPainter& Prepare(bool useRop);
    const CFont::Resolved& CurrentFont() const;
    void DrawThinLine(QPoint from, QPoint to, bool includeLast);
    void FillDeviceRect(const QRect& r, const QColor& color, bool useRop);
    void ApplyPen(QPainter& painter) const;
    void ApplyBrush(QPainter& painter) const;

    QPaintDevice* device_ = nullptr;
    WindowSurface* surface_ = nullptr;
    CDC* painterOwner_ = nullptr;  // the context whose painter this one borrows
    bool printing_ = false;
    QImage fallback_;  // drawn on (and discarded) when a context has no device
    std::unique_ptr<QPainter> ownPainter_;
    int dpiX_ = 96;
    int dpiY_ = 96;
    int mapMode_ = MM_TEXT;
    CPoint windowOrg_;
    CPoint viewportOrg_;
    CSize windowExt_{1, 1};
    CSize viewportExt_{1, 1};
    CPoint current_;
    CPen* pen_;
    CBrush* brush_;
    CFont* font_;
    CPen dcPen_{PS_SOLID, 0, RGB(0, 0, 0)};
    CBrush dcBrush_{RGB(255, 255, 255)};
    COLORREF textColor_ = RGB(0, 0, 0);
    COLORREF bkColor_ = RGB(255, 255, 255);
    int bkMode_ = OPAQUE;
    int rop2_ = R2_COPYPEN;
    int stretchMode_ = BLACKONWHITE;
    bool hasClip_ = false;
    QRegion clip_;  // device pixels, when hasClip_
    std::vector<std::unique_ptr<State>> saved_;
    CWnd* shows_ = nullptr;
    int stateSerial_ = 1;    // changes whenever the clip changes
    int appliedSerial_ = 0;  // the serial whose clip the painter holds
};

// The context of a paint: over the window's surface, clipped to the invalid part, which it
// validates (erasing it first when asked); the painted part reaches the screen afterwards.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    CRect m_rcPaint;  // the part being painted (device pixels)

private:
    CPaintDC(CWnd* wnd, const QRegion& invalid);
    CWnd* wnd_;
};

// A context over the whole client area of a window's surface, usable outside a paint and for as
// long as the window lives; what it draws reaches the screen when control returns to the event
// loop.
class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    CWnd* wnd_;
};

// A context for measuring text as the screen shows it (96 dots per inch); drawing into it
// changes nothing. Not valid without a Qt application, which measuring needs.
class CScreenDC : public CDC
{
public:
    CScreenDC();
    BOOL IsValid() const;
};
