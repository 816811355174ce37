#pragma once

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QSize>

class QWidget;

// Draws a form placed in twips (15 a pixel) larger or smaller as a whole: every control's place
// and size and every font follow one factor, so the form looks the same, only its size changes.
// It records the form as built (factor 1); the form's own code that places something later asks
// it for the current factor (pixels(), rect()), and what it moved is kept there when the factor
// changes again. Controls that lay out their own insides (lists, combo boxes, a layout) are
// scaled as a whole and lay out the inside themselves.
class FormScale : public QObject
{
    Q_OBJECT

public:
    // Below this the smallest captions of the forms (9 pt) would fall under 9 pixels.
    static constexpr double MinimumFactor = 0.75;

    // Records `form` and everything in it as it is now; the scale is a child of the form.
    explicit FormScale(QWidget *form);

    // The scale of the form holding `widget`, or null when that form is not scaled.
    static FormScale *of(const QWidget *widget);
    // Twips in the pixels of the form holding `widget` (15 a pixel when the form is not scaled).
    static int pixels(const QWidget *widget, int twips);
    static QRect rect(const QWidget *widget, int left, int top, int width, int height);

    // The factor that fits a form of `designed` size into `room`: as large as fits, never above
    // `maximum`, never below MinimumFactor (then the form is larger than the room and must be
    // scrolled). Steps of 1/20, so a main window dragged a pixel wider does not redraw the form.
    static double fittingFactor(const QSize &designed, const QSize &room, double maximum);

    // Shrinks the font of a label or a button a little at a time until its caption fits in it
    // (glyphs do not grow exactly with the font, and some designed buttons are tight).
    static void fitCaption(QWidget *control);

    double factor() const { return m_factor; }
    void setFactor(double factor);
    // The form's size at factor 1.
    QSize designedSize() const { return m_designedSize; }

signals:
    void rescaled();

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        bool placed = false;   // its geometry is the form's (not a layout's or its owner's)
        QRectF base;           // at factor 1, in the form's coordinates
        QRectF parentBase;     // the parent's place at factor 1, in the form's coordinates
        QRect applied;         // as last set here
        bool ownFont = false;
        QFont font;            // at factor 1
        QFont appliedFont;     // as last set here
        QSize minimum;         // explicit minimum and maximum sizes at factor 1
        QSize maximum;
        bool caption = false;  // a label or button that had its text when the form was built
        QSize iconSize;        // of a button, at factor 1
    };

    void record(QWidget *widget, bool placed, const QPointF &parentAt);
    QRect scaled(const QRectF &base) const;
    QSize scaledLimit(const QSize &size) const;

    QWidget *m_form;
    double m_factor = 1.0;
    QSize m_designedSize;
    // Children before their parents: a control that lays out its own children does so last.
    QList<Entry> m_entries;
};
