// chart_printing.h --- a chart that prints itself when clicked: the printer dialog, then the
// chart in landscape.
#pragma once

class QChartView;

namespace ui {

// From now on a click on the chart opens the printer dialog and prints it in landscape.
void print_on_click(QChartView* view);

} // namespace ui
