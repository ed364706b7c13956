#include "ConvLogFormat.h"

#include <atomic>
#include <cmath>

namespace {
std::atomic<unsigned> s_nLogLine{0};
} // namespace

unsigned NextLogLineNumber()
{
    return ++s_nLogLine;
}

QString LogNumberText(unsigned number)
{
    return QString::asprintf("%03u ", number);
}

QString LogTimeText(const QTime& time)
{
    return QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

QString ClockText(double seconds)
{
    const long long s = std::isfinite(seconds) && seconds > 0.0 ? static_cast<long long>(seconds) : 0;
    return QString::asprintf("%02lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
}

QString PercentText(double percent)
{
    return QString::asprintf("%5.2lf%%", percent);
}

QString SpeedText(double speed)
{
    return QString::asprintf(" %5.2fx", speed);
}
