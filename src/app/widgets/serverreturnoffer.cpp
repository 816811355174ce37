#include "app/widgets/serverreturnoffer.h"

#include <QDate>
#include <QLabel>
#include <QMessageBox>

#include "app/serverreturnwatch.h"
#include "data/databasekind.h"
#include "data/localdaytransfer.h"
#include "data/serveraddress.h"
#include "ui/widgets/questionbox.h"

namespace {

const QString Title = QStringLiteral("提示");
const QString RestartHint = QStringLiteral("请在方便时重新启动本程序，之后的处方将保存在服务器上。");

} // namespace

ServerReturnOffer::ServerReturnOffer(const StartupValues &values, QLabel *label, QWidget *window, int intervalMs)
    : QObject(window)
    , m_values(values)
    , m_label(label)
    , m_window(window)
{
    if (m_label)
        m_label->setText(values.dataInUse);
    const std::optional<ServerAddress> server = ServerAddress::parse(values.unreachableServer);
    if (!server || values.mainDataPath.isEmpty())
        return;
    m_watch = new ServerReturnWatch(DatabaseLocation::server(*server, DatabaseLocation::schemaOf(DatabaseKind::Main)), intervalMs, this);
    connect(m_watch, &ServerReturnWatch::serverBack, this, &ServerReturnOffer::offer);
    m_watch->start();
}

void ServerReturnOffer::offer()
{
    const ServerAddress server = *ServerAddress::parse(m_values.unreachableServer);
    const DatabaseLocation main = DatabaseLocation::server(server, DatabaseLocation::schemaOf(DatabaseKind::Main));
    const DatabaseLocation stats = DatabaseLocation::server(server, DatabaseLocation::schemaOf(DatabaseKind::Stats));
    const QDate today = QDate::currentDate();
    QString error;
    const std::optional<int> pending = LocalDayTransfer::pending(m_values.mainDataPath, main, today, &error);
    if (!pending) {
        // Reached, but not usable yet (still starting, or its data not in place): ask again later.
        m_watch->start();
        return;
    }
    if (m_label)
        m_label->setText(QStringLiteral("数据：本机文件（服务器已恢复连接，重新启动本程序后使用服务器）"));
    if (*pending == 0) {
        QMessageBox::information(m_window, Title, QStringLiteral("数据库服务器已经恢复连接。\n") + RestartHint);
        return;
    }
    const bool move = QuestionBox::askYesNo(m_window,
                                            QStringLiteral("数据库服务器已经恢复连接。\n今天有%1张处方只保存在本机，要把它们移到服务器上吗？\n"
                                                           "（处方编号不变，服务器上已有的不会重复。）")
                                                .arg(*pending),
                                            true);
    if (!move) {
        QMessageBox::information(m_window, Title, QStringLiteral("本机的处方没有移动，仍只保存在本机。"));
        return;
    }
    const LocalDayTransfer::Result result = LocalDayTransfer::run(m_values.mainDataPath, m_values.statsDataPath, main, stats, today);
    if (!result.write.ok) {
        QMessageBox::warning(m_window, Title, LocalDayTransfer::summary(result));
        return;
    }
    QMessageBox::information(m_window, Title, LocalDayTransfer::summary(result) + QStringLiteral("\n\n") + RestartHint);
}
