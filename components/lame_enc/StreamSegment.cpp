#include "StreamSegment.h"

#include <algorithm>
#include <memory>

#include <lame/lame.h>

#include "LameStream.h"
#include "Mp3FrameHeader.h"

namespace {

struct LameCloser
{
    void operator()(lame_global_flags* lame) const { lame_close(lame); }
};

// Splits the instance's output into frames and keeps the segment's.
BE_ERR KeepFrames(const std::vector<uint8_t>& encoded, CStreamSegment& segment)
{
    size_t at = 0;
    uint32_t audioFrame = 0;
    bool tagFramePending = segment.nReservedTagBytes > 0;
    while (at < encoded.size()) {
        if (encoded.size() - at < 4)
            return BE_ERR_ENCODER_FAILED;
        const uint32_t bytes = Mp3FrameBytes(&encoded[at]);
        if (bytes == 0 || bytes > encoded.size() - at)
            return BE_ERR_ENCODER_FAILED;
        const auto frame = encoded.begin() + static_cast<std::ptrdiff_t>(at);
        if (tagFramePending) {
            if (bytes != segment.nReservedTagBytes)
                return BE_ERR_ENCODER_FAILED;
            tagFramePending = false;
            if (segment.bKeepsTagFrame) {
                segment.output.insert(segment.output.end(), frame, frame + bytes);
                segment.nTagFrameBytes = bytes;
            }
        } else {
            const bool kept = audioFrame >= segment.nWarmUpFrames
                && (segment.bLast || audioFrame - segment.nWarmUpFrames < segment.nKeptFrames);
            if (kept) {
                segment.output.insert(segment.output.end(), frame, frame + bytes);
                ++segment.nOutputAudioFrames;
            }
            ++audioFrame;
        }
        at += bytes;
    }
    if (!segment.bLast && segment.nOutputAudioFrames != segment.nKeptFrames)
        return BE_ERR_ENCODER_FAILED;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR Encode(const CLameSettings& settings, CStreamSegment& segment)
{
    const std::unique_ptr<lame_global_flags, LameCloser> lame(OpenLame(settings));
    if (!lame)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    // Fed frame by frame, as the caller of a single stream feeds it.
    const uint32_t chunk = static_cast<uint32_t>(lame_get_framesize(lame.get()));
    const bool stereo = settings.nChannels == 2;
    std::vector<uint8_t> buffer(LameOutputBufferSize(settings, chunk));
    std::vector<uint8_t> encoded;
    const size_t total = segment.left.size();
    for (size_t done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<size_t>(chunk, total - done));
        const int result = lame_encode_buffer_float(
            lame.get(), segment.left.data() + done,
            stereo ? segment.right.data() + done : segment.left.data() + done, frames,
            buffer.data(), static_cast<int>(buffer.size()));
        if (result < 0)
            return BE_ERR_ENCODER_FAILED;
        encoded.insert(encoded.end(), buffer.begin(), buffer.begin() + result);
        done += static_cast<size_t>(frames);
    }
    if (segment.bLast) {
        const int result = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
        if (result < 0)
            return BE_ERR_ENCODER_FAILED;
        encoded.insert(encoded.end(), buffer.begin(), buffer.begin() + result);
    }
    // The input is no longer needed; free it before the output grows.
    std::vector<float>().swap(segment.left);
    std::vector<float>().swap(segment.right);

    const size_t tagBytes = lame_get_lametag_frame(lame.get(), nullptr, 0);
    if (segment.bLast && segment.nReservedTagBytes > 0 && tagBytes > 0) {
        segment.tagTemplate.resize(tagBytes);
        if (lame_get_lametag_frame(lame.get(), segment.tagTemplate.data(), tagBytes) != tagBytes)
            segment.tagTemplate.clear();
    }
    return KeepFrames(encoded, segment);
}

} // namespace

void EncodeSegment(const CLameSettings& settings, CStreamSegment& segment)
{
    try {
        segment.nResult = Encode(settings, segment);
    } catch (...) {
        segment.nResult = BE_ERR_NO_MORE_HANDLES;
    }
}

std::optional<uint32_t> ReservedTagFrameBytes(const CLameSettings& settings)
{
    const std::unique_ptr<lame_global_flags, LameCloser> lame(OpenLame(settings));
    if (!lame)
        return std::nullopt;
    const uint32_t frameSamples = static_cast<uint32_t>(lame_get_framesize(lame.get()));
    const std::vector<float> silence(frameSamples);
    std::vector<uint8_t> buffer(LameOutputBufferSize(settings, frameSamples));
    const int result = lame_encode_buffer_float(lame.get(), silence.data(), silence.data(),
                                                static_cast<int>(frameSamples), buffer.data(),
                                                static_cast<int>(buffer.size()));
    if (result < 0)
        return std::nullopt;
    if (result > 0 && Mp3FrameBytes(buffer.data()) != static_cast<uint32_t>(result))
        return std::nullopt;
    return static_cast<uint32_t>(result);
}
