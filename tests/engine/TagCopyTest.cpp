#include <functional>
#include <memory>
#include <random>

#include <sys/mount.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "ComResult.h"
#include "ConvJob.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "Mp3Inspection.h"
#include "RecordingJobWindow.h"
#include "TagCopy.h"
#include "TaskBuilder.h"
#include "ToolProcess.h"
#include "WMAFile2.h"
#include "WmaTagReader.h"

// Tags travel from WMA sources (made by FFmpeg, tagged with TagLib) into
// the MP3 files of whole jobs, and are read back with TagLib and ffprobe.

namespace {

using namespace TagLib;

String U(const char* utf8)
{
    return String(utf8, String::UTF8);
}

QString Q(const String& text)
{
    return QString::fromUtf8(text.toCString(true));
}

// The values of the attribute in the order the file holds them.
QString StoredValues(const QString& path, const char* name)
{
    ASF::File file(QFile::encodeName(path).constData());
    QStringList values;
    for (const ASF::Attribute& attribute : file.tag()->attribute(name))
        values.append(Q(attribute.toString()));
    return values.join(QLatin1Char('/'));
}

ByteVector Bytes(const QByteArray& data)
{
    return ByteVector(data.constData(), static_cast<unsigned>(data.size()));
}

void EditTags(const QString& path, const std::function<void(ASF::Tag&)>& edit)
{
    ASF::File file(QFile::encodeName(path).constData());
    ASSERT_TRUE(file.isValid());
    edit(*file.tag());
    ASSERT_TRUE(file.save());
}

ASF::Attribute PictureAttribute(ASF::Picture::Type type, const char* mime, const char* description,
                                const QByteArray& data)
{
    ASF::Picture picture;
    picture.setType(type);
    picture.setMimeType(mime);
    picture.setDescription(U(description));
    picture.setPicture(Bytes(data));
    return ASF::Attribute(picture);
}

QByteArray RandomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& c : data)
        c = static_cast<char>(random());
    return data;
}

QByteArray Probe(const QStringList& arguments)
{
    QByteArray output;
    EXPECT_TRUE(RunTool("ffprobe", QStringList{QStringLiteral("-v"), QStringLiteral("error")} + arguments, &output));
    return output;
}

// The fixtures are made with fork and exec, since these tests run under
// ThreadSanitizer (see ToolProcess.h).
bool RunFfmpeg(const QStringList& arguments)
{
    return RunTool("ffmpeg", QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")}
                                 + arguments);
}

// The stereo audio of the file as ffmpeg decodes it, 16-bit interleaved.
QByteArray DecodeStereo(const QString& path)
{
    QByteArray pcm;
    EXPECT_TRUE(RunTool("ffmpeg", {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                   QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"),
                                   QStringLiteral("2"), QStringLiteral("-")},
                        &pcm));
    return pcm;
}

constexpr qsizetype kStereoFrameBytes = 4;

// The job's log without the lines that carry times, and with the output
// folder left out of the destination.
QStringList TimelessLog(const RecordingJobWindow& window, const QString& folder)
{
    QStringList lines;
    for (const auto& line : window.log) {
        if (!line.text.startsWith(QStringLiteral("Time elapsed")))
            lines.append(QString::number(line.severity) + QLatin1Char(' ')
                         + QString(line.text).replace(folder, QStringLiteral("OUT")));
    }
    return lines;
}

class TagCopyTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(SUCCEEDED(CreateWMAFile2(m_pDecoder)));
        g_pWMAFile = m_pDecoder.get();
        CreateSampleRings();
        AppSettings.LameBits = DEFAULT_LAME_BITS;
    }

    void TearDown() override
    {
        if (m_job) {
            EXPECT_TRUE(ProcessEventsUntil([this] { return RunnerEnded(); }));
        }
        m_job.reset();
        DestroySampleRings();
        g_pWMAFile = nullptr;
    }

    QString MakeSource(const QString& name, double seconds = 2.0)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("aevalsrc=exprs='0.5*sin(2*PI*440*t)|0.5*sin(2*PI*660*t)':s=44100:d=%1")
                                   .arg(seconds),
                               QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                               QStringLiteral("128k"), path}))
            << name.toStdString();
        return path;
    }

    QByteArray MakeImage(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc=s=64x64"), QStringLiteral("-frames:v"), QStringLiteral("1"),
                               path}));
        return Mp3Inspection::ReadAll(path);
    }

    bool RunnerEnded() const
    {
        const auto runner = m_job->m_pRunnerThread.Load();
        return !runner || runner->WaitFor(0);
    }

    // Converts the source into the folder (under the test's folder unless
    // absolute) and returns the MP3's path. While the job runs, during() is
    // called from the event loop.
    QString Convert(const QString& source, const QString& folder, bool copyTags = true,
                    const std::function<void(CConvJob&)>& during = {})
    {
        m_window.Clear();
        SourceDetails details;
        EXPECT_TRUE(SUCCEEDED(ReadSourceDetails(*m_pDecoder, source, details)));
        OutputSettings settings;
        settings.strDesDir = QDir(m_dir.path()).filePath(folder) + QDir::separator();
        const CConversionTask task = BuildConversionTask(details, settings);
        m_job = std::make_shared<CConvJob>();
        m_job->m_wndTarget = m_window.Target();
        m_job->m_nStartDelayMs = 0;
        m_job->m_bCopyTags = copyTags;
        m_job->m_nSamplesTotal = task.m_nTotalSamples;
        m_job->m_arrTasks = {task};
        m_job->Start();
        EXPECT_TRUE(ProcessEventsUntil([&] {
            if (during)
                during(*m_job);
            return RunnerEnded();
        }));
        QCoreApplication::processEvents();
        return task.m_strDest;
    }

    int TagNotices() const { return m_window.Count(WM_CONV_TAGS_NOT_COPIED); }

    QTemporaryDir m_dir;
    std::unique_ptr<WMAFile2> m_pDecoder;
    RecordingJobWindow m_window;
    std::shared_ptr<CConvJob> m_job;
};

String FrameText(ID3v2::Tag& tag, const char* id)
{
    const ID3v2::FrameList frames = tag.frameListMap()[id];
    return frames.isEmpty() ? String() : frames.front()->toString();
}

// Encoding byte of the first frame with the id in the raw tag.
int RawEncoding(const QByteArray& data, const char* id)
{
    const qsizetype at = data.indexOf(id);
    return at < 0 ? -1 : uint8_t(data[at + 10]);
}

