// tavelkor-cli --onsets: the onsets of a song, one time a line, exactly those the timing editor
// finds with the same settings; a song that cannot be read and a command line that mixes
// --onsets with a conversion are refused with a message.
#include "timing/SongOnsets.h"

#include "TestFiles.h"
#include "timing/VoiceMaterial.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

struct Printed {
    int ExitCode = -1;
    QString Out, Err;
};

Printed RunCli(const TestFolder& config, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.Path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVELKOR_CLI_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The song as a 16-bit stereo WAV file.
QByteArray Wav(const DecodedSong& song) {
    QByteArray data;
    for (qint64 f = 0; f < song.Frames(); ++f) {
        for (float v : {song.Left[size_t(f)], song.Right[size_t(f)]}) {
            const qint16 sample = qint16(std::lround(std::clamp(v, -1.f, 1.f) * 32767));
            data.append(char(sample & 0xff)).append(char((sample >> 8) & 0xff));
        }
    }
    auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out.append(char((value >> (8 * i)) & 0xff));
        return out;
    };
    const quint32 rate = quint32(song.SampleRate);
    return "RIFF" + le(36 + quint32(data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(2, 2) + le(rate, 4) + le(rate * 4, 4) + le(4, 2) + le(16, 2) + "data" +
           le(quint32(data.size()), 4) + data;
}

TEST(CliOnsets, PrintsTheOnsetsTheEditorFindsOfTheChosenKind) {
    TestFolder folder, config;
    const QString song = folder.File("band.wav");
    ASSERT_TRUE(WriteBytes(song, Wav(MakeVoiceOverBand(5, 8).Song)));
    const DecodedSong decoded = DecodeSong(song);
    ASSERT_TRUE(decoded.Error.isEmpty());
    for (const char* kind : {"voice", "plain"}) {
        SCOPED_TRACE(kind);
        const Printed printed =
            RunCli(config, {QStringLiteral("--set"),
                            QStringLiteral("Timing/OnsetKind=") + QString::fromLatin1(kind),
                            QStringLiteral("--onsets"), song});
        EXPECT_EQ(printed.ExitCode, 0) << printed.Err.toStdString();
        QString expected;
        for (int ms : SongOnsets(decoded, QString::fromLatin1(kind)))
            expected += QString::number(ms) + u'\n';
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(printed.Out, expected);
    }

    const Printed missing = RunCli(config, {QStringLiteral("--onsets"), folder.File("none.mp3")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_TRUE(missing.Out.isEmpty());
    EXPECT_TRUE(missing.Err.startsWith(QStringLiteral("tavelkor-cli: ") + folder.File("none.mp3")))
        << missing.Err.toStdString();
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--onsets"), song, QStringLiteral("song.txt")},
          QStringList{QStringLiteral("--mode"), QStringLiteral("t2s"), QStringLiteral("--onsets"),
                      song},
          QStringList{QStringLiteral("--set"), QStringLiteral("Timing/OnsetKind=loud"),
                      QStringLiteral("--onsets"), song}}) {
        const Printed refused = RunCli(config, wrong);
        EXPECT_EQ(refused.ExitCode, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(refused.Out.isEmpty());
        EXPECT_EQ(refused.Err.count(u'\n'), 1) << refused.Err.toStdString();
    }
}

} // namespace
