#pragma once

#include <functional>

#include <QPageLayout>
#include <QPointF>
#include <QSizeF>
#include <QString>

class PrinterCanvas;

// One printout: a function drawing a form on whatever canvas it is handed (printer, PDF,
// preview or the recording canvas of the tests).
using PrintLayout = std::function<void(PrinterCanvas &)>;

// The surface every printout is drawn on. It behaves like the VB printer object the forms were
// designed on: twips or millimetres, a movable origin (scaleLeft/scaleTop), a current position that
// printed text advances, lines with a pixel width, pages and the end of the document. Line height
// and baseline follow a fixed cell model, so a form lands where it says whatever font stands in for
// 宋体. Backends receive positions in twips from the top-left corner of the printable area.
class PrinterCanvas
{
public:
    enum class Units { Twips, Millimetres };
    enum class LineFeed { No, Yes };

    struct Font
    {
        QString name = QStringLiteral("宋体");
        double pointSize = 9.0;
        bool bold = false;
    };

    // The SimSun cell: a line is 1 em high and the baseline lies 0.875 em below the top.
    static constexpr double TwipsPerPoint = 20.0;
    static constexpr double BaselineEm = 0.875;

    virtual ~PrinterCanvas();

    Units units() const { return m_units; }
    // As with VB's ScaleMode: the origin returns to the printable area's corner (scaleLeft and
    // scaleTop become 0) and the current position keeps its place on the paper, read in the new units.
    void setUnits(Units units);
    double scaleLeft() const { return m_scaleLeft; }
    double scaleTop() const { return m_scaleTop; }
    // The layout point (x, y) lies at (x - scaleLeft, y - scaleTop) from the printable area's corner.
    // The current position stays where it is on the paper.
    void setScaleLeft(double value);
    void setScaleTop(double value);
    // The printable area's size in the current units, for the orientation of the next output.
    double scaleWidth() const;
    double scaleHeight() const;

    double currentX() const;
    double currentY() const;
    void setCurrentX(double x);
    void setCurrentY(double y);

    Font font() const { return m_font; }
    void setFont(const Font &font);
    // An empty name and a size that is not a positive number are ignored.
    void setFontName(const QString &name);
    void setFontSize(double points);
    void setFontBold(bool bold);

    // Line width in device pixels, as VB's DrawWidth: 1 is the thinnest line the device draws.
    int drawWidth() const { return m_drawWidth; }
    void setDrawWidth(int pixels);

    // Applies to the current page while nothing is drawn on it, otherwise from the next page on.
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setOrientation(QPageLayout::Orientation orientation);

    // The width of the longest line of the text in the current font and units.
    double textWidth(const QString &text) const;
    // The height of one line in the current font and units.
    double textHeight() const;

    // Prints the text with its top-left corner at the current position. With a line feed the next
    // line starts at the printable area's left edge one line lower; without, the position moves
    // behind the text. A line break inside the text works as a line feed.
    void print(const QString &text, LineFeed lineFeed = LineFeed::Yes);
    // Moves the current position to the layout point (x, y), then prints there.
    void printAt(double x, double y, const QString &text, LineFeed lineFeed = LineFeed::Yes);
    // A line between two layout points; the current position moves to its end.
    void line(double x1, double y1, double x2, double y2);
    // Ends the page; the position returns to the printable area's corner. The next page is started
    // by its first output, so a page break just before the end of the document adds no blank page.
    void newPage();
    // Ends the document; later output is not drawn and is reported by outputAfterEnd().
    void endDocument();

    // The number of the page output goes to, counting from 1.
    int page() const { return m_page; }
    // Pages actually begun (those with output, and blank ones between them).
    int pagesStarted() const { return m_pagesStarted; }
    bool isEnded() const { return m_ended; }
    bool outputAfterEnd() const { return m_outputAfterEnd; }

    // Draws the layout and ends the document unless the layout did.
    void run(const PrintLayout &layout);

protected:
    explicit PrinterCanvas(QPageLayout::Orientation orientation);

    // Twips of one current unit.
    double unitTwips() const;
    QPointF toTwips(double x, double y) const;
    QPointF toLayout(const QPointF &twips) const;

    virtual double measureTwips(const QString &line, const Font &font) const = 0;
    virtual QSizeF printableSizeTwips(QPageLayout::Orientation orientation) const = 0;
    // Called before the first output of each page, blank pages included, in order.
    virtual void startPage(int number, QPageLayout::Orientation orientation) = 0;
    virtual void drawText(const QString &line, const QPointF &topLeftTwips, const Font &font) = 0;
    virtual void drawLine(const QPointF &fromTwips, const QPointF &toTwips, int drawWidth) = 0;
    virtual void finishDocument() = 0;

private:
    // Starts the pages up to the current one; false once the document has ended.
    bool prepareOutput();
    void printLine(const QString &line, LineFeed lineFeed);

    Units m_units = Units::Twips;
    double m_scaleLeft = 0;
    double m_scaleTop = 0;
    QPointF m_positionTwips;
    Font m_font;
    int m_drawWidth = 1;
    QPageLayout::Orientation m_orientation;
    int m_page = 1;
    int m_pagesStarted = 0;
    bool m_ended = false;
    bool m_outputAfterEnd = false;
};
