#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <taglib/asffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "ConvertCommand.h"
#include "ConvertOptions.h"
#include "Mp3Inspection.h"

// marlune-convert and the sources' tags: copied by default, left out with
// --no-tags, and a notice outside the numbered log when they cannot be.

namespace {

TEST(ConvertTagArguments, TagsAreCopiedUnlessNoTagsIsGiven)
{
    EXPECT_TRUE(ParseConvertArguments({QStringLiteral("a.wma")}, {}).options.bCopyTags);
    EXPECT_FALSE(ParseConvertArguments({QStringLiteral("--no-tags"), QStringLiteral("a.wma")}, {}).options.bCopyTags);
    EXPECT_TRUE(ConvertHelpText().contains(QStringLiteral("--no-tags")));
}

class ConvertTags : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        AudioFixtures::Signal signal;
        QString error;
        m_strSource = AudioFixtures::MakeWma(m_dir.path(), QStringLiteral("song.wma"), signal, {}, &error);
        ASSERT_FALSE(m_strSource.isEmpty()) << error.toStdString();
        TagLib::ASF::File file(QFile::encodeName(m_strSource).constData());
        file.tag()->setTitle("Song");
        file.tag()->setAttribute("Broken", TagLib::String("value"));
        ASSERT_TRUE(file.save());
    }

    struct Outcome
    {
        int status = -1;
        QString err;
        QString strMp3;
    };

    Outcome Run(const QStringList& options, const QString& folder)
    {
        QProcess process;
        const QString out = m_dir.filePath(folder);
        process.start(QStringLiteral(MARLUNE_BIN_DIR "/marlune-convert"),
                      options + QStringList{QStringLiteral("-o"), out, m_strSource});
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardError()), QDir(out).filePath(QStringLiteral("song.mp3"))};
    }

    static QString Title(const QString& mp3)
    {
        TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
        return file.ID3v2Tag() ? QString::fromUtf8(file.ID3v2Tag()->title().toCString(true)) : QString();
    }

    QTemporaryDir m_dir;
    QString m_strSource;
};

TEST_F(ConvertTags, AreCopiedByDefaultAndLeftOutWithNoTags)
{
    const Outcome tagged = Run({}, QStringLiteral("tagged"));
    EXPECT_EQ(tagged.status, CONVERT_EXIT_OK) << tagged.err.toStdString();
    EXPECT_EQ(Title(tagged.strMp3), QStringLiteral("Song"));
    EXPECT_FALSE(tagged.err.contains(QStringLiteral("tags")));

    const Outcome plain = Run({QStringLiteral("--no-tags")}, QStringLiteral("plain"));
    EXPECT_EQ(plain.status, CONVERT_EXIT_OK) << plain.err.toStdString();
    const QByteArray data = Mp3Inspection::ReadAll(plain.strMp3);
    EXPECT_EQ(Mp3Inspection::Id3v2Size(data), 0);
    EXPECT_TRUE(Mp3Inspection::ReadInfoTag(data));
}

TEST_F(ConvertTags, ThatCannotBeReadAreNotedOutsideTheLog)
{
    // A value whose declared size runs past the end of its object.
    const QByteArray data = Mp3Inspection::ReadAll(m_strSource);
    const QByteArray name("B\0r\0o\0k\0e\0n\0\0\0", 14);
    const qsizetype at = data.indexOf(name);
    ASSERT_GT(at, 0);
    QFile file(m_strSource);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(at + name.size() + 2));
    file.write(QByteArray("\xFF\xFF", 2));
    file.close();

    const Outcome outcome = Run({}, QStringLiteral("out"));
    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    EXPECT_TRUE(Mp3Inspection::ReadInfoTag(Mp3Inspection::ReadAll(outcome.strMp3)));
    const QStringList lines = outcome.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString notice = QStringLiteral("marlune-convert: tags not copied: the tags of %1 cannot be read: ")
                               .arg(m_strSource);
    int numbered = 0;
    int notices = 0;
    for (const QString& line : lines) {
        if (line.startsWith(notice))
            ++notices;
        else if (line.startsWith(QStringLiteral("marlune-convert: converted 1; failed 0; skipped 0")))
            continue; // the closing summary
        else if (QRegularExpression(QStringLiteral("^\\d{3} ")).match(line).hasMatch())
            EXPECT_TRUE(line.startsWith(QStringLiteral("%1 ").arg(++numbered, 3, 10, QLatin1Char('0'))))
                << line.toStdString();
        else
            ADD_FAILURE() << line.toStdString();
    }
    EXPECT_EQ(notices, 1) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Converting status: OK.")));
}

} // namespace
