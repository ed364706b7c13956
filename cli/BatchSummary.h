#pragma once

#include <QString>
#include <QStringList>

// What became of each file of a marlune-convert run, for the summary it
// ends with: converted (some of them shorter than their header announced),
// failed inside the conversion, skipped by the check before it, or never
// tried because the run was interrupted.
class CBatchSummary
{
public:
    void AddConverted();
    // Converted, but the decoded audio fell short of the header's length.
    void AddShort(const QString& path, double fDecodedSeconds, double fExpectedSeconds);
    void AddFailed(const QString& path, const QString& reason);
    void AddSkipped(const QString& path, const QString& reason);
    void AddNotTried(const QString& path);

    // Every file was converted; short ones count as converted.
    bool AllConverted() const;
    // ... and none of them short.
    bool AllConvertedInFull() const;

    // "converted N (M short); failed N; skipped N[; not tried N]", then one
    // line per file that is not converted in full, with its reason.
    QStringList Lines() const;

private:
    int m_nConverted = 0;
    QStringList m_arrShort;
    QStringList m_arrFailed;
    QStringList m_arrSkipped;
    QStringList m_arrNotTried;
};
