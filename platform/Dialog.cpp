#include "platform/Dialog.h"

#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/DeviceContext.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/WindowClass.h"
#include "platform/WindowWidget.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>
#include <map>
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
    edit->setReadOnly((c.style & ES_READONLY) != 0);
    if (c.style & ES_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

// A picker that holds no time shows its least value, drawn as a blank: a time no user means.
const QDateTime NoTime(QDate(1601, 1, 1), QTime(0, 0, 0));

QWidget* MakeDateTimePicker(const ControlTemplate&, QWidget* parent)
{
    auto* picker = new QDateTimeEdit(parent);
    picker->setMinimumDateTime(NoTime);
    picker->setSpecialValueText(QStringLiteral(" "));
    picker->setDateTime(NoTime);
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

template <class T>
std::unique_ptr<CWnd> MakeObject()
{
    return std::make_unique<T>();
}

// The control kinds of dialog templates: the widget of each and the class of its object.
struct ControlKindRow
{
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

const CRuntimeClass CDialog::Runtime{"CDialog", &CWnd::Runtime, nullptr};
const CRuntimeClass CStatic::Runtime{"CStatic", &CWnd::Runtime, &CreateRuntimeObject<CStatic>};
const CRuntimeClass CButton::Runtime{"CButton", &CWnd::Runtime, &CreateRuntimeObject<CButton>};
const CRuntimeClass CEdit::Runtime{"CEdit", &CWnd::Runtime, &CreateRuntimeObject<CEdit>};
const CRuntimeClass CComboBox::Runtime{"CComboBox", &CWnd::Runtime, &CreateRuntimeObject<CComboBox>};
const CRuntimeClass CDateTimeCtrl::Runtime{"CDateTimeCtrl", &CWnd::Runtime, &CreateRuntimeObject<CDateTimeCtrl>};

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent), templateId_(templateId)
{
    MapCommand(IDOK, &CDialog::OnOK);
    MapCommand(IDCANCEL, &CDialog::OnCancel);
}

// A window still open goes with the object, without calls into the parts already destroyed.
CDialog::~CDialog() = default;

BOOL CDialog::BuildWindow(const DialogTemplate& tmpl, CWnd* parent, bool modal)
{
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    auto* dialog = new WindowWidget<QDialog>(this, parentWidget);
    dialog->setWindowTitle(QString::fromUtf8(tmpl.caption));
    const QFont font = ScreenFont(QString::fromUtf8(tmpl.fontFace), tmpl.fontPoints);
    dialog->setFont(font);
    baseUnits_ = BaseUnits(font);
    const QRect client = ToPixels(tmpl.size, baseUnits_);
    dialog->setFixedSize(client.width(), client.height());
    templateId_ = tmpl.id;
    modal_ = modal;
    AttachWidget(dialog, 0, tmpl.style);

    controls_.clear();
    QButtonGroup* radioGroup = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (const ControlTemplate& c : tmpl.controls) {
        if (c.kind == ControlKind::Custom) {
            // A window of a registered class, as the window system makes it for the template;
            // a class that is not registered fails the dialog.
            if (!GetClassInfo(c.className)) {
                DestroyWindow();
                return FALSE;
            }
            auto object = std::make_unique<CWnd>();
            object->AttachNonClientWindow(dialog, ToPixels(c.rect, baseUnits_), UINT(c.id), c.style | WS_CHILD);
            QWidget* widget = object->GetWidget();
            if (c.style & WS_TABSTOP) widget->setFocusPolicy(Qt::TabFocus);
            if (!(c.style & WS_VISIBLE)) widget->hide();
            if (c.style & WS_DISABLED) widget->setEnabled(false);
            object->SendMessage(WM_SETFONT, WPARAM(TemplateFont(tmpl.fontFace, tmpl.fontPoints).GetSafeHandle()), FALSE);
            controls_.push_back(std::move(object));
            if (c.style & WS_GROUP) radioGroup = nullptr;
            continue;
        }
        const ControlKindRow* row = FindKind(c.kind);
        if (!row) continue;
        QWidget* widget = row->makeWidget(c, dialog);
        QRect place = ToPixels(c.rect, baseUnits_);
        if (c.kind == ControlKind::Picture && !static_cast<QLabel*>(widget)->pixmap().isNull())
            place.setSize(static_cast<QLabel*>(widget)->pixmap().size());
        if (c.kind == ControlKind::ComboList) {
            // The template's height is the open list's; the closed box is one line high.
            auto* combo = static_cast<QComboBox*>(widget);
            const int closed = std::min(combo->sizeHint().height(), place.height());
            const int itemHeight = std::max(1, QFontMetrics(font).height() + 2);
            combo->setMaxVisibleItems(std::max(1, (place.height() - closed) / itemHeight));
            place.setHeight(closed);
        }
        widget->setGeometry(place);
        if (c.kind == ControlKind::RadioButton) {
            if (!radioGroup || (c.style & WS_GROUP)) radioGroup = new QButtonGroup(dialog);
            radioGroup->addButton(static_cast<QRadioButton*>(widget));
        } else if (c.style & WS_GROUP) {
            radioGroup = nullptr;
        }
        if (c.kind == ControlKind::GroupBox) groupBoxes.push_back(widget);
        if (!(c.style & WS_VISIBLE)) widget->hide();
        if (c.style & WS_DISABLED) widget->setEnabled(false);
        std::unique_ptr<CWnd> object = row->makeObject();
        object->AttachWidget(widget, UINT(c.id), c.style);
        controls_.push_back(std::move(object));
    }
    // A group box frames the controls over it: it lies behind them whatever its place in
    // the template.
    for (QWidget* group : groupBoxes) group->lower();

    const HWND handle = GetSafeHwnd();
    const BOOL defaultFocus = OnInitDialog();
    if (FromHandle(handle) != this) return FALSE;
    if (defaultFocus) {
        for (const auto& control : controls_) {
            QWidget* w = control->GetWidget();
            if (w && (control->GetStyle() & WS_TABSTOP) && w->isEnabled() && !w->isHidden()) {
                w->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    return TRUE;
}

int CDialog::DoModal()
{
    AssertUiThread();
    const DialogTemplate* tmpl = FindDialogTemplate(m_nIDTemplate);
    if (!tmpl || GetSafeHwnd()) return -1;
    modalEnded_ = false;
    modalResult_ = IDCANCEL;
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    if (!BuildWindow(*tmpl, parent, true)) return -1;
    const HWND handle = GetSafeHwnd();
    auto* dialog = static_cast<QDialog*>(GetWidget());
    if (!modalEnded_) {
        if (ModalDialogInterceptor* interceptor = ActiveModalDialogInterceptor()) {
            auto script = interceptor->NextScript(m_nIDTemplate);
            QTimer::singleShot(0, dialog, [this, handle, script] {
                if (script && FromHandle(handle) == this && !modalEnded_) script(*this);
                if (FromHandle(handle) == this && !modalEnded_) EndDialog(IDCANCEL);
            });
        }
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->exec();
    }
    if (GetSafeHwnd() == handle) DestroyWindow();
    return modalResult_;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    AssertUiThread();
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl || GetSafeHwnd()) return FALSE;
    m_nIDTemplate = templateId;
    modalEnded_ = false;
    CWnd* owner = parent ? parent : AfxGetMainWnd();
    if (!BuildWindow(*tmpl, owner, false)) return FALSE;
    if (tmpl->style & WS_VISIBLE) GetWidget()->show();
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    modalResult_ = result;
    modalEnded_ = true;
    auto* dialog = qobject_cast<QDialog*>(GetWidget());
    if (!dialog) return;
    if (modal_) dialog->done(result);
    else dialog->hide();
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return exchange.m_bFailed ? FALSE : TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::MapDialogRect(CRect* rect) const
{
    const QRect r = ToPixels(DialogUnits{rect->left, rect->top, rect->Width(), rect->Height()}, baseUnits_);
    *rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

bool CDialog::HandleKindEvent(QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto controlHandle = [this](int id) {
        CWnd* control = GetDlgItem(id);
        return LPARAM(control ? control->GetSafeHwnd() : nullptr);
    };
    if (key->key() == Qt::Key_Escape) {
        event->accept();
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), controlHandle(IDCANCEL));
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    // A push button with the focus presses itself; otherwise Enter is the default button's
    // command, IDOK without one.
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QPushButton*>(focus) && GetWidget()->isAncestorOf(focus)) return false;
    int id = IDOK;
    for (QPushButton* button : GetWidget()->findChildren<QPushButton*>()) {
        CWnd* object = FromWidget(button);
        if (button->isDefault() && object) {
            id = object->GetDlgCtrlID();
            break;
        }
    }
    event->accept();
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), controlHandle(id));
    return true;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The close box is the Cancel command.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CDialog::PostNcDestroy()
{
    controls_.clear();
}

int CButton::GetCheck() const
{
    auto* button = qobject_cast<QAbstractButton*>(GetWidget());
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check)
{
    AssertUiThread();
    auto* button = qobject_cast<QAbstractButton*>(GetWidget());
    if (!button) return;
    // A button of an exclusive group may be cleared too, as the window system allows.
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive) group->setExclusive(false);
    button->setChecked(check == BST_CHECKED);
    if (exclusive) group->setExclusive(true);
}

void CButton::Click()
{
    AssertUiThread();
    if (auto* button = qobject_cast<QAbstractButton*>(GetWidget())) button->click();
}

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    AssertUiThread();
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit) return FALSE;
    edit->setReadOnly(readOnly != FALSE);
    return TRUE;
}

