#include "data/oldfileconversion.h"

#include <optional>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include "data/database.h"
#include "data/databasecreator.h"
#include "data/databasefilecheck.h"
#include "data/oldjetfile.h"
#include "data/sqltransaction.h"
#include "data/storabletext.h"
#include "data/tables.h"

namespace {

constexpr int RowsPerInsert = 100;
constexpr qint64 ProgressEvery = 500;

const QString OldFilesFolderName = QStringLiteral("旧版数据库");
const QString ReportName = QStringLiteral("旧版数据转换报告.txt");
const QString KeptRowsName = QStringLiteral("旧版数据未转换的行.csv");

// What decides whether a row of the old file is already in the clinic's data, per table. A table
// not listed here is never merged into data in use.
QStringList mergeKey(const QString &table)
{
    if (table == QStringLiteral("档案") || table == QStringLiteral("患者信息"))
        return {QStringLiteral("序号")};
    if (table == QStringLiteral("统计"))
        return {QStringLiteral("ID号")};
    // The price lookup goes by exact name: a drug the clinic has keeps its own price.
    if (table == QStringLiteral("商品"))
        return {QStringLiteral("名称")};
    if (table == QStringLiteral("个人模板"))
        return {QStringLiteral("分类"), QStringLiteral("名称")};
    if (table == QStringLiteral("诊断") || table == QStringLiteral("地址"))
        return {QStringLiteral("名称")};
    return {};
}

bool chosen(const QString &table, const OldFileConversion::Options &options)
{
    if (table == QStringLiteral("商品"))
        return options.catalogue;
    if (table == QStringLiteral("个人模板"))
        return options.templates;
    if (table == QStringLiteral("诊断") || table == QStringLiteral("地址"))
        return options.lists;
    return table == QStringLiteral("档案") || table == QStringLiteral("患者信息") || table == QStringLiteral("统计");
}

QString keyOf(const QVariantList &values, const QList<int> &keyColumns)
{
    QStringList parts;
    for (int column : keyColumns)
        parts.append(values.at(column).isNull() ? QStringLiteral("\x01") : values.at(column).toString());
    return parts.join(QChar(0x1F));
}

QString temporaryName(const QString &path)
{
    const QFileInfo target(path);
    // Named like DatabaseCreator's, so that what an interrupted start-up leaves is removed next time.
    return target.absolutePath() + QStringLiteral("/.%1.%2.converting.creating").arg(target.fileName()).arg(QCoreApplication::applicationPid());
}

void removeDatabaseFile(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

// A free name for the old file in the folder that keeps them: a second conversion never replaces
// what the first one kept.
QString freeName(const QDir &folder, const QString &name)
{
    if (!folder.exists(name))
        return folder.filePath(name);
    const QFileInfo info(name);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1-%2%3.%4").arg(info.completeBaseName(), stamp, i > 1 ? QStringLiteral("-%1").arg(i) : QString(), info.suffix());
        if (!folder.exists(candidate))
            return folder.filePath(candidate);
    }
}

QString csvField(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString shownValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (value.typeId() == QMetaType::Double)
        return QStringLiteral("%1（日期数值）").arg(value.toDouble(), 0, 'g', 17);
    return value.toString();
}

} // namespace

QString OldFileConversion::oldFilesFolder(const QString &dataFolder)
{
    QDir parent(QDir::cleanPath(dataFolder));
    parent.cdUp();
    return parent.filePath(OldFilesFolderName);
}

bool OldFileConversion::isOldFile(const QString &path)
{
    return OldJetFile::version(path) != OldJetFile::Version::NotJet;
}

