#pragma once

#include <QList>
#include <QPageLayout>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include "print/printercanvas.h"

// A canvas that draws nothing and keeps every text, line and page of a printout, so tests can
// assert where a layout puts things. Text widths follow the SimSun cell instead of a real font.
class RecordingCanvas : public PrinterCanvas
{
public:
    struct Text
    {
        QString text;
        QPointF at;       // top-left corner in layout units at the time it was printed
        QPointF atTwips;  // the same point in twips from the printable area's corner
        Font font;
        int page = 0;
    };

    struct Line
    {
        QPointF from;
        QPointF to;
        QPointF fromTwips;
        QPointF toTwips;
        int drawWidth = 1;
        int page = 0;
    };

    struct Page
    {
        int number = 0;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
    };

    // An A4 sheet printed to its edges, in twips (210 × 297 mm).
    static QSizeF a4PortraitTwips();

    explicit RecordingCanvas(const QSizeF &portraitPrintableTwips = a4PortraitTwips(),
                             QPageLayout::Orientation orientation = QPageLayout::Portrait);

    const QList<Text> &texts() const { return m_texts; }
    const QList<Line> &lines() const { return m_lines; }
    const QList<Page> &pages() const { return m_pages; }
    // The first text printed with exactly these characters, or nullptr; valid until the next output.
    const Text *findText(const QString &text) const;

    // The SimSun cell: ASCII and half-width forms take half an em, every other character a full em
    // (1 em = 20 twips per point).
    static double cellWidthTwips(const QString &text, double pointSize);

protected:
    double measureTwips(const QString &line, const Font &font) const override;
    QSizeF printableSizeTwips(QPageLayout::Orientation orientation) const override;
    void startPage(int number, QPageLayout::Orientation orientation) override;
    void drawText(const QString &line, const QPointF &topLeftTwips, const Font &font) override;
    void drawLine(const QPointF &fromTwips, const QPointF &toTwips, int drawWidth) override;
    void finishDocument() override;

private:
    QSizeF m_portraitSize;
    QList<Text> m_texts;
    QList<Line> m_lines;
    QList<Page> m_pages;
};
