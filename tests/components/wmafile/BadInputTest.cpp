#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "WMAFile2.h"

using AudioFixtures::Signal;
using AudioFixtures::WmaOptions;

namespace {

// GUIDs as ASF stores them (first three fields little-endian).
const QByteArray kContentEncryption = QByteArray::fromHex("FBB3112223BDD211B4B700A0C955FC6E");
const QByteArray kExtendedContentEncryption =
    QByteArray::fromHex("14E68A292226174CB935DAE07EE9289C");
const QByteArray kStreamProperties = QByteArray::fromHex("9107DCB7B7A9CF118EE600C00C205365");
const QByteArray kDataObject = QByteArray::fromHex("3626B2758E66CF11A6D900AA0062CE6C");

QByteArray LE(uint64_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

uint64_t ReadLE(const QByteArray& data, qsizetype at, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(data[at + i]);
    return value;
}

QByteArray Object(const QByteArray& guid, const QByteArray& body)
{
    return guid + LE(static_cast<uint64_t>(24 + body.size()), 8) + body;
}

// Adds an object at the front of the header object, fixing its size and count.
QByteArray WithHeaderObject(QByteArray file, const QByteArray& object)
{
    const uint64_t size = ReadLE(file, 16, 8) + static_cast<uint64_t>(object.size());
    const uint64_t count = ReadLE(file, 24, 4) + 1;
    file.replace(16, 8, LE(size, 8));
    file.replace(24, 4, LE(count, 4));
    file.insert(30, object);
    return file;
}

QByteArray ContentEncryptionObject()
{
    const QByteArray secret("0123456789abcdef");
    const QByteArray type("DRM", 4);
    const QByteArray key("keyid", 6);
    const QByteArray url("http://licence.invalid/", 24);
    return Object(kContentEncryption, LE(static_cast<uint64_t>(secret.size()), 4) + secret
                                          + LE(static_cast<uint64_t>(type.size()), 4) + type
                                          + LE(static_cast<uint64_t>(key.size()), 4) + key
                                          + LE(static_cast<uint64_t>(url.size()), 4) + url);
}

QByteArray RandomBytes(qsizetype size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(random() & 0xFF);
    return out;
}

class BadInputTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pDir = std::make_unique<QTemporaryDir>();
        Signal signal;
        signal.seconds = 3.0;
        signal.noiseAmplitude = 0.05;
        QString error;
        const QString path =
            AudioFixtures::MakeWma(s_pDir->path(), QStringLiteral("good.wma"), signal, {}, &error);
        ASSERT_FALSE(path.isEmpty()) << error.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        s_good = file.readAll();
    }
    static void TearDownTestSuite() { s_pDir.reset(); }

    void SetUp() override { ASSERT_EQ(CreateWMAFile2(m_pFile), S_OK); }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = s_pDir->filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    QString Ffmpeg(const QString& name, const QStringList& arguments)
    {
        const QString path = s_pDir->filePath(name);
        QString error;
        EXPECT_TRUE(AudioFixtures::RunFfmpeg(arguments + QStringList{path}, &error))
            << error.toStdString();
        return path;
    }

    // Opens the file and, when that works, reads it to the end within a
    // bound on the calls. Returns the failure of Open, or of the first read
    // that failed, or S_OK; *frames is what was delivered.
    HRESULT OpenAndRead(const QString& path, size_t* frames = nullptr)
    {
        size_t values = 0;
        HRESULT hr = m_pFile->Open(path);
        if (SUCCEEDED(hr)) {
            uint32_t channels = 0;
            EXPECT_EQ(m_pFile->get_Channels(&channels), S_OK);
            std::vector<int16_t> block;
            int calls = 0;
            for (; calls < 100000; ++calls) {
                hr = m_pFile->ReadSamples(128, block);
                EXPECT_LE(block.size(), 128u * channels);
                values += block.size();
                if (FAILED(hr) || block.empty())
                    break;
            }
            EXPECT_LT(calls, 100000) << "the stream never ended";
            if (channels)
                values /= channels;
        }
        bool open = false;
        m_pFile->get_IsOpen(&open);
        if (open)
            m_pFile->Close();
        if (frames)
            *frames = values;
        return hr;
    }

    size_t GoodFrames()
    {
        size_t frames = 0;
        EXPECT_EQ(OpenAndRead(s_pDir->filePath(QStringLiteral("good.wma")), &frames), S_OK);
        return frames;
    }