WriteResult OldFileConversion::copyFile(OldJetFile &old, Database &target, DatabaseKind kind, Mode mode, const Options &options,
                                        Result &result, const Progress &progress)
{
    const QStringList oldTables = old.tables();
    for (const TableDefinition *table : Tables::of(kind)) {
        // The old program never had it: nothing to bring over, nothing to tell.
        if (!oldTables.contains(table->name()) && Tables::added(kind).contains(table))
            continue;
        TableCount count;
        count.table = table->name();
        if (mode == Mode::Merge && !chosen(table->name(), options)) {
            count.skipped = true;
            count.oldRows = oldTables.contains(table->name()) ? old.declaredRows(table->name()) : 0;
            result.counts.append(count);
            continue;
        }
        if (!oldTables.contains(table->name())) {
            // A table the old file lacks holds nothing to bring over; its key tables must be there.
            if (table->name() == QStringLiteral("档案") || table->name() == QStringLiteral("统计"))
                return WriteResult::failure(QStringLiteral("旧版数据库中没有表“%1”：文件可能已经损坏，或者不是旧版程序的数据文件。").arg(table->name()));
            result.notes.append(QStringLiteral("旧版数据库中没有表“%1”，新数据库中的这个表保持原样。").arg(table->name()));
            result.counts.append(count);
            continue;
        }

        // Our columns by their place in the old rows; a column the old table lacks stays NULL.
        const QStringList oldColumns = old.columns(table->name());
        const QStringList columns = table->columnNames();
        QList<int> source;
        for (const QString &column : columns)
            source.append(int(oldColumns.indexOf(column)));
        QStringList unknown;
        for (const QString &column : oldColumns) {
            if (!columns.contains(column))
                unknown.append(column);
        }

        if (mode == Mode::Replace) {
            const WriteResult emptied = target.exec(QStringLiteral("delete from %1").arg(quotedName(table->name())));
            if (!emptied.ok)
                return emptied;
        }
        QList<int> keyColumns;
        QSet<QString> present;
        if (mode == Mode::Merge) {
            for (const QString &key : mergeKey(table->name()))
                keyColumns.append(int(columns.indexOf(key)));
            QSqlQuery existing = target.select(QStringLiteral("select %1 from %2").arg(quotedNames(mergeKey(table->name())), quotedName(table->name())));
            if (!existing.isActive())
                return WriteResult::failure(QStringLiteral("无法读取表“%1”").arg(table->name()), target.readError());
            while (existing.next()) {
                QVariantList key;
                for (int i = 0; i < keyColumns.size(); ++i)
                    key.append(existing.value(i));
                QList<int> positions;
                for (int i = 0; i < keyColumns.size(); ++i)
                    positions.append(i);
                present.insert(keyOf(key, positions));
            }
        }
        // The unique key our tables keep: a second row with the same key is set aside.
        const int uniqueColumn = table->uniqueKey().isEmpty() ? -1 : int(columns.indexOf(table->uniqueKey()));
        QSet<QString> seen;
        // Rows of 统计 belong to their prescription: those of one already present are all left out,
        // those of a new one all come in, however many there are.
        const bool groupKey = table->name() == QStringLiteral("统计");

        // The server takes many rows per statement (one round trip each). A SQLite file takes one
        // statement prepared once and run per row: SQLite looks each of a statement's parameters
        // up by position in a list, so a statement of thousands of parameters costs their square.
        const bool onServer = target.engine() == SqlEngine::Postgres;
        const int rowsPerInsert = onServer ? RowsPerInsert : 1;
        const QString fullInsert = insertSql(table->name(), columns, rowsPerInsert);
        QSqlQuery prepared(target.connection());
        if (!onServer && !prepared.prepare(fullInsert))
            return writeResultOf(prepared.lastError(), QStringLiteral("无法写入新数据库"));
        QVariantList batch;
        int batchRows = 0;
        WriteResult failure;
        bool cancelled = false;
        auto flush = [&] {
            if (batchRows == 0)
                return true;
            WriteResult written;
            if (onServer) {
                written = target.exec(batchRows == rowsPerInsert ? fullInsert : insertSql(table->name(), columns, batchRows), batch);
            } else {
                for (int i = 0; i < batch.size(); ++i)
                    prepared.bindValue(i, batch.at(i));
                if (!prepared.exec()) {
                    const QSqlError error = prepared.lastError();
                    written = WriteResult::failure(describeDatabaseProblem(error.nativeErrorCode().toInt(), error.databaseText()), error.text());
                }
            }
            batch.clear();
            batchRows = 0;
            if (!written.ok)
                failure = written;
            return written.ok;
        };

        const bool read = old.readRows(table->name(), [&](const QVariantList &oldValues) {
            ++count.oldRows;
            QVariantList values;
            values.reserve(columns.size());
            QString reason;
            for (int i = 0; i < columns.size(); ++i) {
                const ColumnDefinition &column = table->columns().at(i);
                const QVariant value = source.at(i) >= 0 ? oldValues.at(source.at(i)) : QVariant();
                if (value.isNull()) {
                    values.append(QVariant(QMetaType(QMetaType::QString)));
                    continue;
                }
                if (column.kind == ColumnDefinition::Kind::Date) {
                    if (value.typeId() != QMetaType::QDateTime) {
                        reason = QStringLiteral("字段“%1”不是有效的日期").arg(column.name);
                        break;
                    }
                    const QDateTime when = value.toDateTime();
                    if (when.time() != QTime(0, 0)) {
                        result.notes.append(QStringLiteral("表“%1”第%2行：字段“%3”的日期带有时刻 %4，新数据库只保存日期。")
                                                .arg(table->name())
                                                .arg(count.oldRows)
                                                .arg(column.name, when.time().toString(QStringLiteral("hh:mm:ss"))));
                    }
                    values.append(when.date().toString(Qt::ISODate));
                    continue;
                }
                const QString text = value.toString();
                if (storableText(text) != text) {
                    reason = QStringLiteral("字段“%1”含有数据库无法保存的字符").arg(column.name);
                    break;
                }
                if (column.kind == ColumnDefinition::Kind::Text && text.size() > column.width) {
                    reason = QStringLiteral("字段“%1”有%2个字符，超过了%3个字符的宽度").arg(column.name).arg(text.size()).arg(column.width);
                    break;
                }
                values.append(text);
            }
            if (reason.isEmpty() && mode == Mode::Merge) {
                const QString key = keyOf(values, keyColumns);
                if (present.contains(key)) {
                    ++count.alreadyPresent;
                    return true;
                }
                if (!groupKey && uniqueColumn < 0)
                    present.insert(key);
            }
            if (reason.isEmpty() && uniqueColumn >= 0) {
                const QString key = values.at(uniqueColumn).toString();
                if (seen.contains(key))
                    reason = QStringLiteral("“%1”与前面的一行重复").arg(table->uniqueKey());
                else
                    seen.insert(key);
            }
            if (!reason.isEmpty()) {
                ++count.keptAside;
                result.kept.append({table->name(), count.oldRows, reason, oldColumns, oldValues});
            } else {
                batch += values;
                ++count.newRows;
                if (++batchRows == rowsPerInsert && !flush())
                    return false;
            }
            if (progress && count.oldRows % ProgressEvery == 0 && !progress(table->name(), count.oldRows)) {
                cancelled = true;
                return false;
            }
            return true;
        });
        if (cancelled) {
            result.cancelled = true;
            return WriteResult::failure(QStringLiteral("转换已取消，旧版数据库保持原样。"));
        }
        if (!failure.ok)
            return WriteResult::failure(QStringLiteral("表“%1”的数据没有写入新数据库：%2").arg(table->name(), failure.message), failure.detail);
        if (!read)
            return WriteResult::failure(old.error());
        if (!flush())
            return WriteResult::failure(QStringLiteral("表“%1”的数据没有写入新数据库：%2").arg(table->name(), failure.message), failure.detail);
        if (!unknown.isEmpty())
            result.notes.append(QStringLiteral("旧版表“%1”中的字段“%2”不属于本程序的数据，没有转换。").arg(table->name(), unknown.join(QStringLiteral("”“"))));
        if (progress && !progress(table->name(), count.oldRows)) {
            result.cancelled = true;
            return WriteResult::failure(QStringLiteral("转换已取消，旧版数据库保持原样。"));
        }
        result.counts.append(count);
    }
    return WriteResult::success();
}

