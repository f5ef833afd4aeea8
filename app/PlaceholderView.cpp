#include "app/PlaceholderView.h"

#include "platform/DeviceContext.h"

namespace {

constexpr COLORREF GroundColour = RGB(240, 240, 240);

}  // namespace

const CRuntimeClass CPlaceholderView::Runtime{"CPlaceholderView", &CView::Runtime, &CreateRuntimeObject<CPlaceholderView>};

void CPlaceholderView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(client, GroundColour);
}
