#pragma once

// How long an update waits for the station before it ends the run and says so, in workflow ticks (2 s each).
// None of them ends a run while the station may still be flashing: those waits are long, and a station that goes
// on reporting a flashing step is waited for without end.
namespace RunLimits {

// A station that has not answered five minutes after the reboot request is not coming back by itself.
inline constexpr int comebackTicks = 150;
// The same, counted from the station's report that it finished flashing and restarts.
inline constexpr int restartComebackTicks = 150;
// Reports in a row of the station's own error, one per tick: a station may show an error text for a moment and
// go on.
inline constexpr int stationErrorReports = 5;
// Ticks the start of the upgrade waits for a station that reports an error of its own: time enough for its
// error to end the run, or for a report that it has gone.
inline constexpr int errorHoldTicks = 30;
// A station that does not answer at its address for a minute after a restart may have been given another one by
// the router: it is searched for by its MAC, once a minute.
inline constexpr int searchTicks = 30;
// Ten minutes without any answer after the start of the upgrade.
inline constexpr int silentUpgradeTicks = 300;
// Five minutes of answers after the start of the upgrade without a single flashing step.
inline constexpr int upgradeStartTicks = 150;

} // namespace RunLimits
