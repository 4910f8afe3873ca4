// The program started with files, as a file manager's "Open with" starts it: the files run with
// the selected mode, and a later start hands its files to the window already open.
#include "ProgramEnvironment.h"
#include "TestFiles.h"

#include <QProcess>
#include <QtTest>

using namespace tavelkor;

class ProgramStartTest : public QObject {
    Q_OBJECT

private slots:
    void filesOnTheCommandLineRunInTheOneWindow() {
        test::TestFolder folder;
        folder.Put("first.txt", "[00:01:00]a\r\n");
        folder.Put("second.txt", "[00:02:00]b\r\n");
        const QProcessEnvironment environment = ProgramEnvironment(folder);
        auto start = [&](QProcess& program, const char* file) {
            program.setProcessEnvironment(environment);
            program.setWorkingDirectory(folder.Path()); // a relative name is made absolute
            program.start(QStringLiteral(TAVELKOR_GUI_PATH), {QString::fromUtf8(file)});
            return program.waitForStarted();
        };

        QProcess window;
        QVERIFY(start(window, "first.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.File("first.smi")), 15000);
        QProcess later;
        QVERIFY(start(later, "second.txt"));
        QVERIFY(later.waitForFinished(15000));
        QCOMPARE(later.exitCode(), 0);
        // The later start says what became of its file.
        QCOMPARE(QString::fromUtf8(later.readAllStandardError()).trimmed(),
                 QStringLiteral("tavelkor: 1 file handed to the open window, which runs it now"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.File("second.smi")), 15000);
        QCOMPARE(window.state(), QProcess::Running);
        window.kill();
        window.waitForFinished();
    }
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStartTest.moc"
