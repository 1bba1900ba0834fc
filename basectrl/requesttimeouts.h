#ifndef REQUESTTIMEOUTS_H
#define REQUESTTIMEOUTS_H

#include <QtGlobal>

// Limits of the station's requests. The first two are inactivity limits: each restarts with every byte that moves
// and also covers connecting. Without them a station that accepts a connection and falls silent, as it does while
// rebooting, keeps Qt's six connections per host busy and every later poll waits behind them.
struct RequestTimeouts {
    // JSON commands, the reboot and the status pages.
    int commandMs = 10000;

    // The image upload while its body is on its way. Once the last byte has left, the station may take as
    // long as it likes to answer: it may be flashing the image by then.
    int uploadIdleMs = 60000;

    // The whole answer of a JSON command, the reboot or a status page: an answer that drips restarts the
    // inactivity limit with every byte and would hold its connection for ever.
    int wholeAnswerMs = 30000;

    // The body of any answer, the upload's too, as Qt hands it over decoded: the station's largest are a few KiB,
    // and a body is held in memory until it is whole.
    qint64 answerMaxBytes = qint64(1) << 20;
};

#endif // REQUESTTIMEOUTS_H
