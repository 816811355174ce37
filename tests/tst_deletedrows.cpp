#include "testdatabase.h"

#include "data/archiverepository.h"
#include "data/cataloguelookup.h"
#include "data/cataloguerepository.h"
#include "data/databasefilecheck.h"
#include "data/databaseupgrade.h"
#include "data/deletedrowsrepository.h"
#include "data/statisticsrepository.h"
#include "data/tables.h"
#include "prescription/prescriptionhistory.h"

namespace {

// A statement of that table that always fails, as a full disk or a damaged page would make it.
void injectFailure(Database &db, const QString &table, const QString &verb)
{
    if (db.location().isServer()) {
        QVERIFY(db.exec(u"CREATE FUNCTION injected_failure() RETURNS trigger LANGUAGE plpgsql AS "
                        "$$BEGIN RAISE EXCEPTION 'injected failure'; END$$"_qs).ok);
        QVERIFY(db.exec(u"CREATE TRIGGER injected BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION injected_failure()"_qs.arg(verb, quotedName(table))).ok);
        return;
    }
    QVERIFY(db.exec(u"CREATE TRIGGER injected BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'injected failure'); END"_qs.arg(verb, quotedName(table))).ok);
}

// Every column of the rows of one key, in stored order, NULL told apart from "".
QStringList rowsOf(Database &db, const TableDefinition &table, const QString &keyColumn, const QString &key)
{
    QSqlQuery query = db.select(u"select %1 from %2 where %3 = ? order by rowid"_qs.arg(quotedNames(table.columnNames()), quotedName(table.name()),
                                                                                      quotedName(keyColumn)),
                                {key});
    if (!query.isActive())
        return {u"<error: %1>"_qs.arg(db.readError())};
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < table.columns().size(); ++i)
            values.append(query.value(i).isNull() ? u"<NULL>"_qs : query.value(i).toString());
        rows.append(values.join(u'|'));
    }
    return rows;
}

} // namespace

// A deleted prescription or catalogue entry is kept for thirty days and can be put back exactly,
// or not at all.
class TestDeletedRows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void prescriptionComesBackExactly();
    void catalogueEntryComesBackExactly();
    void undoRefusedWhenTheKeyIsTakenAgain_data();
    void undoRefusedWhenTheKeyIsTakenAgain();
    void keptForThirtyDays();
    void failedUndoChangesNothing_data();
    void failedUndoChangesNothing();
    void deletionThatCannotBeKeptIsRefused();
    void olderFileGetsTheTable();
    void fileNotUpgradedAtStartGetsItAtTheFirstDeletion();

private:
    // 张三's settled prescription with two statistics lines; returns its id.
    QString savePrescription(const QString &id = u"TEST20261201093000"_qs);
    QStringList archiveRows(const QString &id) { return rowsOf(m_main->database(), Tables::archive(), u"序号"_qs, id); }
    QStringList statisticsRows(const QString &id) { return rowsOf(m_stats->database(), Tables::statistics(), u"ID号"_qs, id); }
    int keptRows() { return count(m_main->database(), u"select count(*) from 已删除"_qs); }

    TestDatabase *m_main = nullptr;
    TestDatabase *m_stats = nullptr;
    QDateTime m_now;
    std::unique_ptr<ArchiveRepository> m_archive;
    std::unique_ptr<StatisticsRepository> m_statistics;
    std::unique_ptr<CatalogueLookup> m_lookup;
    std::unique_ptr<DeletedRowsRepository> m_deleted;
    std::unique_ptr<PrescriptionHistory> m_history;
    std::unique_ptr<CatalogueRepository> m_catalogue;
};

void TestDeletedRows::init()
{
    m_main = new TestDatabase(DatabaseKind::Main);
    m_stats = new TestDatabase(DatabaseKind::Stats);
    m_now = QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5));
    m_archive = std::make_unique<ArchiveRepository>(m_main->database());
    m_statistics = std::make_unique<StatisticsRepository>(m_main->database(), m_stats->location());
    m_lookup = std::make_unique<CatalogueLookup>(m_main->database());
    m_deleted = std::make_unique<DeletedRowsRepository>(m_main->database(), m_stats->location());
    m_history = std::make_unique<PrescriptionHistory>(*m_archive, *m_statistics, *m_lookup, m_deleted.get());
    m_catalogue = std::make_unique<CatalogueRepository>(m_main->database());
}

void TestDeletedRows::cleanup()
{
    m_catalogue.reset();
    m_history.reset();
    m_deleted.reset();
    m_lookup.reset();
    m_statistics.reset();
    m_archive.reset();
    delete m_stats;
    delete m_main;
}

