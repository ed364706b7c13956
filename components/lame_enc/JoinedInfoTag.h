#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// CRC-16 with the polynomial 0x8005, bits reflected, as the information tag
// uses for its music CRC and its own CRC; continue from crc (0 to start).
uint16_t InfoTagCrc16(uint16_t crc, const uint8_t* data, size_t size);

// What the information tag of a stream joined from several encoders must
// describe, counted over the joined frames in their order.
class CJoinedStreamTally
{
public:
    // The reserved tag frame at the start of the stream.
    void AddTagFrame(size_t bytes);
    // Whole audio frames, in stream order.
    void AddAudioFrames(const uint8_t* data, size_t bytes, uint32_t frames);
    void AddInputSamples(uint64_t samplesPerChannel);

    uint32_t AudioFrames() const { return m_nAudioFrames; }
    uint64_t Bytes() const { return m_nBytes; }
    uint16_t MusicCrc() const { return m_nMusicCrc; }
    uint64_t InputSamples() const { return m_nInputSamples; }

private:
    uint32_t m_nAudioFrames = 0;
    uint64_t m_nBytes = 0;
    uint16_t m_nMusicCrc = 0;
    uint64_t m_nInputSamples = 0;
};

// The information tag of the joined stream: the tag frame of one of its
// encoders (settings, encoder name and version are the same for all of
// them) with every field that depends on the whole stream rewritten: frame
// and byte counts, table of contents, encoder delay and padding, music
// length, music CRC and the tag's own CRC. Empty when the template is no
// information tag frame.
std::vector<uint8_t> BuildJoinedInfoTag(std::vector<uint8_t> tagFrame, const CJoinedStreamTally& tally,
                                        uint32_t encoderDelay, uint32_t frameSamples);
