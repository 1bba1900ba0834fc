#include "stationwatch.h"

namespace {

// Ten seconds of the same error at one report per tick: a station may show an error text for a moment and go on.
constexpr int errorReportsOfAStation = 5;
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

void StationWatch::tick()
{
    ++ticksSinceReport;
}

StationWatch::Verdict StationWatch::report(int q, bool errorText)
{
    const bool cameBack = ticksSinceReport >= ticksWithoutReportOfARestart;
    ticksSinceReport = 0;
    if (errorText)
        return ++errorReports >= errorReportsOfAStation ? GaveUp : Working;
    errorReports = 0;
    // Restarted after flashing, the station reports what it holds now, which carries no step marker ("Idle").
    if (flashing && cameBack && q == stepWithoutMarker)
        return Restarted;
    if (q >= firstFlashingStep && q <= lastFlashingStep)
        flashing = true;
    return Working;
}