QString TestDeletedRows::savePrescription(const QString &id)
{
    ArchiveRecord record;
    record.id = id;
    record.fields = {u"张三"_qs, u"男"_qs, u"40岁"_qs, u"内儿科"_qs, u"村东头"_qs, u"2026-12-01"_qs, u"上呼吸道感染"_qs, u"李明"_qs,
                     u"王芳"_qs, u"12.50"_qs, QString(), u"13800000000"_qs, u"20261201093000"_qs, u"未发现"_qs, u"自费"_qs, QString(),
                     u"12.50"_qs, u"王芳"_qs};
    record.kind = u"西"_qs;
    // Line breaks, quotes and a character outside the basic plane survive the keeping.
    record.body = u"阿莫西林胶囊 0.25g×24粒 1盒\r\n  用法：口服 \"饭后\" 'tid' 𠮷\r\n"_qs;
    record.cardText = QString();
    record.medicalRecord = u"主诉$$$$$$$$$"_qs;
    record.settledMark = u"-已结算"_qs;
    record.pricedSheet = u"阿莫西林胶囊@$1@$盒@$12.500@$12.500@$@$"_qs;
    // The spare columns this save never writes stay NULL; those it writes empty stay "".
    const WriteResult saved = m_archive->save(record);
    if (!saved.ok)
        qFatal("cannot save: %s", qPrintable(saved.fullText()));
    const WriteResult lines = m_statistics->replace(id, u"2026-12-01"_qs,
                                                    {{u"阿莫西林胶囊"_qs, u"1"_qs, u"盒"_qs, u"12.500"_qs, u"12.500"_qs, QString(), u"西成药·抗生素"_qs},
                                                     {u"白芍[炒]"_qs, u"10"_qs, u"g"_qs, u"0.300"_qs, u"3.000"_qs, u"B1"_qs, u"中药"_qs}});
    if (!lines.ok)
        qFatal("cannot store lines: %s", qPrintable(lines.fullText()));
    return id;
}

void TestDeletedRows::prescriptionComesBackExactly()
{
    const QString id = savePrescription();
    const QStringList archive = archiveRows(id);
    const QStringList statistics = statisticsRows(id);
    QCOMPARE(archive.size(), 1);
    QVERIFY(archive.first().contains(u"<NULL>"_qs));
    QCOMPARE(statistics.size(), 2);

    QVERIFY(m_history->remove(id, m_now).ok);
    QCOMPARE(archiveRows(id), QStringList());
    QCOMPARE(statisticsRows(id), QStringList());

    const auto listed = m_deleted->list(m_now.addSecs(60));
    QVERIFY(listed);
    QCOMPARE(listed->size(), 1);
    QCOMPARE(listed->first().kind, DeletedRowsRepository::Kind::Prescription);
    QCOMPARE(listed->first().deletedAt, u"2026-12-10 09:30:05"_qs);
    QCOMPARE(listed->first().description, u"张三 2026-12-01"_qs);

    const WriteResult undone = m_deleted->undo(listed->first().key);
    QVERIFY2(undone.ok, qPrintable(undone.fullText()));
    QCOMPARE(archiveRows(id), archive);
    QCOMPARE(statisticsRows(id), statistics);
    QCOMPARE(keptRows(), 0);
    QCOMPARE(m_deleted->list(m_now)->size(), 0);
    // The history finds it again under its own id.
    const QList<ArchiveRepository::HistoryEntry> found = m_history->query(u"张"_qs, u"2026-12-01"_qs, u"2026-12-10"_qs);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().id, id);

    // A prescription never saved leaves nothing to undo.
    QVERIFY(m_history->remove(u"TEST20261210093000"_qs, m_now).ok);
    QCOMPARE(keptRows(), 0);
}

void TestDeletedRows::catalogueEntryComesBackExactly()
{
    const auto herbs = m_catalogue->find(u"中药"_qs, u"阿胶"_qs);
    QCOMPARE(herbs.size(), 1);
    const QString key = herbs.first().key;
    const QStringList before = rowsOf(m_main->database(), Tables::catalogue(), u"ID号"_qs, key);
    QCOMPARE(before.size(), 1);

    QVERIFY(m_catalogue->remove(key, m_now).ok);
    QCOMPARE(m_catalogue->find(u"中药"_qs, u"阿胶"_qs).size(), 0);
    const auto listed = m_deleted->list(m_now);
    QVERIFY(listed);
    QCOMPARE(listed->size(), 1);
    QCOMPARE(listed->first().kind, DeletedRowsRepository::Kind::CatalogueEntry);
    QCOMPARE(listed->first().description, u"阿胶[烊化] 10"_qs);

    QVERIFY(m_deleted->undo(listed->first().key).ok);
    QCOMPARE(rowsOf(m_main->database(), Tables::catalogue(), u"ID号"_qs, key), before);
    // The window's list held in memory sees it again without being told.
    const auto again = m_catalogue->find(u"中药"_qs, u"阿胶"_qs);
    QCOMPARE(again.size(), 1);
    QCOMPARE(again.first(), herbs.first());
    QCOMPARE(keptRows(), 0);
}

