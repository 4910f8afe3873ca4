// Text written through a TextSink: whatever the room made at the start, the pieces end up as
// plain appends would leave them, behind the text that was there.
#include "base/TextSink.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavelkor;

TEST(TextSinkTest, PiecesBeyondTheFirstRoomComeOutAsAppended) {
    QRandomGenerator random(64);
    for (int round = 0; round < 200; ++round) {
        QString expected = QStringLiteral("<SAMI>\r\n");
        QString out = expected;
        {
            TextSink sink(out, random.bounded(0, 100));
            for (int piece = random.bounded(0, 60); piece > 0; --piece) {
                QString text;
                for (int k = random.bounded(0, 300); k > 0; --k)
                    text += QChar(char16_t(random.bounded(0x20, 0x3100)));
                expected += text;
                if (random.bounded(2) == 0) {
                    sink.Append(text);
                } else {
                    sink.Reserve(text.size() + 1);
                    sink.AppendReserved(text);
                    sink.AppendReserved(u'!');
                    expected += u'!';
                }
            }
            ASSERT_EQ(sink.Used(), expected.size());
        } // the sink cuts the text to what was written as it goes
        ASSERT_EQ(out, expected);
    }
}
