// tavelkor-cli: runs one of Tavelkor's modes over the files named on the command line.
#include "CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    // A write beyond the file-size limit then fails with an error (and is reported as a save
    // error) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    tavelkor::CommandLine commandLine;
    QString error;
    if (!tavelkor::ParseCommandLine(arguments, commandLine, error)) {
        err << "tavelkor-cli: " << error << '\n';
        return tavelkor::ExitUsage;
    }
    return tavelkor::RunCommandLine(commandLine, out, err);
}
