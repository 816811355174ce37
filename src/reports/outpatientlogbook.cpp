#include "reports/outpatientlogbook.h"

#include "print/printercanvas.h"

namespace {

using LineFeed = PrinterCanvas::LineFeed;

const QString Song = QStringLiteral("宋体");
constexpr double FirstLineY = 28;
constexpr double LineStep = 10;

} // namespace

PrintJob OutpatientLogBook::job(const QList<OutpatientLogRepository::Visit> &visits, const Options &options)
{
    PrintJob job;
    job.title = QStringLiteral("门诊日志");
    job.orientation = QPageLayout::Landscape;
    job.layout = [visits, options](PrinterCanvas &canvas) { draw(canvas, visits, options); };
    return job;
}

void OutpatientLogBook::draw(PrinterCanvas &canvas, const QList<OutpatientLogRepository::Visit> &visits,
                             const Options &options)
{
    canvas.setUnits(PrinterCanvas::Units::Millimetres);
    canvas.setScaleLeft(-options.margins.left);
    canvas.setScaleTop(10 - options.margins.top);
    canvas.setOrientation(QPageLayout::Landscape);
    canvas.setDrawWidth(1);
    if (!visits.isEmpty()) {
        int page = 1;
        int onPage = 0;
        double y = FirstLineY;
        drawPageDecoration(canvas, page, options.physician);
        for (const OutpatientLogRepository::Visit &visit : visits) {
            if (++onPage > VisitsPerPage) {
                canvas.newPage();
                drawPageDecoration(canvas, ++page, options.physician);
                onPage = 1;
                y = FirstLineY;
            }
            canvas.setFont({Song, 11, false});
            canvas.printAt(2, y, visit.name, LineFeed::No);
            canvas.printAt(27, y, visit.sex, LineFeed::No);
            canvas.printAt(37, y, visit.age, LineFeed::No);
            canvas.printAt(50, y, visit.diagnosis, LineFeed::No);
            canvas.printAt(102, y, visit.address, LineFeed::No);
            canvas.printAt(172, y, visit.date, LineFeed::No);
            y += LineStep;
        }
    }
    canvas.setUnits(PrinterCanvas::Units::Twips);
}

void OutpatientLogBook::drawPageDecoration(PrinterCanvas &canvas, int page, const QString &physician)
{
    canvas.setFont({Song, 26, true});
    canvas.printAt(90, 0, QStringLiteral("门 诊 日 志 登 记 本"), LineFeed::No);
    canvas.line(90, 10, 182, 10);
    canvas.line(90, 11, 182, 11);
    for (double y = 15; y <= 165; y += 10)
        canvas.line(0, y, 260, y);
    for (const double x : {0, 25, 35, 47, 100, 170, 208, 260})
        canvas.line(x, 15, x, 165);
    canvas.setFont({Song, 11, false});
    const QList<QPair<double, QString>> headings = {
        {2, QStringLiteral("姓    名")},
        {26, QStringLiteral("性别")},
        {36, QStringLiteral("年龄")},
        {55, QStringLiteral("诊             断")},
        {110, QStringLiteral("住       址\\电      话")},
        {180, QStringLiteral("就诊日期")},
        {215, QStringLiteral("备    注")},
    };
    for (const auto &[x, heading] : headings)
        canvas.printAt(x, 18, heading, LineFeed::No);
    canvas.printAt(0, 166, QStringLiteral("医师：") + physician, LineFeed::No);
    canvas.printAt(240, 166, QStringLiteral("第 %1 页").arg(page), LineFeed::No);
}