OldFileConversion::Result OldFileConversion::convertDataFolder(const QString &dataFolder, const Progress &progress, const Options &options)
{
    Result result;
    struct Pending
    {
        DatabaseKind kind;
        QString path;
        QString temp;
        QString movedTo;
    };
    QList<Pending> files;
    const QDir folder(dataFolder);
    for (const DatabaseKind kind : {DatabaseKind::Main, DatabaseKind::Stats}) {
        const QString path = folder.filePath(databaseFileName(kind));
        if (isOldFile(path))
            files.append({kind, path, temporaryName(path), QString()});
    }
    if (files.isEmpty()) {
        result.write = WriteResult::failure(QStringLiteral("数据文件夹中没有旧版数据库。"));
        return result;
    }
    if (!OldJetFile::readerAvailable()) {
        result.write = WriteResult::failure(OldJetFile::readerMissing());
        return result;
    }
    auto abandon = [&](const WriteResult &why) {
        for (const Pending &file : files)
            removeDatabaseFile(file.temp);
        result.write = why;
        result.counts.clear();
        return result;
    };

    // Each old file into a new file of ours under a temporary name, in one transaction.
    for (const Pending &file : files) {
        OldJetFile old(file.path);
        if (!old.isOpen())
            return abandon(WriteResult::failure(old.error()));
        removeDatabaseFile(file.temp);
        {
            QFile empty(file.temp);
            if (!empty.open(QIODevice::WriteOnly))
                return abandon(WriteResult::failure(QStringLiteral("无法在数据文件夹中建立新数据库：%1").arg(empty.errorString())));
        }
        WriteResult copied;
        {
            Database target(file.temp);
            if (!target.connection().isOpen())
                return abandon(WriteResult::failure(target.lastError()));
            if (options.targetPageLimit > 0) {
                QSqlQuery limit(target.connection());
                limit.exec(QStringLiteral("pragma max_page_count = %1").arg(options.targetPageLimit));
            }
            SqlTransaction guard(target);
            if (!guard.isActive())
                return abandon(guard.begun());
            copied = DatabaseCreator::createTables(target, file.kind);
            if (copied.ok)
                copied = copyFile(old, target, file.kind, Mode::Fresh, options, result, progress);
            if (copied.ok)
                copied = guard.commit();
        }
        if (!copied.ok) {
            if (!result.cancelled)
                copied.message = QStringLiteral("转换没有完成，旧版数据库保持原样。\n") + copied.message;
            return abandon(copied);
        }
    }

    // Complete and checked: a sound file of ours holding every row the conversion wrote.
    for (const Pending &file : files) {
        const QString problems = DatabaseFileCheck::quickCheck(file.temp);
        if (!problems.isEmpty() || DatabaseFileCheck::check(file.temp, file.kind) != DatabaseFileCheck::Verdict::Ours)
            return abandon(WriteResult::failure(QStringLiteral("新数据库检查未通过，旧版数据库保持原样。"), problems));
        Database written(file.temp);
        for (const TableDefinition *table : Tables::of(file.kind)) {
            qint64 converted = 0;
            for (const TableCount &count : std::as_const(result.counts)) {
                if (count.table == table->name())
                    converted = count.newRows;
            }
            QSqlQuery rows = written.select(QStringLiteral("select count(*) from %1").arg(quotedName(table->name())));
            if (!rows.next() || rows.value(0).toLongLong() != converted)
                return abandon(WriteResult::failure(QStringLiteral("新数据库中表“%1”的行数与转换的行数不符，旧版数据库保持原样。").arg(table->name())));
        }
    }

    // The rows set aside are written before anything moves, so none can be lost.
    const WriteResult reported = writeReport(dataFolder, result);
    if (!reported.ok)
        return abandon(reported);

    // The old files move out of the way, unchanged; then the new ones take their names.
    const QString keep = oldFilesFolder(dataFolder);
    auto undoMoves = [&] {
        for (Pending &file : files) {
            if (!file.movedTo.isEmpty() && !QFileInfo::exists(file.path))
                QFile::rename(file.movedTo, file.path);
        }
        QFile::remove(result.reportPath);
        QFile::remove(result.keptRowsPath);
        result.reportPath.clear();
        result.keptRowsPath.clear();
    };
    if (!QDir().mkpath(keep)) {
        undoMoves();
        return abandon(WriteResult::failure(QStringLiteral("无法建立文件夹“%1”，旧版数据库保持原样。").arg(QDir::toNativeSeparators(keep))));
    }
    for (Pending &file : files) {
        const QString destination = freeName(QDir(keep), QFileInfo(file.path).fileName());
        if (!QFile::rename(file.path, destination)) {
            undoMoves();
            return abandon(WriteResult::failure(QStringLiteral("无法把旧版数据库“%1”移到“%2”，旧版数据库保持原样。")
                                                    .arg(QDir::toNativeSeparators(file.path), QDir::toNativeSeparators(keep))));
        }
        file.movedTo = destination;
    }
    for (Pending &file : files) {
        if (!QFile::rename(file.temp, file.path)) {
            for (const Pending &placed : files) {
                if (placed.movedTo.isEmpty() || !QFileInfo::exists(placed.movedTo))
                    continue;
                if (QFileInfo::exists(placed.path) && !QFileInfo::exists(placed.temp))
                    QFile::remove(placed.path);
            }
            undoMoves();
            return abandon(WriteResult::failure(QStringLiteral("无法把新数据库放到数据文件夹中，旧版数据库保持原样。")));
        }
    }
    result.oldFilesFolder = keep;
    return result;
}

