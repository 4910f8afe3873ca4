// tavelkor-screenshots FOLDER: saves a PNG picture of the main window and of each dialog, as
// they look on the current display (for the README and for reviewing the windows).
#include "../app/BatchState.h"
#include "../settings/IniSettingsStore.h"
#include "../settings/Settings.h"
#include "FormAbout.h"
#include "FormMain.h"
#include "FormName.h"
#include "FormOption.h"
#include "FormOptionCommon.h"
#include "FormResult.h"
#include "FormSlide.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path) {
    window.show();
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
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
    tavelkor::IniSettingsStore store(settingsFolder.filePath(QStringLiteral("Tavelkor.ini")));
    tavelkor::Settings settings;
    tavelkor::FormMain main(settings, store);
    bool ok = Save(main, file("main-window.png"));

    tavelkor::BatchState state;
    state.DropCount = 3;
    state.Results = {{QString::fromUtf8("/music/歌詞.txt"), 0},
                     {QStringLiteral("/music/song.txt"), 4}};
    state.RejectedFiles = {QStringLiteral("/music/song.wav")};
    tavelkor::FormResult result(state, false);
    ok = Save(result, file("result-window.png")) && ok;
    tavelkor::FormSlide slide(250);
    ok = Save(slide, file("time-shift-dialog.png")) && ok;
    tavelkor::FormName name(QStringLiteral("/music/lyrics.txt"),
                            QStringLiteral("/music/track01.mp3"));
    ok = Save(name, file("file-name-dialog.png")) && ok;
    tavelkor::FormOptionCommon common(settings);
    ok = Save(common, file("common-options-dialog.png")) && ok;
    for (int mode : {0, 2, 6}) {
        tavelkor::FormOption options(settings, mode);
        ok = Save(options, file(mode == 0   ? "mode-options-t2s.png"
                                : mode == 2 ? "mode-options-t2d.png"
                                            : "mode-options-t2t.png")) &&
             ok;
    }
    tavelkor::FormAbout about;
    about.show();
    QTimer::singleShot(2500, &app, &QCoreApplication::quit); // after the picture has come in
    app.exec();
    ok = Save(about, file("about-box.png")) && ok;
    return ok ? 0 : 1;
}
