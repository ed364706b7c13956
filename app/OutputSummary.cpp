#include "OutputSummary.h"

#include "AppSettings.h"

QString OutputSummaryText(const CAppSettings& settings)
{
    QString text = QStringLiteral("  ") + QStringLiteral("MP3:  ");
    const int nBitrate = BitrateForIndex(settings.LameBits);
    if (settings.Freq == 0) {
        text += QString::asprintf("CBR %3d kbps; Automatic Frequency;", nBitrate);
    } else {
        text += QString::asprintf("CBR %3d kbps; %5d Hz;", nBitrate,
                                  FrequencyForIndex(settings.Freq));
    }
    switch (settings.LameChannel) {
    case LAME_CHANNEL_AUTO:
        text += QStringLiteral(" Automatic Channel;");
        break;
    case LAME_CHANNEL_MONO:
        text += QStringLiteral(" Mono;");
        break;
    case LAME_CHANNEL_STEREO:
        text += QStringLiteral(" Stereo;");
        break;
    default:
        break;
    }
    return text;
}
