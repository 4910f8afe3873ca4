// The timing editor's waveform lane driven with the mouse on a clock the test sets, with onsets
// the test gives (not aubio's): a handle dragged N pixels moves its fragment by N times the
// milliseconds a pixel shows, at two zooms, in one undo step and never past its neighbour;
// Ctrl+wheel zooms within 2 to 30 s; a click on empty lane seeks and a double-click on a handle
// plays from half a second before it. With 「オンセットに吸着」 on (its key, its box), taps and
// drops within the window take the onset's time and say so, others keep theirs, and undo
// gives back the state before the tap or drag. V and 「表示」→「スペクトログラム」 switch the lane
// to the spectrogram of two tones and back: the tones darken their own rows at their own times, the
// choice is remembered, and handles drag and the lane zooms as in the waveform.
// Left to itself, the editor finds the onsets of the kind Timing/OnsetKind names.
#include "gui/timing/FormTiming.h"
#include "gui/timing/WaveformLane.h"
#include "settings/Settings.h"
#include "timing/SongOnsets.h"

#include "timing/OnsetMaterial.h"

#include "OnModal.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

using namespace tavelkor;

namespace {

// 30 s at 8 kHz, silent but for half-scale tones of 1 kHz from 2 to 3 s and 300 Hz from 4 to 5 s
// when `tones`.
std::shared_ptr<const DecodedSong> LaneSong(bool tones) {
    auto song = std::make_shared<DecodedSong>();
    song->SampleRate = 8000;
    song->Left.assign(30 * 8000, 0.0f);
    for (int f = 0; tones && f < 8000; ++f) {
        song->Left[size_t(2 * 8000 + f)] = float(0.5 * std::sin(2 * M_PI * 1000 * f / 8000));
        song->Left[size_t(4 * 8000 + f)] = float(0.5 * std::sin(2 * M_PI * 300 * f / 8000));
    }
    song->Right = song->Left;
    return song;
}

// A clock that stands where the test puts it, over 30 s of silence or the song it is given.
class LaneClock : public TimingClock {
public:
    explicit LaneClock(std::shared_ptr<const DecodedSong> given = nullptr) {
        auto song = std::make_shared<DecodedSong>();
        song->SampleRate = 8000;
        song->Left.assign(30 * 8000, 0.0f);
        song->Right = song->Left;
        samples = given ? given : song;
    }
    void Play() override { playing = true; }
    void Pause() override { playing = false; }
    bool Playing() const override { return playing; }
    qint64 PositionMs() const override { return position; }
    void Seek(qint64 to) override { position = std::clamp<qint64>(to, 0, 30000); }
    qint64 DurationMs() const override { return 30000; }
    void SetSpeed(double) override {}
    double Speed() const override { return 1; }
    bool Audible() const override { return true; }
    std::shared_ptr<const DecodedSong> Song() const override { return samples; }
    std::shared_ptr<const DecodedSong> samples;
    bool playing = false;
    qint64 position = 0;
};

struct Fixture {
    // With `kind`, the editor finds the onsets of that kind in `song` itself.
    explicit Fixture(const QByteArray& lyrics, const char* kind = nullptr,
                     std::shared_ptr<const DecodedSong> song = nullptr) {
        path = folder.Put("song.txt", lyrics);
        folder.Put("song.wav", QByteArray()); // found beside the lyrics; the clock is the test's
        if (kind)
            settings.Timing.OnsetKind = QString::fromLatin1(kind);
        form = std::make_unique<FormTiming>(settings, nullptr, [this, song](const PreviewSong&) {
            auto made = std::make_unique<LaneClock>(song);
            clock = made.get();
            return made;
        });
        if (!kind)
            form->FindOnsets = [](const DecodedSong&, const std::atomic<bool>*) {
                return std::vector<int>{1000, 1500, 2600, 4000};
            };
        form->Lane()->setFixedWidth(800);
        form->resize(900, 640);
        form->OpenFile(path);
        form->show();
        form->activateWindow();
        (void)QTest::qWaitForWindowActive(form.get()); // checked by the first key the test sends
    }
    ~Fixture() {
        OnModal discard([](QWidget* dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(dialog))
                box->button(QMessageBox::Discard)->click();
        });
        form->close();
    }
    WaveformLane& Lane() { return *form->Lane(); }
    const TimingLine& Line(int i) const { return form->Session().Document().Lines[i]; }
    QString Status() const { return form->StatusLabel()->text(); }

