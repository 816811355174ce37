#include "ui/widgets/placeholderwindow.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderWindow::PlaceholderWindow(const QString &objectName, const QString &caption, const QSize &size, QWidget *parent)
    : QWidget(parent)
    , m_notice(new QLabel(this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setMinimumSize(size);
    resize(size);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);
    m_notice->setText(QStringLiteral("“%1”将在后续版本中提供。").arg(caption));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
}

void PlaceholderWindow::setCategory(const QString &category)
{
    m_category = category;
    m_notice->setText(QStringLiteral("“%1”（%2）将在后续版本中提供。").arg(windowTitle(), category));
}
