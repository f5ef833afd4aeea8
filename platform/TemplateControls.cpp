#include "platform/TemplateControls.h"

#include "platform/DeviceContext.h"
#include "platform/Dialog.h"
#include "platform/Text.h"
#include "platform/Window.h"
#include "platform/WindowClass.h"
#include "platform/WindowWidget.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {

// The characters whose mean width is a dialog font's horizontal base unit.
constexpr const char* BaseUnitSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int HorizontalUnitsPerBase = 4;
constexpr int VerticalUnitsPerBase = 8;

int MulDiv(int value, int multiplier, int divisor)
{
    const long long product = static_cast<long long>(value) * multiplier;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

// Pixels per four horizontal and eight vertical dialog units of a font.
CSize BaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int sampleWidth = fm.horizontalAdvance(QString::fromLatin1(BaseUnitSample));
    return CSize((sampleWidth / 26 + 1) / 2, fm.height());
}

QRect ToPixels(const DialogUnits& r, CSize base)
{
    return QRect(MulDiv(r.x, base.cx, HorizontalUnitsPerBase), MulDiv(r.y, base.cy, VerticalUnitsPerBase),
                 MulDiv(r.cx, base.cx, HorizontalUnitsPerBase), MulDiv(r.cy, base.cy, VerticalUnitsPerBase));
}

// Sends a control's notification to the dialog as WM_COMMAND (control id, code, control).
void Notify(QWidget* control, int code)
{
    CWnd* object = CWnd::FromWidget(control);
    CWnd* dialog = object ? object->GetParent() : nullptr;
    if (!dialog) return;
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(object->GetDlgCtrlID(), code), LPARAM(object->GetSafeHwnd()));
}

QWidget* MakeStatic(const ControlTemplate& c, QWidget* parent)
{
    auto* label = new QLabel(parent);
    SetControlText(label, QString::fromUtf8(c.text), c.style);
    Qt::Alignment align = Qt::AlignLeft;
    if ((c.style & 0x3) == SS_CENTER) align = Qt::AlignHCenter;
    else if ((c.style & 0x3) == SS_RIGHT) align = Qt::AlignRight;
    label->setAlignment(align | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* MakePicture(const ControlTemplate& c, QWidget* parent)
{
    auto* label = new QLabel(parent);
    if (const ImageResource* image = FindImageResource(c.image)) {
        QImage picture;
        picture.loadFromData(QByteArrayView(image->data, qsizetype(image->size)));
        label->setPixmap(QPixmap::fromImage(picture));
    }
    return label;
}

QWidget* MakeGroupBox(const ControlTemplate& c, QWidget* parent)
{
    auto* group = new QGroupBox(QString::fromUtf8(c.text), parent);
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    group->setFocusPolicy(Qt::NoFocus);
    return group;
}

QWidget* MakePushButton(const ControlTemplate& c, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(c.text), parent);
    button->setAutoDefault(true);
    if (c.style & BS_DEFPUSHBUTTON) button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, button, [button] { Notify(button, BN_CLICKED); });
    return button;
}

QWidget* MakeCheckBox(const ControlTemplate& c, QWidget* parent)
{
    auto* check = new QCheckBox(QString::fromUtf8(c.text), parent);
    QObject::connect(check, &QCheckBox::clicked, check, [check] { Notify(check, BN_CLICKED); });
    return check;
}

QWidget* MakeRadioButton(const ControlTemplate& c, QWidget* parent)
{
    auto* radio = new QRadioButton(QString::fromUtf8(c.text), parent);
    radio->setAutoExclusive(false);  // grouped by WS_GROUP (see BuildWindow)
    QObject::connect(radio, &QRadioButton::clicked, radio, [radio] { Notify(radio, BN_CLICKED); });
    return radio;
}

QWidget* MakeEdit(const ControlTemplate& c, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromUtf8(c.text), parent);
    SetEditReadOnly(edit, (c.style & ES_READONLY) != 0);
    if (c.style & ES_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if (c.style & ES_CENTER) edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return edit;
}

QWidget* MakeComboList(const ControlTemplate& c, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    for (const char* item : c.items) combo->addItem(QString::fromUtf8(item));
    combo->setCurrentIndex(-1);
    QObject::connect(combo, &QComboBox::activated, combo, [combo] { Notify(combo, CBN_SELCHANGE); });
    return combo;
}

QWidget* MakeDateTimePicker(const ControlTemplate&, QWidget* parent)
{
    auto* picker = new QDateTimeEdit(parent);
    picker->setMinimumDateTime(PickerNoTime());
    picker->setSpecialValueText(QStringLiteral(" "));
    picker->setDateTime(PickerNoTime());
    return picker;
}

// The font of a template (face, points) as a font object, for WM_SETFONT to its custom
// controls; made once and kept for the process.
const CFont& TemplateFont(const char* face, int points)
{
    static std::map<std::pair<std::string, int>, CFont> fonts;
    const auto key = std::make_pair(std::string(face ? face : ""), points);
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        LOGFONT lf;
        lf.lfHeight = -ScreenFont(QString::fromUtf8(key.first.c_str()), points).pixelSize();
        std::strncpy(lf.lfFaceName, key.first.c_str(), LF_FACESIZE - 1);
        it = fonts.emplace(key, CFont()).first;
        it->second.CreateFontIndirect(&lf);
    }
    return it->second;
}

