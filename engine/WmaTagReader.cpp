#include "WmaTagReader.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <QFile>

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace {

using namespace TagLib;

// Attributes shown as plain text frames, in the order the frames are
// written after the title, artists, album and numbering.
struct TextRow
{
    const char* attribute;
    const char* frameId;
};
constexpr std::array<TextRow, 10> kTextRows = {{
    {"WM/Genre", "TCON"},
    {"WM/Composer", "TCOM"},
    {"WM/Conductor", "TPE3"},
    {"WM/Writer", "TEXT"},
    {"WM/ContentGroupDescription", "TIT1"},
    {"WM/SubTitle", "TIT3"},
    {"WM/Publisher", "TPUB"},
    {"WM/ISRC", "TSRC"},
    {"WM/AlbumTitle", "TALB"},
    {"WM/AlbumArtist", "TPE2"},
}};

const char* const kTrackNumber = "WM/TrackNumber";
const char* const kZeroBasedTrack = "WM/Track";
const char* const kYear = "WM/Year";
const char* const kPartOfSet = "WM/PartOfSet";
const char* const kBeatsPerMinute = "WM/BeatsPerMinute";
const char* const kLyrics = "WM/Lyrics";
const char* const kPicture = "WM/Picture";

// What describes the encoding or the file, not the music: the MP3 is a new
// encoding and a new file, so none of it would be true there.
const std::set<std::string_view> kFileDescriptions = {
    "WMFSDKVersion", "WMFSDKNeeded", "IsVBR", "DeviceConformanceTemplate",
    "PeakValue", "AverageLevel", "Is_Protected", "VBR Peak", "Buffer Average",
    "WM/EncodingTime", "WM/EncodingSettings", "WM/EncodedBy", "WM/ToolName", "WM/ToolVersion",
    "WM/Codec", "WM/ContainerFormat", "WM/MediaPrimaryClassID", "WM/MediaClassPrimaryID",
    "WM/MediaClassSecondaryID", "WM/WMContentID", "WM/WMCollectionID", "WM/WMCollectionGroupID",
    "WM/UniqueFileIdentifier", "WM/Provider", "WM/ProviderRating", "WM/ProviderStyle",
    "WM/ContentDistributor", "WM/MCDI", "WM/WMADRCPeakReference", "WM/WMADRCAverageReference",
    "WM/WMADRCPeakTarget", "WM/WMADRCAverageTarget", "WM/StreamTypeInfo", "WM/VideoHeight",
    "WM/VideoWidth", "WM/VideoFrameRate", "Duration", "FileSize", "Bitrate", "Seekable",
    "Stridable", "Broadcast", "HasAudio", "HasVideo", "HasImage", "HasScript",
    "HasAttachedImages", "CurrentBitrate", "OptimalBitrate", "Title", "Author", "Copyright",
    "Description", "Rating"};

// Several values of one attribute share one frame: ID3v2.3 has no list in a
// text frame, and its readers (ffmpeg, Windows, car stereos) show only the
// first of several strings, so the values are joined the way music taggers
// join them for this version.
const std::wstring kValueSeparator = L"/";
const std::wstring kLyricsSeparator = L"\n\n";

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A usable text: cut at the first NUL (the end of an ASF string; what
// follows would split an ID3v2 frame into several), halves of surrogate
// pairs from broken UTF-16 replaced, at most maxChars code units (never
// splitting a pair), surrounding blanks dropped. TagLib holds its strings
// as UTF-16 code units.
std::wstring Clean(const std::wstring& text, size_t maxChars)
{
    std::wstring clean;
    for (size_t i = 0; i < text.size() && text[i] != L'\0'; ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            if (clean.size() + 2 > maxChars)
                break;
            clean.push_back(c);
            clean.push_back(text[++i]);
            continue;
        }
        if (clean.size() == maxChars)
            break;
        const auto code = static_cast<unsigned long>(c);
        const bool valid = code <= 0xFFFF && !IsHighSurrogate(c) && !IsLowSurrogate(c);
        clean.push_back(valid ? c : L'\xFFFD');
    }
    const size_t first = clean.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return {};
    return clean.substr(first, clean.find_last_not_of(L" \t\r\n") - first + 1);
}

std::wstring CleanValue(const String& text)
{
    return Clean(text.toWString(), CWmaTagReader::kMaxTextChars);
}

// The value as text: strings as they are, numbers in decimal; nothing for
// binary, boolean and GUID values.
std::optional<std::wstring> TextOf(const ASF::Attribute& attribute)
{
    switch (attribute.type()) {
    case ASF::Attribute::UnicodeType:
        return CleanValue(attribute.toString());
    case ASF::Attribute::DWordType:
        return std::to_wstring(attribute.toUInt());
    case ASF::Attribute::QWordType:
        return std::to_wstring(attribute.toULongLong());
    case ASF::Attribute::WordType:
        return std::to_wstring(attribute.toUShort());
    default:
        return std::nullopt;
    }
}

bool AllDigits(std::wstring_view text)
{
    return !text.empty() && text.size() <= 9
        && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// "3" or "3/12": what TRCK and TPOS hold.
bool IsPosition(const std::wstring& text)
{
    const size_t slash = text.find(L'/');
    if (slash == std::wstring::npos)
        return AllDigits(text);
    return AllDigits(std::wstring_view(text).substr(0, slash))
        && AllDigits(std::wstring_view(text).substr(slash + 1));
}

std::wstring Join(const std::vector<std::wstring>& values, const std::wstring& separator)
{
    std::wstring joined;
    for (const std::wstring& value : values) {
        if (!joined.empty())
            joined += separator;
        joined += value;
    }
    return Clean(joined, CWmaTagReader::kMaxTextChars);
}

// Collects the frames within the caps.
class FrameCollector
{
public:
    explicit FrameCollector(Id3FrameList& frames)
        : m_frames(frames)
    {
    }

    bool IsFull() const { return m_frames.size() >= size_t(CWmaTagReader::kMaxFrames); }

    void Text(const char* frameId, const std::vector<std::wstring>& values)
    {
        const std::wstring text = Join(values, kValueSeparator);
        if (text.empty() || IsFull())
            return;
        auto frame = std::make_unique<ID3v2::TextIdentificationFrame>(ByteVector(frameId), String::Latin1);
        frame->setText(String(text));
        m_frames.push_back(std::move(frame));
    }

    void UserText(const std::wstring& name, const std::vector<std::wstring>& values)
    {
        const std::wstring text = Join(values, kValueSeparator);
        if (name.empty() || text.empty() || IsFull())
            return;
        auto frame = std::make_unique<ID3v2::UserTextIdentificationFrame>(String::Latin1);
        frame->setDescription(String(name));
        frame->setText(String(text));
        m_frames.push_back(std::move(frame));
    }

    void Comment(const std::wstring& text)
    {
        if (text.empty() || IsFull())
            return;
        auto frame = std::make_unique<ID3v2::CommentsFrame>(String::Latin1);
        frame->setLanguage("eng");
        frame->setText(String(text));
        m_frames.push_back(std::move(frame));
    }

    void Lyrics(const std::vector<std::wstring>& values)
    {
        const std::wstring text = Join(values, kLyricsSeparator);
        if (text.empty() || IsFull())
            return;
        auto frame = std::make_unique<ID3v2::UnsynchronizedLyricsFrame>(String::Latin1);
        frame->setLanguage("eng");
        frame->setText(String(text));
        m_frames.push_back(std::move(frame));
    }

    void Picture(const ASF::Picture& picture)
    {
        const ByteVector data = picture.picture();
        if (!picture.isValid() || data.isEmpty() || IsFull()
            || data.size() > unsigned(CWmaTagReader::kMaxPictureBytes)
            || m_nPictureBytes + data.size() > unsigned(CWmaTagReader::kMaxPicturesBytes))
            return;
        m_nPictureBytes += data.size();
        auto frame = std::make_unique<ID3v2::AttachedPictureFrame>();
        frame->setTextEncoding(String::Latin1);
        // The picture types of ASF and ID3v2 are the same list.
        const int type = static_cast<int>(picture.type());
        frame->setType(type >= 0 && type <= ID3v2::AttachedPictureFrame::PublisherLogo
                           ? static_cast<ID3v2::AttachedPictureFrame::Type>(type)
                           : ID3v2::AttachedPictureFrame::Other);
        const std::wstring mime = Clean(picture.mimeType().toWString(), CWmaTagReader::kMaxNameChars);
        // An empty MIME type means "image/" to ID3v2 readers.
        frame->setMimeType(String(mime.empty() ? std::wstring(L"image/") : mime));
        frame->setDescription(String(Clean(picture.description().toWString(), CWmaTagReader::kMaxNameChars)));
        frame->setPicture(data);
        m_frames.push_back(std::move(frame));
    }

private:
    Id3FrameList& m_frames;
    unsigned m_nPictureBytes = 0;
};

class AttributeTexts
{
public:
    explicit AttributeTexts(const ASF::AttributeListMap& attributes)
        : m_attributes(attributes)
    {
    }

    // The non-empty text values of the attribute, at most
    // kMaxValuesPerAttribute of them.
    std::vector<std::wstring> Values(const String& name) const
    {
        std::vector<std::wstring> values;
        const auto it = m_attributes.find(name);
        if (it == m_attributes.end())
            return values;
        for (const ASF::Attribute& attribute : it->second) {
            if (values.size() == size_t(CWmaTagReader::kMaxValuesPerAttribute))
                break;
            if (const auto text = TextOf(attribute); text && !text->empty())
                values.push_back(*text);
        }
        return values;
    }

private:
    const ASF::AttributeListMap& m_attributes;
};

bool IsNumber(const std::wstring& text)
{
    return AllDigits(text);
}

// "2009", or a date that starts with its year ("2009-05-01").
bool StartsWithYear(const std::wstring& text)
{
    return text.size() >= 4 && AllDigits(std::wstring_view(text).substr(0, 4))
        && (text.size() == 4 || !std::iswdigit(static_cast<wint_t>(text[4])));
}

constexpr uint64_t kAsfHeaderPrefixBytes = 24;
constexpr std::array<uint8_t, 16> kAsfHeaderGuid = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                    0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

// The size the ASF header object declares; 0 when the file does not start
// with one (TagLib then tells what is wrong).
quint64 DeclaredHeaderSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = file.read(kAsfHeaderPrefixBytes);
    if (prefix.size() != qsizetype(kAsfHeaderPrefixBytes)
        || !std::equal(kAsfHeaderGuid.begin(), kAsfHeaderGuid.end(),
                       reinterpret_cast<const uint8_t*>(prefix.constData())))
        return 0;
    quint64 size = 0;
    for (int i = 23; i >= 16; --i)
        size = (size << 8) | static_cast<uint8_t>(prefix[i]);
    return size;
}

} // namespace

