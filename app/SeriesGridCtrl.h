// The series editors' grid: a paste first asks its owner to make room for every pasted line,
// so a block longer than the grid grows it (as the entry count does) instead of losing lines.
#pragma once

#include "controls/GridCtrl.h"

#include <functional>

class CSeriesGridCtrl : public CGridCtrl
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Counts the lines of the data's text (an empty last line pastes nothing), asks MakeRoom
    // with that count and the last row they reach, and pastes only when it agrees (TRUE);
    // otherwise FALSE and nothing changes.
    BOOL PasteText(int row, int col, COleDataObject* data, BOOL selectPasted) override;

    std::function<BOOL(int lines, int lastRow)> MakeRoom;
};
