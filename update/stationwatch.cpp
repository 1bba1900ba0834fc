#include "stationwatch.h"

#include "runlimits.h"

namespace {

// A restarting station answers no poll for a while: its reports stop for two ticks at least. A station that took
// less than a tick to restart is not told from one that shows a text without a step marker amid its steps.
constexpr int ticksWithoutReportOfARestart = 2;
constexpr int firstFlashingStep = 2;
constexpr int lastFlashingStep = 5;
constexpr int stepWithoutMarker = 1;

} // namespace

void StationWatch::reset()
{
    *this = StationWatch();
}

StationWatch::Verdict StationWatch::tick()
{
    ++ticksSinceReport;
    ++ticksSinceAnswer;
    ++upgradeTicks;
    // Silent while flashing may well be busy flashing: only a long silence ends the run.
    if (ticksSinceAnswer >= RunLimits::silentUpgradeTicks)
        return Silent;
    // Only a station that is answering now: one that went quiet may have flashed and restarted meanwhile.
    if (!flashing && upgradeTicks >= RunLimits::upgradeStartTicks && ticksSinceAnswer < ticksWithoutReportOfARestart)
        return NeverStarted;
    return Working;
}

void StationWatch::answered()
{
    ticksSinceAnswer = 0;
}

StationWatch::Verdict StationWatch::report(int q, bool errorText)
{
    const bool cameBack = ticksSinceReport >= ticksWithoutReportOfARestart;
    ticksSinceReport = 0;
    if (errorText)
        return ++errorReports >= RunLimits::stationErrorReports ? GaveUp : Working;
    errorReports = 0;
    // Restarted after flashing, the station reports what it holds now, which carries no step marker ("Idle").
    if (flashing && cameBack && q == stepWithoutMarker)
        return Restarted;
    if (q >= firstFlashingStep && q <= lastFlashingStep)
        flashing = true;
    return Working;
}
