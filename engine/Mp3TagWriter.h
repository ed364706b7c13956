#pragma once

#include <QString>

#include "Id3FrameList.h"

// Puts an ID3v2.3 tag in front of a finished MP3 file without ever risking
// its audio: the tag is written into a copy beside the file, the copy is
// checked, and only then does it take the file's place. When anything
// fails (a full disk, say) the file stays exactly as it was.
class CMp3TagWriter
{
public:
    // False, with the reason in *error, when the file was left untagged.
    bool Write(const QString& path, Id3FrameList frames, QString* error = nullptr);
};
