#pragma once

#include <QString>

#include "Id3FrameList.h"

namespace TagLib::ASF {
class Tag;
}

// Reads what a player shows from a WMA file's ASF attributes and turns it
// into ID3v2.3 frames: title, artists, album, numbering, dates, credits,
// comment, lyrics, pictures and the text attributes music taggers add
// (as TXXX). Attributes that describe the encoding or the file itself are
// left out. Hostile values are tamed: text is cut at kMaxTextChars,
// pictures above kMaxPictureBytes are skipped, and no more than kMaxFrames
// frames come out, so a tag stays within a few tens of megabytes whatever
// the source claims.
class CWmaTagReader
{
public:
    // Characters kept of one value: long lyrics fit many times over, a
    // megabyte of text in a title field does not travel on.
    static constexpr int kMaxTextChars = 65536;
    // Values kept of one attribute.
    static constexpr int kMaxValuesPerAttribute = 100;
    // A picture larger than this is not cover art but a payload; players and
    // car stereos choke on tags this size. Front covers of 5 MB still fit.
    static constexpr int kMaxPictureBytes = 16 * 1024 * 1024;
    static constexpr int kMaxPicturesBytes = 32 * 1024 * 1024;
    // Frames in one tag; the table's rows come first, so thousands of
    // attributes never crowd out the title or the cover.
    static constexpr int kMaxFrames = 1000;
    // Attribute names longer than this are garbage, not a tagger's field.
    static constexpr int kMaxNameChars = 256;
    // An ASF header object larger than this is not read at all: TagLib holds
    // the whole header in memory while it reads it.
    static constexpr quint64 kMaxHeaderBytes = 96 * 1024 * 1024;

    // The frames for the file's attributes (empty when it has none of them).
    // False, with the reason in *error, when the file's tags cannot be read.
    bool Read(const QString& path, Id3FrameList& frames, QString* error = nullptr);

    // The same from a tag already read.
    static Id3FrameList FramesFor(const TagLib::ASF::Tag& tag);
};
