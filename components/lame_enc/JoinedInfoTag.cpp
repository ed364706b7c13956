#include "JoinedInfoTag.h"

#include <array>
#include <cmath>
#include <cstring>

#include "Mp3FrameHeader.h"

namespace {

// Offsets from the tag's "Info" or "Xing" name.
constexpr size_t kFramesField = 8;
constexpr size_t kBytesField = 12;
constexpr size_t kTocField = 16;
constexpr size_t kTocEntries = 100;
constexpr size_t kDelayPaddingField = 141;
constexpr size_t kMusicLengthField = 148;
constexpr size_t kMusicCrcField = 152;
constexpr size_t kTagCrcField = 154;
constexpr size_t kTagEnd = 156;

// The seek table records the running sum of frame bitrates every so many
// frames, 400 records at most: when the table is full, every second record
// is kept and records are taken half as often from then on.
constexpr size_t kSeekRecords = 400;

std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        table[byte] = static_cast<uint16_t>(crc);
    }
    return table;
}

void PutBigEndian(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        at[i] = static_cast<uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

// Entry i is the share of the bytes, in 256ths, that lies before i % of the
// frames; a constant-bitrate stream's frames all weigh the same.
std::array<uint8_t, kTocEntries> TableOfContents(uint32_t frames)
{
    std::vector<int> records;
    records.reserve(kSeekRecords);
    int sum = 0;
    int seen = 0;
    int every = 1;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        ++sum;
        if (++seen < every)
            continue;
        if (records.size() < kSeekRecords) {
            records.push_back(sum);
            seen = 0;
        }
        if (records.size() == kSeekRecords) {
            for (size_t i = 1; i < kSeekRecords; i += 2)
                records[i / 2] = records[i];
            records.resize(kSeekRecords / 2);
            every *= 2;
        }
    }
    std::array<uint8_t, kTocEntries> toc{};
    if (records.empty())
        return toc;
    const int count = static_cast<int>(records.size());
    for (size_t i = 1; i < kTocEntries; ++i) {
        const float share = static_cast<float>(i) / static_cast<float>(kTocEntries);
        int index = static_cast<int>(std::floor(share * static_cast<float>(count)));
        if (index > count - 1)
            index = count - 1;
        const int point = static_cast<int>(256.0 * static_cast<float>(records[static_cast<size_t>(index)])
                                           / static_cast<float>(sum));
        toc[i] = static_cast<uint8_t>(point > 255 ? 255 : point);
    }
    return toc;
}

} // namespace

uint16_t InfoTagCrc16(uint16_t crc, const uint8_t* data, size_t size)
{
    static const std::array<uint16_t, 256> table = MakeCrcTable();
    for (size_t i = 0; i < size; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

void CJoinedStreamTally::AddTagFrame(size_t bytes)
{
    m_nBytes += bytes;
}

void CJoinedStreamTally::AddAudioFrames(const uint8_t* data, size_t bytes, uint32_t frames)
{
    m_nAudioFrames += frames;
    m_nBytes += bytes;
    m_nMusicCrc = InfoTagCrc16(m_nMusicCrc, data, bytes);
}

void CJoinedStreamTally::AddInputSamples(uint64_t samplesPerChannel)
{
    m_nInputSamples += samplesPerChannel;
}

std::vector<uint8_t> BuildJoinedInfoTag(std::vector<uint8_t> tagFrame, const CJoinedStreamTally& tally,
                                        uint32_t encoderDelay, uint32_t frameSamples)
{
    if (tagFrame.size() < 4 || Mp3FrameBytes(tagFrame.data()) != tagFrame.size())
        return {};
    const size_t at = Mp3SideInfoEnd(tagFrame.data());
    if (at + kTagEnd > tagFrame.size()
        || (std::memcmp(&tagFrame[at], "Info", 4) != 0 && std::memcmp(&tagFrame[at], "Xing", 4) != 0))
        return {};
    uint8_t* tag = &tagFrame[at];
    PutBigEndian(tag + kFramesField, tally.AudioFrames(), 4);
    PutBigEndian(tag + kBytesField, tally.Bytes(), 4);
    const auto toc = TableOfContents(tally.AudioFrames());
    std::memcpy(tag + kTocField, toc.data(), toc.size());
    // Twelve bits each: the samples before the input's first and after its last.
    const uint64_t carried = uint64_t{tally.AudioFrames()} * frameSamples;
    const uint64_t used = uint64_t{encoderDelay} + tally.InputSamples();
    const uint32_t padding = carried > used ? static_cast<uint32_t>(carried - used) : 0;
    PutBigEndian(tag + kDelayPaddingField, (uint64_t{encoderDelay & 0xFFF} << 12) | (padding & 0xFFF), 3);
    PutBigEndian(tag + kMusicLengthField, tally.Bytes(), 4);
    PutBigEndian(tag + kMusicCrcField, tally.MusicCrc(), 2);
    PutBigEndian(tag + kTagCrcField, InfoTagCrc16(0, tagFrame.data(), at + kTagCrcField), 2);
    return tagFrame;
}
