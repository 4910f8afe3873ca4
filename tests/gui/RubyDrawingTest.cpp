// Readings drawn by the preview: a "@RubyN" reading stands over its base inside the view, in
// the base's colours with the sung part sweeping over it as over the base, and only a line with
// readings takes a reading row.
#include "gui/common/LyricsLayout.h"
#include "gui/preview/FormPreview.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QFontMetricsF>
#include <QtTest>

using namespace tavelkor;

namespace {

class StandingClock : public PreviewClock {
public:
    void Play() override {}
    void Pause() override {}
    bool Playing() const override { return false; }
    qint64 PositionMs() const override { return position; }
    void Seek(qint64 to) override { position = to; }
    qint64 DurationMs() const override { return 10000; }
    qint64 position = 0;
};

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

} // namespace

class RubyDrawingTest : public QObject {
    Q_OBJECT

private slots:
    void readingsStandOverTheirBaseInItsColours() {
        test::TestFolder folder;
        Settings settings;
        settings.T2S.Lines = 2;
        const QString path = folder.Put(
            "song.txt", S("[00:01:00]為[00:01:50]替[00:02:00]が\r\n[00:03:00]あ[00:03:50]い\r\n"
                          "@Ruby1=為替,かわせ\r\n@TimeRatio=1\r\n")
                            .toUtf8());
        StandingClock* clock = nullptr;
        FormPreview form(settings, nullptr, [&clock](const PreviewSong&, qint64) {
            auto made = std::make_unique<StandingClock>();
            clock = made.get();
            return made;
        });
        form.resize(640, 360);
        form.show();
        QVERIFY(form.OpenFile(path, false));
        LyricsView* view = form.View();
        const QRectF inside(0, 0, view->width(), view->height());
        // 為 sung, 替 not yet: two of the three kana of かわせ are sung; then all of them.
        for (const auto& [position, sungReading] : {std::pair(1200, 2), std::pair(2100, 3)}) {
            clock->position = position;
            form.Refresh();
            QCOMPARE(view->Rows().value(0).Ruby.size(), 1);
            const LyricsLayout layout = view->Layout();
            QRectF base;
            QRectF reading;
            QString readingText;
            int sung = 0;
            qreal firstBaseline = -1;
            qreal secondBaseline = -1;
            for (const DrawnPiece& piece : layout.Pieces) {
                QVERIFY(inside.contains(piece.Box));
                if (piece.Reading) {
                    reading = reading.isNull() ? piece.Box : reading.united(piece.Box);
                    readingText += piece.Text;
                    if (piece.Colour == PieceColour::Sung)
                        sung += int(piece.Text.size());
                    else
                        QCOMPARE(piece.Colour, PieceColour::Unsung);
                } else if (piece.Row == 0) {
                    base = base.isNull() ? piece.Box : base.united(piece.Box);
                    firstBaseline = piece.Origin.y();
                } else {
                    secondBaseline = piece.Origin.y();
                }
            }
            QCOMPARE(readingText, S("かわせ"));
            QCOMPARE(sung, sungReading);
            QVERIFY(reading.bottom() <= base.top() + 0.5);
            QVERIFY(reading.height() < base.height());
            // Over 為替, the first two characters of the base.
            const qreal baseEnd =
                base.left() + QFontMetricsF(layout.Font).horizontalAdvance(S("為替"));
            QVERIFY(reading.center().x() > base.left() && reading.center().x() < baseEnd);
            // The second line has no reading: no reading row between the two.
            QCOMPARE(secondBaseline - firstBaseline, QFontMetricsF(layout.Font).height() * 1.2);
        }
    }
};

QTEST_MAIN(RubyDrawingTest)
#include "RubyDrawingTest.moc"
