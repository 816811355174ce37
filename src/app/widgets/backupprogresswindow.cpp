#include "app/widgets/backupprogresswindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

BackupProgressWindow::BackupProgressWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_text(new QLabel(QStringLiteral("正在备份数据…"), this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("BackupProgressWindow"));
    setWindowTitle(QStringLiteral("提示"));
    m_text->setObjectName(QStringLiteral("backupText"));
    m_bar->setObjectName(QStringLiteral("backupProgress"));
    m_bar->setRange(0, 0);
    m_bar->setMinimumWidth(320);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
}

void BackupProgressWindow::report(int done, int total)
{
    m_text->setText(total == 0 ? QStringLiteral("正在检查备份数据…") : QStringLiteral("正在备份数据…"));
    m_bar->setRange(0, qMax(0, total));
    if (total > 0)
        m_bar->setValue(done);
    // Only painting: input is not taken while the program closes.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
