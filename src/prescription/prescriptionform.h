#pragma once

#include <QString>
#include <QStringList>

#include "prescription/drugcategories.h"
#include "prescription/sheetgeometry.h"
#include "print/printercanvas.h"
#include "print/printjob.h"
#include "settings/fontspec.h"
#include "settings/margins.h"

class PrescriptionSheet;

// The printed prescription. Every element of the sheet is drawn at 1.2 times its place on the
// paper in its own font two points larger; the body follows line by line in the prescription font
// of the settings: Western lines one under another, Chinese lines as herb items in columns. The
// form keeps a copy of what it prints, so a preview or a second printout shows the same sheet.
class PrescriptionForm
{
public:
    // The settings the printout reads.
    struct Settings
    {
        QString organisationName; // 单位名称
        Margins margins;          // 左边距, 上边距
        FontSpec bodyFont;        // 处方字体 (none: 宋体), 处方字号 (none: 14)
    };

    static constexpr double PrintScale = 1.2;
    // The form is drawn for 10 mm margins.
    static constexpr double DesignedMarginMillimetres = 10;
    static constexpr double DefaultBodyFontSize = 14;
    // Herb items stand in columns 38 mm apart; items with a note in brackets 37 mm and 60 twips.
    static constexpr double HerbColumnPitch = 2154.6;
    static constexpr double NotedHerbColumnPitch = 2097.9 + 60;
    // A row of herb items moves the next line this far down; a Western line is printed this far
    // below the previous line's end; an empty line first moves up this far.
    static constexpr double HerbRowAdvance = 420;
    static constexpr double LineGap = 120;
    static constexpr double EmptyLineRise = 200;
    // A note is printed in 宋体 8 pt, raised this far and starting this far back into the name.
    static constexpr double NoteFontSize = 8;
    static constexpr double NoteRise = 170;
    static constexpr double NoteStepBack = 200;
    // The body box holds its text this many pixels in from each side (a borderless box with the
    // text edit's usual document margin).
    static constexpr int BodyBoxInsetPixels = 4;

    // Copies what the sheet shows; the body lines are those the body box shows at its width.
    PrescriptionForm(const PrescriptionSheet &sheet, const Settings &settings);

    // The lines printed for the body, as the body box displays them (a wrapped paragraph is
    // several lines); other lines may be handed over, each printed as one line.
    QStringList bodyLines() const { return m_bodyLines; }
    void setBodyLines(const QStringList &lines);
    // The display lines of a body in the body box of that placement (宋体 10.5 pt at the box's
    // width less its insets, in pixels at 15 twips a pixel).
    static QStringList bodyDisplayLines(const QString &body, SheetGeometry::BodyPlacement placement);

    // A line under the body for the physician's second signature, on a prescription printed
    // despite red safety warnings.
    void setSecondSignature(bool shown) { m_secondSignature = shown; }
    bool secondSignature() const { return m_secondSignature; }

    // Draws the form on the canvas; the document is left open.
    void draw(PrinterCanvas &canvas) const;
    // Draws a copy of this form each time it runs.
    PrintLayout layout() const;
    // The form as a print job for the given printer (empty: the default printer).
    PrintJob printJob(const QString &printerName) const;

    // Where the body's printed text ends (its lowest text's bottom edge) and where it must end to
    // stay clear of the footer: the rule above the footer (7800 × 1.2), or on a Chinese
    // prescription the doses line printed just above that rule. Form twips, before the margins.
    double bodyBottom() const;
    double bodyLimit() const;
    // Whether the body runs into the footer; the window tells the user before printing.
    bool bodyTooLong() const { return bodyBottom() > bodyLimit(); }

private:
    void drawSheet(PrinterCanvas &canvas) const;
    void drawBody(PrinterCanvas &canvas) const;
    void drawHerbRow(PrinterCanvas &canvas, const QStringList &items, double left) const;
    void setBodyFont(PrinterCanvas &canvas) const;

    QStringList m_fields;
    PrescriptionKind m_kind = PrescriptionKind::Western;
    SheetGeometry::BodyPlacement m_placement = SheetGeometry::BodyPlacement::Western;
    QString m_doses;
    QString m_organisationName;
    Margins m_margins;
    PrinterCanvas::Font m_bodyFont;
    QStringList m_bodyLines;
    bool m_secondSignature = false;
};
