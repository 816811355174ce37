#include "records/medicalrecordform.h"

#include "print/formorigin.h"
#include "print/recordingcanvas.h"
#include "print/units.h"
#include "text/linebreaks.h"
#include "text/textboxwrap.h"

namespace {

using LineFeed = PrinterCanvas::LineFeed;

// The header's upper rule; body lines, ruled lines and the footer are measured from it.
constexpr double UpperRule = 1920;
constexpr double LowerRule = 1980;
constexpr double RuleLeft = 120;
constexpr double RuleRight = 6780;
constexpr double PanelWidth = 6975;
constexpr double CaptionLeft = 120;
constexpr double TextLeft = 1080;
constexpr double PageNumberLeft = 6000;
constexpr double LinePitchMillimetres = 7;
constexpr double FooterMillimetres = 148;
constexpr double TitleFontSize = 18;
// The last header label's font, which the body and the footer use too.
constexpr double LabelFontSize = 11.25;

QString songTi()
{
    return QStringLiteral("宋体");
}

double bodyLineTop(int line)
{
    return UpperRule + millimetresToTwips(2 + line * LinePitchMillimetres);
}

bool isThreeLineSection(int section)
{
    return section == MedicalRecordForm::PresentIllness || section == MedicalRecordForm::Examination;
}

} // namespace

const QStringList &MedicalRecordForm::captions()
{
    static const QStringList captions = {
        QStringLiteral("主  诉："), QStringLiteral("现病史："), QStringLiteral("既往史："),
        QStringLiteral("个人史："), QStringLiteral("过敏史："), QStringLiteral("体  检："),
        QStringLiteral("辅  检："), QStringLiteral("诊  断："), QStringLiteral("处  理："),
    };
    return captions;
}

MedicalRecordForm::MedicalRecordForm(const QStringList &sections, const Header &header, const QString &physician,
                                     const Margins &margins)
    : m_header(header)
    , m_physician(physician)
    , m_margins(margins)
{
    for (int i = 0; i < SectionCount; ++i) {
        m_sections.append(sections.value(i));
        m_lines.append(LineBreaks::shown(m_sections.at(i)).split(QLatin1Char('\n')));
    }
}

void MedicalRecordForm::setDisplayLines(Section section, const QStringList &lines)
{
    if (section < 0 || section >= SectionCount)
        return;
    // A line break inside a handed-over line would send the canvas back to the paper's left edge.
    QStringList split;
    for (const QString &line : lines)
        split.append(LineBreaks::shown(line).split(QLatin1Char('\n')));
    m_lines[section] = split;
}

void MedicalRecordForm::wrapSection(Section section, const QFont &font, double textWidthPixels)
{
    setDisplayLines(section, TextBoxWrap::lines(this->section(section), font, textWidthPixels));
}

QList<MedicalRecordForm::Section> MedicalRecordForm::overfullSections() const
{
    QList<Section> overfull;
    for (int i = 0; i < SectionCount; ++i) {
        const auto section = Section(i);
        if (section == Treatment)
            continue;
        bool over = false;
        if (isThreeLineSection(section)) {
            const QStringList lines = displayLines(section);
            for (qsizetype k = SectionBlockLines; k < lines.size() && !over; ++k)
                over = !lines.at(k).trimmed().isEmpty();
        } else {
            over = RecordingCanvas::cellWidthTwips(oneLine(section), LabelFontSize) > RuleRight - TextLeft;
        }
        if (over)
            overfull.append(section);
    }
    return overfull;
}

int MedicalRecordForm::pageCount() const
{
    const qsizetype further = treatmentLines().size() - FirstPageTreatmentLines;
    if (further <= 0)
        return 1;
    return 1 + int((further + FurtherPageTreatmentLines - 1) / FurtherPageTreatmentLines);
}

QString MedicalRecordForm::oneLine(Section section) const
{
    return LineBreaks::shown(this->section(section)).split(QLatin1Char('\n')).join(QLatin1Char(' '));
}

QStringList MedicalRecordForm::treatmentLines() const
{
    QStringList lines = displayLines(Treatment);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

void MedicalRecordForm::draw(PrinterCanvas &canvas) const
{
    FormOrigin::apply(canvas, m_margins.left, m_margins.top, DesignedMarginMillimetres);
    int page = 1;
    drawFrame(canvas, page);

    int line = 0;
    for (int i = 0; i < Treatment; ++i) {
        const auto section = Section(i);
        const QString &caption = captions().at(i);
        if (!isThreeLineSection(section)) {
            printBodyLine(canvas, line++, caption, oneLine(section));
            continue;
        }
        const QStringList lines = displayLines(section);
        for (int k = 0; k < SectionBlockLines; ++k)
            printBodyLine(canvas, line++, k == 0 ? caption : QString(), lines.value(k));
    }

    const QStringList treatment = treatmentLines();
    printBodyLine(canvas, line, captions().at(Treatment), QString());
    for (const QString &text : treatment) {
        if (line >= RuledLines) {
            canvas.newPage();
            drawFrame(canvas, ++page);
            line = 0;
        }
        printBodyLine(canvas, line++, QString(), text);
    }
}

void MedicalRecordForm::printBodyLine(PrinterCanvas &canvas, int line, const QString &caption, const QString &text) const
{
    const double top = bodyLineTop(line);
    canvas.printAt(CaptionLeft, top, caption, LineFeed::No);
    canvas.printAt(TextLeft, top, text, LineFeed::No);
}

void MedicalRecordForm::drawFrame(PrinterCanvas &canvas, int page) const
{
    canvas.setFont({songTi(), TitleFontSize, true});
    canvas.printAt((PanelWidth - canvas.textWidth(m_header.title)) / 2, 180, m_header.title, LineFeed::No);

    canvas.setFont({songTi(), LabelFontSize, false});
    canvas.printAt(120, 780, m_header.visitTime, LineFeed::No);
    canvas.printAt(120, 1200, m_header.name, LineFeed::No);
    canvas.printAt(2340, 1200, m_header.sex, LineFeed::No);
    canvas.printAt(3660, 1200, m_header.age, LineFeed::No);
    canvas.printAt(5400, 1200, m_header.department, LineFeed::No);
    canvas.printAt(120, 1620, m_header.address, LineFeed::No);

    canvas.line(RuleLeft, LowerRule, RuleRight, LowerRule);
    canvas.line(RuleLeft, UpperRule, RuleRight, UpperRule);
    for (int j = 1; j <= RuledLines; ++j) {
        const double y = UpperRule + millimetresToTwips(j * LinePitchMillimetres);
        canvas.line(RuleLeft, y, RuleRight, y);
    }

    const double footer = UpperRule + millimetresToTwips(FooterMillimetres);
    canvas.printAt(CaptionLeft, footer, QStringLiteral("医师：") + m_physician, LineFeed::No);
    canvas.printAt(PageNumberLeft, footer, QStringLiteral("第 %1 页").arg(page), LineFeed::No);
}

PrintLayout MedicalRecordForm::layout() const
{
    return [record = *this](PrinterCanvas &canvas) { record.draw(canvas); };
}

PrintJob MedicalRecordForm::printJob(const QString &printerName) const
{
    PrintJob job;
    job.title = QStringLiteral("门诊病历");
    job.layout = layout();
    job.printerName = printerName;
    return job;
}
