// The blocks at the end of an MP3 file, after the last audio frame:
//
//     frames · [APE tag] · [Lyrics3 block] · [TAG+ block] · [ID3v1 tag]
//
// They are found from the end of the file backwards, each by its signature and size field.
#pragma once

#include "AudioFileReader.h"
#include "Lyrics3Block.h"

#include <QVector>

namespace tavelkor {

enum class TailBlockKind { Ape, Lyrics3, TagPlus, Id3v1 };

struct TailBlock {
    TailBlockKind Kind = TailBlockKind::Ape;
    qint64 Begin = 0;
    qint64 End = 0;
    Lyrics3Content Lyrics; // for a Lyrics3 block: its fields
};

struct AudioTail {
    qint64 Start = 0;           // where the blocks start: the end of the audio frames
    QVector<TailBlock> Blocks;  // in file order
    bool Damaged = false;       // a signature whose size field points outside the file or lies
    bool AppendedId3v2 = false; // an ID3v2 tag after the audio (footer "3DI"): lyrics have no
                                // place there that readers would find
    // The Lyrics3 block nearest the end of the file, the one players read; nullptr if none.
    const TailBlock* LastLyrics() const;
};

// Reads the blocks at the end of the bytes [begin, end) of the file. Stops at the first
// position that ends no known block; a block found damaged ends the search there, with
// Start at the end of that block.
AudioTail ReadAudioTail(AudioFileReader& file, qint64 begin, qint64 end);

} // namespace tavelkor
