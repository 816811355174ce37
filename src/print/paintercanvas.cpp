#include "print/paintercanvas.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPen>

#include "print/units.h"

PainterCanvas::PainterCanvas(QPaintDevice *device)
    : PrinterCanvas(QPageLayout::Portrait)
    , m_device(device)
    , m_pagedDevice(dynamic_cast<QPagedPaintDevice *>(device))
{
    if (m_pagedDevice)
        setOrientation(m_pagedDevice->pageLayout().orientation());
}

PainterCanvas::~PainterCanvas()
{
    if (m_painter.isActive())
        m_painter.end();
}

QString PainterCanvas::errorMessage() const
{
    if (!m_error.isEmpty())
        return m_error;
    if (outputAfterEnd())
        return QStringLiteral("打印内容在打印结束后仍有输出，这部分没有打印出来。");
    return QString();
}

QFont PainterCanvas::qtFont(const Font &font)
{
    QFont result(font.name);
    result.setPointSizeF(font.pointSize);
    result.setBold(font.bold);
    // Shaping swaps digits next to Latin letters for alternate glyphs that no character maps to,
    // and a PDF then reads "0.25g×" where "0.25g×24" was printed. The forms need no shaping.
    result.setStyleStrategy(QFont::PreferNoShaping);
    return result;
}

double PainterCanvas::measureTwips(const QString &line, const Font &font) const
{
    const QFontMetricsF metrics(qtFont(font), m_device);
    return devicePixelsToTwips(metrics.horizontalAdvance(line), m_device->logicalDpiX());
}

QSizeF PainterCanvas::printableSizeTwips(QPageLayout::Orientation orientation) const
{
    if (!m_pagedDevice)
        return QSizeF(devicePixelsToTwips(m_device->width(), m_device->logicalDpiX()),
                      devicePixelsToTwips(m_device->height(), m_device->logicalDpiY()));
    QPageLayout layout = m_pagedDevice->pageLayout();
    layout.setOrientation(orientation);
    const QRectF paintRect = layout.paintRect(QPageLayout::Inch);
    return QSizeF(paintRect.width() * 1440, paintRect.height() * 1440);
}

void PainterCanvas::startPage(int number, QPageLayout::Orientation orientation)
{
    if (!ok())
        return;
    if (m_pagedDevice && m_pagedDevice->pageLayout().orientation() != orientation
        && !m_pagedDevice->setPageOrientation(orientation)) {
        fail(QStringLiteral("打印机不能在打印中途改变纸张方向，第%1页没有打印。").arg(number));
        return;
    }
    if (number == 1) {
        if (!m_painter.begin(m_device))
            fail(QStringLiteral("无法开始打印：打印机或输出文件无法打开。"));
        return;
    }
    if (!m_pagedDevice) {
        fail(QStringLiteral("这个输出只能容纳一页，第%1页没有打印。").arg(number));
        return;
    }
    if (!m_pagedDevice->newPage())
        fail(QStringLiteral("打印第%1页时出错，打印机或输出文件无法继续写入。").arg(number));
}

QPointF PainterCanvas::toDevice(const QPointF &twips) const
{
    return QPointF(twipsToDevicePixels(twips.x(), m_device->logicalDpiX()),
                   twipsToDevicePixels(twips.y(), m_device->logicalDpiY()));
}

void PainterCanvas::drawText(const QString &line, const QPointF &topLeftTwips, const Font &font)
{
    if (!m_painter.isActive() || !ok())
        return;
    const QPointF baseline = topLeftTwips + QPointF(0, font.pointSize * TwipsPerPoint * BaselineEm);
    m_painter.setFont(qtFont(font));
    m_painter.setPen(Qt::black);
    m_painter.drawText(toDevice(baseline), line);
}

void PainterCanvas::drawLine(const QPointF &fromTwips, const QPointF &toTwips, int drawWidth)
{
    if (!m_painter.isActive() || !ok())
        return;
    m_painter.setPen(QPen(Qt::black, drawWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    m_painter.drawLine(toDevice(fromTwips), toDevice(toTwips));
}

void PainterCanvas::finishDocument()
{
    if (m_painter.isActive() && !m_painter.end())
        fail(QStringLiteral("结束打印时出错，打印机或输出文件没有写完。"));
}

void PainterCanvas::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}
