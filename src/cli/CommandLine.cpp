#include "CommandLine.h"

#include "../app/BatchFrame.h"
#include "../app/ResultCodes.h"
#include "../app/RunQuestions.h"
#include "../base/NumberText.h"
#include "../modes/ModeTable.h"
#include "../settings/IniSettingsStore.h"
#include "../settings/SettingsIo.h"

#include <QDir>
#include <QFileInfo>

namespace tavelkor {

QString UsageText() {
    return QStringLiteral(
        "Usage: tavelkor-cli [--settings FILE] [--set Section/Key=Value]... [--mode MODE]\n"
        "                    [--shift MS] [--keep first|second] FILE...\n"
        "\n"
        "Converts every FILE with one of Tavelkor's modes and prints the result report.\n"
        "\n"
        "  --settings FILE   read settings from this INI file instead of the per-user store\n"
        "                    (a missing file means every default; the file is never written)\n"
        "  --set S/K=V       override one setting for this run, in its stored form\n"
        "                    (True/False, decimal numbers, text), e.g. --set Init/OverWrite=False\n"
        "  --mode MODE       0..10 or t2s, s2t, t2d, d2t, t2m, m2t, t2t, shift, match,\n"
        "                    t2l (TimeTag -> LRC), l2t (LRC -> TimeTag)\n"
        "                    (default: the setting Init/NowMode)\n"
        "  --shift MS        the time-shift amount in milliseconds for every file (mode 7);\n"
        "                    the files are rewritten in place\n"
        "  --keep first|second  whose base name wins when two files get the same one (mode 8)\n"
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

// "--name value" or "--name=value".
bool TakeValue(const QStringList& arguments, qsizetype& i, const QString& name, QString& value,
               bool& matched, QString& error) {
    const QString& word = arguments[i];
    matched = false;
    if (word == name) {
        matched = true;
        if (i + 1 >= arguments.size()) {
            error = name + QStringLiteral(" needs a value");
            return false;
        }
        value = arguments[++i];
        return true;
    }
    if (word.startsWith(name + u'=')) {
        matched = true;
        value = word.mid(name.size() + 1);
        return true;
    }
    return true;
}

} // namespace

bool ParseCommandLine(const QStringList& arguments, CommandLine& commandLine, QString& error) {
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (onlyFiles || !word.startsWith(u'-') || word == u"-") {
            commandLine.Files.append(word);
            continue;
        }
        if (word == u"--") {
            onlyFiles = true;
            continue;
        }
        if (word == u"--help" || word == u"-h") {
            commandLine.Help = true;
            continue;
        }
        if (word == u"--version") {
            commandLine.Version = true;
            continue;
        }
        QString value;
        bool matched = false;
        if (!TakeValue(arguments, i, QStringLiteral("--settings"), value, matched, error))
            return false;
        if (matched) {
            commandLine.SettingsFile = value;
            continue;
        }
        if (!TakeValue(arguments, i, QStringLiteral("--set"), value, matched, error))
            return false;
        if (matched) {
            const qsizetype equals = value.indexOf(u'=');
            if (equals < 0 || !value.left(equals).contains(u'/')) {
                error = QStringLiteral("--set takes Section/Key=Value, not: ") + value;
                return false;
            }
            commandLine.Overrides.append({value.left(equals), value.mid(equals + 1)});
            continue;
        }
        if (!TakeValue(arguments, i, QStringLiteral("--mode"), value, matched, error))
            return false;
        if (matched) {
            if (FindMode(value) == nullptr) {
                error = QStringLiteral("unknown mode: ") + value;
                return false;
            }
            commandLine.Mode = value;
            continue;
        }
        if (!TakeValue(arguments, i, QStringLiteral("--shift"), value, matched, error))
            return false;
        if (matched) {
            // A number as the time-shift dialog takes it: rounded to whole milliseconds
            // (halves to even), refused when it does not fit 32 bits.
            const std::optional<int> shift = ParseInt32(value);
            if (!shift) {
                error = QStringLiteral("--shift takes a number of milliseconds, not: ") + value;
                return false;
            }
            commandLine.ShiftMs = *shift;
            continue;
        }
        if (!TakeValue(arguments, i, QStringLiteral("--keep"), value, matched, error))
            return false;
        if (matched) {
            if (value != u"first" && value != u"second") {
                error = QStringLiteral("--keep takes first or second, not: ") + value;
                return false;
            }
            commandLine.Keep = value;
            continue;
        }
        error = QStringLiteral("unknown option: ") + word;
        return false;
    }
    return true;
}

int RunCommandLine(const CommandLine& commandLine, QTextStream& out, QTextStream& err) {
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

    const ModeInfo* mode = commandLine.Mode.isEmpty() ? &ModeTable()[settings.Init.NowMode]
                                                      : FindMode(commandLine.Mode);
    if (mode->Index == ModeTimeShift && !commandLine.ShiftMs)
        return usageError(QStringLiteral("mode shift needs --shift MS"));
    if (mode->Index == ModeNameMatch && commandLine.Keep.isEmpty())
        return usageError(QStringLiteral("mode match needs --keep first|second"));
    if (commandLine.Files.isEmpty())
        return usageError(QStringLiteral("no files given (see --help)"));
    if (mode->Driver == nullptr)
        return usageError(QStringLiteral("mode %1 (%2) is not available yet in this version")
                              .arg(mode->CommandName, mode->Caption));

    BatchState state;
    const QDir current = QDir::current();
    for (const QString& file : commandLine.Files)
        state.DroppedFiles.append(QDir::cleanPath(current.absoluteFilePath(file)));
    CommandLineAnswers answers(commandLine);
    RunMode(mode->Index, state, settings, answers);

    QString report = MakeResultReport(state);
    report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out << report;
    out.flush();
    return HasFailures(state) ? ExitFailures : ExitSuccess;
}

} // namespace tavelkor
