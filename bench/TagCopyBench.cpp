// What copying tags costs a conversion, in the same run:
//  1. a job of many short tagged WMA files through marlune-convert, with and
//     without --no-tags (medians over alternating runs), and the ratio; then
//     CopyTags alone on one of those files, against the job's time per file;
//  2. one four-minute file with a 5 MB cover: the time CopyTags adds to its
//     finished MP3 (median of repeated copies into fresh copies of the MP3),
//     beside the time of the whole conversion, the part spent reading the
//     source's tags, and for scale a plain copy of the tagged MP3 into a new
//     file (writing those bytes is the least any tagging costs).
//
//   tag_copy_bench [files] [runs]      (defaults: 300 files, 3 runs)
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>

#include "TagCopy.h"
#include "WmaTagReader.h"

namespace {

using namespace TagLib;

bool Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return false;
    }
    return true;
}

bool MakeWma(const QString& path, double seconds)
{
    return Run(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("aevalsrc=exprs='0.4*sin(2*PI*440*t)+0.05*(2*random(0)-1)|0.4*sin(2*PI*660*t)"
                               "+0.05*(2*random(1)-1)':s=44100:d=%1")
                    .arg(seconds),
                QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                QStringLiteral("128k"), path});
}

// What a tagger leaves in a music file: the usual text fields, two
// MusicBrainz identifiers and a front cover of the given size.
bool TagLikeATagger(const QString& path, int coverBytes)
{
    ASF::File file(QFile::encodeName(path).constData());
    if (!file.isValid())
        return false;
    ASF::Tag* tag = file.tag();
    tag->setTitle(String("Короткая песня", String::UTF8));
    tag->setArtist("Quorvane Ensemble");
    tag->setComment("Recorded live");
    tag->setAttribute("WM/AlbumTitle", String("Album"));
    tag->setAttribute("WM/AlbumArtist", String("Quorvane Ensemble"));
    tag->setAttribute("WM/TrackNumber", String("7/12"));
    tag->setAttribute("WM/Year", String("2009"));
    tag->setAttribute("WM/Genre", String("Folk"));
    tag->setAttribute("WM/Composer", String("Anonymous"));
    tag->setAttribute("MusicBrainz/Track Id", String("6b1f6a5e-2c6e-4b8f-9a51-1f0e6f2d7a10"));
    tag->setAttribute("MusicBrainz/Album Id", String("0c3d1c7a-9f0e-4b8f-8a51-2f0e6f2d7a11"));
    QByteArray cover(coverBytes, Qt::Uninitialized);
    std::mt19937 random(1);
    for (char& c : cover)
        c = static_cast<char>(random());
    ASF::Picture picture;
    picture.setType(ASF::Picture::FrontCover);
    picture.setMimeType("image/jpeg");
    picture.setPicture(ByteVector(cover.constData(), static_cast<unsigned>(cover.size())));
    tag->setAttribute("WM/Picture", ASF::Attribute(picture));
    return file.save();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ConvertSeconds(const QStringList& options, const QString& out, const QStringList& files)
{
    QDir(out).removeRecursively();
    QElapsedTimer timer;
    timer.start();
    if (!Run(QCoreApplication::applicationDirPath() + QStringLiteral("/marlune-convert"),
             QStringList{QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("128"),
                         QStringLiteral("-o"), out}
                 + options + files))
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));

    // 1. Many short tagged files.
    const QString first = dir.filePath(QStringLiteral("short-000.wma"));
    if (!MakeWma(first, 3.0) || !TagLikeATagger(first, 30000))
        return 1;
    QStringList files{first};
    for (int i = 1; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("short-%1.wma").arg(i, 3, 10, QLatin1Char('0')));
        QFile::copy(first, path);
        files.append(path);
    }
    std::vector<double> tagged;
    std::vector<double> untagged;
    for (int run = 0; run < runs; ++run) {
        untagged.push_back(ConvertSeconds({QStringLiteral("--no-tags")}, out, files));
        tagged.push_back(ConvertSeconds({}, out, files));
    }
    const double withTags = Median(tagged);
    const double withoutTags = Median(untagged);
    std::printf("%d tagged files of 3 s with a 30 kB cover, median of %d runs:\n", count, runs);
    std::printf("  marlune-convert --no-tags  %8.2f s\n", withoutTags);
    std::printf("  marlune-convert            %8.2f s\n", withTags);
    std::printf("  tags add                   %+8.2f %% (target at most 5 %%)\n",
                100.0 * (withTags - withoutTags) / withoutTags);

    // The same per file, measured in this process: CopyTags into fresh
    // copies of one short file's MP3, against the job's time per file.
    const QString shortOut = dir.filePath(QStringLiteral("short-out"));
    ConvertSeconds({QStringLiteral("--no-tags")}, shortOut, {first});
    std::vector<double> shortCopies;
    for (int i = 0; i < 31; ++i) {
        const QString target = dir.filePath(QStringLiteral("short-copy.mp3"));
        QFile::remove(target);
        QFile::copy(shortOut + QStringLiteral("/short-000.mp3"), target);
        QElapsedTimer timer;
        timer.start();
        CopyTags(first, target);
        shortCopies.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double perFile = 1000.0 * withoutTags / count;
    std::printf("  CopyTags per file          %8.2f ms (median of 31), %.1f %% of the %.1f ms a file takes\n",
                Median(shortCopies), 100.0 * Median(shortCopies) / perFile, perFile);

    // 2. One long file with a large cover.
    const QString big = dir.filePath(QStringLiteral("cover.wma"));
    if (!MakeWma(big, 240.0) || !TagLikeATagger(big, 5 * 1000 * 1000))
        return 1;
    const double conversion = ConvertSeconds({QStringLiteral("--no-tags")}, out, {big});
    const QString mp3 = out + QStringLiteral("/cover.mp3");
    std::vector<double> copies;
    for (int i = 0; i < 11; ++i) {
        const QString target = dir.filePath(QStringLiteral("copy.mp3"));
        QFile::remove(target);
        QFile::copy(mp3, target);
        QElapsedTimer timer;
        timer.start();
        const TagCopyOutcome outcome = CopyTags(big, target);
        copies.push_back(timer.nsecsElapsed() / 1e6);
        if (outcome.result != TagCopyResult::Copied) {
            std::fprintf(stderr, "tags not copied: %s\n", qPrintable(outcome.strReason));
            return 1;
        }
    }
    std::vector<double> reads;
    std::vector<double> fills; // plain copies of the tagged MP3
    for (int i = 0; i < 11; ++i) {
        QElapsedTimer timer;
        timer.start();
        Id3FrameList frames;
        if (!CWmaTagReader().Read(big, frames) || frames.empty())
            std::fprintf(stderr, "reading failed\n");
        reads.push_back(timer.nsecsElapsed() / 1e6);
        const QString target = dir.filePath(QStringLiteral("plain-copy.mp3"));
        QFile::remove(target);
        timer.restart();
        QFile::copy(dir.filePath(QStringLiteral("copy.mp3")), target);
        fills.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("a 4-minute file with a 5 MB cover:\n");
    std::printf("  conversion without tags    %8.0f ms\n", conversion * 1000);
    std::printf("  copying its tags           %8.1f ms (median of 11; target at most 50 ms)\n",
                Median(copies));
    std::printf("  of which reading the WMA   %8.1f ms\n", Median(reads));
    std::printf("  copying the tagged MP3     %8.1f ms (a plain file copy, for scale)\n", Median(fills));
    return 0;
}
