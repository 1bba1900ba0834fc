#include "uploadwatch.h"

#include <QNetworkReply>

UploadWatch::UploadWatch(QNetworkReply *reply, int idleMs)
    : QObject(reply)
    , idle(this)
{
    idle.setSingleShot(true);
    idle.setInterval(idleMs);
    connect(&idle, &QTimer::timeout, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::uploadProgress, this, &UploadWatch::onProgress);
    idle.start();
}

QNetworkReply *UploadWatch::reply() const
{
    return static_cast<QNetworkReply *>(parent());
}

void UploadWatch::letGo()
{
    lettingGo = true;
    // Once the whole body has left, whatever is under way is the image a second time.
    if (sentWhole)
        reply()->abort();
}

void UploadWatch::onProgress(qint64 sent, qint64 total)
{
    if (reply()->isFinished())
        return;
    // Counting from the start again: the connection was lost and Qt sends the whole body once more.
    const bool sentAgain = sent < mostSent;
    const bool whole = total > 0 && sent == total;
    mostSent = sent;
    sentWhole = sentWhole || whole;
    if (lettingGo && (sentAgain || whole)) {
        reply()->abort();
        return;
    }
    if (whole)
        idle.stop();
    else
        idle.start();
}
