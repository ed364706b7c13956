#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "BladeEncoder.h"

class CEncoderStream;

// The module's open streams by handle, and the information tags of streams
// closed after their flush, kept until the caller writes them (BladeEnc
// callers close a stream before they write its tag). Handles count up from 1
// and are never reused, so a stale handle never reaches another stream.
class CStreamTable
{
public:
    static CStreamTable& Instance();

    BE_ERR Add(std::unique_ptr<CEncoderStream> stream, HBE_STREAM* handle);
    std::shared_ptr<CEncoderStream> Find(HBE_STREAM handle) const;
    // Whether the handle was ever given out, open or closed since.
    bool WasIssued(HBE_STREAM handle) const;
    // Removes the stream; its tag, if it has one, is kept for a later write.
    BE_ERR Close(HBE_STREAM handle);

    // The tag of a stream closed earlier, used up by the call.
    std::optional<std::vector<uint8_t>> TakeClosedTag(HBE_STREAM handle);
    // The tag of the stream most recently closed on the calling thread, used
    // up by the call.
    std::optional<std::vector<uint8_t>> TakeLastClosedTagOfThisThread();

private:
    struct ClosedTag
    {
        HBE_STREAM handle;
        std::thread::id closedBy;
        std::vector<uint8_t> tag; // empty when the stream had none
    };

    // Bounds on what a caller that never closes streams or never writes tags
    // can make the module hold.
    static constexpr size_t kMaxOpenStreams = 256;
    static constexpr size_t kMaxClosedTags = 64;

    mutable std::mutex m_mutex;
    HBE_STREAM m_nextHandle = 1;
    std::map<HBE_STREAM, std::shared_ptr<CEncoderStream>> m_streams;
    std::deque<ClosedTag> m_closedTags;
};
