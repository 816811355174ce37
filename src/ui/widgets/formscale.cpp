#include "ui/widgets/formscale.h"

#include <cmath>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QWidget>

namespace {

constexpr double TwipsPerPixel = 15.0;

// Controls whose children belong to the control itself, which places them when it is resized.
bool ownsItsChildren(const QWidget *widget)
{
    return widget->layout() || qobject_cast<const QAbstractScrollArea *>(widget) || qobject_cast<const QComboBox *>(widget)
        || qobject_cast<const QAbstractSpinBox *>(widget) || qobject_cast<const QLineEdit *>(widget)
        || qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QTabBar *>(widget);
}

// The room the round or square mark of a radio button or check box takes before its caption.
int indicatorWidth(const QAbstractButton *button)
{
    const QStyle *style = button->style();
    if (qobject_cast<const QRadioButton *>(button))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
    if (qobject_cast<const QCheckBox *>(button))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
    return 0;
}

QFont scaledFont(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    return font;
}

} // namespace

FormScale::FormScale(QWidget *form)
    : QObject(form)
    , m_form(form)
    , m_designedSize(form->size())
{
    setObjectName(QStringLiteral("formScale"));
    for (QWidget *child : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            record(child, true, QPointF());
    }
    Entry self;
    self.widget = form;
    self.ownFont = true;
    self.font = form->font();
    self.appliedFont = self.font;
    self.minimum = form->minimumSize();
    self.maximum = form->maximumSize();
    m_entries.append(self);
}

void FormScale::record(QWidget *widget, bool placed, const QPointF &parentAt)
{
    const QPointF at = parentAt + QPointF(widget->pos());
    if (!ownsItsChildren(widget)) {
        for (QWidget *child : widget->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isWindow())
                record(child, !child->objectName().startsWith(QLatin1String("qt_")), at);
        }
    }
    Entry entry;
    entry.widget = widget;
    // Named labels and buttons with a text are captions; unnamed cells show data, which may be cut.
    if (auto *label = qobject_cast<QLabel *>(widget))
        entry.caption = !label->text().isEmpty() && !label->wordWrap();
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        entry.caption = !button->text().isEmpty();
    entry.caption = entry.caption && !widget->objectName().isEmpty();
    if (auto *button = qobject_cast<QAbstractButton *>(widget); button && !button->icon().isNull())
        entry.iconSize = button->iconSize();
    entry.parentBase = QRectF(parentAt, QSizeF(widget->parentWidget()->size()));
    // A control a layout places is left to the layout.
    const QWidget *parent = widget->parentWidget();
    entry.placed = placed && !(parent && parent->layout() && parent->layout()->indexOf(widget) >= 0);
    entry.base = QRectF(at, QSizeF(widget->size()));
    entry.applied = widget->geometry();
    entry.ownFont = widget->testAttribute(Qt::WA_SetFont);
    entry.font = widget->font();
    entry.appliedFont = entry.font;
    entry.minimum = widget->minimumSize();
    entry.maximum = widget->maximumSize();
    m_entries.append(entry);
}

FormScale *FormScale::of(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *scale = w->findChild<FormScale *>(QStringLiteral("formScale"), Qt::FindDirectChildrenOnly))
            return scale;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

int FormScale::pixels(const QWidget *widget, int twips)
{
    const FormScale *scale = of(widget);
    return qRound(twips * (scale ? scale->m_factor : 1.0) / TwipsPerPixel);
}

QRect FormScale::rect(const QWidget *widget, int left, int top, int width, int height)
{
    // At factor 1 exactly where the form puts it when it is built.
    const auto one = [](int twips) { return qRound(twips / TwipsPerPixel); };
    const QRect designed(one(left), one(top), one(width), one(height));
    const FormScale *scale = of(widget);
    if (!scale)
        return designed;
    // Scaled where it is in the form, as everything else there is.
    QPointF origin;
    if (widget != scale->m_form) {
        for (const Entry &entry : scale->m_entries) {
            if (entry.widget == widget)
                origin = entry.base.topLeft();
        }
    }
    return scale->scaled(QRectF(designed).translated(origin)).translated(-scale->scaled(QRectF(origin, QSizeF())).topLeft());
}

