// tavelkor: the desktop program. Files named on the command line are run with the selected mode
// once the window shows, as if they had been dropped on it.
#include "../../settings/IniSettingsStore.h"
#include "../../settings/Settings.h"
#include "../../modes/ModeTable.h"
#include "../../timing/PlaceMode.h"
#include "../common/QtTranslations.h"
#include "FormMain.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    // A write beyond the file-size limit fails with an error (a save error) instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    tavelkor::SetPlaceDriver(&tavelkor::PlaceInLines);
    QApplication::setApplicationName(tavelkor::ApplicationName);
    QApplication::setApplicationVersion(QStringLiteral(u"1.00β6"));
    QApplication::setDesktopFileName(QStringLiteral("tavelkor"));
    tavelkor::InstallQtTranslations(QLocale::system());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts time-tagged karaoke lyrics; files given here are run with the "
                       "selected mode as if dropped on the window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption previewOption(
        QStringLiteral("preview"),
        QStringLiteral("Opens the preview of a lyrics file and plays it with its song."),
        QStringLiteral("FILE"));
    parser.addOption(previewOption);
    const QCommandLineOption editOption(
        QStringLiteral("edit"),
        QStringLiteral("Opens the timing editor on a lyrics file (plain text or timed lyrics)."),
        QStringLiteral("FILE"));
    parser.addOption(editOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("files to run"),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);
    QStringList files;
    for (const QString& argument : parser.positionalArguments())
        files.append(QFileInfo(argument).absoluteFilePath());
    const QString preview = parser.isSet(previewOption)
                                ? QFileInfo(parser.value(previewOption)).absoluteFilePath()
                                : QString();

    const QString edit = parser.isSet(editOption)
                             ? QFileInfo(parser.value(editOption)).absoluteFilePath()
                             : QString();

    // One program at a time: a later start hands its files to the running one and closes,
    // loading and saving nothing.
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    tavelkor::SingleInstance instance(runtime);
    if (!instance.Acquire()) {
        // The running window takes the files; this start says what became of them.
        bool handed = true;
        if (!edit.isEmpty())
            handed = instance.HandOverEdit(edit);
        if (!preview.isEmpty())
            handed = instance.HandOverPreview(preview);
        if (!files.isEmpty()) {
            QString answer;
            handed = instance.HandOver(files, &answer) && handed;
            if (!answer.isEmpty())
                std::fprintf(stderr, "tavelkor: %s\n", answer.toUtf8().constData());
        }
        if (!handed)
            std::fprintf(stderr, "tavelkor: the open window did not answer; nothing was handed "
                                 "over\n");
        return handed ? 0 : 1;
    }

    tavelkor::Settings settings;
    tavelkor::IniSettingsStore store;
    tavelkor::FormMain window(settings, store);
    instance.TakeFiles = [&window](const QStringList& handed) {
        return window.TakeHandedOverFiles(handed);
    };
    QObject::connect(&instance, &tavelkor::SingleInstance::PreviewArrived, &window,
                     [&window](const QString& file) { window.OpenPreview(file); });
    QObject::connect(&instance, &tavelkor::SingleInstance::EditArrived, &window,
                     [&window](const QString& file) { window.OpenTiming(file); });
    window.show();
    if (!preview.isEmpty())
        QTimer::singleShot(0, &window, [&window, preview] { window.OpenPreview(preview); });
    if (!files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files] { window.OpenFiles(files); });
    if (!edit.isEmpty())
        QTimer::singleShot(0, &window, [&window, edit] { window.OpenTiming(edit); });
    const int status = app.exec();
    store.Flush();
    return status;
}