OldFileConversion::Result OldFileConversion::importInto(const QString &oldMain, const QString &oldStats, const DatabaseLocation &main,
                                                        const DatabaseLocation &stats, const QString &reportFolder,
                                                        const Options &options, const Progress &progress)
{
    Result result;
    if (!OldJetFile::readerAvailable()) {
        result.write = WriteResult::failure(OldJetFile::readerMissing());
        return result;
    }
    OldJetFile oldFiles[2] = {OldJetFile(oldMain), OldJetFile(oldStats)};
    for (const OldJetFile &old : oldFiles) {
        if (!old.isOpen()) {
            result.write = WriteResult::failure(old.error());
            return result;
        }
    }
    Database targets[2] = {Database(main), Database(stats)};
    for (Database &target : targets) {
        if (!target.connection().isOpen()) {
            result.write = WriteResult::failure(target.lastError());
            return result;
        }
    }
    // A clinic without a prescription, a patient or a statistics row is taken over whole.
    qint64 inUse = 0;
    for (const auto &[target, table] : {std::pair{&targets[0], QStringLiteral("档案")}, std::pair{&targets[0], QStringLiteral("患者信息")},
                                        std::pair{&targets[1], QStringLiteral("统计")}}) {
        QSqlQuery rows = target->select(QStringLiteral("select count(*) from %1").arg(quotedName(table)));
        if (!rows.next()) {
            result.write = WriteResult::failure(QStringLiteral("无法读取表“%1”").arg(table), target->readError());
            return result;
        }
        inUse += rows.value(0).toLongLong();
    }
    const Mode mode = inUse > 0 ? Mode::Merge : Mode::Replace;

    // Both files' writes are prepared first; the statistics commit only after the main data did.
    const DatabaseKind kinds[2] = {DatabaseKind::Main, DatabaseKind::Stats};
    SqlTransaction mainGuard(targets[0]);
    if (!mainGuard.isActive()) {
        result.write = mainGuard.begun();
        return result;
    }
    WriteResult copied = copyFile(oldFiles[0], targets[0], kinds[0], mode, options, result, progress);
    std::optional<SqlTransaction> statsGuard;
    if (copied.ok) {
        statsGuard.emplace(targets[1]);
        copied = statsGuard->isActive() ? copyFile(oldFiles[1], targets[1], kinds[1], mode, options, result, progress) : statsGuard->begun();
    }
    if (copied.ok)
        copied = writeReport(reportFolder, result);
    if (copied.ok)
        copied = mainGuard.commit();
    const bool mainCommitted = copied.ok;
    if (copied.ok) {
        copied = statsGuard->commit();
        if (!copied.ok)
            copied.message = QStringLiteral("处方等数据已导入，但用药统计没有导入：") + copied.message;
    }
    if (!copied.ok) {
        result.write = copied;
        // Only when the main data came in does the report stay, to say what did.
        if (!mainCommitted) {
            QFile::remove(result.reportPath);
            QFile::remove(result.keptRowsPath);
            result.reportPath.clear();
            result.keptRowsPath.clear();
            result.counts.clear();
        }
    }
    return result;
}