void TestDeletedRows::undoRefusedWhenTheKeyIsTakenAgain_data()
{
    QTest::addColumn<bool>("prescription");
    QTest::addColumn<QString>("takeAgain");
    QTest::addColumn<QString>("message");
    QTest::newRow("prescription id saved again") << true << u"insert into 档案 (序号, \"0\") values ('TEST20261201093000', '李四')"_qs
                                                 << u"处方编号“TEST20261201093000”已被另一张处方使用，这张处方不能恢复。"_qs;
    QTest::newRow("statistics lines of the id") << true << u"insert into 统计 (\"ID号\", 名称) values ('TEST20261201093000', '甲')"_qs
                                                << u"处方编号“TEST20261201093000”已被另一张处方使用，这张处方不能恢复。"_qs;
    QTest::newRow("drug name added again") << false << u"insert into 商品 (\"ID号\", 名称) values ('20261210100000', '阿胶{烊化}')"_qs
                                           << u"药物“阿胶[烊化]”已经重新添加，不能恢复。"_qs;
    QTest::newRow("drug key used again") << false << u"insert into 商品 (\"ID号\", 名称) values (:key, '别的药')"_qs
                                         << u"药物编号“%1”已被另一种药物使用，这种药物不能恢复。"_qs;
}

void TestDeletedRows::undoRefusedWhenTheKeyIsTakenAgain()
{
    QFETCH(bool, prescription);
    QFETCH(QString, takeAgain);
    QFETCH(QString, message);
    QString key;
    if (prescription) {
        QVERIFY(m_history->remove(savePrescription(), m_now).ok);
    } else {
        key = m_catalogue->find(u"中药"_qs, u"阿胶"_qs).first().key;
        QVERIFY(m_catalogue->remove(key, m_now).ok);
        if (message.contains(u"%1"_qs))
            message = message.arg(key);
    }
    const int kept = keptRows();
    const QString statement = takeAgain.replace(u":key"_qs, quotedText(key));
    Database &db = statement.contains(u"统计"_qs) ? m_stats->database() : m_main->database();
    QVERIFY2(db.exec(statement).ok, qPrintable(statement));
    const int archived = count(m_main->database(), u"select count(*) from 档案"_qs);
    const int catalogued = count(m_main->database(), u"select count(*) from 商品"_qs);

    const WriteResult undone = m_deleted->undo(m_deleted->list(m_now)->first().key);
    QVERIFY(!undone.ok);
    QCOMPARE(undone.message, message);
    QCOMPARE(keptRows(), kept);
    QCOMPARE(m_deleted->list(m_now)->size(), 1);
    QCOMPARE(count(m_main->database(), u"select count(*) from 档案"_qs), archived);
    QCOMPARE(count(m_main->database(), u"select count(*) from 商品"_qs), catalogued);
}

void TestDeletedRows::keptForThirtyDays()
{
    QVERIFY(m_history->remove(savePrescription(), m_now).ok);
    const QString key = m_catalogue->find(u"中药"_qs, u"阿胶"_qs).first().key;
    QVERIFY(m_catalogue->remove(key, m_now.addDays(2)).ok);
    QCOMPARE(m_deleted->list(m_now.addDays(30))->size(), 2);
    QCOMPARE(keptRows(), 4); // one archive row, two statistics lines, one catalogue row
    // Thirty days and a second later the prescription is gone for good, also from the table.
    const auto later = m_deleted->list(m_now.addDays(30).addSecs(1));
    QCOMPARE(later->size(), 1);
    QCOMPARE(later->first().kind, DeletedRowsRepository::Kind::CatalogueEntry);
    QCOMPARE(keptRows(), 1);
    // The next deletion drops what is past its time, without a list being opened.
    QVERIFY(m_history->remove(savePrescription(u"TEST20261205080000"_qs), m_now.addDays(40)).ok);
    QCOMPARE(count(m_main->database(), u"select count(*) from 已删除 where 表名 = '商品'"_qs), 0);
    QCOMPARE(keptRows(), 3);
}

void TestDeletedRows::failedUndoChangesNothing_data()
{
    QTest::addColumn<bool>("inStatistics");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("verb");
    QTest::newRow("statistics line refused") << true << u"统计"_qs << u"INSERT"_qs;
    QTest::newRow("archive row refused") << false << u"档案"_qs << u"INSERT"_qs;
    QTest::newRow("taking it off the list refused") << false << u"已删除"_qs << u"DELETE"_qs;
}

