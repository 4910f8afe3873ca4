#include "CommandLine.h"

#include "Listings.h"

#include "../app/BatchFrame.h"
#include "../app/JsonReport.h"
#include "../app/ResultCodes.h"
#include "../app/RunQuestions.h"
#include "../base/NumberText.h"
#include "../formats/WordFormats.h"
#include "../modes/ModeTable.h"
#include "../settings/IniSettingsStore.h"
#include "../settings/SettingsIo.h"
#include "../timing/SongOnsets.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace tavelkor {

QString UsageText() {
    return QStringLiteral(
        "Usage: tavelkor-cli [--settings FILE] [--set Section/Key=Value]... [--mode MODE]\n"
        "                    [--shift MS] [--keep first|second] [--report text|json]\n"
        "                    [--to FORMATS] FILE...\n"
        "       tavelkor-cli [--settings FILE] [--set Section/Key=Value]... --onsets SONG\n"
        "\n"
        "Converts every FILE with one of Tavelkor's modes and prints the result report.\n"
        "\n"
        "  --settings FILE   read settings from this INI file instead of the per-user store\n"
        "                    (a missing file means every default; the file is never written)\n"
        "  --set S/K=V       override one setting for this run, in its stored form\n"
        "                    (True/False, decimal numbers, text), e.g. --set Init/OverWrite=False\n"
        "  --mode MODE       0..14 or t2s, s2t, t2d, d2t, t2m, m2t, t2t, shift, match,\n"
        "                    t2l (TimeTag -> LRC), l2t (LRC -> TimeTag),\n"
        "                    t2x (TimeTag -> ASS/TTML/WebVTT/SRT), x2t (those -> TimeTag),\n"
        "                    place (line-timed lyrics placed inside their lines on the song)\n"
        "                    t2v (lyrics and their song -> karaoke video, MP4)\n"
        "                    (default: the setting Init/NowMode)\n"
        "  --shift MS        the time-shift amount in milliseconds for every file (mode 7);\n"
        "                    the files are rewritten in place\n"
        "  --keep first|second  whose base name wins when two files get the same one (mode 8)\n"
        "  --to FORMATS      the formats mode t2x writes, e.g. ass,ttml,vtt,srt\n"
        "                    (the same as --set T2X/Formats=FORMATS)\n"
        "  --report text|json   the result report as text (the default) or as one JSON\n"
        "                    document with each file's output, encoding and result\n"
        "  --onsets SONG     print the onsets of SONG the timing editor snaps to, one time\n"
        "                    in milliseconds a line (the kind: --set "
        "Timing/OnsetKind=voice|plain)\n"
        "  --list modes|keys|options  print the modes, the settings --set takes or the\n"
        "                    options, one a line (shell completion is made from them)\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 when every file converted, 1 when a file failed or was rejected,\n"
        "2 for a usage error.\n");
}

namespace {

// The command line answers every question of a run from its options: --shift for every file
// of a time-shift run (as if "same for all" were ticked), --keep for the name-matching run.
class CommandLineAnswers : public RunQuestions {
public:
    explicit CommandLineAnswers(const CommandLine& commandLine) : commandLine_(commandLine) {}

    ShiftAnswer AskShift(const QString&, int) override {
        if (!commandLine_.ShiftMs)
            return {};
        return {false, *commandLine_.ShiftMs, true};
    }

    int AskWhichNameWins(const QString&, const QString&) override {
        if (commandLine_.Keep == u"first")
            return 0;
        if (commandLine_.Keep == u"second")
            return 1;
        return -1;
    }

private:
    const CommandLine& commandLine_;
};

// The first word that names no option, as it was typed ("-x", "--foo=1", "-mode").
QString FirstUnknownOption(const QStringList& arguments, const QStringList& known) {
    for (const QString& word : arguments) {
        if (word == u"--")
            break;
        if (!word.startsWith(u'-') || word == u"-")
            continue;
        const QString name = word.mid(word.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0);
        if (!known.contains(name) || (name.size() > 1) != word.startsWith(u"--"))
            return word;
    }
    return QString();
}

// --onsets: the song decoded as the timing editor decodes it, its onsets one a line.
int PrintOnsets(const QString& path, const Settings& settings, QTextStream& out, QTextStream& err) {
    const DecodedSong song = DecodeSong(path);
    if (!song.Error.isEmpty()) {
        err << "tavelkor-cli: " << path << ": " << song.Error << '\n';
        err.flush();
        return ExitFailures;
    }
    for (int ms : SongOnsets(song, settings.Timing.OnsetKind))
        out << ms << '\n';
    out.flush();
    return ExitSuccess;
}

} // namespace

