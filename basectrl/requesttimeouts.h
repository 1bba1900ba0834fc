#ifndef REQUESTTIMEOUTS_H
#define REQUESTTIMEOUTS_H

// Inactivity limits of the station's requests: each restarts with every byte that moves and also covers
// connecting. Without them a station that accepts a connection and falls silent, as it does while rebooting,
// keeps Qt's six connections per host busy and every later poll waits behind them.
struct RequestTimeouts {
    // JSON commands, the reboot and the status pages.
    int commandMs = 10000;

    // The image upload while its body is on its way. Once the last byte has left, the station may take as
    // long as it likes to answer: it may be flashing the image by then.
    int uploadIdleMs = 60000;
};

#endif // REQUESTTIMEOUTS_H
