#include "BatchSummary.h"

void CBatchSummary::AddConverted()
{
    ++m_nConverted;
}

void CBatchSummary::AddShort(const QString& path, double fDecodedSeconds, double fExpectedSeconds)
{
    ++m_nConverted;
    // One pass of arg(): a "%2" in the path stays as it is.
    m_arrShort.append(QStringLiteral("%1: %2 s of %3 s")
                          .arg(path, QString::number(fDecodedSeconds, 'f', 2),
                               QString::number(fExpectedSeconds, 'f', 2)));
}

void CBatchSummary::AddFailed(const QString& path, const QString& reason)
{
    m_arrFailed.append(path + QStringLiteral(": ") + reason);
}

void CBatchSummary::AddSkipped(const QString& path, const QString& reason)
{
    m_arrSkipped.append(path + QStringLiteral(": ") + reason);
}

void CBatchSummary::AddNotTried(const QString& path)
{
    m_arrNotTried.append(path);
}

bool CBatchSummary::AllConverted() const
{
    return m_arrFailed.isEmpty() && m_arrSkipped.isEmpty() && m_arrNotTried.isEmpty();
}

bool CBatchSummary::AllConvertedInFull() const
{
    return AllConverted() && m_arrShort.isEmpty();
}

QStringList CBatchSummary::Lines() const
{
    QString counts = QStringLiteral("converted %1").arg(m_nConverted);
    if (!m_arrShort.isEmpty())
        counts += QStringLiteral(" (%1 short)").arg(m_arrShort.size());
    counts += QStringLiteral("; failed %1; skipped %2").arg(m_arrFailed.size()).arg(m_arrSkipped.size());
    if (!m_arrNotTried.isEmpty())
        counts += QStringLiteral("; not tried %1").arg(m_arrNotTried.size());

    QStringList lines{counts};
    const auto add = [&lines](const char* label, const QStringList& entries) {
        for (const QString& entry : entries)
            lines.append(QStringLiteral("  %1 %2").arg(QLatin1String(label), entry));
    };
    add("short:", m_arrShort);
    add("failed:", m_arrFailed);
    add("skipped:", m_arrSkipped);
    add("not tried:", m_arrNotTried);
    return lines;
}