TEST_F(TagCopyTest, EveryAttributeAPlayerShowsSurvivesTheRoundTrip)
{
    const QString source = MakeSource(QStringLiteral("Song.wma"));
    const QByteArray jpeg = MakeImage(QStringLiteral("front.jpg"));
    const QByteArray png = MakeImage(QStringLiteral("back.png"));
    EditTags(source, [&](ASF::Tag& tag) {
        tag.setTitle(U("月光 Lune"));
        tag.setArtist(U("Алёна 🎸"));
        tag.setCopyright(U("© 2009 Quorvane"));
        tag.setComment(U("Live in Kyiv"));
        const auto set = [&tag](const char* name, const ASF::Attribute& value) { tag.addAttribute(name, value); };
        set("WM/AlbumTitle", U("Première"));
        set("WM/AlbumArtist", U("Various"));
        set("WM/TrackNumber", U("3/12"));
        set("WM/PartOfSet", U("1/2"));
        set("WM/Year", U("2009"));
        set("WM/Genre", U("Folk"));
        set("WM/Composer", U("Bach"));
        set("WM/Composer", U("Händel"));
        set("WM/Conductor", U("Караян"));
        set("WM/Writer", U("Writer"));
        set("WM/ContentGroupDescription", U("Group"));
        set("WM/SubTitle", U("Sub"));
        set("WM/Publisher", U("Label"));
        set("WM/BeatsPerMinute", ASF::Attribute(120u));
        set("WM/ISRC", U("USQV10900001"));
        set("WM/Lyrics", U("la la\nlune"));
        set("MusicBrainz/Track Id", U("6b1f6a5e-2c6e-4b8f-9a51-1f0e6f2d7a10"));
        set("WM/Picture", PictureAttribute(ASF::Picture::FrontCover, "image/jpeg", "Front", jpeg));
        set("WM/Picture", PictureAttribute(ASF::Picture::BackCover, "image/png", "Зад", png));
        // Describe the encoding or the file: not copied.
        set("WMFSDKVersion", U("12.0.7601.17514"));
        set("WMFSDKNeeded", U("0.0.0.0000"));
        set("IsVBR", ASF::Attribute(false));
        set("DeviceConformanceTemplate", U("L2"));
        set("WM/EncodingTime", ASF::Attribute(0x01C9F0A0ULL));
        set("WM/MediaPrimaryClassID", U("{D1607DBC-E323-4BE2-86A1-48A42A28441E}"));
        set("PeakValue", ASF::Attribute(30000u));
        set("AverageLevel", ASF::Attribute(3000u));
    });

    const QString mp3 = Convert(source, QStringLiteral("out"));
    EXPECT_TRUE(m_window.Logged(QStringLiteral("Converting status: OK.")));
    EXPECT_EQ(TagNotices(), 0);

    MPEG::File file(QFile::encodeName(mp3).constData());
    ID3v2::Tag* tag = file.ID3v2Tag();
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->header()->majorVersion(), 3u);
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"TIT2", "月光 Lune"}, {"TPE1", "Алёна 🎸"},     {"TALB", "Première"},   {"TPE2", "Various"},
        {"TRCK", "3/12"},      {"TPOS", "1/2"},         {"TCON", "Folk"},       {"TCOM", ""},
        {"TPE3", "Караян"},    {"TEXT", "Writer"},      {"TIT1", "Group"},      {"TIT3", "Sub"},
        {"TPUB", "Label"},     {"TCOP", "© 2009 Quorvane"}, {"TBPM", "120"}, {"TSRC", "USQV10900001"}};
    for (const auto& [id, text] : expected) {
        if (*text) {
            EXPECT_EQ(Q(FrameText(*tag, id)), QString::fromUtf8(text)) << id;
        }
    }
    // Both values, in the order the source holds them.
    const QString composers = StoredValues(source, "WM/Composer");
    EXPECT_TRUE(composers == QStringLiteral("Bach/Händel") || composers == QStringLiteral("Händel/Bach"));
    EXPECT_EQ(Q(FrameText(*tag, "TCOM")), composers);
    // TagLib shows the year of a version 2.3 tag as the 2.4 date frame.
    EXPECT_EQ(tag->year(), 2009u);

    const ID3v2::FrameList comments = tag->frameListMap()["COMM"];
    ASSERT_EQ(comments.size(), 1u);
    const auto* comment = dynamic_cast<const ID3v2::CommentsFrame*>(comments.front());
    EXPECT_EQ(comment->language(), ByteVector("eng"));
    EXPECT_TRUE(comment->description().isEmpty());
    EXPECT_EQ(Q(comment->text()), QStringLiteral("Live in Kyiv"));
    const ID3v2::FrameList lyrics = tag->frameListMap()["USLT"];
    ASSERT_EQ(lyrics.size(), 1u);
    EXPECT_EQ(Q(lyrics.front()->toString()), QStringLiteral("la la\nlune"));

    const auto* musicBrainz = ID3v2::UserTextIdentificationFrame::find(tag, "MusicBrainz/Track Id");
    ASSERT_TRUE(musicBrainz);
    EXPECT_EQ(Q(musicBrainz->fieldList().back()), QStringLiteral("6b1f6a5e-2c6e-4b8f-9a51-1f0e6f2d7a10"));
    EXPECT_EQ(tag->frameListMap()["TXXX"].size(), 1u) << "nothing about the encoding or the file";

    const ID3v2::FrameList pictures = tag->frameListMap()["APIC"];
    ASSERT_EQ(pictures.size(), 2u);
    auto* front = dynamic_cast<const ID3v2::AttachedPictureFrame*>(pictures[0]);
    auto* back = dynamic_cast<const ID3v2::AttachedPictureFrame*>(pictures[1]);
    if (front->type() != ID3v2::AttachedPictureFrame::FrontCover)
        std::swap(front, back);
    EXPECT_EQ(front->type(), ID3v2::AttachedPictureFrame::FrontCover);
    EXPECT_EQ(Q(front->mimeType()), QStringLiteral("image/jpeg"));
    EXPECT_EQ(Q(front->description()), QStringLiteral("Front"));
    EXPECT_EQ(front->picture(), Bytes(jpeg));
    EXPECT_EQ(back->type(), ID3v2::AttachedPictureFrame::BackCover);
    EXPECT_EQ(Q(back->mimeType()), QStringLiteral("image/png"));
    EXPECT_EQ(Q(back->description()), QStringLiteral("Зад"));
    EXPECT_EQ(back->picture(), Bytes(png));

    // Latin-1 where the text fits, else UTF-16 with a byte-order mark.
    const QByteArray data = Mp3Inspection::ReadAll(mp3);
    EXPECT_EQ(RawEncoding(data, "TALB"), 0);
    EXPECT_EQ(RawEncoding(data, "TIT2"), 1);
    EXPECT_EQ(data.mid(data.indexOf("TIT2") + 11, 2), QByteArray("\xFF\xFE"));

    const QString probed = QString::fromUtf8(
        Probe({QStringLiteral("-show_entries"), QStringLiteral("format_tags"), QStringLiteral("-of"),
               QStringLiteral("default=nw=1"), mp3}));
    for (const char* line :
         {"TAG:title=月光 Lune", "TAG:artist=Алёна 🎸", "TAG:album=Première", "TAG:album_artist=Various",
          "TAG:track=3/12", "TAG:disc=1/2", "TAG:date=2009", "TAG:genre=Folk",
          "TAG:performer=Караян", "TAG:publisher=Label", "TAG:copyright=© 2009 Quorvane",
          "TAG:comment=Live in Kyiv", "TAG:TBPM=120", "TAG:TSRC=USQV10900001",
          "TAG:MusicBrainz/Track Id=6b1f6a5e-2c6e-4b8f-9a51-1f0e6f2d7a10"})
        EXPECT_TRUE(probed.contains(QString::fromUtf8(line))) << line << "\n" << probed.toStdString();
    const QByteArray streams = Probe({QStringLiteral("-show_entries"),
                                      QStringLiteral("stream=codec_name:stream_disposition=attached_pic"),
                                      QStringLiteral("-of"), QStringLiteral("csv=p=0"), mp3});
    EXPECT_TRUE(probed.contains(QStringLiteral("TAG:composer=") + composers));
    EXPECT_TRUE(streams == "mp3,0\nmjpeg,1\npng,1\n" || streams == "mp3,0\npng,1\nmjpeg,1\n") << streams.toStdString();
}

