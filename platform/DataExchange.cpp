#include "platform/DataExchange.h"

#include "platform/Application.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "platform/WindowWidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

// What a double field showed when it was filled: its text and the member's exact value.
constexpr const char* ShownTextProperty = "vasquil.shownText";
constexpr const char* ShownValueProperty = "vasquil.shownValue";
constexpr int DoubleDigits = 15;  // "%.15g"

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// from_chars does not take a leading '+', which a typed number may have.
std::string_view DropPlus(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

std::optional<double> ParseDouble(std::string_view text)
{
    text = DropPlus(TrimBlanks(text));
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ParseInt(std::string_view text)
{
    text = DropPlus(TrimBlanks(text));
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string FormatDouble(double value, int digits)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

// The Qt widget of a control of the kind an exchange needs, null for another kind.
template <class W>
W* ControlWidget(CWnd* control)
{
    return control ? qobject_cast<W*>(control->GetWidget()) : nullptr;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(dialog)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    if (m_bFailed) return nullptr;
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    if (!control) m_bFailed = true;
    return control;
}

void CDataExchange::Fail(CWnd* control, UINT messageId)
{
    m_bFailed = true;
    AfxMessageBox(LoadString(messageId));
    if (!control || !control->GetSafeHwnd()) return;
    control->SetFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control->GetWidget())) edit->selectAll();
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control) return;
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value));
        return;
    }
    const std::optional<int> parsed = ParseInt(control->GetWindowText());
    if (!parsed) pDX->Fail(control, AFX_IDP_PARSE_INT);
    else value = *parsed;
}

void DDX_Text(CDataExchange* pDX, int id, double& value)
{
    DDX_Text(pDX, id, value, DoubleDigits);
}

void DDX_Text(CDataExchange* pDX, int id, double& value, int digits)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control) return;
    QWidget* widget = control->GetWidget();
    if (!pDX->m_bSaveAndValidate) {
        const std::string text = FormatDouble(value, digits);
        control->SetWindowText(text);
        widget->setProperty(ShownTextProperty, QString::fromLatin1(text.c_str()));
        widget->setProperty(ShownValueProperty, value);
        return;
    }
    // An unchanged field gives back the exact value it showed, which the digits may have rounded.
    const QVariant shownText = widget->property(ShownTextProperty);
    if (shownText.isValid() && shownText.toString() == ControlText(widget)) {
        value = widget->property(ShownValueProperty).toDouble();
        return;
    }
    const std::optional<double> parsed = ParseDouble(control->GetWindowText());
    if (!parsed) pDX->Fail(control, AFX_IDP_PARSE_REAL);
    else value = *parsed;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) value = control->GetWindowText();
    else control->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, std::filesystem::path& value)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) value = std::filesystem::path(ControlText(control->GetWidget()).toStdString());
    else SetControlText(control->GetWidget(), QString::fromStdString(value.string()), control->GetStyle());
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    auto* button = ControlWidget<QAbstractButton>(pDX->PrepareCtrl(id));
    if (!button) return;
    if (pDX->m_bSaveAndValidate) value = button->isChecked() ? 1 : 0;
    else button->setChecked(value != 0);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    auto* first = ControlWidget<QAbstractButton>(pDX->PrepareCtrl(id));
    QButtonGroup* group = first ? first->group() : nullptr;
    if (!group) return;
    const QList<QAbstractButton*> buttons = group->buttons();
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked()) value = int(i);
        }
        return;
    }
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (qsizetype i = 0; i < buttons.size(); ++i) buttons[i]->setChecked(i == value);
    group->setExclusive(exclusive);
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index)
{
    auto* box = ControlWidget<QComboBox>(pDX->PrepareCtrl(id));
    if (!box) return;
    if (pDX->m_bSaveAndValidate) index = box->currentIndex();
    else box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void DDX_CBString(CDataExchange* pDX, int id, std::string& value)
{
    auto* box = ControlWidget<QComboBox>(pDX->PrepareCtrl(id));
    if (!box) return;
    if (pDX->m_bSaveAndValidate) {
        value = box->currentIndex() >= 0 ? QStringToCp1252(box->currentText()) : std::string();
        return;
    }
    const QString wanted = Cp1252ToQString(value);
    int found = -1;
    for (int i = 0; !wanted.isEmpty() && i < box->count() && found < 0; ++i) {
        if (box->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) found = i;
    }
    box->setCurrentIndex(found);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.GetSafeHwnd() || pDX->m_bFailed) return;
    if (!control.SubclassDlgItem(UINT(id), pDX->m_pDlgWnd)) pDX->m_bFailed = true;
}