    // The pixel of a song time on the lane as it stands.
    int X(int ms) { return qRound(Lane().Window().XOf(ms)); }
    // Drags from pixel x by dx along the middle of the lane.
    void Drag(int x, int dx) {
        const int y = Lane().height() / 2;
        QTest::mousePress(&Lane(), Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseMove(&Lane(), QPoint(x + dx / 2, y));
        QTest::mouseMove(&Lane(), QPoint(x + dx, y));
        QTest::mouseRelease(&Lane(), Qt::LeftButton, {}, QPoint(x + dx, y));
    }
    void Wheel(int notches, Qt::KeyboardModifiers modifiers) {
        const QPointF at(0, Lane().height() / 2);
        QWheelEvent wheel(at, Lane().mapToGlobal(at), QPoint(), QPoint(0, notches * 120),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Lane(), &wheel);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(form.get(), key, modifiers);
    }

    test::TestFolder folder;
    Settings settings;
    QString path;
    LaneClock* clock = nullptr;
    std::unique_ptr<FormTiming> form;
};

} // namespace

class WaveformLaneTest : public QObject {
    Q_OBJECT

private slots:
    void dragsZoomsSeeksAndPlaysWithTheMouse() {
        Fixture f("[00:01:00]さ[00:01:50]く[00:02:00]ら[00:02:50]\r\n@TimeRatio=1\r\n");
        QCOMPARE(f.Lane().Window().Width(), 800);
        QCOMPARE(f.Lane().Window().SpanMs(), 8000); // 10 ms a pixel from 0
        QCOMPARE(f.Lane().Marks().size(), 4);       // three starts and the line's end
        f.Lane().grab();

        // く (x 150) 23 px later: 230 ms; one undo step takes it back.
        const int steps = f.form->Session().History().Index();
        f.Drag(150, 23);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1730);
        QCOMPARE(f.form->Session().History().Index(), steps + 1);
        QCOMPARE(f.Line(0).Fragments[0].StartMs, 1000); // the others stay
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1500);
        QCOMPARE(f.form->Session().History().Index(), steps);
        f.Drag(150, -5); // a few pixels are a drag too
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1450);
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        // Dragged past ら, it stops at ら's start: the line stays in order.
        f.Drag(150, 120);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 2000);
        QVERIFY(TimesInOrder(f.Line(0)));
        QVERIFY2(f.Status().contains(QString::fromUtf8("止めました")), qPrintable(f.Status()));
        f.Key(Qt::Key_Z, Qt::ControlModifier);

        // Ctrl+wheel up one notch at the left edge: 6 s, 7.5 ms a pixel; さ (x 133) 20 px on.
        f.Wheel(1, Qt::ControlModifier);
        QCOMPARE(f.Lane().Window().SpanMs(), 6000);
        QCOMPARE(f.Lane().Window().FromMs(), 0);
        f.Drag(133, 20);
        QCOMPARE(f.Line(0).Fragments[0].StartMs, 1150);
        // The wheel alone scrolls a paused lane; Ctrl+wheel stays within 2 and 30 s.
        f.Wheel(-2, Qt::NoModifier);
        f.form->Refresh(); // the paused playhead (0) out of view does not pull the view back
        QCOMPARE(f.Lane().Window().FromMs(), 1500);
        f.Wheel(2, Qt::NoModifier);
        f.Wheel(20, Qt::ControlModifier);
        QCOMPARE(f.Lane().Window().SpanMs(), 2000);
        f.Wheel(-20, Qt::ControlModifier);
        QCOMPARE(f.Lane().Window().SpanMs(), 30000);

        // A click on empty lane seeks there (37.5 ms a pixel: x 400 is 15 s).
        QTest::mouseClick(&f.Lane(), Qt::LeftButton, {}, QPoint(400, f.Lane().height() / 2));
        QCOMPARE(f.clock->position, 15000);
        QVERIFY(!f.clock->playing);
        // A double-click on さ (1150 ms, x 31) plays from 650 ms.
        QTest::mouseDClick(&f.Lane(), Qt::LeftButton, {}, QPoint(31, f.Lane().height() / 2));
        QVERIFY(f.clock->playing);
        QCOMPARE(f.clock->position, 650);
        QCOMPARE(f.Line(0).Fragments[0].StartMs, 1150); // the clicks moved nothing
    }

    void snapsTapsAndDropsToOnsetsWithinTheWindow() {
        Fixture f("あいう\r\n");
        QTRY_VERIFY(f.Lane().HasOnsets());
        f.Lane().grab();
        QVERIFY(!f.form->SnapBox()->isChecked());
        f.Key(Qt::Key_O); // 「オンセットに吸着」 on
        QVERIFY(f.settings.Timing.SnapToOnsets);
        QVERIFY(f.form->SnapBox()->isChecked());

        // A tap 40 ms after the onset at 1000 takes it; undo gives back the line untimed.
        f.Key(Qt::Key_Space);
        f.clock->position = 1040;
        f.Key(Qt::Key_F);
        QCOMPARE(f.Line(0).Fragments[0].StartMs, 1000);
        QCOMPARE(f.Status(), QString::fromUtf8("オンセットに合わせました（-40 ms）"));
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!f.Line(0).AnyTimed());
        f.clock->position = 1040;
        f.Key(Qt::Key_F);
        // 120 ms from the nearest onset (1500): the tap keeps its time.
        f.clock->position = 1380;
        f.Key(Qt::Key_F);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1380);
        QCOMPARE(f.Status(), QString::fromUtf8("近くにオンセットがないので、そのままです"));
        f.clock->position = 3000;
        f.Key(Qt::Key_F);
        f.Key(Qt::Key_Space);

        // The lane followed the song (from 1 s, 10 ms a pixel). い dropped 8 px on, 40 ms
        // before the onset at 1500, takes it; undo: 1380. Dropped 10 ms before the onset, it
        // already agrees with it and stays.
        QCOMPARE(f.Lane().Window().FromMs(), 1000);
        f.Drag(f.X(1380), 8);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1500);
        QCOMPARE(f.Status(), QString::fromUtf8("オンセットに合わせました（+40 ms）"));
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1380);
        f.Drag(f.X(1380), 11);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1490);
        QCOMPARE(f.Status(),
                 QString::fromUtf8("動かしました：00:01.49（オンセットのすぐ近くです）"));
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        // Dropped at 1250, 250 ms from either onset: it stays where it was dropped.
        f.Drag(f.X(1380), -13);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1250);
        QCOMPARE(f.Status(),
                 QString::fromUtf8("動かしました：00:01.25（近くにオンセットはありません）"));
        // The box turns snapping off: a drop next to the onset at 1500 stays where it fell.
        QTest::mouseClick(f.form->SnapBox(), Qt::LeftButton, {},
                          QPoint(4, f.form->SnapBox()->height() / 2));
        QVERIFY(!f.settings.Timing.SnapToOnsets);
        f.Drag(f.X(1250), 23);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1480);
    }

    void showsTheSpectrogramInsteadOfTheWaveform() {
        Fixture f("[00:01:00]さ[00:01:50]く[00:02:00]ら[00:02:50]\r\n@TimeRatio=1\r\n", nullptr,
                  LaneSong(true));
        QCOMPARE(f.Lane().View(), LaneView::Waveform);
        QTRY_VERIFY(f.Lane().HasSpectrogram());
        // Shades of the lane at a time and a frequency, as drawn.
        auto shade = [&f](int ms, double hz) {
            return qGray(f.Lane().grab().toImage().pixel(f.X(ms), qRound(f.Lane().YOfHz(hz))));
        };
        const int paper = qGray(f.Lane().palette().color(QPalette::Base).rgb());
        // The waveform of a tone covers both heights alike.
        QCOMPARE(shade(2700, 1000), shade(2700, 300));
        QVERIFY(shade(2700, 1000) < paper);

        f.Key(Qt::Key_V);
        QCOMPARE(f.Lane().View(), LaneView::Spectrogram);
        QCOMPARE(f.settings.Timing.LaneView, QStringLiteral("spectrogram"));
        QCOMPARE(f.Status(), QString::fromUtf8("スペクトログラムを表示します（低い音が下）"));
        // Each tone darkens its own row while it sounds; silence stays the background.
        auto seesTones = [&](int first, int second) {
            QVERIFY2(shade(first, 1000) < paper - 100, qPrintable(QString::number(first)));
            QCOMPARE(shade(first, 300), paper);
            QVERIFY(shade(second, 300) < paper - 100);
            QCOMPARE(shade(second, 1000), paper);
            QCOMPARE(shade(second + 1300, 1000), paper);
            QCOMPARE(shade(second + 1300, 300), paper);
        };
        seesTones(2700, 4500);

        // A handle drags as in the waveform: く (x 150) 23 px later is 230 ms later.
        f.Drag(150, 23);
        QCOMPARE(f.Line(0).Fragments[1].StartMs, 1730);
        f.Key(Qt::Key_Z, Qt::ControlModifier);
        // Zoomed in to 4 s from 2 s, the tones stand where the time is.
        f.Wheel(2, Qt::ControlModifier);
        QCOMPARE(f.Lane().Window().SpanMs(), 4000);
        f.Wheel(-4, Qt::NoModifier);
        QCOMPARE(f.Lane().Window().FromMs(), 2000);
        seesTones(2300, 4200);

        // 「表示」→「スペクトログラム」 unchecks it: the waveform again.
        QTest::keyClick(f.form->MenuBar(), Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QMenu* view = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(view != nullptr && view->actions().first()->isChecked());
        QTest::keyClick(view, Qt::Key_S);
        QCOMPARE(f.Lane().View(), LaneView::Waveform);
        QCOMPARE(f.settings.Timing.LaneView, QStringLiteral("waveform"));
        QCOMPARE(shade(2700, 1000), shade(2700, 300));

        // A window opened with the setting shows the spectrogram at once.
        f.settings.Timing.LaneView = QStringLiteral("Spectrogram");
        FormTiming again(f.settings, nullptr, [](const PreviewSong&) {
            return std::make_unique<LaneClock>(LaneSong(false));
        });
        QCOMPARE(again.Lane()->View(), LaneView::Spectrogram);
    }

    void findsTheOnsetsOfTheKindTheSettingsName() {
        auto song = std::make_shared<const DecodedSong>(
            test::MakeOnsetMaterial(test::OnsetSound::ToneBursts, 5, 8000).Song);
        for (const char* kind : {"plain", "voice"}) {
            Fixture f("あいう\r\n", kind, song);
            QTRY_VERIFY_WITH_TIMEOUT(f.Lane().HasOnsets(), 30000);
            QCOMPARE(*f.Lane().Onsets(), SongOnsets(*song, QString::fromLatin1(kind)));
        }
        QVERIFY(SongOnsets(*song, QStringLiteral("plain")) !=
                SongOnsets(*song, QStringLiteral("voice")));
    }
};

QTEST_MAIN(WaveformLaneTest)
#include "WaveformLaneTest.moc"
