// Numbers of a spreadsheet's cells shown as a spreadsheet with a Russian locale shows them: the
// cell's number format applied, a comma as the decimal separator, dates as ДД.ММ.ГГГГ.
#pragma once

#include <string>
#include <string_view>

namespace bridge {

// The format code of built-in number format `id` in a Russian locale; "" for General and for
// an id it does not know.
std::string_view BuiltinNumberFormat(int id);

// `value` under format `code` ("" or "General": up to 15 significant digits, no floating-point
// noise). `date1904`: the workbook counts days from 1904 (a Mac's).
std::string ShowNumber(double value, std::string_view code, bool date1904 = false);

}  // namespace bridge
