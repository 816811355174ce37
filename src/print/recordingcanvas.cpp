#include "print/recordingcanvas.h"

#include "print/units.h"

QSizeF RecordingCanvas::a4PortraitTwips()
{
    return QSizeF(millimetresToTwips(210), millimetresToTwips(297));
}

RecordingCanvas::RecordingCanvas(const QSizeF &portraitPrintableTwips, QPageLayout::Orientation orientation)
    : PrinterCanvas(orientation)
    , m_portraitSize(portraitPrintableTwips)
{
}

const RecordingCanvas::Text *RecordingCanvas::findText(const QString &text) const
{
    for (const Text &recorded : m_texts) {
        if (recorded.text == text)
            return &recorded;
    }
    return nullptr;
}

double RecordingCanvas::cellWidthTwips(const QString &text, double pointSize)
{
    const double em = pointSize * TwipsPerPoint;
    double width = 0;
    for (char32_t c : text.toUcs4()) {
        const bool halfCell = c < 0x80 || (c >= 0xFF61 && c <= 0xFFDC) || (c >= 0xFFE8 && c <= 0xFFEE);
        width += halfCell ? em / 2 : em;
    }
    return width;
}

double RecordingCanvas::measureTwips(const QString &line, const Font &font) const
{
    return cellWidthTwips(line, font.pointSize);
}

QSizeF RecordingCanvas::printableSizeTwips(QPageLayout::Orientation orientation) const
{
    return orientation == QPageLayout::Landscape ? m_portraitSize.transposed() : m_portraitSize;
}

void RecordingCanvas::startPage(int number, QPageLayout::Orientation orientation)
{
    m_pages.append({number, orientation});
}

void RecordingCanvas::drawText(const QString &line, const QPointF &topLeftTwips, const Font &font)
{
    m_texts.append({line, toLayout(topLeftTwips), topLeftTwips, font, page()});
}

void RecordingCanvas::drawLine(const QPointF &fromTwips, const QPointF &toTwips, int drawWidth)
{
    m_lines.append({toLayout(fromTwips), toLayout(toTwips), fromTwips, toTwips, drawWidth, page()});
}

void RecordingCanvas::finishDocument()
{
}