double FormScale::fittingFactor(const QSize &designed, const QSize &room, double maximum)
{
    if (designed.isEmpty())
        return 1.0;
    const double fits = qMin(double(room.width()) / designed.width(), double(room.height()) / designed.height());
    const double stepped = std::floor(fits * 20.0 + 1e-9) / 20.0;
    return qBound(MinimumFactor, stepped, qMax(MinimumFactor, maximum));
}

void FormScale::fitCaption(QWidget *control)
{
    QString text;
    int room = 0;
    if (auto *label = qobject_cast<QLabel *>(control)) {
        text = label->text();
        room = label->contentsRect().width() + 1;
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        text = button->text().remove(QLatin1Char('&'));
        room = button->width() - 4 - indicatorWidth(button);
    }
    if (text.isEmpty() || text.contains(QLatin1Char('<')) || room <= 0)
        return;
    const auto widest = [&text](const QFont &font) {
        int width = 0;
        for (const QString &line : text.split(QLatin1Char('\n')))
            width = qMax(width, QFontMetrics(font).horizontalAdvance(line));
        return width;
    };
    QFont font = control->font();
    if (widest(font) <= room || font.pointSizeF() <= 0)
        return;
    // Never below two thirds: a caption that fits only smaller than that needs a wider control.
    const double smallest = font.pointSizeF() * 2 / 3;
    while (widest(font) > room && font.pointSizeF() - 0.25 >= smallest)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    control->setFont(font);
}

QRect FormScale::scaled(const QRectF &base) const
{
    const int left = qRound(base.left() * m_factor);
    const int top = qRound(base.top() * m_factor);
    // Edges scale, not sizes, so neighbours stay neighbours; a line stays at least a pixel.
    const int width = base.width() > 0 ? qMax(1, qRound((base.left() + base.width()) * m_factor) - left) : 0;
    const int height = base.height() > 0 ? qMax(1, qRound((base.top() + base.height()) * m_factor) - top) : 0;
    return QRect(left, top, width, height);
}

QSize FormScale::scaledLimit(const QSize &size) const
{
    const auto one = [this](int value) { return value >= QWIDGETSIZE_MAX || value <= 0 ? value : qRound(value * m_factor); };
    return QSize(one(size.width()), one(size.height()));
}

void FormScale::setFactor(double factor)
{
    if (qFuzzyCompare(factor, m_factor))
        return;
    const double previous = m_factor;
    m_factor = factor;
    for (Entry &entry : m_entries) {
        QWidget *widget = entry.widget;
        if (!widget)
            continue;
        // A font the form set since (a category button made bold) is its font now.
        if (widget->testAttribute(Qt::WA_SetFont) && (!entry.ownFont || widget->font() != entry.appliedFont)) {
            entry.ownFont = true;
            entry.font = scaledFont(widget->font(), 1.0 / previous);
        }
        if (entry.ownFont) {
            widget->setFont(scaledFont(entry.font, m_factor));
            entry.appliedFont = widget->font();
        }
        if (entry.iconSize.isValid())
            static_cast<QAbstractButton *>(widget)->setIconSize(scaledLimit(entry.iconSize));
        widget->setMinimumSize(scaledLimit(entry.minimum));
        widget->setMaximumSize(scaledLimit(entry.maximum));
        if (widget == m_form) {
            widget->resize(scaled(QRectF(QPointF(), QSizeF(m_designedSize))).size());
            continue;
        }
        if (!entry.placed)
            continue;
        // The form moved it since (at the factor then): that place is its place now.
        if (widget->geometry() != entry.applied) {
            const QRectF now(widget->geometry());
            entry.base = QRectF(entry.parentBase.topLeft() + now.topLeft() / previous, now.size() / previous);
        }
        // Edges are scaled where they are in the form, so a control inside its parent stays inside.
        entry.applied = scaled(entry.base).translated(-scaled(entry.parentBase).topLeft());
        widget->setGeometry(entry.applied);
    }
    for (Entry &entry : m_entries) {
        QWidget *widget = entry.widget;
        if (!entry.caption || !widget)
            continue;
        const QFont before = widget->font();
        fitCaption(widget);
        // Shrunk here, not by the form: the next factor starts again from the designed font.
        if (widget->font() != before) {
            if (!entry.ownFont) {
                entry.ownFont = true;
                entry.font = scaledFont(before, 1.0 / m_factor);
            }
            entry.appliedFont = widget->font();
        }
    }
    emit rescaled();
}
