#include "app/widgets/servermigrationwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ServerMigrationWindow::ServerMigrationWindow(Migrate migrate, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_migrate(std::move(migrate))
{
    setObjectName(QStringLiteral("ServerMigration"));
    setWindowTitle(QStringLiteral("迁移到数据库服务器"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *explanation = new QLabel(QStringLiteral("把本机的数据库（数据库.dat、用药统计.dat）全部复制到 PostgreSQL 数据库服务器上一个空的数据库中。\n"
                                                  "密码不写在这里：请写在本机的 PostgreSQL 密码文件（~/.pgpass）中。"),
                                   this);
    explanation->setWordWrap(true);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("serverAddress"));
    m_address->setPlaceholderText(QStringLiteral("postgresql://用户名@服务器地址:5432/数据库名"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_start = new QPushButton(QStringLiteral("开始迁移"), this);
    m_start->setObjectName(QStringLiteral("开始迁移"));
    m_cancel = new QPushButton(QStringLiteral("取  消"), this);
    m_cancel->setObjectName(QStringLiteral("取消"));
    connect(m_start, &QPushButton::clicked, this, &ServerMigrationWindow::start);
    connect(m_address, &QLineEdit::returnPressed, this, &ServerMigrationWindow::start);
    connect(m_cancel, &QPushButton::clicked, this, &ServerMigrationWindow::cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(new QLabel(QStringLiteral("数据库服务器地址"), this));
    layout->addWidget(m_address);
    layout->addWidget(m_progress);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    resize(560, 220);
}

void ServerMigrationWindow::start()
{
    if (m_running)
        return;
    const QString text = m_address->text().trimmed();
    const std::optional<ServerAddress> address = ServerAddress::parse(text);
    if (!address) {
        QMessageBox::warning(this, QStringLiteral("提示"),
                             QStringLiteral("请输入数据库服务器的地址，例如：\npostgresql://clinic@192.168.1.10:5432/quillon"));
        m_address->setFocus();
        return;
    }
    m_running = true;
    m_cancelled = false;
    m_start->setEnabled(false);
    m_address->setEnabled(false);
    const DatabaseMigration::Result result = m_migrate(*address, [this](qint64 done, qint64 total) {
        // The bar counts in thousandths, so any number of rows fits its int range.
        m_progress->setRange(0, 1000);
        m_progress->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents();
        return !m_cancelled;
    });
    m_running = false;
    m_start->setEnabled(true);
    m_address->setEnabled(true);
    if (!result.write.ok) {
        m_progress->setValue(0);
        QMessageBox::warning(this, QStringLiteral("提示"), result.write.fullText());
        return;
    }
    QMessageBox::information(this, QStringLiteral("提示"),
                             DatabaseMigration::summary(result)
                                 + QStringLiteral("\n\n以后要使用服务器上的数据，请在每台电脑数据文件夹中“计算机名.txt”的第一行写上：\n%1\n然后重新启动程序。")
                                       .arg(address->displayText()));
    close();
}

void ServerMigrationWindow::cancel()
{
    if (m_running)
        m_cancelled = true;
    else
        close();
}

void ServerMigrationWindow::closeEvent(QCloseEvent *event)
{
    // Closing while the copy runs cancels it; the window goes once the server has undone it.
    if (m_running) {
        m_cancelled = true;
        event->ignore();
        return;
    }
    event->accept();
}
