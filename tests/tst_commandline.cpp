#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "app/commandline.h"
#include "version.h"

// The command line as the program reads it, and the program itself answering --help and
// --version without a screen and without making a data folder.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void programAnswersBeforeTouchingData_data();
    void programAnswersBeforeTouchingData();
};

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<QString>("textContains");

    using A = CommandLine::Action;
    const QString cwd = QDir::currentPath();
    QTest::newRow("nothing: run on the usual folder") << QStringList{} << A::Run << QString() << QString();
    QTest::newRow("--version") << QStringList{u"--version"_qs} << A::PrintVersion << QString() << u"" QUILLON_VERSION ""_qs;
    QTest::newRow("-v") << QStringList{u"-v"_qs} << A::PrintVersion << QString() << u"GPL-3.0-or-later"_qs;
    QTest::newRow("--help") << QStringList{u"--help"_qs} << A::PrintHelp << QString() << u"--data-folder <文件夹>"_qs;
    QTest::newRow("-h") << QStringList{u"-h"_qs} << A::PrintHelp << QString() << u"用法：quillon [选项]"_qs;
    QTest::newRow("help wins over a wrong option") << QStringList{u"--bogus"_qs, u"--help"_qs} << A::PrintHelp << QString() << u"--version"_qs;
    QTest::newRow("help wins over the data folder") << QStringList{u"--data-folder"_qs, u"/x"_qs, u"--help"_qs} << A::PrintHelp << QString() << QString();
    QTest::newRow("data folder, absolute, tidied") << QStringList{u"--data-folder=/srv/诊所二/"_qs} << A::Run << u"/srv/诊所二"_qs << QString();
    QTest::newRow("data folder, separate value") << QStringList{u"--data-folder"_qs, u"/srv/a/../b"_qs} << A::Run << u"/srv/b"_qs << QString();
    QTest::newRow("data folder, relative to where started") << QStringList{u"--data-folder"_qs, u"试用"_qs} << A::Run << cwd + u"/试用"_qs << QString();
    QTest::newRow("data folder without its value") << QStringList{u"--data-folder"_qs} << A::Refuse << QString() << u"缺少文件夹"_qs;
    QTest::newRow("data folder, empty value") << QStringList{u"--data-folder="_qs} << A::Refuse << QString() << u"缺少文件夹"_qs;
    QTest::newRow("data folder, blank value") << QStringList{u"--data-folder"_qs, u"  "_qs} << A::Refuse << QString() << u"缺少文件夹"_qs;
    QTest::newRow("unknown option") << QStringList{u"--reset"_qs} << A::Refuse << QString() << u"不认识的选项：reset"_qs;
    QTest::newRow("stray argument") << QStringList{u"数据库.dat"_qs} << A::Refuse << QString() << u"多余的参数：数据库.dat"_qs;
    // Qt reads its own options after us.
    QTest::newRow("Qt's options pass") << QStringList{u"-platform"_qs, u"offscreen"_qs, u"--style=fusion"_qs, u"-reverse"_qs} << A::Run << QString() << QString();
    QTest::newRow("Qt's option without its value") << QStringList{u"-platform"_qs} << A::Refuse << QString() << u"选项 -platform 缺少值"_qs;
    QTest::newRow("version among Qt's options") << QStringList{u"-platform"_qs, u"offscreen"_qs, u"--version"_qs} << A::PrintVersion << QString() << QString();
}

void TestCommandLine::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, dataFolder);
    QFETCH(QString, textContains);

    const CommandLine line = CommandLine::parse(QStringList{u"/usr/bin/quillon"_qs} + arguments);
    QCOMPARE(line.action, action);
    QCOMPARE(line.dataFolder, dataFolder);
    QVERIFY2(line.text.contains(textContains), qPrintable(line.text));
    QCOMPARE(line.exitCode(), action == CommandLine::Action::Refuse ? 2 : 0);
}

void TestCommandLine::programAnswersBeforeTouchingData_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutContains");
    QTest::addColumn<QString>("stderrContains");

    QTest::newRow("--version") << QStringList{u"--version"_qs} << 0 << u"Quillon 电子处方 " QUILLON_VERSION ""_qs << QString();
    QTest::newRow("--help") << QStringList{u"--help"_qs} << 0 << u"--data-folder"_qs << QString();
    QTest::newRow("--help with a data folder") << QStringList{u"--data-folder"_qs, u"elsewhere"_qs, u"--help"_qs} << 0 << u"用法"_qs << QString();
    QTest::newRow("unknown option") << QStringList{u"--reset"_qs} << 2 << QString() << u"不认识的选项"_qs;
}

void TestCommandLine::programAnswersBeforeTouchingData()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutContains);
    QFETCH(QString, stderrContains);

    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_qs, home.path());
    // No screen at all: answering must not need one.
    environment.remove(u"QT_QPA_PLATFORM"_qs);
    environment.remove(u"DISPLAY"_qs);
    environment.remove(u"WAYLAND_DISPLAY"_qs);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.start(QStringLiteral(QUILLON_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(QString::fromLocal8Bit(program.readAllStandardOutput()).contains(stdoutContains), qPrintable(stdoutContains));
    QVERIFY2(QString::fromLocal8Bit(program.readAllStandardError()).contains(stderrContains), qPrintable(stderrContains));
    QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
