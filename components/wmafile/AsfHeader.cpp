#include "AsfHeader.h"

#include <array>
#include <cstring>

#include <QFile>
#include <QFileInfo>

namespace {

using Guid = std::array<uint8_t, 16>;

// ASF writes a GUID's first three fields little-endian.
constexpr Guid MakeGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint64_t d4)
{
    Guid g{};
    for (int i = 0; i < 4; ++i)
        g[i] = static_cast<uint8_t>(d1 >> (8 * i));
    for (int i = 0; i < 2; ++i) {
        g[4 + i] = static_cast<uint8_t>(d2 >> (8 * i));
        g[6 + i] = static_cast<uint8_t>(d3 >> (8 * i));
    }
    for (int i = 0; i < 8; ++i)
        g[8 + i] = static_cast<uint8_t>(d4 >> (8 * (7 - i)));
    return g;
}

constexpr Guid kHeaderObject = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
constexpr Guid kStreamProperties = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
constexpr Guid kHeaderExtension = MakeGuid(0x5FBF03B5, 0xA92E, 0x11CF, 0x8EE300C00C205365);
constexpr Guid kContentEncryption = MakeGuid(0x2211B3FB, 0xBD23, 0x11D2, 0xB4B700A0C955FC6E);
constexpr Guid kExtendedContentEncryption =
    MakeGuid(0x298AE614, 0x2622, 0x4C17, 0xB935DAE07EE9289C);
constexpr Guid kAdvancedContentEncryption =
    MakeGuid(0x43058533, 0x6981, 0x49E6, 0x9B74AD12CB86D58C);

constexpr qint64 kObjectHeaderSize = 24; // GUID and 64-bit size
constexpr qint64 kHeaderObjectSize = 30; // plus object count and two reserved bytes
constexpr qint64 kHeaderExtensionDataOffset = 46;
constexpr qint64 kFilePropertiesSize = 104;
constexpr uint64_t kDataObjectHeaderSize = 50; // object header, file id, packet count, reserved
constexpr qint64 kStreamPropertiesFlagsOffset = 72;
constexpr uint16_t kStreamEncryptedFlag = 0x8000;
constexpr uint32_t kBroadcastFlag = 0x1;

uint64_t ReadLE(const char* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
}

bool ReadAt(QFile& file, qint64 pos, char* buffer, qint64 size)
{
    return file.seek(pos) && file.read(buffer, size) == size;
}

bool IsGuid(const char* p, const Guid& g)
{
    return std::memcmp(p, g.data(), g.size()) == 0;
}

class HeaderScanner
{
public:
    HeaderScanner(QFile& file, AsfHeader& header)
        : m_file(file)
        , m_header(header)
    {
    }

    // Walks the objects in [begin, end). Each object is at least an object
    // header long and must lie inside the range, so the walk always ends.
    bool ScanObjects(qint64 begin, qint64 end, bool nested)
    {
        qint64 pos = begin;
        while (end - pos >= kObjectHeaderSize) {
            char object[kObjectHeaderSize];
            if (!ReadAt(m_file, pos, object, kObjectHeaderSize))
                return false;
            const uint64_t size = ReadLE(object + 16, 8);
            if (size < static_cast<uint64_t>(kObjectHeaderSize)
                || size > static_cast<uint64_t>(end - pos))
                return false;
            if (!Inspect(object, pos, static_cast<qint64>(size), nested))
                return false;
            pos += static_cast<qint64>(size);
        }
        return true;
    }

private:
    bool Inspect(const char* object, qint64 pos, qint64 size, bool nested)
    {
        if (IsGuid(object, kContentEncryption) || IsGuid(object, kExtendedContentEncryption)
            || IsGuid(object, kAdvancedContentEncryption)) {
            m_header.bEncrypted = true;
        } else if (IsGuid(object, kFileProperties)) {
            char data[kFilePropertiesSize];
            if (size < kFilePropertiesSize || !ReadAt(m_file, pos, data, kFilePropertiesSize))
                return false;
            m_header.bHasFileProperties = true;
            m_header.nPlayDuration = ReadLE(data + 64, 8);
            m_header.nPreroll = ReadLE(data + 80, 8);
            m_header.bBroadcast = (ReadLE(data + 88, 4) & kBroadcastFlag) != 0;
        } else if (IsGuid(object, kStreamProperties)) {
            char flags[2];
            if (size < kStreamPropertiesFlagsOffset + 2
                || !ReadAt(m_file, pos + kStreamPropertiesFlagsOffset, flags, 2))
                return false;
            if (ReadLE(flags, 2) & kStreamEncryptedFlag)
                m_header.bEncrypted = true;
        } else if (IsGuid(object, kHeaderExtension) && !nested) {
            if (size < kHeaderExtensionDataOffset)
                return false;
            return ScanObjects(pos + kHeaderExtensionDataOffset, pos + size, true);
        }
        return true;
    }

    QFile& m_file;
    AsfHeader& m_header;
};

} // namespace

HRESULT AsfHeader::Read(const QString& path)
{
    *this = AsfHeader();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(path) ? STG_E_ACCESSDENIED : STG_E_FILENOTFOUND;

    char top[kHeaderObjectSize];
    if (file.read(top, kHeaderObjectSize) != kHeaderObjectSize || !IsGuid(top, kHeaderObject))
        return WMA_E_NOT_ASF;
    const uint64_t headerSize = ReadLE(top + 16, 8);
    if (headerSize < static_cast<uint64_t>(kHeaderObjectSize)
        || headerSize > static_cast<uint64_t>(file.size()))
        return WMA_E_CORRUPT;

    HeaderScanner scanner(file, *this);
    if (!scanner.ScanObjects(kHeaderObjectSize, static_cast<qint64>(headerSize), false))
        return WMA_E_CORRUPT;
    const uint64_t packetsStart = headerSize + kDataObjectHeaderSize;
    const auto fileSize = static_cast<uint64_t>(file.size());
    nPacketBytes = fileSize > packetsStart ? fileSize - packetsStart : 0;
    return S_OK;
}

uint64_t AsfHeader::ContentDuration() const
{
    if (!bHasFileProperties || bBroadcast)
        return 0;
    const uint64_t preroll = nPreroll * 10000;
    return nPlayDuration > preroll ? nPlayDuration - preroll : 0;
}