template <class T> std::unique_ptr<CWnd> MakeObject()
{
    return std::make_unique<T>();
}

// The control kinds of dialog templates: the widget of each and the class of its object.
struct ControlKindRow {
    ControlKind kind;
    QWidget* (*makeWidget)(const ControlTemplate&, QWidget*);
    std::unique_ptr<CWnd> (*makeObject)();
};

constexpr ControlKindRow ControlKinds[] = {
    {ControlKind::Static, MakeStatic, MakeObject<CStatic>},
    {ControlKind::Picture, MakePicture, MakeObject<CStatic>},
    {ControlKind::GroupBox, MakeGroupBox, MakeObject<CButton>},
    {ControlKind::PushButton, MakePushButton, MakeObject<CButton>},
    {ControlKind::CheckBox, MakeCheckBox, MakeObject<CButton>},
    {ControlKind::RadioButton, MakeRadioButton, MakeObject<CButton>},
    {ControlKind::Edit, MakeEdit, MakeObject<CEdit>},
    {ControlKind::ComboList, MakeComboList, MakeObject<CComboBox>},
    {ControlKind::DateTimePicker, MakeDateTimePicker, MakeObject<CDateTimeCtrl>},
};

const ControlKindRow* FindKind(ControlKind kind)
{
    for (const ControlKindRow& row : ControlKinds) {
        if (row.kind == kind) return &row;
    }
    return nullptr;
}

}  // namespace

void SetEditReadOnly(QLineEdit* edit, bool readOnly)
{
    if (!edit) return;
    edit->setReadOnly(readOnly);
    const QWidget* behind = edit->parentWidget();
    const QPalette around = behind ? behind->palette() : QApplication::palette(edit);
    QPalette palette = edit->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::Base, around.brush(group, readOnly ? QPalette::Window : QPalette::Base));
    edit->setPalette(palette);
}

CSize DialogBaseUnits(const QFont& font)
{
    return BaseUnits(font);
}

QRect DialogUnitsToPixels(const DialogUnits& units, CSize base)
{
    return ToPixels(units, base);
}

QDateTime PickerNoTime()
{
    return QDateTime(QDate(1601, 1, 1), QTime(0, 0, 0));
}

bool BuildTemplateControls(const DialogTemplate& tmpl, QWidget* parent, CSize base,
                           std::vector<std::unique_ptr<CWnd>>& controls)
{
    QButtonGroup* radioGroup = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (const ControlTemplate& c : tmpl.controls) {
        if (c.kind == ControlKind::Custom) {
            // A window of a registered class, as the window system makes it for the template;
            // a class that is not registered fails the whole build.
            if (!GetClassInfo(c.className)) return false;
            auto object = std::make_unique<CWnd>();
            object->AttachNonClientWindow(parent, ToPixels(c.rect, base), UINT(c.id), c.style | WS_CHILD);
            QWidget* widget = object->GetWidget();
            if (c.style & WS_TABSTOP) widget->setFocusPolicy(Qt::TabFocus);
            if (!(c.style & WS_VISIBLE)) widget->hide();
            if (c.style & WS_DISABLED) widget->setEnabled(false);
            object->SendMessage(WM_SETFONT, WPARAM(TemplateFont(tmpl.fontFace, tmpl.fontPoints).GetSafeHandle()),
                                FALSE);
            controls.push_back(std::move(object));
            if (c.style & WS_GROUP) radioGroup = nullptr;
            continue;
        }
        const ControlKindRow* row = FindKind(c.kind);
        if (!row) continue;
        QWidget* widget = row->makeWidget(c, parent);
        QRect place = ToPixels(c.rect, base);
        if (c.kind == ControlKind::Picture && !static_cast<QLabel*>(widget)->pixmap().isNull())
            place.setSize(static_cast<QLabel*>(widget)->pixmap().size());
        if (c.kind == ControlKind::ComboList) {
            // The template's height is the open list's; the closed box is one line high.
            auto* combo = static_cast<QComboBox*>(widget);
            const int closed = std::min(combo->sizeHint().height(), place.height());
            const int itemHeight = std::max(1, QFontMetrics(parent->font()).height() + 2);
            combo->setMaxVisibleItems(std::max(1, (place.height() - closed) / itemHeight));
            place.setHeight(closed);
        }
        widget->setGeometry(place);
        if (c.kind == ControlKind::RadioButton) {
            if (!radioGroup || (c.style & WS_GROUP)) radioGroup = new QButtonGroup(parent);
            radioGroup->addButton(static_cast<QRadioButton*>(widget));
        } else if (c.style & WS_GROUP) {
            radioGroup = nullptr;
        }
        if (c.kind == ControlKind::GroupBox) groupBoxes.push_back(widget);
        if (!(c.style & WS_VISIBLE)) widget->hide();
        if (c.style & WS_DISABLED) widget->setEnabled(false);
        std::unique_ptr<CWnd> object = row->makeObject();
        object->AttachWidget(widget, UINT(c.id), c.style);
        controls.push_back(std::move(object));
    }
    // A group box frames the controls over it: it lies behind them whatever its place in
    // the template.
    for (QWidget* group : groupBoxes) group->lower();
    return true;
}
