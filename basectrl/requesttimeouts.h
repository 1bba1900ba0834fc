#ifndef REQUESTTIMEOUTS_H
#define REQUESTTIMEOUTS_H

// Inactivity limits of the station's requests (Qt's transfer time-out: it restarts
// with every byte that moves and also covers connecting). Without them a station
// that accepts a connection and falls silent, as it does while rebooting, keeps
// Qt's six connections per host busy and every later poll waits behind them.
namespace RequestTimeouts {

// JSON commands, the reboot and the status pages.
constexpr int commandMs = 10000;

// The image upload: time without any progress before it counts as failed.
constexpr int uploadIdleMs = 60000;

} // namespace RequestTimeouts

#endif // REQUESTTIMEOUTS_H
