#pragma once

#include <QLine>
#include <QList>
#include <QRect>
#include <QString>

#include "prescription/drugcategories.h"

// Where everything on the prescription paper sits, in twips inside the paper region (6293 × 8625):
// the window places its controls from here, and the printed form draws the same places at 1.2
// times. Caption widths follow the SimSun cell: 195 twips a character at 9 points bold.
class SheetGeometry
{
public:
    // How the body box is placed: Western, or one of the two Chinese placements (a new Chinese
    // prescription gets the wide one, a category button or a reopened one the narrow one).
    enum class BodyPlacement { Western, ChineseWide, ChineseNarrow };

    struct HeaderField
    {
        QString caption;
        QRect frame;    // left, top, width, height 315
        bool hidden;    // frames of fields 10, 11, 12 and 14 are never shown
        // Inside the frame:
        QPoint captionAt;
        QRect box;      // the text box
        QLine underline;
    };
    struct Label
    {
        QString text;
        QPoint at;
        QString fontName;
        double fontSize;
        bool bold;
    };

    static constexpr int PaperWidth = 6293;
    static constexpr int PaperHeight = 8625;
    // Fonts of the sheet's boxes, all 宋体: field captions bold, field values, the doses box bold,
    // and the body box.
    static constexpr double FieldCaptionFontSize = 9;
    static constexpr double FieldValueFontSize = 9.75;
    static constexpr double DosesFontSize = 11.25;
    static constexpr double BodyFontSize = 10.5;
    static QString boxFontName() { return QStringLiteral("宋体"); }

    static const QList<HeaderField> &headerFields();
    static int captionWidth(const QString &caption);

    // Title labels: organisation (0), doses caption (1), "Rp" (2), paper title (3), kind (4).
    static Label organisationTitle(const QString &name);
    static Label paperTitle();
    static Label kindLabel(PrescriptionKind kind);
    static Label rp();
    static Label dosesCaption();
    static QRect dosesBox();
    // The box around the kind label (width 2) and the rule above the footer (width 1).
    static QList<QLine> kindBox();
    static QLine footerRule();
    static QRect bodyBox(BodyPlacement placement);

    // The width of a text in twips by the SimSun cell model (a wide character 1 em, others ½ em).
    static int textWidth(const QString &text, double pointSize);
};
