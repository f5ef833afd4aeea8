#include "GuiTestSupport.h"

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/DocView.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "platform/WindowClass.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <vector>

namespace {

constexpr UINT FormTemplate = 9471;
constexpr int ValueEdit = 1101;
constexpr int ApplyButton = 1102;
constexpr int FreeButton = 1103;
constexpr int Pane = 1104;
constexpr UINT ApplyCommand = ApplyButton;
constexpr const char* PaneClass = "TestFormPane";

const DialogTemplate FormTemplates[] = {
    {.id = FormTemplate,
     .caption = "",
     .size = {0, 0, 200, 120},
     .style = WS_CHILD,
     .controls =
         {
             {.id = ValueEdit, .kind = ControlKind::Edit, .rect = {10, 10, 60, 14}, .style = WS_VISIBLE | WS_TABSTOP},
             {.id = ApplyButton,
              .kind = ControlKind::PushButton,
              .text = "Apply",
              .rect = {80, 10, 50, 14},
              .style = WS_VISIBLE | WS_TABSTOP},
             {.id = FreeButton,
              .kind = ControlKind::PushButton,
              .text = "Free",
              .rect = {140, 10, 50, 14},
              .style = WS_VISIBLE | WS_TABSTOP},
             {.id = Pane,
              .kind = ControlKind::Custom,
              .rect = {10, 40, 180, 70},
              .style = WS_VISIBLE,
              .className = PaneClass},
         }},
};

void RegisterFormResources()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterResources({.dialogs = FormTemplates});
    WNDCLASS pane;
    pane.lpszClassName = PaneClass;
    RegisterClass(&pane);
}

// The window object a form binds to its custom control.
class PaneWindow : public CWnd
{
};

class TestFormView : public CFormView
{
public:
    TestFormView() : CFormView(FormTemplate)
    {
        MapCommand(ApplyCommand, &TestFormView::OnApply);
        MapUpdate(ApplyCommand, &TestFormView::OnUpdateApply);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CFormView::DoDataExchange(pDX);
        DDX_Control(pDX, Pane, pane);
        DDX_Text(pDX, ValueEdit, value);
    }
    void OnApply() { ++applied; }
    void OnUpdateApply(CCmdUI* ui) { ui->Enable(applyEnabled ? TRUE : FALSE); }

    PaneWindow pane;
    double value = 2.5;
    int applied = 0;
    bool applyEnabled = false;
};

// A top-level window holding one form view of the given client size.
struct FormHost {
    explicit FormHost(int width, int height)
    {
        RegisterFormResources();
        host.Create(nullptr, "host", WS_OVERLAPPED, CRect(0, 0, 800, 600), nullptr, 0);
        view = new TestFormView;  // deletes itself with its window
        EXPECT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, width, height), &host, 1));
        view->OnInitialUpdate();
        host.ShowWindow(SW_SHOW);
        ProcessEvents();
    }
    ~FormHost() { host.DestroyWindow(); }

    QPoint Place(int id) const { return view->GetDlgItem(id)->GetWidget()->pos(); }

    CWnd host;
    TestFormView* view = nullptr;
};

// A shown bar takes its breadth from the client area (the view has no frame).
bool BarShown(CWnd& wnd, int bar)
{
    CRect client;
    wnd.GetClientRect(&client);
    const QWidget* widget = wnd.GetWidget();
    return bar == SB_HORZ ? client.Height() < widget->height() : client.Width() < widget->width();
}

TEST(FormView, BuildsTheTemplatesControlsAndExchangesTheirData)
{
    FormHost form(800, 600);
    TestFormView& view = *form.view;
    // The custom control is the member's window now, found among the view's children.
    ASSERT_NE(view.pane.GetSafeHwnd(), nullptr);
    EXPECT_EQ(view.GetDlgItem(Pane), &view.pane);
    EXPECT_EQ(view.pane.GetParent(), &view);
    auto* edit = qobject_cast<QLineEdit*>(view.GetDlgItem(ValueEdit)->GetWidget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "2.5");

    // Controls sit where the template puts them, in the template font's dialog units.
    CRect place(10, 40, 190, 110);
    view.MapDialogRect(&place);
    EXPECT_EQ(form.Place(Pane), QPoint(place.left, place.top));
    CRect pane;
    view.pane.GetClientRect(&pane);
    EXPECT_EQ(pane.Width(), place.Width());

    edit->setText("7.25");
    EXPECT_TRUE(view.UpdateData(TRUE));
    EXPECT_DOUBLE_EQ(view.value, 7.25);

    MessageBoxSink sink;
    edit->setText("seven");
    EXPECT_FALSE(view.UpdateData(TRUE));
    EXPECT_DOUBLE_EQ(view.value, 7.25);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Enter a number.");
}