bool CWmaTagReader::Read(const QString& path, Id3FrameList& frames, QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    frames.clear();
    if (const quint64 headerSize = DeclaredHeaderSize(path); headerSize > kMaxHeaderBytes)
        return fail(QStringLiteral("its header declares %1 bytes, more than tags may take").arg(headerSize));

    FileStream stream(QFile::encodeName(path).constData(), true);
    if (!stream.isOpen())
        return fail(QStringLiteral("it cannot be opened"));
    ASF::File file(&stream, false);
    if (!file.isValid())
        return fail(QStringLiteral("its header cannot be read"));
    if (const ASF::Tag* tag = file.tag())
        frames = FramesFor(*tag);
    return true;
}

Id3FrameList CWmaTagReader::FramesFor(const ASF::Tag& tag)
{
    Id3FrameList frames;
    FrameCollector out(frames);
    const ASF::AttributeListMap& attributes = tag.attributeListMap();
    const AttributeTexts texts(attributes);

    // Values a numeric frame cannot hold are kept as TXXX under their name.
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> unfitting;
    const auto keep = [&unfitting](const char* name, std::vector<std::wstring> values) {
        if (values.empty())
            return;
        const std::wstring key = String(name).toWString();
        auto it = std::find_if(unfitting.begin(), unfitting.end(),
                               [&key](const auto& entry) { return entry.first == key; });
        if (it == unfitting.end())
            it = unfitting.insert(unfitting.end(), {key, {}});
        it->second.insert(it->second.end(), values.begin(), values.end());
    };
    const auto fitting = [&](const char* name, bool (*usable)(const std::wstring&)) {
        std::vector<std::wstring> fit;
        std::vector<std::wstring> others;
        for (std::wstring& value : texts.Values(name))
            (usable(value) ? fit : others).push_back(std::move(value));
        keep(name, std::move(others));
        return fit;
    };

    std::vector<std::wstring> tracks = fitting(kTrackNumber, IsPosition);
    if (tracks.empty()) {
        if (const auto zeroBased = fitting(kZeroBasedTrack, IsNumber); !zeroBased.empty())
            tracks.push_back(std::to_wstring(std::stoull(zeroBased.front()) + 1));
    }
    // TYER holds four digits: a full date keeps its year there and the
    // whole text in TXXX.
    std::vector<std::wstring> years;
    std::vector<std::wstring> dates;
    for (const std::wstring& value : fitting(kYear, StartsWithYear)) {
        years.push_back(value.substr(0, 4));
        if (value.size() > 4)
            dates.push_back(value);
    }
    keep(kYear, std::move(dates));

    out.Text("TIT2", {CleanValue(tag.title())});
    out.Text("TPE1", {CleanValue(tag.artist())});
    for (const TextRow& row : kTextRows)
        out.Text(row.frameId, texts.Values(row.attribute));
    out.Text("TRCK", tracks);
    out.Text("TPOS", fitting(kPartOfSet, IsPosition));
    out.Text("TYER", years);
    out.Text("TBPM", fitting(kBeatsPerMinute, IsNumber));
    out.Text("TCOP", {CleanValue(tag.copyright())});
    out.Comment(CleanValue(tag.comment()));
    out.Lyrics(texts.Values(kLyrics));

    if (const auto pictures = attributes.find(kPicture); pictures != attributes.end()) {
        for (const ASF::Attribute& attribute : pictures->second) {
            if (attribute.type() == ASF::Attribute::BytesType)
                out.Picture(attribute.toPicture());
        }
    }

    for (const auto& [name, values] : unfitting)
        out.UserText(name, values);

    std::set<std::string_view> mapped = {kTrackNumber, kZeroBasedTrack, kYear, kPartOfSet,
                                         kBeatsPerMinute, kLyrics, kPicture};
    for (const TextRow& row : kTextRows)
        mapped.insert(row.attribute);
    for (const auto& [name, list] : attributes) {
        if (out.IsFull())
            break;
        const std::string key = name.to8Bit(true);
        if (name.size() > unsigned(kMaxNameChars) || mapped.contains(key) || kFileDescriptions.contains(key))
            continue;
        std::vector<std::wstring> values;
        for (const ASF::Attribute& attribute : list) {
            if (values.size() == size_t(kMaxValuesPerAttribute))
                break;
            if (attribute.type() != ASF::Attribute::UnicodeType)
                continue;
            if (std::wstring text = CleanValue(attribute.toString()); !text.empty())
                values.push_back(std::move(text));
        }
        out.UserText(Clean(name.toWString(), kMaxNameChars), values);
    }
    return frames;
}
