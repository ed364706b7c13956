#pragma once

#include <cstdint>

#include <QString>

#include "ComResult.h"

// What the decoder needs from an ASF file's header object before FFmpeg sees
// the file: that it is ASF at all, whether it is encrypted, and the play
// duration the muxer recorded. Only the small objects involved are read, by
// seeking from object to object, so a large header (cover art, metadata
// libraries) costs nothing.
struct AsfHeader
{
    // A content-encryption, extended content-encryption or advanced
    // content-encryption object, or a stream flagged as encrypted.
    bool bEncrypted = false;
    bool bHasFileProperties = false;
    // Live broadcast: the play duration is not valid.
    bool bBroadcast = false;
    // In 100-nanosecond units, including the preroll.
    uint64_t nPlayDuration = 0;
    // In milliseconds.
    uint64_t nPreroll = 0;
    // Bytes of the file after the data object's own header: the packets.
    uint64_t nPacketBytes = 0;

    // S_OK; WMA_E_NOT_ASF when the file does not start with an ASF header
    // object; WMA_E_CORRUPT when the header object is truncated or its
    // objects overlap its end; STG_E_FILENOTFOUND or STG_E_ACCESSDENIED when
    // the file cannot be opened.
    HRESULT Read(const QString& path);

    // The duration of the content without the preroll, in 100-nanosecond
    // units; 0 when the header does not tell.
    uint64_t ContentDuration() const;
};
