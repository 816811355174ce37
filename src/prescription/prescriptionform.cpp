#include "prescription/prescriptionform.h"

#include <QFont>

#include "prescription/bodytext.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/printdecision.h"
#include "print/formorigin.h"
#include "print/recordingcanvas.h"
#include "text/linebreaks.h"
#include "text/textboxwrap.h"

namespace {

using LineFeed = PrinterCanvas::LineFeed;

constexpr double TwipsPerPixel = 15;

double scaled(double sheetTwips)
{
    return sheetTwips * PrescriptionForm::PrintScale;
}

// An element's printed font: its own name and weight, two points larger.
void setElementFont(PrinterCanvas &canvas, const QString &name, double pointSize, bool bold)
{
    canvas.setFont({name, pointSize + 2, bold});
}

QString cleanItem(QString item)
{
    item.remove(QLatin1Char('\r'));
    item.remove(QLatin1Char('\n'));
    return item.trimmed();
}

// A Chinese body line cut into herb items, each ending with a unit mark (条, g, 枚, 个), and the
// text after the last mark. No items: the line holds no unit mark.
struct HerbRow
{
    QStringList items;
    QString remainder;
};

HerbRow herbRow(const QString &line)
{
    HerbRow row;
    QString item;
    for (const QChar c : line) {
        item.append(c);
        if (BodyText::herbUnits().contains(c)) {
            row.items.append(cleanItem(item));
            item.clear();
        }
    }
    row.remainder = cleanItem(item);
    return row;
}

} // namespace

PrescriptionForm::PrescriptionForm(const PrescriptionSheet &sheet, const Settings &settings)
    : m_kind(sheet.kind())
    , m_placement(sheet.bodyPlacement())
    , m_doses(sheet.doses())
    , m_organisationName(settings.organisationName)
    , m_margins(settings.margins)
{
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        m_fields.append(sheet.field(i));

    m_bodyFont.name = settings.bodyFont.nameOr(SheetGeometry::boxFontName());
    m_bodyFont.pointSize = settings.bodyFont.pointSizeOr(DefaultBodyFontSize);
    m_bodyFont.bold = false;

    m_bodyLines = bodyDisplayLines(sheet.body(), m_placement);
}

void PrescriptionForm::setBodyLines(const QStringList &lines)
{
    // A line break inside a handed-over line would send the canvas back to the paper's left edge.
    m_bodyLines.clear();
    for (const QString &line : lines)
        m_bodyLines.append(LineBreaks::shown(line).split(QLatin1Char('\n')));
}

QStringList PrescriptionForm::bodyDisplayLines(const QString &body, SheetGeometry::BodyPlacement placement)
{
    QFont font(SheetGeometry::boxFontName());
    font.setPointSizeF(SheetGeometry::BodyFontSize);
    const double width = SheetGeometry::bodyBox(placement).width() / TwipsPerPixel - 2 * BodyBoxInsetPixels;
    return TextBoxWrap::lines(body, font, width);
}

void PrescriptionForm::draw(PrinterCanvas &canvas) const
{
    FormOrigin::apply(canvas, m_margins.left, m_margins.top, DesignedMarginMillimetres);
    drawSheet(canvas);
    drawBody(canvas);
}

PrintLayout PrescriptionForm::layout() const
{
    return [form = *this](PrinterCanvas &canvas) { form.draw(canvas); };
}

PrintJob PrescriptionForm::printJob(const QString &printerName) const
{
    PrintJob job;
    const QString name = m_fields.value(PrescriptionSheet::Name).trimmed();
    job.title = name.isEmpty() ? QStringLiteral("处方") : QStringLiteral("处方 %1").arg(name);
    job.layout = layout();
    job.printerName = printerName;
    return job;
}

double PrescriptionForm::bodyBottom() const
{
    RecordingCanvas canvas;
    drawBody(canvas);
    double bottom = scaled(SheetGeometry::bodyBox(m_placement).top());
    for (const RecordingCanvas::Text &text : canvas.texts())
        bottom = qMax(bottom, text.at.y() + text.font.pointSize * PrinterCanvas::TwipsPerPoint);
    return bottom;
}

double PrescriptionForm::bodyLimit() const
{
    if (m_kind == PrescriptionKind::Chinese)
        return scaled(SheetGeometry::dosesCaption().at.y());
    return scaled(SheetGeometry::footerRule().y1());
}

