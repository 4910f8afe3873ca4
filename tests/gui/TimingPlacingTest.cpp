// Placing inside lines in the timing editor, driven as a user drives it, with a song of
// generated singing: A places a tapped line's fragments on the sung notes (one undo step), and
// 「行だけタップ」 (through the play menu) times a line with one held tap and places the rest.
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"

#include "OnModal.h"
#include "TimingFakes.h"
#include "timing/SungLine.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace tavelkor;

namespace {

const std::vector<int> FirstLine = {1000, 1250, 1700, 1900, 2100, 2700};    // さくらさくら
const std::vector<int> SecondLine = {4000, 4200, 4600, 4800, 5300, 5500, 5900}; // はなびらがまう
constexpr int FirstEnd = 3400;
constexpr int SecondEnd = 6800;

// A clock that stands where the test puts it and plays the generated song.
class SongClock : public FakeTimingClock {
public:
    explicit SongClock(std::shared_ptr<const DecodedSong> song)
        : FakeTimingClock(true), song_(std::move(song)) {}
    std::shared_ptr<const DecodedSong> Song() const override { return song_; }

private:
    std::shared_ptr<const DecodedSong> song_;
};

// The fragments' starts of a line, each within 40 ms of the sung note's; "" when all are.
QString Misses(const FormTiming& form, int line, const std::vector<int>& sung) {
    const QVector<TimedFragment>& fragments = form.Session().Document().Lines[line].Fragments;
    if (fragments.size() != qsizetype(sung.size()))
        return QStringLiteral("%1 fragments").arg(fragments.size());
    QString misses;
    for (size_t k = 0; k < sung.size(); ++k) {
        if (std::abs(fragments[qsizetype(k)].StartMs - sung[k]) > 40)
            misses += QStringLiteral("%1: %2 for %3; ")
                          .arg(k)
                          .arg(fragments[qsizetype(k)].StartMs)
                          .arg(sung[k]);
    }
    return misses;
}

} // namespace

class TimingPlacingTest : public QObject {
    Q_OBJECT

private slots:
    void placesLinesOnTheSungNotes() {
        std::vector<int> starts = FirstLine;
        starts.insert(starts.end(), SecondLine.begin(), SecondLine.end());
        auto song = std::make_shared<const DecodedSong>(test::MakeSungLine(starts, SecondEnd, 7));
        test::TestFolder folder;
        QVERIFY(test::WriteWave(folder.File("song.wav"), *song));
        const QString path = folder.Put(
            "song.txt", QString::fromUtf8("[00:01:00]さくらさくら[00:03:40]\r\nはなびらがまう\r\n"
                                          "@TimeRatio=1\r\n")
                            .toUtf8());
        Settings settings;
        SongClock* clock = nullptr;
        FormTiming form(settings, nullptr, [&](const PreviewSong& found) {
            auto made = std::make_unique<SongClock>(found.Path.isEmpty() ? nullptr : song);
            clock = made.get();
            return made;
        });
        QVERIFY(form.OpenFile(path));
        QVERIFY(clock != nullptr && clock->Song() != nullptr);
        QVERIFY(ShowActive(form));

        // A on the tapped line: its fragments go to the sung notes, not their even shares.
        const int stepsBefore = form.Session().History().Index();
        QTest::keyClick(&form, Qt::Key_A);
        QTRY_COMPARE(Misses(form, 0, FirstLine), QString());
        QCOMPARE(form.Session().History().Index(), stepsBefore + 1);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.Session().Document().Lines[0].Fragments[1].StartMs, -1);

        // 「行だけタップ」 from the play menu: a held tap times the next line, its release the
        // line's end, and the fragments inside are placed, all one undo step.
        QTest::keyClick(form.MenuBar(), Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_T);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(ShowActive(form));
        QTest::keyClick(&form, Qt::Key_Down);
        QCOMPARE(form.Session().Selection().Line, 1);
        QTest::keyClick(&form, Qt::Key_Space);
        QVERIFY(clock->playing);
        const int steps = form.Session().History().Index();
        clock->position = SecondLine.front();
        QTest::keyPress(&form, Qt::Key_J);
        clock->position = SecondEnd;
        QTest::keyRelease(&form, Qt::Key_J);
        QTRY_COMPARE(Misses(form, 1, SecondLine), QString());
        QCOMPARE(form.Session().Document().Lines[1].Fragments.last().EndMs, SecondEnd);
        QCOMPARE(form.Session().History().Index(), steps + 1);
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!form.Session().Document().Lines[1].AnyTimed());
        {
            OnModal discard([](QWidget* dialog) { Answer(dialog, QString::fromUtf8("破棄")); });
            form.close();
        }
    }
};

QTEST_MAIN(TimingPlacingTest)
#include "TimingPlacingTest.moc"
