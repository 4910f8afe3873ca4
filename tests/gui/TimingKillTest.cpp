// The real editor (`tavelkor --edit FILE`) killed with SIGKILL at random moments after
// changes: the autosave it leaves is always whole and holds every change made before the last
// second (with a second more for a loaded machine); the next start asks about it, Enter
// (復元) brings the work back and it goes on from there; Ctrl+S at last saves it into the file
// and removes the autosave. The offscreen platform takes no input from outside, so the keys go
// in through the program's standard input (TAVELKOR_KEYS_FROM_STDIN), which answers each one
// once the window has handled it.
#include "timing/SessionAutosave.h"

#include "ProgramEnvironment.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>
#include <csignal>

using namespace tavelkor;

namespace {

// A change is written at most a second after it; the rest is room for a loaded machine.
constexpr qint64 WrittenWithinMs = 1000;
constexpr qint64 LoadRoomMs = 1000;

// One start of the editor on a file, its keys sent one by one.
class Editor {
public:
    Editor(const QProcessEnvironment& environment, const QString& folder, const QString& file) {
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(folder);
        process_.start(QStringLiteral(TAVELKOR_GUI_PATH), {QStringLiteral("--edit"), file});
    }
    ~Editor() {
        if (process_.state() != QProcess::NotRunning)
            Kill();
    }
    bool Started() { return process_.waitForStarted(15000); }
    // Sends "CLASS KEYS" and waits until the program says it handled it.
    bool Key(const char* line) {
        process_.write(QByteArray(line) + '\n');
        process_.waitForBytesWritten(15000);
        const QByteArray done = "done " + QByteArray::number(++sent_) + '\n';
        QElapsedTimer waited;
        waited.start();
        while (!output_.contains(done) && waited.elapsed() < 20000) {
            process_.waitForReadyRead(100);
            output_ += process_.readAllStandardOutput();
        }
        return output_.contains(done);
    }
    void Kill() {
        ::kill(pid_t(process_.processId()), SIGKILL);
        process_.waitForFinished(15000);
    }
    QProcess::ExitStatus Status() const { return process_.exitStatus(); }

private:
    QProcess process_;
    QByteArray output_;
    int sent_ = 0;
};

} // namespace

class TimingKillTest : public QObject {
    Q_OBJECT

private slots:
    void killedEditorsLoseNothingOlderThanASecond() {
        test::TestFolder folder;
        const QString lyrics =
            folder.Put("song.txt", "[00:01:00]la[05:00:00]la\r\n\r\n@TimeRatio=1\r\n");
        QVERIFY(QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3"),
                            folder.File("song.mp3")));
        QProcessEnvironment environment = ProgramEnvironment(folder);
        environment.insert(QStringLiteral("TAVELKOR_KEYS_FROM_STDIN"), QStringLiteral("1"));
        const QString autosave =
            AutosavePath(AutosaveFolder(folder.File("config/Tavelkor.ini")), lyrics);
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);

        // Each Ctrl+Right moves the first "la" 10 ms later: the autosave says how many it holds.
        int kept = 0;
        for (int round = 0; round < 4; ++round) {
            Editor editor(environment, folder.Path(), lyrics);
            QVERIFY(editor.Started());
            if (round > 0)
                QVERIFY(editor.Key("QMessageBox Return"));
            QElapsedTimer clock;
            clock.start();
            std::vector<qint64> handled;
            const int moves = 1 + int(random.bounded(10));
            for (int i = 0; i < moves; ++i) {
                QVERIFY(editor.Key("tavelkor::FormTiming Ctrl+Right"));
                handled.push_back(clock.elapsed());
                QThread::msleep(random.bounded(250));
            }
            QThread::msleep(random.bounded(2500));
            const qint64 killedAt = clock.elapsed();
            editor.Kill();
            QCOMPARE(editor.Status(), QProcess::CrashExit);

            QString problem;
            const std::optional<SessionAutosave> left =
                DecodeAutosave(test::ReadBytes(autosave), &problem);
            QVERIFY2(left, qPrintable(problem));
            const int holds = (left->Document.Lines[0].Fragments[0].StartMs - 1000) / 10;
            const int older = int(std::count_if(handled.begin(), handled.end(), [&](qint64 at) {
                return killedAt - at >= WrittenWithinMs + LoadRoomMs;
            }));
            QVERIFY2(holds >= kept + older && holds <= kept + moves,
                     qPrintable(QStringLiteral("round %1: %2 moves kept of %3 before and %4 made, "
                                               "%5 of them long enough before the kill")
                                    .arg(round)
                                    .arg(holds)
                                    .arg(kept)
                                    .arg(moves)
                                    .arg(older)));
            kept = holds;
        }

        Editor last(environment, folder.Path(), lyrics);
        QVERIFY(last.Started());
        QVERIFY(last.Key("QMessageBox Return"));
        QVERIFY(last.Key("tavelkor::FormTiming Ctrl+S"));
        const int ms = 1000 + 10 * kept;
        QCOMPARE(QString::fromUtf8(test::ReadBytes(lyrics)),
                 QStringLiteral("[00:%1:%2]la[05:00:00]la\r\n\r\n@TimeRatio=1\r\n")
                     .arg(ms / 1000, 2, 10, QLatin1Char('0'))
                     .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0')));
        QVERIFY(!QFileInfo::exists(autosave));
        QCOMPARE(test::Entries(QFileInfo(autosave).absolutePath()), QStringList());
    }
};

QTEST_MAIN(TimingKillTest)
#include "TimingKillTest.moc"
