#include "app/widgets/backuprestorewindow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/backupservice.h"
#include "app/widgets/backupprogresswindow.h"
#include "app/widgets/windowplacement.h"
#include "data/serverdump.h"
#include "ui/widgets/questionbox.h"

namespace {

QString shownCount(int count)
{
    return count < 0 ? QStringLiteral("—") : QString::number(count);
}

QString shownSize(qint64 bytes)
{
    return QLocale(QLocale::Chinese, QLocale::China).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString describe(const BackupEntry &entry)
{
    QString text = QStringLiteral("%1 的备份（%2“%3”").arg(entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")), entry.place, entry.name.trimmed());
    if (entry.prescriptions >= 0)
        text += QStringLiteral("，%1 张处方、%2 位患者").arg(entry.prescriptions).arg(entry.patients);
    return text + QStringLiteral("）");
}

} // namespace

BackupRestoreWindow::BackupRestoreWindow(BackupService &backups, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_backups(backups)
    , m_table(new QTableWidget(this))
    , m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("数据备份与恢复"));
    setWindowTitle(QStringLiteral("数据备份与恢复"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 420);

    m_table->setObjectName(QStringLiteral("backupList"));
    m_table->setColumnCount(7);
    m_table->setHorizontalHeaderLabels({QStringLiteral("位置"), QStringLiteral("备份"), QStringLiteral("备份时间"), QStringLiteral("大小"),
                                        QStringLiteral("处方数"), QStringLiteral("患者数"), QStringLiteral("检查结果")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_note->setObjectName(QStringLiteral("backupNote"));
    m_note->setWordWrap(true);

    auto *restore = new QPushButton(QStringLiteral("恢复"), this);
    restore->setObjectName(QStringLiteral("恢复"));
    connect(restore, &QPushButton::clicked, this, &BackupRestoreWindow::restoreChosen);
    auto *now = new QPushButton(QStringLiteral("立即备份"), this);
    now->setObjectName(QStringLiteral("立即备份"));
    connect(now, &QPushButton::clicked, this, &BackupRestoreWindow::backUpNow);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("关闭"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(restore);
    buttons->addWidget(now);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_table);
    layout->addLayout(buttons);

    refresh();
}

BackupRestoreWindow::~BackupRestoreWindow()
{
    stopChecks();
}

void BackupRestoreWindow::stopChecks()
{
    if (m_checksStale)
        *m_checksStale = true;
    // At most the check under way is waited for; the rest are not started.
    if (m_checks) {
        m_checks->wait();
        delete m_checks;
        m_checks = nullptr;
    }
}

void BackupRestoreWindow::refresh()
{
    stopChecks();
    m_entries = m_backups.list();

    QString note = QStringLiteral("本机备份：%1").arg(QDir::toNativeSeparators(m_backups.backupRoot()));
    const QString place = m_backups.secondPlace().folder();
    note += place.isEmpty() ? QStringLiteral("；没有设置第二备份位置（在“综合设置”中设置）。")
                            : QStringLiteral("；第二备份位置：%1（保留 %2 天）。").arg(QDir::toNativeSeparators(place)).arg(m_backups.secondPlace().keepDays());
    if (m_backups.onServer())
        note += QStringLiteral("\n") + BackupService::serverRestoreText();
    m_note->setText(note);

    m_table->setRowCount(int(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row)
        showEntry(row);
    m_table->resizeColumnsToContents();

    m_checksStale = std::make_shared<std::atomic_bool>(false);
    m_checks = QThread::create([this, entries = m_entries, stale = m_checksStale]() mutable {
        for (int row = 0; row < entries.size() && !*stale; ++row) {
            BackupCatalogue::inspect(entries[row]);
            QMetaObject::invokeMethod(
                this,
                [this, row, entry = entries.at(row), stale] {
                    if (*stale)
                        return;
                    m_entries[row] = entry;
                    showEntry(row);
                    m_table->resizeColumnsToContents();
                },
                Qt::QueuedConnection);
        }
    });
    m_checks->start();
}

void BackupRestoreWindow::showEntry(int row)
{
    const BackupEntry &entry = m_entries.at(row);
    const QString check = entry.serverDump      ? QStringLiteral("服务器备份（恢复时才能检查）")
                        : !entry.inspected      ? QStringLiteral("正在检查…")
                        : entry.problem.isEmpty() ? QStringLiteral("完好")
                                                  : QStringLiteral("未通过：") + entry.problem;
    const QString pending = entry.inspected || entry.serverDump ? QString() : QStringLiteral("…");
    const QStringList cells = {entry.place,
                               entry.name.trimmed(),
                               entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               shownSize(entry.size),
                               pending.isEmpty() ? shownCount(entry.prescriptions) : pending,
                               pending.isEmpty() ? shownCount(entry.patients) : pending,
                               check};
    for (int column = 0; column < cells.size(); ++column)
        m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
}

void BackupRestoreWindow::showEvent(QShowEvent *event)
{
    // Placed over the main window as the settings window is, not wherever the system puts it.
    if (parentWidget()) {
        const QWidget *main = parentWidget()->window();
        move(main->geometry().topLeft() + childWindowPosition(main->size(), frameGeometry().size()));
    }
    QWidget::showEvent(event);
}

void BackupRestoreWindow::restoreChosen()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_entries.size() || m_table->selectedItems().isEmpty()) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("请先在列表中选择要恢复的备份。"));
        return;
    }
    BackupEntry entry = m_entries.at(row);
    // What is on the disk now, not what the list showed a while ago.
    BackupCatalogue::inspect(entry);
    if (!entry.problem.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("提示"), QStringLiteral("这份备份没有通过检查，不能用它恢复：\n%1").arg(entry.problem));
        return;
    }
    const QString refusal = m_backups.restoreRefusal(entry);
    if (!refusal.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("提示"), refusal);
        return;
    }
    const QString question = QStringLiteral("用%1替换现在的数据吗？\n\n现在的数据会先原样保存在“%2”文件夹中，不会丢失；备份以后新开的处方不在这份备份中。\n"
                                            "恢复时程序会关闭所有窗口，恢复后重新启动，需要重新登录。")
                                 .arg(describe(entry), QDir::toNativeSeparators(m_backups.keptRoot()));
    if (!QuestionBox::askWith(this, question, QStringLiteral("恢复"), QStringLiteral("取消")))
        return;
    emit restoreConfirmed(entry);
    close();
}

void BackupRestoreWindow::backUpNow()
{
    BackupService::Outcome outcome;
    {
        BackupProgressWindow progress(this);
        progress.show();
        outcome = m_backups.backUp(QDate::currentDate(), ServerDump::findPgDump(), [&progress](int done, int total) { progress.report(done, total); });
    }
    if (!outcome.failures.isEmpty())
        QMessageBox::warning(this, QStringLiteral("提示"), outcome.failures.join(QStringLiteral("\n\n")));
    else if (!outcome.warnings.isEmpty())
        QMessageBox::warning(this, QStringLiteral("提示"), QStringLiteral("本机备份已完成。\n\n") + outcome.warnings.join(QStringLiteral("\n\n")));
    else
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("备份已完成。"));
    refresh();
}
