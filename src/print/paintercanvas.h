#pragma once

#include <QFont>
#include <QPainter>
#include <QString>

#include "print/printercanvas.h"

class QPaintDevice;
class QPagedPaintDevice;

// Draws a printout with QPainter on a printer, a PDF writer or the print preview (any paged
// device), or on a single-page device such as an image. Positions map from twips to the device's
// pixels; text widths come from the real font.
class PainterCanvas : public PrinterCanvas
{
public:
    // The device must outlive the canvas; its painting begins with the first output.
    explicit PainterCanvas(QPaintDevice *device);
    ~PainterCanvas() override;

    // Empty while all went well; otherwise the first failure, in words a clinic user can read.
    QString errorMessage() const;
    bool ok() const { return errorMessage().isEmpty(); }

    // The font drawn for a canvas font.
    static QFont qtFont(const Font &font);

protected:
    double measureTwips(const QString &line, const Font &font) const override;
    QSizeF printableSizeTwips(QPageLayout::Orientation orientation) const override;
    void startPage(int number, QPageLayout::Orientation orientation) override;
    void drawText(const QString &line, const QPointF &topLeftTwips, const Font &font) override;
    void drawLine(const QPointF &fromTwips, const QPointF &toTwips, int drawWidth) override;
    void finishDocument() override;

private:
    QPointF toDevice(const QPointF &twips) const;
    void fail(const QString &message);

    QPaintDevice *m_device;
    QPagedPaintDevice *m_pagedDevice;
    QPainter m_painter;
    QString m_error;
};