TEST_F(TagCopyTest, UntaggedSourceGivesTheSameBytesAsWithoutCopying)
{
    const QString source = MakeSource(QStringLiteral("Plain.wma"));
    const QByteArray withCopy = Mp3Inspection::ReadAll(Convert(source, QStringLiteral("a")));
    EXPECT_EQ(TagNotices(), 0);
    const QByteArray without = Mp3Inspection::ReadAll(Convert(source, QStringLiteral("b"), false));
    ASSERT_FALSE(without.isEmpty());
    EXPECT_EQ(withCopy, without);
    EXPECT_TRUE(Mp3Inspection::ReadInfoTag(withCopy));
}

TEST_F(TagCopyTest, TaggedMp3IsTheSameStreamBehindItsTag)
{
    const QString source = MakeSource(QStringLiteral("Tagged.wma"), 3.0);
    EditTags(source, [&](ASF::Tag& tag) {
        tag.setTitle("Tagged");
        tag.addAttribute("WM/Picture", PictureAttribute(ASF::Picture::FrontCover, "image/jpeg", "",
                                                        RandomBytes(300000)));
    });
    const QString tagged = Convert(source, QStringLiteral("a"));
    const QString plain = Convert(source, QStringLiteral("b"), false);
    const QByteArray taggedData = Mp3Inspection::ReadAll(tagged);
    const QByteArray plainData = Mp3Inspection::ReadAll(plain);
    const qsizetype tagSize = Mp3Inspection::Id3v2Size(taggedData);
    ASSERT_GT(tagSize, 300000);
    EXPECT_EQ(taggedData.mid(tagSize), plainData);

    // The information tag is the first frame behind the tag and still
    // describes the stream exactly.
    const QByteArray stream = taggedData.mid(tagSize);
    bool complete = false;
    const auto frames = Mp3Inspection::ParseFrames(stream, &complete);
    ASSERT_TRUE(complete);
    const auto info = Mp3Inspection::ReadInfoTag(stream);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->frames, frames.size() - 1);
    EXPECT_EQ(info->bytes, uint32_t(stream.size()));
    const QByteArray decodedTagged = DecodeStereo(tagged);
    ASSERT_FALSE(decodedTagged.isEmpty());
    EXPECT_EQ(decodedTagged.size() / kStereoFrameBytes,
              qsizetype(frames.size() - 1) * 1152 - info->encoderDelay - info->padding);
    EXPECT_EQ(decodedTagged, DecodeStereo(plain));
}