BOOL CEdit::IsReadOnly() const
{
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    return edit && edit->isReadOnly() ? TRUE : FALSE;
}

void CEdit::SetSel(int start, int end)
{
    AssertUiThread();
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit) return;
    const int length = int(edit->text().size());
    const int from = std::clamp(start, 0, length);
    const int to = end < 0 ? length : std::clamp(end, 0, length);
    edit->setSelection(from, to - from);
}

int CComboBox::AddString(const std::string& text)
{
    AssertUiThread();
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    if (!combo) return CB_ERR;
    const int selected = combo->currentIndex();
    combo->addItem(Cp1252ToQString(text));
    combo->setCurrentIndex(selected);  // adding an item selects nothing
    return combo->count() - 1;
}

void CComboBox::ResetContent()
{
    AssertUiThread();
    if (auto* combo = qobject_cast<QComboBox*>(GetWidget())) combo->clear();
}

int CComboBox::GetCount() const
{
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    return combo ? combo->count() : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    return combo ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index)
{
    AssertUiThread();
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    if (!combo) return CB_ERR;
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

void CComboBox::GetLBText(int index, std::string& text) const
{
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    text = combo && index >= 0 && index < combo->count() ? QStringToCp1252(combo->itemText(index)) : std::string();
}

int CComboBox::FindStringExact(int start, const std::string& text) const
{
    auto* combo = qobject_cast<QComboBox*>(GetWidget());
    if (!combo || combo->count() == 0) return CB_ERR;
    const QString wanted = Cp1252ToQString(text);
    const int count = combo->count();
    const int first = start < 0 || start >= count ? 0 : start + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        if (combo->itemText(i).compare(wanted, Qt::CaseInsensitive) == 0) return i;
    }
    return CB_ERR;
}