void TestDeletedRows::failedUndoChangesNothing()
{
    QFETCH(bool, inStatistics);
    QFETCH(QString, table);
    QFETCH(QString, verb);
    const QString id = savePrescription();
    QVERIFY(m_history->remove(id, m_now).ok);
    injectFailure(inStatistics ? m_stats->database() : m_main->database(), table, verb);
    const QString kept = column(m_main->database(), u"select 内容 from 已删除 order by rowid"_qs).join(u'\n');

    const WriteResult undone = m_deleted->undo(m_deleted->list(m_now)->first().key);
    QVERIFY(!undone.ok);
    QVERIFY2(undone.message.startsWith(u"恢复失败："_qs), qPrintable(undone.message));
    QCOMPARE(archiveRows(id), QStringList());
    QCOMPARE(statisticsRows(id), QStringList());
    QCOMPARE(column(m_main->database(), u"select 内容 from 已删除 order by rowid"_qs).join(u'\n'), kept);
    QCOMPARE(m_deleted->list(m_now)->size(), 1);
}

void TestDeletedRows::deletionThatCannotBeKeptIsRefused()
{
    const QString id = savePrescription();
    const QStringList archive = archiveRows(id);
    const QStringList statistics = statisticsRows(id);
    injectFailure(m_main->database(), u"已删除"_qs, u"INSERT"_qs);
    const WriteResult removed = m_history->remove(id, m_now);
    QVERIFY(!removed.ok);
    QVERIFY(removed.message.startsWith(u"删除失败，处方未删除："_qs));
    QCOMPARE(archiveRows(id), archive);
    QCOMPARE(statisticsRows(id), statistics);
}

void TestDeletedRows::olderFileGetsTheTable()
{
    // A file (or schema) of an earlier version: everything but the table of deleted rows.
    m_deleted.reset();
    m_history.reset();
    m_catalogue.reset();
    QVERIFY(m_main->database().exec(u"drop table 已删除"_qs).ok);
    // Still taken for one of ours.
    QCOMPARE(DatabaseFileCheck::check(m_main->location(), DatabaseKind::Main), DatabaseFileCheck::Verdict::Ours);
    {
        Database upgraded(m_main->location());
        const WriteResult applied = DatabaseUpgrade::apply(upgraded, DatabaseKind::Main);
        QVERIFY2(applied.ok, qPrintable(applied.fullText()));
        QVERIFY(DatabaseUpgrade::ensureChangeCounters(upgraded, DatabaseKind::Main).ok);
        // Twice is once.
        QVERIFY(DatabaseUpgrade::apply(upgraded, DatabaseKind::Main).ok);
    }
    QCOMPARE(keptRows(), 0);
    const QStringList indexes = testsOnServer()
        ? column(m_main->database(), u"select indexname from pg_indexes where schemaname = ? and tablename = '已删除' "
                                                    "and indexname not like '%pkey' order by indexname"_qs,
                 {m_main->location().schema()})
        : column(m_main->database(), u"select name from sqlite_master where type = 'index' and tbl_name = '已删除' order by name"_qs);
    QCOMPARE(indexes, (QStringList{u"已删除_删除时间"_qs, u"已删除_序号"_qs}));
    if (!testsOnServer()) {
        QCOMPARE(count(m_main->database(), u"select count(*) from sqlite_master where type = 'trigger' and tbl_name = '已删除'"_qs), 3);
    }

    m_deleted = std::make_unique<DeletedRowsRepository>(m_main->database(), m_stats->location());
    m_history = std::make_unique<PrescriptionHistory>(*m_archive, *m_statistics, *m_lookup, m_deleted.get());
    const QString id = savePrescription();
    const QStringList archive = archiveRows(id);
    QVERIFY(m_history->remove(id, m_now).ok);
    QVERIFY(m_deleted->undo(m_deleted->list(m_now)->first().key).ok);
    QCOMPARE(archiveRows(id), archive);
}

void TestDeletedRows::fileNotUpgradedAtStartGetsItAtTheFirstDeletion()
{
    const QString id = savePrescription();
    const QStringList archive = archiveRows(id);
    QVERIFY(m_main->database().exec(u"drop table 已删除"_qs).ok);
    QVERIFY(m_history->remove(id, m_now).ok);
    QCOMPARE(keptRows(), 3);
    QVERIFY(m_deleted->undo(m_deleted->list(m_now)->first().key).ok);
    QCOMPARE(archiveRows(id), archive);
}

QTEST_GUILESS_MAIN(TestDeletedRows)
#include "tst_deletedrows.moc"
