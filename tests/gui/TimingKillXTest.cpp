// The real editor (`tavelkor --edit FILE`) in a real X server, its keys typed by xdotool, killed
// with SIGKILL at random moments after changes: the autosave it leaves is always whole and holds
// every change typed two seconds or more before the kill (a second for the write, a second more
// for a loaded machine to take the key and write); the next start asks about it, Enter (復元)
// brings the work back and it goes on from there; Ctrl+S at last saves it into the file and
// removes the autosave.
#include "timing/SessionAutosave.h"

#include "ProgramEnvironment.h"
#include "TestFiles.h"
#include "Xdo.h"

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
// How long a window may take to come up, or an answer to show in it.
constexpr int ShowsWithinMs = 30000;

// The editor's window, found by its title: "タイミング編集 - song.txt", with "*" while there
// are unsaved changes.
const QString Edited = QStringLiteral(u"^タイミング編集 - song\\.txt\\*$");
const QString Unchanged = QStringLiteral(u"^タイミング編集 - song\\.txt$");
// The recovery question has the bare title (the editor has its file's name by then).
const QString Question = QStringLiteral(u"^タイミング編集$");

// One start of the editor on a file.
class Editor {
public:
    Editor(const QProcessEnvironment& environment, const QString& folder, const QString& file) {
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(folder);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QStringLiteral(TAVELKOR_GUI_PATH), {QStringLiteral("--edit"), file});
    }
    ~Editor() {
        if (process_.state() != QProcess::NotRunning)
            Kill();
    }
    bool Started() { return process_.waitForStarted(15000); }
    void Kill() {
        ::kill(pid_t(process_.processId()), SIGKILL);
        process_.waitForFinished(15000);
    }
    QProcess::ExitStatus Status() const { return process_.exitStatus(); }

private:
    QProcess process_;
};

// The shown window whose title matches `title`, once it shows; nothing when it does not.
QString Find(const QString& title) {
    QString ids;
    if (!Xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
              QStringLiteral("--name"), title},
             &ids, ShowsWithinMs))
        return QString();
    return ids.section(u'\n', 0, 0);
}
// That window, given the keyboard.
bool Focus(const QString& title) {
    const QString id = Find(title);
    return !id.isEmpty() && Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
}

bool Key(const char* keys) { return Xdo({QStringLiteral("key"), QString::fromLatin1(keys)}); }

// Answers the recovery question with Enter (復元) and gives the restored editor the keyboard.
// The editor has its file's name before the question shows, so the bare title is the question's.
bool Restore() {
    return !Find(Unchanged).isEmpty() && Focus(Question) && Key("Return") && Focus(Edited);
}

// How many 10 ms moves of the first fragment (from 1 s) the autosave holds; -1 when there is
// none, and -2 (with `problem`) when it is damaged.
int MovesKept(const QString& autosave, QString* problem) {
    if (!QFileInfo::exists(autosave))
        return -1;
    const std::optional<SessionAutosave> left = DecodeAutosave(test::ReadBytes(autosave), problem);
    return left ? (left->Document.Lines[0].Fragments[0].StartMs - 1000) / 10 : -2;
}

} // namespace

class TimingKillXTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TAVELKOR_REQUIRE_XDOTOOL(); }

    void killedEditorsLoseNothingOlderThanTwoSeconds() {
        test::TestFolder folder;
        const QString lyrics =
            folder.Put("song.txt", "[00:01:00]la[05:00:00]la\r\n\r\n@TimeRatio=1\r\n");
        QVERIFY(QFile::copy(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3"),
                            folder.File("song.mp3")));
        // The test's own settings and runtime folders, in this X server.
        QProcessEnvironment environment = ProgramEnvironment(folder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        const QString autosave =
            AutosavePath(AutosaveFolder(folder.File("config/Tavelkor.ini")), lyrics);
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        QString problem;

        // Each Ctrl+Right moves the first "la" 10 ms later: the autosave says how many it holds.
        int kept = 0;
        for (int round = 0; round < 4; ++round) {
            Editor editor(environment, folder.Path(), lyrics);
            QVERIFY(editor.Started());
            QVERIFY(round > 0 ? Restore() : Focus(Unchanged));
            QElapsedTimer clock;
            clock.start();
            std::vector<qint64> typed;
            const int moves = 1 + int(random.bounded(10));
            for (int i = 0; i < moves; ++i) {
                QVERIFY(Key("ctrl+Right"));
                typed.push_back(clock.elapsed());
                // The first one in the autosave says the window has the keys; it is written at
                // once, and the ones after it wait for the second to pass.
                if (i == 0)
                    QTRY_VERIFY_WITH_TIMEOUT(MovesKept(autosave, &problem) > kept, ShowsWithinMs);
                QThread::msleep(random.bounded(250));
            }
            QThread::msleep(random.bounded(2500));
            const qint64 killedAt = clock.elapsed();
            editor.Kill();
            QCOMPARE(editor.Status(), QProcess::CrashExit);

            const int holds = MovesKept(autosave, &problem);
            QVERIFY2(holds >= 0, qPrintable(problem));
            const int older = int(std::count_if(typed.begin(), typed.end(), [&](qint64 at) {
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
            qInfo("round %d: %d of %d moves kept, %d typed long enough before the kill", round,
                  holds - kept, moves, older);
            kept = holds;
        }

        Editor last(environment, folder.Path(), lyrics);
        QVERIFY(last.Started());
        QVERIFY(Restore());
        QVERIFY(Key("ctrl+s"));
        QVERIFY(!Find(Unchanged).isEmpty()); // saved
        const int ms = 1000 + 10 * kept;
        QTRY_COMPARE(QString::fromUtf8(test::ReadBytes(lyrics)),
                     QStringLiteral("[00:%1:%2]la[05:00:00]la\r\n\r\n@TimeRatio=1\r\n")
                         .arg(ms / 1000, 2, 10, QLatin1Char('0'))
                         .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0')));
        QTRY_VERIFY(!QFileInfo::exists(autosave));
        QCOMPARE(test::Entries(QFileInfo(autosave).absolutePath()), QStringList());
    }
};

QTEST_MAIN(TimingKillXTest)
#include "TimingKillXTest.moc"
