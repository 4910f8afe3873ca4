// What the timing editor's window tests share: a clock that stands where the test puts it, a
// folder and settings with the editor's clock, a message box answered by its button, and a
// short silent song.
#pragma once

#include "gui/timing/FormTiming.h"
#include "preview/PreviewDocument.h"
#include "settings/Settings.h"
#include "timing/SongPlayer.h"

#include "TestFiles.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>
#include <algorithm>

// A clock that stands where the test puts it.
class FakeTimingClock : public tavelkor::TimingClock {
public:
    explicit FakeTimingClock(bool audible) : audible(audible) {}
    void Play() override { playing = true; }
    void Pause() override { playing = false; }
    bool Playing() const override { return playing; }
    qint64 PositionMs() const override { return position; }
    void Seek(qint64 to) override { position = std::clamp<qint64>(to, 0, 600000); }
    qint64 DurationMs() const override { return 600000; }
    void SetSpeed(double to) override { speed = to; }
    double Speed() const override { return speed; }
    bool Audible() const override { return audible; }
    bool audible;
    bool playing = false;
    qint64 position = 0;
    double speed = 1;
};

// A test's folder and settings, and the clock the editor made last.
struct TimingFixture {
    tavelkor::test::TestFolder folder;
    tavelkor::Settings settings;
    FakeTimingClock* clock = nullptr;
    tavelkor::FormTiming::ClockMaker Maker() {
        return [this](const tavelkor::PreviewSong& song) {
            auto made = std::make_unique<FakeTimingClock>(!song.Path.isEmpty());
            clock = made.get();
            return made;
        };
    }
};

// Shows the window and gives it the keyboard; false when the window system did not.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Clicks the message box button with this text; gives the box's text.
inline QString Answer(QWidget* dialog, const QString& button) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (box == nullptr)
        return QString();
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == button) {
            const QString text = box->text();
            QTest::mouseClick(candidate, Qt::LeftButton);
            return text;
        }
    }
    return QString();
}

// A WAV file of a tenth of a second of silence.
inline QByteArray SilentWav() {
    QByteArray data(8820, '\0');
    QByteArray wav("RIFF");
    auto u32 = [&wav](quint32 v) {
        for (int i = 0; i < 4; ++i)
            wav.append(char(v >> (8 * i)));
    };
    auto u16 = [&wav](quint16 v) { wav.append(char(v)).append(char(v >> 8)); };
    u32(36 + quint32(data.size()));
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(44100);
    u32(88200);
    u16(2);
    u16(16);
    wav += "data";
    u32(quint32(data.size()));
    return wav + data;
}
