// Plain-text printing on the default printer: one job, the lines laid out
// top to bottom over as many pages as they need.
#pragma once
#include <string>
#include <vector>

namespace ui {

// The default printer's name; empty when none is set.
std::string DefaultPrinterName();

enum class PrintResult { Printed, NoDefaultPrinter };

// Prints the lines as one job named title, without heading or page numbers.
// Raises std::runtime_error when the printer refuses the job.
PrintResult PrintTextLines(const std::string& title, const std::vector<std::string>& lines);

// Lines of the print font that fit on one page of the default printer;
// 0 without a default printer.
int PrintLinesPerPage();

// Shown when there is no default printer.
extern const char* const kNoDefaultPrinterText;

}  // namespace ui