    static inline std::unique_ptr<QTemporaryDir> s_pDir;
    static inline QByteArray s_good;
    std::unique_ptr<WMAFile2> m_pFile;
};

TEST_F(BadInputTest, FilesThatAreNotAsfAreRefused)
{
    Signal signal;
    const QString wav = AudioFixtures::MakeWav(s_pDir->path(), QStringLiteral("tone.wav"), signal);
    const QString renamedWav = s_pDir->filePath(QStringLiteral("wav.wma"));
    ASSERT_TRUE(QFile::copy(wav, renamedWav));
    const QString renamedMp3 =
        Ffmpeg(QStringLiteral("mp3.wma"), {QStringLiteral("-i"), wav, QStringLiteral("-c:a"),
                                           QStringLiteral("libmp3lame"), QStringLiteral("-f"),
                                           QStringLiteral("mp3")});

    struct Case
    {
        const char* name;
        QString path;
    };
    for (const Case& c : {Case{"empty", Write(QStringLiteral("empty.wma"), {})},
                          Case{"one byte", Write(QStringLiteral("one.wma"), QByteArray(1, '0'))},
                          Case{"random", Write(QStringLiteral("random.wma"), RandomBytes(65536, 1))},
                          Case{"first bytes of a header",
                               Write(QStringLiteral("short.wma"), s_good.left(20))},
                          Case{"renamed wav", renamedWav}, Case{"renamed mp3", renamedMp3}}) {
        EXPECT_EQ(OpenAndRead(c.path), WMA_E_NOT_ASF) << c.name;
    }
}

TEST_F(BadInputTest, DamagedHeadersAreCorrupt)
{
    QByteArray hugeHeader = s_good;
    hugeHeader.replace(16, 8, LE(uint64_t{1} << 40, 8));
    QByteArray garbageAfterGuid = s_good.left(16) + RandomBytes(4096, 2);
    QByteArray badObjectSize = s_good;
    badObjectSize.replace(30 + 16, 8, LE(3, 8));

    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    for (const Case& c : {Case{"truncated header", s_good.left(200)},
                          Case{"header only", s_good.left(static_cast<qsizetype>(ReadLE(s_good, 16, 8)))},
                          Case{"header larger than the file", hugeHeader},
                          Case{"garbage after the GUID", garbageAfterGuid},
                          Case{"object smaller than its header", badObjectSize}}) {
        const HRESULT hr = OpenAndRead(Write(QStringLiteral("bad.wma"), c.bytes));
        EXPECT_EQ(hr, WMA_E_CORRUPT) << c.name;
    }
}

// Audio that decodes is delivered; the rest ends the stream early but cleanly.
TEST_F(BadInputTest, DamagedDataGivesAShorterStream)
{
    const size_t full = GoodFrames();
    const qsizetype dataStart = s_good.indexOf(kDataObject);
    ASSERT_GT(dataStart, 0);

    QByteArray scrambledMiddle = s_good;
    const qsizetype middle = dataStart + (s_good.size() - dataStart) / 2;
    scrambledMiddle.replace(middle, 4000, RandomBytes(4000, 3));
    QByteArray zeroedData = s_good;
    zeroedData.replace(dataStart + 50, s_good.size() - dataStart - 50,
                       QByteArray(s_good.size() - dataStart - 50, '\0'));
    QByteArray randomData = s_good;
    randomData.replace(dataStart + 50, s_good.size() - dataStart - 50,
                       RandomBytes(s_good.size() - dataStart - 50, 4));

    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool some; // some audio must come through; otherwise the file is corrupt
    };
    for (const Case& c : {Case{"truncated data", s_good.left(dataStart + (s_good.size() - dataStart) * 6 / 10), true},
                          Case{"cut in a packet", s_good.left(dataStart + 50 + 1000), false},
                          Case{"scrambled middle", scrambledMiddle, true},
                          Case{"zeroed data", zeroedData, false},
                          Case{"random data", randomData, false}}) {
        size_t frames = 0;
        const HRESULT hr = OpenAndRead(Write(QStringLiteral("damaged.wma"), c.bytes), &frames);
        EXPECT_LE(frames, full + 2048) << c.name;
        if (c.some) {
            EXPECT_EQ(hr, S_OK) << c.name;
            EXPECT_GT(frames, full / 3) << c.name;
        } else {
            EXPECT_EQ(hr, WMA_E_CORRUPT) << c.name;
            EXPECT_EQ(frames, 0u) << c.name;
        }
    }
}

