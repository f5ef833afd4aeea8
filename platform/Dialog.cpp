#include "platform/Dialog.h"

#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/DeviceContext.h"
#include "platform/Resources.h"
#include "platform/TemplateControls.h"
#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/WindowWidget.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

// The screen's resolution at which an edit control's font is resolved, as device contexts do.
constexpr int EditFontDpi = 96;

// A picker that holds no time shows its least value, drawn as a blank: a time no user means.
const QDateTime NoTime = PickerNoTime();

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
    baseUnits_ = DialogBaseUnits(font);
    const QRect client = DialogUnitsToPixels(tmpl.size, baseUnits_);
    dialog->setFixedSize(client.width(), client.height());
    templateId_ = tmpl.id;
    modal_ = modal;
    AttachWidget(dialog, 0, tmpl.style);

    controls_.clear();
    if (!BuildTemplateControls(tmpl, dialog, baseUnits_, controls_)) {
        DestroyWindow();
        return FALSE;
    }

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
    const QRect r = DialogUnitsToPixels(DialogUnits{rect->left, rect->top, rect->Width(), rect->Height()}, baseUnits_);
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
    SetEditReadOnly(edit, readOnly != FALSE);
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
    if (from == to) edit->setCursorPosition(to);
    else edit->setSelection(from, to - from);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit) return;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        end = edit->selectionEnd();
    } else {
        start = end = edit->cursorPosition();
    }
}

BOOL CEdit::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    AssertUiThread();
    if (GetSafeHwnd() || !parent || !parent->GetWidget()) return FALSE;
    QWidget* parentWidget = parent->GetClientWidget();
    auto* edit = new WindowWidget<QLineEdit>(this, parentWidget);
    edit->setGeometry(rect.left, rect.top, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    edit->setFrame((style & WS_BORDER) != 0);
    SetEditReadOnly(edit, (style & ES_READONLY) != 0);
    Qt::Alignment align = Qt::AlignLeft;
    if ((style & 0x3) == ES_RIGHT) align = Qt::AlignRight;
    else if ((style & 0x3) == ES_CENTER) align = Qt::AlignHCenter;
    edit->setAlignment(align | Qt::AlignVCenter);
    edit->setFocusPolicy(Qt::StrongFocus);
    AttachWidget(edit, id, style | WS_CHILD);
    EnableControlInput();
    if (style & WS_VISIBLE) edit->show();
    else edit->hide();
    return TRUE;
}

LRESULT CEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (!edit || !HasControlInput()) {
        if (message == WM_PASTE && edit) edit->paste();
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
    QEvent* event = TranslatedEvent();
    switch (message) {
    case WM_KEYDOWN:
        if (event && event->type() == QEvent::KeyPress) {
            // A key that types a character (Backspace too) types it with its WM_CHAR; Tab, Enter
            // and Esc are the dialog's. The others are the control's: caret, Delete, Ctrl keys.
            const auto* key = static_cast<const QKeyEvent*>(event);
            const int k = key->key();
            const bool typing =
                k == Qt::Key_Backspace || k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Return ||
                k == Qt::Key_Enter || k == Qt::Key_Escape ||
                (!(key->modifiers() & Qt::ControlModifier) && !key->text().isEmpty() && key->text().at(0).isPrint());
            if (!typing) RunControlDefault(event);
        }
        return 0;
    case WM_CHAR: {
        const auto c = static_cast<unsigned char>(wParam);
        if (c == VK_BACK) {
            QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            RunControlDefault(&backspace);
        } else if (c >= 0x20 && c != 0x7F) {
            QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, Cp1252ToQString(std::string(1, char(c))));
            RunControlDefault(&typed);
        } else if (event) {
            event->ignore();
        }
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (event && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) RunControlDefault(event);
        return 0;
    case WM_PASTE: edit->paste(); return 0;
    case WM_SETFONT:
        editFont_ = reinterpret_cast<HFONT>(wParam);
        if (const CFont* font = CFont::FromHandle(editFont_)) edit->setFont(font->Resolve(EditFontDpi, MM_TEXT).font);
        if (lParam) edit->update();
        return 0;
    case WM_GETFONT: return LRESULT(editFont_);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default: return CWnd::DefWindowProc(message, wParam, lParam);
    }
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
