#ifndef UPLOADWATCH_H
#define UPLOADWATCH_H

#include <QObject>
#include <QTimer>

class QNetworkReply;

// Watches the reply of one image upload, as its child. While the body is on its way, a body that stops moving
// for the idle limit ends the upload. Qt's own transfer time-out would not do: it goes on running after the last
// byte has left, while the station holds its answer back, and a station may answer only after flashing, or never.
class UploadWatch : public QObject
{
    Q_OBJECT

public:
    UploadWatch(QNetworkReply *reply, int idleMs);

    QNetworkReply *reply() const;

    // The station was told to flash: the reply has no more to say, it only has to go, as soon as the whole body
    // has left once. Held open, its connection would be closed by the restarting station, and Qt sends a POST
    // whose connection closed before an answer once more by itself: the image would reach the station again.
    void letGo();

private:
    void onProgress(qint64 sent, qint64 total);

    QTimer idle;
    qint64 mostSent = 0;
    bool sentWhole = false;
    bool lettingGo = false;
};

#endif // UPLOADWATCH_H