BOOL CDateTimeCtrl::SetFormat(const char* format)
{
    AssertUiThread();
    auto* picker = qobject_cast<QDateTimeEdit*>(GetWidget());
    if (!picker || !format) return FALSE;
    picker->setDisplayFormat(QString::fromUtf8(format));
    return TRUE;
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time)
{
    AssertUiThread();
    auto* picker = qobject_cast<QDateTimeEdit*>(GetWidget());
    if (!picker) return FALSE;
    const QDateTime value = time ? QDateTime(QDate(time->wYear, time->wMonth, time->wDay),
                                             QTime(time->wHour, time->wMinute, time->wSecond))
                                 : QDateTime();
    const bool valid = value.isValid() && value > NoTime;
    picker->setDateTime(valid ? value : NoTime);
    return valid ? TRUE : FALSE;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const
{
    auto* picker = qobject_cast<QDateTimeEdit*>(GetWidget());
    if (!picker || !time) return GDT_NONE;
    const QDateTime value = picker->dateTime();
    if (!value.isValid() || value <= NoTime) return GDT_NONE;
    const QDate date = value.date();
    const QTime clock = value.time();
    time->wYear = WORD(date.year());
    time->wMonth = WORD(date.month());
    time->wDayOfWeek = WORD(date.dayOfWeek() % 7);
    time->wDay = WORD(date.day());
    time->wHour = WORD(clock.hour());
    time->wMinute = WORD(clock.minute());
    time->wSecond = WORD(clock.second());
    time->wMilliseconds = 0;
    return GDT_VALID;
}