TEST_F(TagCopyTest, CancelledConversionCarriesTheTags)
{
    const QString source = MakeSource(QStringLiteral("Long.wma"), 30.0);
    EditTags(source, [](ASF::Tag& tag) { tag.setTitle("Cut short"); });
    const QString mp3 = Convert(source, QStringLiteral("out"), true, [](CConvJob& job) {
        if (job.m_bRunning && job.m_nTaskSamplesDone > 44100u * 2 * 2) {
            job.m_bAborted = true;
            job.m_bRunning = false;
        }
    });
    ASSERT_TRUE(m_job->m_bAborted);
    const QByteArray data = Mp3Inspection::ReadAll(mp3);
    const qsizetype tagSize = Mp3Inspection::Id3v2Size(data);
    ASSERT_GT(tagSize, 0);
    MPEG::File file(QFile::encodeName(mp3).constData());
    EXPECT_EQ(Q(file.tag()->title()), QStringLiteral("Cut short"));
    const auto info = Mp3Inspection::ReadInfoTag(data.mid(tagSize));
    ASSERT_TRUE(info);
    const qsizetype decodedFrames = DecodeStereo(mp3).size() / kStereoFrameBytes;
    EXPECT_EQ(uint64_t(decodedFrames) * 2, m_job->m_nTaskSamplesDone.load());
    EXPECT_LT(decodedFrames, 44100 * 30);
}

// A small file system of its own, mounted for the test (root only).
class SmallFileSystem
{
public:
    SmallFileSystem(const QString& folder, const char* size)
        : m_path(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        m_bMounted = mount("tmpfs", m_path.constData(), "tmpfs", 0, size) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_bMounted)
            umount(m_path.constData());
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool IsMounted() const { return m_bMounted; }

private:
    QByteArray m_path;
    bool m_bMounted = false;
};