QList<QCommandLineOption> CommandLineOptions() {
    auto valued = [](const char16_t* name, const char16_t* valueName) {
        return QCommandLineOption(QString::fromUtf16(name), QString(),
                                  QString::fromUtf16(valueName));
    };
    return {QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
            QCommandLineOption(QStringLiteral("version")),
            valued(u"settings", u"FILE"),
            valued(u"set", u"S/K=V"),
            valued(u"mode", u"MODE"),
            valued(u"shift", u"MS"),
            valued(u"keep", u"WHICH"),
            valued(u"report", u"FORM"),
            valued(u"list", u"WHAT"),
            valued(u"to", u"FORMATS"),
            valued(u"onsets", u"SONG")};
}

bool ParseCommandLine(const QStringList& arguments, CommandLine& commandLine, QString& error) {
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = CommandLineOptions();
    parser.addOptions(options);
    QStringList known;
    for (const QCommandLineOption& option : options)
        known += option.names();
    // The options by name.
    const QString help = QStringLiteral("help"), version = QStringLiteral("version"),
                  settingsFile = QStringLiteral("settings"), set = QStringLiteral("set"),
                  mode = QStringLiteral("mode"), shift = QStringLiteral("shift"),
                  keep = QStringLiteral("keep"), report = QStringLiteral("report"),
                  list = QStringLiteral("list"), to = QStringLiteral("to"),
                  onsets = QStringLiteral("onsets");
    // The parser takes its first word as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("tavelkor-cli")} + arguments)) {
        // Its own messages are put in the words this command has always used.
        if (!parser.unknownOptionNames().isEmpty()) {
            error = QStringLiteral("unknown option: ") + FirstUnknownOption(arguments, known);
        } else {
            const qsizetype quote = parser.errorText().indexOf(u'\'');
            const QString name = parser.errorText().mid(quote + 1).chopped(2);
            error = (name.startsWith(u'-') ? name : QStringLiteral("--") + name) +
                    QStringLiteral(" needs a value");
        }
        return false;
    }
    commandLine.Help = parser.isSet(help);
    commandLine.Version = parser.isSet(version);
    commandLine.SettingsFile = parser.value(settingsFile);
    for (const QString& value : parser.values(set)) {
        const qsizetype equals = value.indexOf(u'=');
        if (equals < 0 || !value.left(equals).contains(u'/')) {
            error = QStringLiteral("--set takes Section/Key=Value, not: ") + value;
            return false;
        }
        commandLine.Overrides.append({value.left(equals), value.mid(equals + 1)});
    }
    if (parser.isSet(mode)) {
        commandLine.Mode = parser.value(mode);
        if (FindMode(commandLine.Mode) == nullptr) {
            error = QStringLiteral("unknown mode: ") + commandLine.Mode;
            return false;
        }
    }
    if (parser.isSet(shift)) {
        // A number as the time-shift dialog takes it: rounded to whole milliseconds (halves
        // to even), refused when it does not fit 32 bits.
        const std::optional<int> amount = ParseInt32(parser.value(shift));
        if (!amount) {
            error = QStringLiteral("--shift takes a number of milliseconds, not: ") +
                    parser.value(shift);
            return false;
        }
        commandLine.ShiftMs = *amount;
    }
    if (parser.isSet(keep)) {
        commandLine.Keep = parser.value(keep);
        if (commandLine.Keep != u"first" && commandLine.Keep != u"second") {
            error = QStringLiteral("--keep takes first or second, not: ") + commandLine.Keep;
            return false;
        }
    }
    if (parser.isSet(report)) {
        const QString form = parser.value(report);
        if (form != u"text" && form != u"json") {
            error = QStringLiteral("--report takes text or json, not: ") + form;
            return false;
        }
        commandLine.JsonReport = form == u"json";
    }
    if (parser.isSet(list)) {
        commandLine.List = parser.value(list);
        if (!ListingNames().contains(commandLine.List)) {
            error = QStringLiteral("--list takes modes, keys or options, not: ") + commandLine.List;
            return false;
        }
    }
    if (parser.isSet(to)) {
        QString unknown;
        if (!ParseWordFormats(parser.value(to), unknown)) {
            error = QStringLiteral("--to takes formats among ass, ttml, vtt, srt, not: ") + unknown;
            return false;
        }
        commandLine.To = parser.value(to);
    }
    commandLine.Onsets = parser.value(onsets);
    commandLine.Files = parser.positionalArguments();
    if (parser.isSet(onsets) &&
        (!commandLine.Files.isEmpty() || parser.isSet(mode) || parser.isSet(to) ||
         parser.isSet(shift) || parser.isSet(keep) || parser.isSet(report))) {
        error = QStringLiteral("--onsets takes one song and converts nothing");
        return false;
    }
    return true;
}

