#pragma once

class QLineEdit;
class ReportDateRange;

// The from and to boxes of the report windows.
namespace ReportDateBoxes {

// Shows the range's dates in the boxes as the user types them.
void show(QLineEdit *from, QLineEdit *to, const ReportDateRange &range);

} // namespace ReportDateBoxes