TEST(FormView, ScrollBarsShowWhileTheClientIsSmallerThanTheTemplate)
{
    FormHost form(800, 600);
    TestFormView& view = *form.view;
    const QPoint paneHome = form.Place(Pane);
    const CSize total = view.GetTotalSize();
    ASSERT_GT(total.cx, 100);
    EXPECT_FALSE(BarShown(view, SB_HORZ));
    EXPECT_FALSE(BarShown(view, SB_VERT));

    // Smaller than the template on both axes: both bars, each page the client's extent.
    view.MoveWindow(0, 0, total.cx / 2, total.cy / 2);
    ProcessEvents();
    EXPECT_TRUE(BarShown(view, SB_HORZ));
    EXPECT_TRUE(BarShown(view, SB_VERT));
    CRect client;
    view.GetClientRect(&client);
    SCROLLINFO info;
    view.GetScrollInfo(SB_VERT, &info, SIF_ALL);
    EXPECT_EQ(int(info.nPage), client.Height());
    EXPECT_EQ(info.nMax, total.cy - 1);

    // Scrolling to the bottom moves every child up by the position, which stops where the
    // template's bottom edge meets the client's.
    view.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    const int bottom = total.cy - client.Height();
    EXPECT_EQ(view.GetScrollPosition().y, bottom);
    EXPECT_EQ(form.Place(Pane), paneHome - QPoint(0, bottom));
    view.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(view.GetScrollPosition().y, bottom - total.cy / 100);
    view.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view.GetScrollPosition().x, client.Width());  // a page is the client's width
    view.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view.GetScrollPosition().x, total.cx - client.Width());
    EXPECT_EQ(form.Place(Pane), paneHome - QPoint(view.GetScrollPosition().x, view.GetScrollPosition().y));

    // Large enough again: no bars, and the children are back at the template's places.
    view.MoveWindow(0, 0, total.cx + 40, total.cy + 40);
    ProcessEvents();
    EXPECT_FALSE(BarShown(view, SB_HORZ));
    EXPECT_FALSE(BarShown(view, SB_VERT));
    EXPECT_EQ(view.GetScrollPosition(), CPoint(0, 0));
    EXPECT_EQ(form.Place(Pane), paneHome);

    // Taller than the template but narrower: the horizontal bar alone.
    view.MoveWindow(0, 0, total.cx / 2, total.cy + 80);
    ProcessEvents();
    EXPECT_TRUE(BarShown(view, SB_HORZ));
    EXPECT_FALSE(BarShown(view, SB_VERT));
}

TEST(FormView, ButtonsFollowTheirUpdateHandlers)
{
    FormHost form(800, 600);
    TestFormView& view = *form.view;
    CWnd* apply = view.GetDlgItem(ApplyButton);
    CWnd* free = view.GetDlgItem(FreeButton);
    view.UpdateDialogControls(&view, FALSE);
    EXPECT_FALSE(apply->IsWindowEnabled());
    EXPECT_TRUE(free->IsWindowEnabled());  // no handler: left as it is

    view.applyEnabled = true;
    view.UpdateDialogControls(&view, FALSE);
    EXPECT_TRUE(apply->IsWindowEnabled());
    static_cast<CButton*>(apply)->Click();
    EXPECT_EQ(view.applied, 1);

    view.UpdateDialogControls(&view, TRUE);  // now a button without a command handler greys
    EXPECT_FALSE(free->IsWindowEnabled());
}

TEST(FormView, ChildWindowsAreEnumeratedUntilTheProcedureStops)
{
    FormHost form(800, 600);
    struct Seen {
        std::vector<int> ids;
        int stopAt = 0;
    } seen;
    const auto record = [](HWND handle, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Seen*>(lParam);
        const int id = CWnd::FromHandle(handle)->GetDlgCtrlID();
        s->ids.push_back(id);
        return id == s->stopAt ? FALSE : TRUE;
    };
    EXPECT_TRUE(EnumChildWindows(form.view, record, LPARAM(&seen)));
    EXPECT_EQ(seen.ids, (std::vector<int>{ValueEdit, ApplyButton, FreeButton, Pane}));

    seen.ids.clear();
    seen.stopAt = ApplyButton;
    EXPECT_FALSE(EnumChildWindows(form.view, record, LPARAM(&seen)));
    EXPECT_EQ(seen.ids, (std::vector<int>{ValueEdit, ApplyButton}));
}

TEST(FormView, AMissingTemplateFailsTheCreation)
{
    RegisterFormResources();
    CWnd host;
    host.Create(nullptr, "host", WS_OVERLAPPED, CRect(0, 0, 300, 200), nullptr, 0);
    struct MissingForm : CFormView {
        MissingForm() : CFormView(9998) {}
    };
    auto* view = new MissingForm;  // a view refused by its creation deletes itself
    const std::weak_ptr<bool> life = view->LifeToken();
    EXPECT_FALSE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &host, 1));
    EXPECT_TRUE(life.expired());
    host.DestroyWindow();
}

}  // namespace