TEST_F(TagCopyTest, FullFileSystemKeepsTheAudioAndTheOutcome)
{
    const QString source = MakeSource(QStringLiteral("Big.wma"), 3.0);
    EditTags(source, [&](ASF::Tag& tag) {
        tag.setTitle("Too big to fit");
        tag.addAttribute("WM/Picture", PictureAttribute(ASF::Picture::FrontCover, "image/jpeg", "",
                                                        RandomBytes(1 << 20)));
    });
    const QString plain = Convert(source, QStringLiteral("plain"), false);
    const QStringList plainLog = TimelessLog(m_window, QFileInfo(plain).path());

    SmallFileSystem small(m_dir.filePath(QStringLiteral("small")), "size=512k");
    if (!small.IsMounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString mp3 = Convert(source, QStringLiteral("small"));
    EXPECT_EQ(TimelessLog(m_window, QFileInfo(mp3).path()), plainLog);
    EXPECT_EQ(TagNotices(), 1);
    EXPECT_EQ(Mp3Inspection::ReadAll(mp3), Mp3Inspection::ReadAll(plain));
    EXPECT_EQ(QDir(m_dir.filePath(QStringLiteral("small"))).entryList(QDir::Files),
              QStringList{QStringLiteral("Big.mp3")});
}

// A text with a lone high surrogate, as broken UTF-16 decodes.
String BrokenUtf16()
{
    return String(std::wstring{L'A', wchar_t(0xD800), L'B'});
}

TEST_F(TagCopyTest, HostileTagsNeverStopTheAudio)
{
    const QString source = MakeSource(QStringLiteral("Hostile.wma"));
    const QByteArray cover = MakeImage(QStringLiteral("cover.png"));
    EditTags(source, [&](ASF::Tag& tag) {
        tag.setTitle(BrokenUtf16());
        tag.setAttribute("WM/TrackNumber", U("A1"));
        tag.setAttribute("WM/AlbumTitle", U(""));
        tag.setAttribute("WM/Genre", U("   "));
        tag.addAttribute("WM/Picture", PictureAttribute(ASF::Picture::Other, "image/jpeg", "huge",
                                                        RandomBytes(40 << 20)));
        tag.addAttribute("WM/Picture", PictureAttribute(ASF::Picture::FrontCover, "image/png", "", cover));
        for (int i = 0; i < 3000; ++i)
            tag.setAttribute(String(QStringLiteral("Custom/%1").arg(i, 4, 10, QLatin1Char('0')).toStdString()),
                             String(std::to_string(i)));
    });
    const QString plain = Convert(source, QStringLiteral("plain"), false);
    const QString mp3 = Convert(source, QStringLiteral("out"));
    EXPECT_TRUE(m_window.Logged(QStringLiteral("Converting status: OK.")));
    EXPECT_EQ(TagNotices(), 0);

    const QByteArray data = Mp3Inspection::ReadAll(mp3);
    const qsizetype tagSize = Mp3Inspection::Id3v2Size(data);
    EXPECT_EQ(data.mid(tagSize), Mp3Inspection::ReadAll(plain));
    EXPECT_LT(tagSize, 1 << 20);

    MPEG::File file(QFile::encodeName(mp3).constData());
    ID3v2::Tag* tag = file.ID3v2Tag();
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->frameList().size(), unsigned(CWmaTagReader::kMaxFrames));
    EXPECT_EQ(Q(tag->title()), QStringLiteral("A\uFFFDB"));
    EXPECT_TRUE(tag->frameListMap()["TRCK"].isEmpty());
    EXPECT_TRUE(tag->frameListMap()["TALB"].isEmpty());
    EXPECT_TRUE(tag->frameListMap()["TCON"].isEmpty());
    const auto* track = ID3v2::UserTextIdentificationFrame::find(tag, "WM/TrackNumber");
    ASSERT_TRUE(track);
    EXPECT_EQ(Q(track->fieldList().back()), QStringLiteral("A1"));
    const ID3v2::FrameList pictures = tag->frameListMap()["APIC"];
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(dynamic_cast<const ID3v2::AttachedPictureFrame*>(pictures.front())->picture(), Bytes(cover));
}

