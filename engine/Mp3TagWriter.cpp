#include "Mp3TagWriter.h"

#include <filesystem>
#include <system_error>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

using namespace TagLib;

constexpr qint64 kCopyChunkBytes = 1 << 20;
// Bytes of the audio compared after tagging, at its start and at its end;
// a short write shows in the size already.
constexpr qint64 kCheckedBytes = 4096;

bool CopyFile(QFile& from, QFile& to)
{
    QByteArray chunk;
    while (!from.atEnd()) {
        chunk = from.read(kCopyChunkBytes);
        if (chunk.isEmpty() || to.write(chunk) != chunk.size())
            return false;
    }
    return to.flush();
}

QByteArray ReadAt(const QString& path, qint64 offset, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return {};
    return file.read(bytes);
}

// TagLib does not report failed writes, so the result is checked: the tag
// followed by the very bytes of the audio.
bool HoldsTagAndAudio(const QString& tagged, qint64 tagBytes, const QString& original, qint64 audioBytes)
{
    if (QFileInfo(tagged).size() != tagBytes + audioBytes)
        return false;
    const qint64 checked = std::min(kCheckedBytes, audioBytes);
    return ReadAt(tagged, tagBytes, checked) == ReadAt(original, 0, checked)
        && ReadAt(tagged, tagBytes + audioBytes - checked, checked)
        == ReadAt(original, audioBytes - checked, checked);
}

} // namespace

bool CMp3TagWriter::Write(const QString& path, Id3FrameList frames, QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };

    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return fail(original.errorString());
    const qint64 audioBytes = original.size();

    // Beside the file, so taking its place is a rename on one file system.
    // TagLib writes the tag into the empty copy, and the audio follows it:
    // each byte is written once, where inserting the tag in front of the
    // audio would move all of it.
    QTemporaryFile copy(path + QStringLiteral(".tags-XXXXXX"));
    if (!copy.open())
        return fail(copy.errorString());
    copy.close();
    qint64 tagBytes = 0;
    {
        MPEG::File mp3(QFile::encodeName(copy.fileName()).constData(), false);
        if (!mp3.isValid() || mp3.readOnly())
            return fail(QStringLiteral("the copy cannot be opened for tagging"));
        ID3v2::Tag* tag = mp3.ID3v2Tag(true);
        for (auto& frame : frames)
            tag->addFrame(frame.release());
        if (!mp3.save(MPEG::File::ID3v2, File::StripNone, ID3v2::v3, File::DoNotDuplicate))
            return fail(QStringLiteral("the tag cannot be saved"));
        // Saving sets the header to the size it rendered.
        tagBytes = tag->header()->completeTagSize();
    }
    if (tagBytes == 0 || QFileInfo(copy.fileName()).size() != tagBytes)
        return fail(QStringLiteral("the tag could not be written completely (is the disk full?)"));

    if (!copy.open() || !copy.seek(tagBytes) || !CopyFile(original, copy))
        return fail(copy.errorString());
    original.close();
    copy.setPermissions(QFile::permissions(path));
    copy.close();
    if (!HoldsTagAndAudio(copy.fileName(), tagBytes, path, audioBytes))
        return fail(QStringLiteral("the audio could not be written completely (is the disk full?)"));

    std::error_code renameError;
    std::filesystem::rename(QFile::encodeName(copy.fileName()).toStdString(),
                            QFile::encodeName(path).toStdString(), renameError);
    if (renameError)
        return fail(QString::fromStdString(renameError.message()));
    copy.setAutoRemove(false);
    return true;
}
