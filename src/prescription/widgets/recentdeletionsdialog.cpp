#include "prescription/widgets/recentdeletionsdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/widgets/questionbox.h"

namespace {
const QString Title = QStringLiteral("提示");
} // namespace

RecentDeletionsDialog::RecentDeletionsDialog(DeletedRowsRepository &deletedRows, std::function<QDateTime()> now, QWidget *parent)
    : QDialog(parent)
    , m_deletedRows(deletedRows)
    , m_now(std::move(now))
    , m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("最近删除窗口"));
    setWindowTitle(QStringLiteral("最近删除"));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("最近%1天内删除的处方和药物。选中一行，按“恢复”即可原样恢复。").arg(DeletedRowsRepository::KeptDays), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_table->setObjectName(QStringLiteral("删除列表"));
    m_table->setColumnCount(3);
    m_table->setHorizontalHeaderLabels({QStringLiteral("删除时间"), QStringLiteral("类别"), QStringLiteral("内容")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *restore = new QPushButton(QStringLiteral("恢复"), this);
    restore->setObjectName(QStringLiteral("恢复"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("关闭"));
    buttons->addWidget(restore);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(restore, &QPushButton::clicked, this, &RecentDeletionsDialog::restoreChosen);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this, restore] { restore->setEnabled(!m_table->selectedItems().isEmpty()); });
    resize(560, 360);
    load();
    restore->setEnabled(false);
}

void RecentDeletionsDialog::load()
{
    const std::optional<QList<DeletedRowsRepository::Entry>> entries = m_deletedRows.list(m_now());
    m_entries = entries.value_or(QList<DeletedRowsRepository::Entry>());
    m_table->setRowCount(int(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const DeletedRowsRepository::Entry &entry = m_entries.at(row);
        m_table->setItem(row, 0, new QTableWidgetItem(entry.deletedAt));
        m_table->setItem(row, 1, new QTableWidgetItem(DeletedRowsRepository::kindCaption(entry.kind)));
        m_table->setItem(row, 2, new QTableWidgetItem(entry.description));
    }
    m_table->resizeColumnToContents(0);
    m_table->resizeColumnToContents(1);
    if (!entries)
        QMessageBox::warning(this, Title, QStringLiteral("无法读取最近删除的记录：") + m_deletedRows.readError());
}

void RecentDeletionsDialog::restoreChosen()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_entries.size() || m_table->selectedItems().isEmpty())
        return;
    const DeletedRowsRepository::Entry entry = m_entries.at(row);
    const bool prescription = entry.kind == DeletedRowsRepository::Kind::Prescription;
    if (!QuestionBox::askWith(this, QStringLiteral("要恢复%1“%2”吗？").arg(prescription ? QStringLiteral("处方") : QStringLiteral("药物"), entry.description),
                              QStringLiteral("恢复"), QStringLiteral("取消")))
        return;
    const WriteResult undone = m_deletedRows.undo(entry.key);
    if (!undone.ok) {
        QMessageBox::information(this, Title, undone.fullText());
        return;
    }
    (prescription ? m_restoredPrescription : m_restoredCatalogueEntry) = true;
    load();
}