WriteResult OldFileConversion::writeReport(const QString &folder, Result &result)
{
    const QDir dir(folder);
    if (!result.kept.isEmpty()) {
        // Every column of every row set aside, one line per value, so nothing of it is lost and a
        // spreadsheet opens it.
        QSaveFile file(dir.filePath(KeptRowsName));
        if (!file.open(QIODevice::WriteOnly))
            return WriteResult::failure(QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        QString text = QStringLiteral("\xFEFF表,行号,原因,字段,值,是否为空值\r\n");
        for (const KeptRow &row : std::as_const(result.kept)) {
            for (int i = 0; i < row.columns.size(); ++i) {
                const QVariant value = row.values.value(i);
                text += QStringList{csvField(row.table), QString::number(row.row), csvField(row.reason), csvField(row.columns.at(i)),
                                    csvField(value.isNull() ? QString() : shownValue(value)), value.isNull() ? QStringLiteral("是") : QString()}
                            .join(QLatin1Char(','))
                    + QStringLiteral("\r\n");
            }
        }
        file.write(text.toUtf8());
        if (!file.commit())
            return WriteResult::failure(QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        result.keptRowsPath = file.fileName();
    }
    QSaveFile report(dir.filePath(ReportName));
    if (!report.open(QIODevice::WriteOnly))
        return WriteResult::failure(QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(report.fileName()), report.errorString()));
    QString text = QStringLiteral("\xFEFF旧版数据转换报告 %1\r\n\r\n").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    text += summary(result).replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    for (const KeptRow &row : std::as_const(result.kept))
        text += QStringLiteral("未转换：表“%1”第%2行：%3\r\n").arg(row.table).arg(row.row).arg(row.reason);
    for (const QString &note : std::as_const(result.notes))
        text += note + QStringLiteral("\r\n");
    report.write(text.toUtf8());
    if (!report.commit())
        return WriteResult::failure(QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(report.fileName()), report.errorString()));
    result.reportPath = report.fileName();
    return WriteResult::success();
}

QString OldFileConversion::summary(const Result &result)
{
    QStringList lines = {QStringLiteral("表：旧版行数 → 新数据库行数")};
    for (const TableCount &count : result.counts) {
        if (count.skipped) {
            lines.append(QStringLiteral("%1：%2行，未导入").arg(count.table).arg(count.oldRows));
            continue;
        }
        QString line = QStringLiteral("%1：%2 → %3").arg(count.table).arg(count.oldRows).arg(count.newRows);
        if (count.alreadyPresent > 0)
            line += QStringLiteral("，%1行已经存在").arg(count.alreadyPresent);
        if (count.keptAside > 0)
            line += QStringLiteral("，%1行未转换").arg(count.keptAside);
        lines.append(line);
    }
    if (!result.kept.isEmpty()) {
        lines.append(QString());
        lines.append(QStringLiteral("未转换的%1行完整保存在“%2”中：").arg(result.kept.size()).arg(QDir::toNativeSeparators(result.keptRowsPath)));
        for (const KeptRow &row : result.kept)
            lines.append(QStringLiteral("表“%1”第%2行：%3").arg(row.table).arg(row.row).arg(row.reason));
    }
    return lines.join(QLatin1Char('\n'));
}
