// What the node table shows: the node columns of each file type and water-quality data, and
// the rule by which a typed cell text stands for a number. The column ids are those of
// VQXDisplayNode::GetColumnValue.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace NodeTableColumns {

// Column ids of the node table's columns, left to right, for a model of fileType (0 open
// water, 1 static ice, 2 dynamic ice, 3 thermal ice; any other gives the base columns) with
// water-quality data of wqType loaded (0 nutrients, 1 heavy metals, 2 xenobiotics) or none
// (waterQualityLoaded false). Dynamic ice shows no water-quality columns.
std::vector<int> ColumnIds(int fileType, bool waterQualityLoaded, int wqType);

// The number a cell's edited text stands for: 0 for a text of only '0' and '.' characters
// (the empty text too), its leading number when that reads finite and not 0 (blanks, a sign,
// digits, a point and an exponent, read in the C locale), else nothing (the text is
// refused: letters, "-0", " 0", "1e999", "inf", "nan").
std::optional<double> EditedCellValue(std::string_view text);

// A cell's text for value: "%.*f" with decimals, in the C locale.
std::string CellText(double value, int decimals);

}  // namespace NodeTableColumns
