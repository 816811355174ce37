#include "app/widgets/olddataoffer.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>

#include "data/oldfileconversion.h"
#include "data/oldjetfile.h"
#include "ui/widgets/questionbox.h"

bool OldDataOffer::run(const QString &dataFolder, const QString &explanation, QWidget *parent)
{
    if (!OldJetFile::readerAvailable()) {
        QMessageBox::warning(parent, QStringLiteral("提示"), explanation + QStringLiteral("\n\n") + OldJetFile::readerMissing());
        return false;
    }
    if (!QuestionBox::askYesNo(parent, explanation + QStringLiteral("\n\n发现旧版数据库，是否转换？"), true))
        return false;

    QProgressDialog progress(QStringLiteral("正在转换旧版数据库…"), QStringLiteral("取消"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("OldDataProgress"));
    progress.setWindowTitle(QStringLiteral("转换旧版数据库"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.show();
    QApplication::processEvents();
    const OldFileConversion::Result result = OldFileConversion::convertDataFolder(dataFolder, [&](const QString &table, qint64 rows) {
        progress.setLabelText(QStringLiteral("正在转换旧版数据库：表“%1”，已读%2行").arg(table).arg(rows));
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.close();
    if (!result.write.ok) {
        QMessageBox::critical(parent, QStringLiteral("提示"), result.write.fullText());
        return false;
    }
    QMessageBox::information(parent, QStringLiteral("提示"),
                             QStringLiteral("旧版数据转换完成，旧版数据库已移到“%1”。\n\n%2")
                                 .arg(QDir::toNativeSeparators(result.oldFilesFolder), OldFileConversion::summary(result)));
    return true;
}
