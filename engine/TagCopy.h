#pragma once

#include <QString>

class CConvJob;
class CConversionTask;

// Copying a source's tags into its MP3 once the encoding stage has finished
// the file. Tags never fail a conversion: whatever goes wrong here leaves
// the audio, the task's outcome and the job's log as they are.

enum class TagCopyResult
{
    Copied,
    NothingToCopy,    // the source has no attributes a player shows; the MP3 is untouched
    SourceUnreadable, // the source's tags cannot be read; the MP3 is untouched
    OutputUntaggable, // the MP3 could not be tagged; it is left as it was
};

struct TagCopyOutcome
{
    TagCopyResult result = TagCopyResult::NothingToCopy;
    QString strReason; // for the two failures
};

// Copies the tags of the WMA source into the MP3 at dest. Any thread.
TagCopyOutcome CopyTags(const QString& source, const QString& dest);

// The encoding stage's end: copies the task's tags when the job asks for
// them, and posts WM_CONV_TAGS_NOT_COPIED to the job's window when it could
// not. Encoding thread.
void CopyTaskTags(const CConvJob& job, const CConversionTask& task);
