#include "ui/widgets/helpviewer.h"

#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(QStringLiteral("操作帮助"));
    resize(900, 680);
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

void HelpViewer::open(const QUrl &url)
{
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

QUrl HelpViewer::currentUrl() const
{
    return m_browser->source();
}
