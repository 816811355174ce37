#include "reports/widgets/reportdateboxes.h"

#include <QLineEdit>

#include "reports/reportdaterange.h"

namespace ReportDateBoxes {

void show(QLineEdit *from, QLineEdit *to, const ReportDateRange &range)
{
    from->setText(ReportDateRange::dateText(range.from()));
    to->setText(ReportDateRange::dateText(range.to()));
}

} // namespace ReportDateBoxes
