#include "TagCopy.h"

#include <exception>
#include <memory>

#include <QFileInfo>

#include "ConvJob.h"
#include "ConversionTask.h"
#include "EngineMessages.h"
#include "Mp3TagWriter.h"
#include "WmaTagReader.h"

TagCopyOutcome CopyTags(const QString& source, const QString& dest)
{
    try {
        Id3FrameList frames;
        QString reason;
        if (!CWmaTagReader().Read(source, frames, &reason))
            return {TagCopyResult::SourceUnreadable, reason};
        if (frames.empty())
            return {TagCopyResult::NothingToCopy, {}};
        if (!CMp3TagWriter().Write(dest, std::move(frames), &reason))
            return {TagCopyResult::OutputUntaggable, reason};
        return {TagCopyResult::Copied, {}};
    } catch (const std::bad_alloc&) {
        return {TagCopyResult::SourceUnreadable, QStringLiteral("out of memory")};
    } catch (const std::exception& e) {
        return {TagCopyResult::SourceUnreadable, QString::fromLocal8Bit(e.what())};
    }
}

void CopyTaskTags(const CConvJob& job, const CConversionTask& task)
{
    if (!job.m_bCopyTags || task.m_strSource.isEmpty() || !QFileInfo::exists(task.m_strDest))
        return;
    const TagCopyOutcome outcome = CopyTags(task.m_strSource, task.m_strDest);
    if (outcome.result != TagCopyResult::SourceUnreadable
        && outcome.result != TagCopyResult::OutputUntaggable)
        return;
    // One pass of arg(): a "%2" in a path is not a place for the reason.
    const QString what =
        outcome.result == TagCopyResult::SourceUnreadable
            ? QStringLiteral("the tags of %1 cannot be read: %2").arg(task.m_strSource, outcome.strReason)
            : QStringLiteral("%1 could not be tagged: %2").arg(task.m_strDest, outcome.strReason);
    job.m_wndTarget.PostMessage(WM_CONV_TAGS_NOT_COPIED, 0, 0, std::make_unique<TextPayload>(what));
}
