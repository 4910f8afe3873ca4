// tavelkor-screenshots FOLDER: saves a PNG picture of the main window (idle, busy with its count,
// and with a run's summary), its menu, each dialog, the preview at two moments of a real playback
// and the timing editor mid-song (its lane as waveform and as spectrogram), as they look on the
// current display (for the README and for reviewing the windows). Every dialog is opened the way a
// user opens it: the options and the about box through the ★ menu picked with keys, the result
// window and the two tools' questions by a run of dropped files.
#include "../../settings/IniSettingsStore.h"
#include "../../settings/Settings.h"
#include "../preview/FormPreview.h"
#include "../timing/FormTiming.h"
#include "../timing/WaveformLane.h"
#include "FormMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <deque>

namespace {

bool Save(QWidget& window, const QString& path) {
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

void Settle(int ms) {
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}

void Key(QWidget* widget, Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

// Saves each modal dialog that opens, once it has settled, as the next name of the list, and
// closes it with Esc.
class Shooter {
public:
    struct Shot {
        QString Path;
        int SettleMs;
        QWidget* Behind = nullptr; // saved too, as it looks behind the dialog
        QString BehindPath = {};
    };
    std::deque<Shot> shots;
    bool ok = true;

    Shooter() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || dialog == last_ || shots.empty())
                return;
            last_ = dialog;
            const Shot shot = shots.front();
            shots.pop_front();
            Settle(shot.SettleMs);
            ok = Save(*dialog, shot.Path) && ok;
            if (shot.Behind != nullptr)
                ok = Save(*shot.Behind, shot.BehindPath) && ok;
            Key(dialog, Qt::Key_Escape);
        });
        timer_.start(20);
    }

private:
    QTimer timer_;
    QPointer<QWidget> last_;
};

void Drop(tavelkor::FormMain& main, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint at = main.LblDD()->mapTo(&main, QPoint(5, 5));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    while (main.Busy())
        Settle(50);
}

