#include "print/printercanvas.h"

#include <cmath>

#include <QStringList>

#include "print/units.h"
#include "text/linebreaks.h"

PrinterCanvas::PrinterCanvas(QPageLayout::Orientation orientation)
    : m_orientation(orientation)
{
}

PrinterCanvas::~PrinterCanvas() = default;

double PrinterCanvas::unitTwips() const
{
    return m_units == Units::Millimetres ? TwipsPerMillimetre : 1.0;
}

QPointF PrinterCanvas::toTwips(double x, double y) const
{
    return QPointF((x - m_scaleLeft) * unitTwips(), (y - m_scaleTop) * unitTwips());
}

QPointF PrinterCanvas::toLayout(const QPointF &twips) const
{
    return QPointF(twips.x() / unitTwips() + m_scaleLeft, twips.y() / unitTwips() + m_scaleTop);
}

void PrinterCanvas::setUnits(Units units)
{
    m_units = units;
    m_scaleLeft = 0;
    m_scaleTop = 0;
}

void PrinterCanvas::setScaleLeft(double value)
{
    m_scaleLeft = value;
}

void PrinterCanvas::setScaleTop(double value)
{
    m_scaleTop = value;
}

double PrinterCanvas::scaleWidth() const
{
    return printableSizeTwips(m_orientation).width() / unitTwips();
}

double PrinterCanvas::scaleHeight() const
{
    return printableSizeTwips(m_orientation).height() / unitTwips();
}

double PrinterCanvas::currentX() const
{
    return toLayout(m_positionTwips).x();
}

double PrinterCanvas::currentY() const
{
    return toLayout(m_positionTwips).y();
}

void PrinterCanvas::setCurrentX(double x)
{
    m_positionTwips.setX(toTwips(x, 0).x());
}

void PrinterCanvas::setCurrentY(double y)
{
    m_positionTwips.setY(toTwips(0, y).y());
}

void PrinterCanvas::setFont(const Font &font)
{
    setFontName(font.name);
    setFontSize(font.pointSize);
    setFontBold(font.bold);
}

void PrinterCanvas::setFontName(const QString &name)
{
    if (!name.trimmed().isEmpty())
        m_font.name = name;
}

void PrinterCanvas::setFontSize(double points)
{
    if (std::isfinite(points) && points > 0)
        m_font.pointSize = points;
}

void PrinterCanvas::setFontBold(bool bold)
{
    m_font.bold = bold;
}

void PrinterCanvas::setDrawWidth(int pixels)
{
    m_drawWidth = qMax(1, pixels);
}

void PrinterCanvas::setOrientation(QPageLayout::Orientation orientation)
{
    m_orientation = orientation;
}

double PrinterCanvas::textWidth(const QString &text) const
{
    double widest = 0;
    for (const QString &line : LineBreaks::shown(text).split(QLatin1Char('\n')))
        widest = qMax(widest, measureTwips(line, m_font));
    return widest / unitTwips();
}

double PrinterCanvas::textHeight() const
{
    return m_font.pointSize * TwipsPerPoint / unitTwips();
}

void PrinterCanvas::print(const QString &text, LineFeed lineFeed)
{
    const QStringList lines = LineBreaks::shown(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        printLine(lines.at(i), i + 1 < lines.size() ? LineFeed::Yes : lineFeed);
}

void PrinterCanvas::printAt(double x, double y, const QString &text, LineFeed lineFeed)
{
    setCurrentX(x);
    setCurrentY(y);
    print(text, lineFeed);
}

void PrinterCanvas::printLine(const QString &line, LineFeed lineFeed)
{
    if (!line.isEmpty() && prepareOutput())
        drawText(line, m_positionTwips, m_font);
    if (lineFeed == LineFeed::Yes) {
        m_positionTwips.setX(0);
        m_positionTwips.ry() += m_font.pointSize * TwipsPerPoint;
    } else if (!line.isEmpty()) {
        m_positionTwips.rx() += measureTwips(line, m_font);
    }
}

void PrinterCanvas::line(double x1, double y1, double x2, double y2)
{
    const QPointF to = toTwips(x2, y2);
    if (prepareOutput())
        drawLine(toTwips(x1, y1), to, m_drawWidth);
    m_positionTwips = to;
}

void PrinterCanvas::newPage()
{
    if (m_ended) {
        m_outputAfterEnd = true;
        return;
    }
    ++m_page;
    m_positionTwips = QPointF();
}

void PrinterCanvas::endDocument()
{
    if (m_ended)
        return;
    m_ended = true;
    finishDocument();
}

void PrinterCanvas::run(const PrintLayout &layout)
{
    if (layout)
        layout(*this);
    endDocument();
}

bool PrinterCanvas::prepareOutput()
{
    if (m_ended) {
        m_outputAfterEnd = true;
        return false;
    }
    while (m_pagesStarted < m_page) {
        ++m_pagesStarted;
        startPage(m_pagesStarted, m_orientation);
    }
    return true;
}
