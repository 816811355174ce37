#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include "print/printercanvas.h"
#include "print/printjob.h"
#include "settings/margins.h"

// The outpatient medical record on ruled paper. Every page has a frame: the title, the visit
// time, the patient's line and address, a double rule, 21 ruled lines and a footer with the
// physician and the page number. The nine sections are written on the ruled lines, 现病史 and 体检
// three lines each, the treatment on as many lines as it has, continued on further pages. Drawn
// for 5 mm margins.
class MedicalRecordForm
{
public:
    enum Section {
        ChiefComplaint,
        PresentIllness,
        PastHistory,
        PersonalHistory,
        AllergyHistory,
        Examination,
        AuxiliaryExamination,
        Diagnosis,
        Treatment,
        SectionCount
    };

    // The header labels as the record window shows them, each a whole label text ("姓名：张三").
    struct Header
    {
        QString title;     // the organisation's title ending in 门诊病历
        QString visitTime; // 就诊时间：…
        QString name;
        QString sex;
        QString age;
        QString department;
        QString address;
    };

    static constexpr double DesignedMarginMillimetres = 5;
    static constexpr int RuledLines = 21;
    // 现病史 and 体检 take this many body lines; the other sections before the treatment one.
    static constexpr int SectionBlockLines = 3;
    // Treatment lines on the first page (after twelve lines of the other sections) and on each
    // further page (one a ruled line, so none falls on the footer).
    static constexpr int FirstPageTreatmentLines = 9;
    static constexpr int FurtherPageTreatmentLines = RuledLines;

    // The section captions as printed, "主  诉：" … "处  理：".
    static const QStringList &captions();

    // The nine section texts in order (missing ones count as empty). Until set otherwise, the
    // display lines of a section are its text cut at its line breaks.
    MedicalRecordForm(const QStringList &sections, const Header &header, const QString &physician,
                      const Margins &margins);

    QString section(Section section) const { return m_sections.value(section); }
    // The lines a section's box shows (a paragraph the box wraps is several lines). Printing reads
    // them for 现病史, 体检 and the treatment; the one-line sections print their whole text.
    QStringList displayLines(Section section) const { return m_lines.value(section); }
    void setDisplayLines(Section section, const QStringList &lines);
    // The lines the section's box shows when it lays its text out in this font at this width.
    void wrapSection(Section section, const QFont &font, double textWidthPixels);

    // Sections with more text than the printout has room for, so the user can be told before
    // printing: 现病史 or 体检 with text past their third line, a one-line section wider than
    // its ruled line. The treatment never is: it continues on further pages.
    QList<Section> overfullSections() const;
    int pageCount() const;

    // Draws every page; the document is left open.
    void draw(PrinterCanvas &canvas) const;
    // Draws a copy of this record each time it runs.
    PrintLayout layout() const;
    PrintJob printJob(const QString &printerName) const;

private:
    void drawFrame(PrinterCanvas &canvas, int page) const;
    void printBodyLine(PrinterCanvas &canvas, int line, const QString &caption, const QString &text) const;
    // The whole text of a one-line section on one line.
    QString oneLine(Section section) const;
    // The treatment's display lines without the blank ones at its end, which would print nothing.
    QStringList treatmentLines() const;

    QStringList m_sections;
    QList<QStringList> m_lines;
    Header m_header;
    QString m_physician;
    Margins m_margins;
};