int RunCommandLine(const CommandLine& commandLine, QTextStream& out, QTextStream& err,
                   BatchProgress* progress) {
    auto usageError = [&err](const QString& message) {
        err << "tavelkor-cli: " << message << '\n';
        err.flush();
        return ExitUsage;
    };
    if (commandLine.Help) {
        out << UsageText();
        return ExitSuccess;
    }
    if (commandLine.Version) {
        out << "tavelkor-cli " << TAVELKOR_VERSION << '\n';
        return ExitSuccess;
    }
    if (!commandLine.List.isEmpty()) {
        out << ListingText(commandLine.List);
        return ExitSuccess;
    }

    std::unique_ptr<IniSettingsStore> store;
    if (commandLine.SettingsFile.isEmpty()) {
        store = std::make_unique<IniSettingsStore>();
    } else {
        const QFileInfo info(commandLine.SettingsFile);
        if (info.exists() && (!info.isFile() || !info.isReadable()))
            return usageError(QStringLiteral("cannot read settings file ") +
                              commandLine.SettingsFile);
        store = std::make_unique<IniSettingsStore>(commandLine.SettingsFile);
    }
    Settings settings;
    LoadSettings(*store, settings);
    for (const auto& [name, value] : commandLine.Overrides) {
        const qsizetype slash = name.indexOf(u'/');
        QString error;
        if (!SetSettingFromText(settings, name.left(slash), name.mid(slash + 1), value, error))
            return usageError(error);
    }

    if (!commandLine.Onsets.isEmpty())
        return PrintOnsets(commandLine.Onsets, settings, out, err);
    if (!commandLine.To.isEmpty())
        settings.T2X.Formats = commandLine.To;
    const ModeInfo* mode = commandLine.Mode.isEmpty() ? &ModeTable()[settings.Init.NowMode]
                                                      : FindMode(commandLine.Mode);
    if (!commandLine.To.isEmpty() && mode->Index != ModeTimeTagToWordFormats)
        return usageError(QStringLiteral("--to is for mode t2x"));
    if (mode->Index == ModeTimeShift && !commandLine.ShiftMs)
        return usageError(QStringLiteral("mode shift needs --shift MS"));
    if (mode->Index == ModeNameMatch && commandLine.Keep.isEmpty())
        return usageError(QStringLiteral("mode match needs --keep first|second"));
    if (commandLine.Files.isEmpty())
        return usageError(QStringLiteral("no files given (see --help)"));

    BatchState state;
    const QDir current = QDir::current();
    for (const QString& file : commandLine.Files)
        state.DroppedFiles.append(QDir::cleanPath(current.absoluteFilePath(file)));
    CommandLineAnswers answers(commandLine);
    state.Progress = progress;
    RunMode(mode->Index, state, settings, answers);
    state.Progress = nullptr;

    if (commandLine.JsonReport) {
        out << QString::fromUtf8(MakeJsonReport(*mode, state));
    } else {
        QString report = MakeResultReport(state);
        report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out << report;
    }
    out.flush();
    return HasFailures(state) ? ExitFailures : ExitSuccess;
}

} // namespace tavelkor
