#include "app/SeriesGridCtrl.h"

#include "platform/OleData.h"

#include <algorithm>
#include <string>

const CRuntimeClass CSeriesGridCtrl::Runtime{"CSeriesGridCtrl", &CGridCtrl::Runtime, nullptr};

BOOL CSeriesGridCtrl::PasteText(int row, int col, COleDataObject* data, BOOL selectPasted)
{
    if (!IsValid(row, col) || !Editable || !data || !data->IsDataAvailable(CF_TEXT)) return FALSE;
    std::string text;
    if (!data->GetText(&text)) return FALSE;
    text.resize(std::min(text.size(), text.find('\0')));
    // Every line break ends a line; what follows the last one is a line unless it is empty.
    long long lines = std::count(text.begin(), text.end(), '\n');
    if (!text.empty() && text.back() != '\n') ++lines;
    if (lines == 0) return CGridCtrl::PasteText(row, col, data, selectPasted);
    const long long lastRow = row + lines - 1;
    const int clampedLines = int(std::min<long long>(lines, 0x7fffffff));
    const int clampedLast = int(std::min<long long>(lastRow, 0x7fffffff));
    if (MakeRoom && !MakeRoom(clampedLines, clampedLast)) return FALSE;
    return CGridCtrl::PasteText(row, col, data, selectPasted);
}
