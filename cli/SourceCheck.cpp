#include "SourceCheck.h"

#include <QFile>

#include "ComResult.h"
#include "FileKind.h"
#include "TaskBuilder.h"

QString CheckSource(WMAFile2& decoder, const QString& path, SourceDetails& details)
{
    QString reason;
    const FileKind kind = QueryFileKind(path, &reason);
    if (kind == FileKind::Missing)
        return reason;
    if (kind != FileKind::Regular)
        return QStringLiteral("Not a regular file (%1)").arg(FileKindText(kind));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    file.close();

    const HRESULT hr = ReadSourceDetails(decoder, path, details);
    if (FAILED(hr))
        return DescribeResult(hr);
    if (details.nSampleRate == 0 || details.nChannels == 0 || details.nTotalSamples == 0)
        return QStringLiteral("The file holds no audio");
    return {};
}
