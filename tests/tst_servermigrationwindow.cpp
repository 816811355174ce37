#include "messageboxcatcher.h"

#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/widgets/servermigrationwindow.h"
#include "data/databasemigration.h"

// The window that moves the clinic's files onto the server, with the move itself stood in for,
// so the window's part is seen: the address it passes, the progress, cancelling and what it says.
class TestServerMigrationWindow : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void cancelStopsTheCopy();
};

namespace {

DatabaseMigration::Result copied()
{
    DatabaseMigration::Result result;
    result.counts = {{u"档案"_qs, 1200}, {u"统计"_qs, 3400}};
    return result;
}

} // namespace

void TestServerMigrationWindow::answers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("passed");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("copied")
        << u"postgresql://clinic@192.168.1.10/quillon"_qs << true << u"postgresql://clinic@192.168.1.10:5432/quillon"_qs
        << QStringList{u"档案：1200行"_qs, u"统计：3400行"_qs, u"计算机名.txt"_qs, u"postgresql://clinic@192.168.1.10:5432/quillon"_qs};
    QTest::newRow("a computer name is no address") << u"前台电脑"_qs << true << QString() << QStringList{u"请输入数据库服务器的地址"_qs};
    QTest::newRow("the server refuses") << u"postgresql://clinic@server/quillon"_qs << false << u"postgresql://clinic@server:5432/quillon"_qs
                                        << QStringList{u"迁移失败"_qs};
}

void TestServerMigrationWindow::answers()
{
    QFETCH(QString, typed);
    QFETCH(bool, succeeds);
    QFETCH(QString, passed);
    QFETCH(QStringList, said);
    QStringList addresses;
    QPointer<ServerMigrationWindow> window = new ServerMigrationWindow([&](const ServerAddress &address, const DatabaseMigration::Progress &progress) {
        addresses.append(address.displayText());
        progress(50, 100);
        DatabaseMigration::Result result = copied();
        if (!succeeds)
            result = {WriteResult::failure(u"迁移失败：服务器上的数据库不是空的"_qs), {}, false};
        return result;
    });
    window->show();
    window->findChild<QLineEdit *>(u"serverAddress"_qs)->setText(typed);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"开始迁移"_qs)->click();
    QCOMPARE(addresses, passed.isEmpty() ? QStringList() : QStringList{passed});
    QCOMPARE(catcher.texts().size(), 1);
    for (const QString &part : said)
        QVERIFY2(catcher.texts().at(0).contains(part), qPrintable(catcher.texts().at(0)));
    // A finished move closes the window; a refusal keeps what the user typed for another try.
    const bool done = said.first().startsWith(u"档案"_qs);
    QCOMPARE(window->isVisible(), !done);
    if (!done)
        QCOMPARE(window->findChild<QLineEdit *>(u"serverAddress"_qs)->text(), typed);
    delete window.data();
}

void TestServerMigrationWindow::cancelStopsTheCopy()
{
    bool goesOn = false;
    bool toldToStop = false;
    QPushButton *cancel = nullptr;
    auto *window = new ServerMigrationWindow([&](const ServerAddress &, const DatabaseMigration::Progress &progress) {
        goesOn = progress(10, 100);
        cancel->click();
        toldToStop = !progress(20, 100);
        return DatabaseMigration::Result{WriteResult::failure(u"迁移已取消，服务器上没有留下任何数据。"_qs), {}, true};
    });
    cancel = window->findChild<QPushButton *>(u"取消"_qs);
    window->show();
    window->findChild<QLineEdit *>(u"serverAddress"_qs)->setText(u"postgresql://clinic@server/quillon"_qs);
    MessageBoxCatcher catcher;
    window->findChild<QPushButton *>(u"开始迁移"_qs)->click();
    QVERIFY(goesOn);
    QVERIFY(toldToStop);
    QCOMPARE(catcher.texts(), QStringList{u"迁移已取消，服务器上没有留下任何数据。"_qs});
    QVERIFY(window->isVisible());
    delete window;
}

QTEST_MAIN(TestServerMigrationWindow)
#include "tst_servermigrationwindow.moc"