QString Put(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavelkor-screenshots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    auto file = [&folder](const char* name) { return folder + u'/' + QString::fromUtf8(name); };

    QTemporaryDir settingsFolder;
    QTemporaryDir music;
    tavelkor::IniSettingsStore store(settingsFolder.filePath(QStringLiteral("Tavelkor.ini")));
    store.Write(QStringLiteral("Init"), QStringLiteral("SlidemSec"), QStringLiteral("250"));
    tavelkor::Settings settings;
    tavelkor::FormMain main(settings, store);
    main.show();
    Settle(300);
    bool ok = Save(main, file("main-window.png"));

    // The ★ menu, opened from the keyboard under its button.
    main.ComMenu()->setFocus();
    Key(main.ComMenu(), Qt::Key_Space);
    Settle(200);
    ok = Save(*main.PopupMenu(), file("star-menu.png")) && ok;
    Key(main.PopupMenu(), Qt::Key_Escape);

    Shooter shooter;
    auto pick = [&](const char* mnemonic, const char* name, int settleMs) {
        shooter.shots.push_back({file(name), settleMs});
        Key(main.ComMenu(), Qt::Key_Space);
        Key(main.PopupMenu(), Qt::Key(QChar::fromLatin1(mnemonic[0]).toUpper().unicode()),
            QString::fromLatin1(mnemonic));
    };
    pick("c", "common-options-dialog.png", 200);
    const std::pair<int, const char*> modes[] = {{0, "mode-options-t2s.png"},
                                                 {1, "mode-options-s2t.png"},
                                                 {2, "mode-options-t2d.png"},
                                                 {6, "mode-options-t2t.png"}};
    for (const auto& [mode, name] : modes) {
        main.Cmb()->setCurrentIndex(mode);
        pick("m", name, 200);
    }
    pick("a", "about-box.png", 2500); // after the picture has come in

    // Runs of dropped files: the report, and the two tools' questions.
    settings.Init.DispResult = true;
    settings.Init.OverWrite = false;
    const QByteArray lyrics = "[00:01:00]a\r\n[00:02:00]b\r\n";
    const QString song = Put(music, QStringLiteral("song.txt"), lyrics);
    Put(music, QStringLiteral("song.smi"), "<SAMI></SAMI>\r\n");
    main.Cmb()->setCurrentIndex(0);
    shooter.shots.push_back({file("result-window.png"), 200});
    Drop(main, {Put(music, QString::fromUtf8("歌詞サンプル.txt"), lyrics), song,
                Put(music, QStringLiteral("song.wav"), "RIFF")});
    settings.Init.DispResult = false;
    main.Cmb()->setCurrentIndex(7);
    // Behind the question the run is going on: the busy look with its count.
    shooter.shots.push_back(
        {file("time-shift-dialog.png"), 200, &main, file("main-window-busy.png")});
    Drop(main, {song});
    Settle(100);
    ok = Save(main, file("main-window-summary.png")) && ok; // the run's summary
    main.Cmb()->setCurrentIndex(8);
    shooter.shots.push_back({file("file-name-dialog.png"), 200});
    Drop(main, {Put(music, QStringLiteral("lyrics.txt"), lyrics),
                Put(music, QStringLiteral("track01.mp3"), "ID3")});

    // The preview while a real song plays: two moments, with different fragments sung.
    settings.T2S.Lines = 3;
    QFile::copy(QStringLiteral(TAVELKOR_SOURCE_DIR "/tests/audio/fixtures/preview-tone3000.mp3"),
                music.filePath(QStringLiteral("preview.mp3")));
    const QString karaoke = Put(
        music, QStringLiteral("preview.txt"),
        QString::fromUtf8("[00:00:20]きらきら[00:00:60]ひかる[00:01:00]よぞらの[00:01:40]ほしよ\r\n"
                          "[00:01:80]まばたき[00:02:20]しては[00:02:60]みんなを みてる "
                          "よるの そらに ひかる ちいさな ほしよ\r\n"
                          "[00:03:40]きらきら ひかる\r\n@TimeRatio=1\r\n")
            .toUtf8());
    main.OpenPreview(karaoke);
    tavelkor::FormPreview& preview = *main.Preview();
    preview.resize(640, 300);
    for (const auto& [at, name] :
         {std::pair(1100, "preview-playing-1.png"), std::pair(2400, "preview-playing-2.png")}) {
        QElapsedTimer waited;
        waited.start();
        while (preview.Clock()->PositionMs() < at && waited.elapsed() < 10000)
            Settle(5);
        Settle(30); // the window's next look at the clock
        std::printf("preview at %lld ms\n", preview.Clock()->PositionMs());
        ok = Save(preview, file(name)) && ok;
    }
    preview.close();

    // The timing editor mid-song: plain lyrics, the first line tapped along the song.
    QFile::copy(music.filePath(QStringLiteral("preview.mp3")),
                music.filePath(QStringLiteral("editor.mp3")));
    const QString plain = Put(music, QStringLiteral("editor.txt"),
                              QString::fromUtf8("きらきら ひかる よぞらの ほしよ\r\n"
                                                "まばたき しては みんなを みてる\r\n")
                                  .toUtf8());
    main.OpenTiming(plain);
    tavelkor::FormTiming& editor = *main.Timing();
    editor.resize(760, 600);
    editor.Clock()->Play();
    for (const int at : {200, 450, 700, 900, 1100, 1300, 1500, 1700, 1900, 2100, 2400}) {
        QElapsedTimer waited;
        waited.start();
        while (editor.Clock()->PositionMs() < at && waited.elapsed() < 10000)
            Settle(5);
        if (at < 2400)
            Key(&editor, Qt::Key_F);
        editor.Refresh();
    }
    // The onsets, searched while the song played, show on the lane once found.
    QElapsedTimer searched;
    searched.start();
    while (!editor.Lane()->HasOnsets() && searched.elapsed() < 10000)
        Settle(5);
    Settle(30);
    editor.Refresh();
    ok = Save(editor, file("timing-editor.png")) && ok;
    // The same moment with the lane showing the spectrogram (V), computed before the onsets.
    Key(&editor, Qt::Key_V);
    while (!editor.Lane()->HasSpectrogram() && searched.elapsed() < 10000)
        Settle(5);
    Settle(30);
    ok = Save(editor, file("timing-editor-spectrogram.png")) && ok;
    Key(&editor, Qt::Key_V);
    editor.Clock()->Pause();
    editor.setAttribute(Qt::WA_DeleteOnClose, false);
    editor.hide();

    if (!shooter.shots.empty()) {
        std::fprintf(stderr, "not opened: %s\n", qPrintable(shooter.shots.front().Path));
        ok = false;
    }
    return ok && shooter.ok ? 0 : 1;
}