// A sound header over data without audio: the file does not open, so the
// list and the converter's checks see it, not the conversion.
TEST_F(BadInputTest, DataWithoutAudioDoesNotOpen)
{
    const QString noPackets = Write(QStringLiteral("no-packets.wma"), s_good);
    ASSERT_TRUE(AudioFixtures::RemoveDataPackets(noPackets));
    const qsizetype dataStart = s_good.indexOf(kDataObject);
    ASSERT_GT(dataStart, 0);

    struct Case
    {
        const char* name;
        QString path;
        HRESULT expected;
    };
    for (const Case& c : {Case{"data packets removed", noPackets, WMA_E_NO_AUDIO_DATA},
                          Case{"cut after the data object's header",
                               Write(QStringLiteral("cut-at-data.wma"), s_good.left(dataStart + 50)),
                               WMA_E_NO_AUDIO_DATA},
                          Case{"cut inside the first packet",
                               Write(QStringLiteral("cut-in-packet.wma"), s_good.left(dataStart + 50 + 1000)),
                               WMA_E_CORRUPT}}) {
        EXPECT_EQ(m_pFile->Open(c.path), c.expected) << c.name;
        bool open = true;
        EXPECT_EQ(m_pFile->get_IsOpen(&open), S_OK);
        EXPECT_FALSE(open) << c.name;
    }
}

TEST_F(BadInputTest, AsfWithoutWmaAudio)
{
    const QString videoOnly = Ffmpeg(
        QStringLiteral("video.asf"),
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("testsrc=d=1:s=64x48:r=10"), QStringLiteral("-c:v"), QStringLiteral("wmv2"),
         QStringLiteral("-f"), QStringLiteral("asf")});
    EXPECT_EQ(OpenAndRead(videoOnly), WMA_E_NO_AUDIO);

    const QString pcm = Ffmpeg(QStringLiteral("pcm.wma"),
                               {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("sine=d=1"), QStringLiteral("-c:a"),
                                QStringLiteral("pcm_s16le"), QStringLiteral("-f"),
                                QStringLiteral("asf")});
    EXPECT_EQ(OpenAndRead(pcm), WMA_E_UNSUPPORTED_CODEC);
}

// MP3 in ASF is what some tools write into .wma files; it is delivered.
TEST_F(BadInputTest, Mp3InsideAsfDecodes)
{
    const QString mp3 = Ffmpeg(QStringLiteral("mp3.asf"),
                               {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("sine=f=1000:d=2:r=44100"), QStringLiteral("-c:a"),
                                QStringLiteral("libmp3lame"), QStringLiteral("-f"),
                                QStringLiteral("asf")});
    ASSERT_EQ(m_pFile->Open(mp3), S_OK);
    uint32_t count = 0;
    EXPECT_EQ(m_pFile->get_SampleCount(&count), S_OK);
    EXPECT_NEAR(count, 88200, 2 * 1152);
    m_pFile->Close();
    size_t frames = 0;
    EXPECT_EQ(OpenAndRead(mp3, &frames), S_OK);
    EXPECT_NEAR(static_cast<double>(frames), 88200, 3 * 1152);
}

TEST_F(BadInputTest, EncryptedFilesAreRefused)
{
    QByteArray flagged = s_good;
    const qsizetype stream = flagged.indexOf(kStreamProperties);
    ASSERT_GT(stream, 0);
    flagged[stream + 73] = static_cast<char>(flagged[stream + 73] | 0x80);

    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    for (const Case& c :
         {Case{"content encryption object", WithHeaderObject(s_good, ContentEncryptionObject())},
          Case{"extended content encryption object",
               WithHeaderObject(s_good, Object(kExtendedContentEncryption,
                                               LE(8, 4) + QByteArray("<WRMHDR>")))},
          Case{"encrypted stream flag", flagged}}) {
        EXPECT_EQ(OpenAndRead(Write(QStringLiteral("drm.wma"), c.bytes)), WMA_E_DRM) << c.name;
    }
    // The same insertion with an unknown object still opens, so it is the
    // encryption object that is refused.
    const QByteArray unknown = WithHeaderObject(
        s_good, Object(QByteArray(16, '\x5A'), QByteArray("padding", 7)));
    EXPECT_EQ(OpenAndRead(Write(QStringLiteral("plain.wma"), unknown)), S_OK);
}

} // namespace