// Rewrites bytes of the file in place.
void Patch(const QString& path, qsizetype offset, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray Utf16Name(const char* name)
{
    QByteArray bytes;
    for (const char* c = name; *c; ++c)
        bytes.append(*c).append('\0');
    return bytes.append(2, '\0');
}

quint64 HeaderObjectSize(const QString& path)
{
    const QByteArray head = Mp3Inspection::ReadAll(path).left(24);
    quint64 size = 0;
    for (int i = 23; i >= 16; --i)
        size = (size << 8) | uint8_t(head[i]);
    return size;
}

const std::string kCutLyrics = "USLT=" + std::string(size_t(CWmaTagReader::kMaxTextChars), 'a');

struct SourceCase
{
    const char* name;
    std::function<void(const QString& wma)> make;
    TagCopyResult result;
    // Frames expected: "TRCK=3", or "TXXX:WM/Year=2009-05-01".
    std::vector<const char*> frames;
};

void PrintTo(const SourceCase& c, std::ostream* os)
{
    *os << c.name;
}

class TagCopySources : public TagCopyTest, public testing::WithParamInterface<SourceCase>
{
};

QStringList FramesOf(const QString& mp3)
{
    MPEG::File file(QFile::encodeName(mp3).constData());
    QStringList frames;
    if (ID3v2::Tag* tag = file.ID3v2Tag()) {
        for (const ID3v2::Frame* frame : tag->frameList()) {
            if (const auto* user = dynamic_cast<const ID3v2::UserTextIdentificationFrame*>(frame))
                frames.append(QStringLiteral("TXXX:%1=%2").arg(Q(user->description()), Q(user->fieldList().back())));
            else
                frames.append(QString::fromLatin1(frame->frameID().data(), 4) + QLatin1Char('=') + Q(frame->toString()));
        }
    }
    return frames;
}

TEST_P(TagCopySources, CopyWhatFitsAndNeverHarmTheMp3)
{
    const SourceCase& c = GetParam();
    const QString wma = MakeSource(QStringLiteral("Source.wma"), 1.0);
    c.make(wma);
    const QString mp3 = m_dir.filePath(QStringLiteral("Out.mp3"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                          QStringLiteral("sine=d=1"), QStringLiteral("-c:a"),
                                          QStringLiteral("libmp3lame"), QStringLiteral("-id3v2_version"),
                                          QStringLiteral("0"), mp3}));
    const QByteArray before = Mp3Inspection::ReadAll(mp3);

    const TagCopyOutcome outcome = CopyTags(wma, mp3);
    EXPECT_EQ(outcome.result, c.result) << outcome.strReason.toStdString();
    const QByteArray after = Mp3Inspection::ReadAll(mp3);
    EXPECT_EQ(after.mid(Mp3Inspection::Id3v2Size(after)), before);
    if (c.result != TagCopyResult::Copied) {
        EXPECT_EQ(after, before);
        return;
    }
    EXPECT_EQ(FramesOf(mp3).join(QLatin1Char('\n')).toStdString(),
              QStringList([&] {
                  QStringList expected;
                  for (const char* frame : c.frames)
                      expected.append(QString::fromUtf8(frame));
                  return expected;
              }()).join(QLatin1Char('\n')).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagCopySources,
    testing::Values(
        SourceCase{"track_of_twelve",
                   [](const QString& wma) { EditTags(wma, [](ASF::Tag& asf) { asf.setAttribute("WM/TrackNumber", U("1/12")); }); },
                   TagCopyResult::Copied, {"TRCK=1/12"}},
        SourceCase{"track_number_as_a_number",
                   [](const QString& wma) { EditTags(wma, [](ASF::Tag& asf) { asf.setAttribute("WM/TrackNumber", ASF::Attribute(7u)); }); },
                   TagCopyResult::Copied, {"TRCK=7"}},
        SourceCase{"vinyl_side_track",
                   [](const QString& wma) { EditTags(wma, [](ASF::Tag& asf) { asf.setAttribute("WM/TrackNumber", U("A1")); }); },
                   TagCopyResult::Copied, {"TXXX:WM/TrackNumber=A1"}},
        SourceCase{"junk_track_beside_zero_based_track",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) {
                           asf.setAttribute("WM/TrackNumber", U("x"));
                           asf.setAttribute("WM/Track", ASF::Attribute(4u));
                       });
                   },
                   TagCopyResult::Copied, {"TRCK=5", "TXXX:WM/TrackNumber=x"}},
        SourceCase{"full_date",
                   [](const QString& wma) { EditTags(wma, [](ASF::Tag& asf) { asf.setAttribute("WM/Year", U("2009-05-01")); }); },
                   // TagLib reads the year of a version 2.3 tag as the 2.4 date frame.
                   TagCopyResult::Copied, {"TDRC=2009", "TXXX:WM/Year=2009-05-01"}},
        SourceCase{"empty_values",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) {
                           asf.setAttribute("WM/AlbumTitle", U(""));
                           asf.setAttribute("WM/Genre", U(" "));
                           asf.setAttribute("MusicBrainz/Album Id", U(""));
                       });
                   },
                   TagCopyResult::NothingToCopy, {}},
        SourceCase{"overlong_lyrics",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) { asf.setAttribute("WM/Lyrics", String(std::string(200000, 'a'))); });
                   },
                   TagCopyResult::Copied, {kCutLyrics.c_str()}},
        SourceCase{"value_size_overruns_its_object",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) {
                           asf.setAttribute("Overrun", U("value"));
                           asf.setAttribute("WM/AlbumTitle", U("Album"));
                       });
                       const QByteArray data = Mp3Inspection::ReadAll(wma);
                       const qsizetype name = data.indexOf(Utf16Name("Overrun"));
                       ASSERT_GT(name, 0);
                       Patch(wma, name + Utf16Name("Overrun").size() + 2, QByteArray("\xFF\xFF", 2));
                   },
                   TagCopyResult::SourceUnreadable, {}},
        SourceCase{"picture_size_overruns_its_object",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) {
                           asf.addAttribute("WM/Picture", PictureAttribute(ASF::Picture::FrontCover, "image/jpeg", "",
                                                                         RandomBytes(70000)));
                       });
                       const QByteArray data = Mp3Inspection::ReadAll(wma);
                       const qsizetype name = data.indexOf(Utf16Name("WM/Picture"));
                       ASSERT_GT(name, 4);
                       Patch(wma, name - 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
                   },
                   TagCopyResult::SourceUnreadable, {}},
        SourceCase{"header_only",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) { asf.setTitle("Only a header"); });
                       QFile file(wma);
                       ASSERT_TRUE(file.resize(qint64(HeaderObjectSize(wma))));
                   },
                   TagCopyResult::Copied, {"TIT2=Only a header"}},
        SourceCase{"header_claims_a_terabyte",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) { asf.setTitle("Big"); });
                       Patch(wma, 16, QByteArray("\0\0\0\0\0\x01\0\0", 8));
                   },
                   TagCopyResult::SourceUnreadable, {}},
        SourceCase{"object_of_size_zero",
                   [](const QString& wma) {
                       EditTags(wma, [](ASF::Tag& asf) { asf.setTitle("Zero"); });
                       // The size of the header object's first child.
                       Patch(wma, 46, QByteArray(8, '\0'));
                   },
                   TagCopyResult::SourceUnreadable, {}},
        SourceCase{"not_asf",
                   [](const QString& wma) {
                       QFile file(wma);
                       ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                       file.write(RandomBytes(5000));
                   },
                   TagCopyResult::SourceUnreadable, {}}));

} // namespace