void PrescriptionForm::drawSheet(PrinterCanvas &canvas) const
{
    const bool chinese = m_kind == PrescriptionKind::Chinese;

    // The title labels in their order on the sheet; the doses caption only on a Chinese sheet.
    const struct
    {
        SheetGeometry::Label label;
        bool shown;
    } labels[] = {
        {SheetGeometry::organisationTitle(m_organisationName), true},
        {SheetGeometry::dosesCaption(), chinese},
        {SheetGeometry::rp(), true},
        {SheetGeometry::paperTitle(), true},
        {SheetGeometry::kindLabel(m_kind), true},
    };
    for (const auto &[label, shown] : labels) {
        if (!shown)
            continue;
        setElementFont(canvas, label.fontName, label.fontSize, label.bold);
        canvas.printAt(scaled(label.at.x()), scaled(label.at.y()), label.text);
    }

    const QList<SheetGeometry::HeaderField> &fields = SheetGeometry::headerFields();
    setElementFont(canvas, SheetGeometry::boxFontName(), SheetGeometry::FieldCaptionFontSize, true);
    for (const SheetGeometry::HeaderField &field : fields) {
        if (!field.hidden) {
            const QPoint at = field.frame.topLeft() + field.captionAt;
            canvas.printAt(scaled(at.x()), scaled(at.y()), field.caption);
        }
    }
    setElementFont(canvas, SheetGeometry::boxFontName(), SheetGeometry::FieldValueFontSize, false);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (!fields.at(i).hidden) {
            const QPoint at = fields.at(i).frame.topLeft() + fields.at(i).box.topLeft();
            canvas.printAt(scaled(at.x()), scaled(at.y()), m_fields.value(i));
        }
    }

    const QLine rule = SheetGeometry::footerRule();
    canvas.setDrawWidth(1);
    canvas.line(scaled(rule.x1()), scaled(rule.y1()), scaled(rule.x2()), scaled(rule.y2()));
    canvas.setDrawWidth(2);
    for (const QLine &side : SheetGeometry::kindBox())
        canvas.line(scaled(side.x1()), scaled(side.y1()), scaled(side.x2()), scaled(side.y2()));

    canvas.setDrawWidth(1);
    for (const SheetGeometry::HeaderField &field : fields) {
        if (!field.hidden) {
            const QLine underline = field.underline.translated(field.frame.topLeft());
            canvas.line(scaled(underline.x1()), scaled(underline.y1()), scaled(underline.x2()), scaled(underline.y2()));
        }
    }

    if (chinese) {
        setElementFont(canvas, SheetGeometry::boxFontName(), SheetGeometry::DosesFontSize, true);
        const QRect doses = SheetGeometry::dosesBox();
        canvas.printAt(scaled(doses.left()), scaled(doses.top()), m_doses);
    }
}

void PrescriptionForm::setBodyFont(PrinterCanvas &canvas) const
{
    canvas.setFont(m_bodyFont);
}

void PrescriptionForm::drawBody(PrinterCanvas &canvas) const
{
    const QRect box = SheetGeometry::bodyBox(m_placement);
    // Lines start at the box's left as the sheet has it, not scaled: the form has always put them there.
    const double left = box.left();
    setBodyFont(canvas);
    canvas.setCurrentX(scaled(box.left()));
    canvas.setCurrentY(scaled(box.top()));

    for (const QString &line : m_bodyLines) {
        canvas.setCurrentX(left);
        if (line.trimmed().isEmpty()) {
            canvas.setCurrentY(canvas.currentY() - EmptyLineRise);
            canvas.print(QString());
            continue;
        }
        const HerbRow row = m_kind == PrescriptionKind::Chinese ? herbRow(line) : HerbRow();
        if (row.items.isEmpty()) {
            canvas.setCurrentY(canvas.currentY() + LineGap);
            canvas.print(line);
            continue;
        }
        drawHerbRow(canvas, row.items, left);
        // Text after the last unit mark belongs to no item; it gets a row of its own rather than
        // being lost.
        if (!row.remainder.isEmpty()) {
            canvas.setCurrentX(left);
            canvas.print(row.remainder, LineFeed::No);
            canvas.setCurrentY(canvas.currentY() + HerbRowAdvance);
        }
    }
    // Part of the body, so that a body too long for it is told before printing.
    if (m_secondSignature) {
        canvas.setCurrentX(left);
        canvas.setCurrentY(canvas.currentY() + LineGap);
        canvas.print(PrintDecision::secondSignatureLine());
    }
}

void PrescriptionForm::drawHerbRow(PrinterCanvas &canvas, const QStringList &items, double left) const
{
    const double baseline = canvas.currentY();
    for (qsizetype k = 0; k < items.size(); ++k) {
        const QString &item = items.at(k);
        const qsizetype open = item.indexOf(QLatin1Char('['));
        const qsizetype close = open < 0 ? -1 : item.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            canvas.setCurrentX(left + k * HerbColumnPitch);
            canvas.print(item, LineFeed::No);
            continue;
        }
        canvas.setCurrentX(left + k * NotedHerbColumnPitch);
        canvas.print(item.left(open).trimmed(), LineFeed::No);
        canvas.setCurrentY(canvas.currentY() - NoteRise);
        canvas.setCurrentX(canvas.currentX() - NoteStepBack);
        canvas.setFont({SheetGeometry::boxFontName(), NoteFontSize, false});
        canvas.print(QLatin1Char('[') + item.mid(open + 1, close - open - 1).trimmed() + QLatin1Char(']'), LineFeed::No);
        canvas.setCurrentY(canvas.currentY() + NoteRise);
        setBodyFont(canvas);
        canvas.print(item.mid(close + 1).trimmed(), LineFeed::No);
    }
    canvas.setCurrentY(baseline + HerbRowAdvance);
}
