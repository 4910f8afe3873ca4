// Rewriting a whole song when its start has to grow: an ID3v2 tag in front of the audio that
// no longer fits in its old bytes. The new content (a new start, the old bytes of a range of the
// song, a new end) goes into a new file beside the song, is flushed to disk and renamed over
// the song, so that the song is at every moment either the old one or the new one, whole. A
// rewrite cut short by the program stopping leaves only the new file behind, which the next
// look at the song removes (DropUnfinishedRewrite).
#pragma once

#include <QByteArray>
#include <QString>

namespace tavelkor {

struct SongRewrite {
    QByteArray Head;
    qint64 CopyBegin = 0; // the old bytes [CopyBegin, CopyEnd) follow the head
    qint64 CopyEnd = 0;
    QByteArray Tail;
};

// Rewrites the song at `path` (a link is followed) if it is still `expectedSize` bytes long.
// The song keeps its permission bits, owner and group, not its inode: other hard links to it
// keep the old content. False, with the song as it was and no new file left, when it is not a
// regular writable file (one without any write permission bit counts as read-only, whoever
// runs the program), when its folder takes no new file, when the new file cannot get the
// song's owner and group, or when writing fails.
bool RewriteSong(const QString& path, qint64 expectedSize, const SongRewrite& rewrite);

// Where the new file of a rewrite is made: a hidden file beside the song.
QString RewritePath(const QString& path);

// Removes the new file of a rewrite that was cut short. True when none is left.
bool DropUnfinishedRewrite(const QString& path);

} // namespace tavelkor
