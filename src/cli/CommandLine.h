// The command line of tavelkor-cli: parsing and one whole run.
#pragma once

#include <QCommandLineOption>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace tavelkor {

struct CommandLine {
    QString SettingsFile;                     // --settings FILE; "" for the per-user store
    QList<QPair<QString, QString>> Overrides; // --set Section/Key=Value, in order
    QString Mode;                             // --mode MODE; "" for Init/NowMode
    std::optional<int> ShiftMs;               // --shift MS
    QString Keep;                             // --keep first|second
    bool JsonReport = false;                  // --report json
    QString List;                             // --list modes|keys|options
    QString To;                               // --to ass,ttml,...: T2X/Formats for this run
    QString Onsets;                           // --onsets SONG: print its onsets, convert nothing
    QStringList Files;
    bool Help = false;
    bool Version = false;
};

// Exit statuses.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailures = 1; // a file failed or was rejected
inline constexpr int ExitUsage = 2;

// False with a one-line message for words that do not make a command line.
bool ParseCommandLine(const QStringList& arguments, CommandLine& commandLine, QString& error);
struct BatchProgress;

// Runs the command line: the report goes to `out`, a usage error's message to `err`. With
// `progress`, the run counts its files there and stops when it is asked to.
int RunCommandLine(const CommandLine& commandLine, QTextStream& out, QTextStream& err,
                   BatchProgress* progress = nullptr);
QString UsageText();
// Every option the command line takes, in the order of UsageText.
QList<QCommandLineOption> CommandLineOptions();

} // namespace tavelkor
