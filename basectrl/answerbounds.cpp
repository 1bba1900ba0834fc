#include "answerbounds.h"

#include <QNetworkReply>
#include <QTimer>

namespace {

QString sizeText(qint64 bytes)
{
    constexpr qint64 mib = qint64(1) << 20;
    return bytes % mib == 0 ? QStringLiteral("%1 MiB").arg(bytes / mib) : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

AnswerBounds::AnswerBounds(QNetworkReply *reply, qint64 maxBytes, int wholeMs)
    : QObject(reply)
    , maxBytes(maxBytes)
    , wholeMs(wholeMs)
{
    // Without a read buffer Qt's network thread reads on for as long as this thread is busy elsewhere. Twice the
    // limit: Qt may stop short of a read buffer's size, and one as large as the limit can hold back the byte past it.
    reply->setReadBufferSize(2 * maxBytes);
    connect(reply, &QNetworkReply::readyRead, this, &AnswerBounds::onReadyRead);
    if (wholeMs <= 0)
        return;
    // Precise: a coarse timer may fire up to 5 % early, on an answer that still had time.
    auto *whole = new QTimer(this);
    whole->setTimerType(Qt::PreciseTimer);
    whole->setSingleShot(true);
    connect(whole, &QTimer::timeout, this, &AnswerBounds::onWholeTimeout);
    whole->start(wholeMs);
}

QString AnswerBounds::errorText(const QNetworkReply *reply)
{
    const auto *bounds = reply->findChild<AnswerBounds *>(QString(), Qt::FindDirectChildrenOnly);
    return bounds && !bounds->givenUp.isEmpty() ? bounds->givenUp : reply->errorString();
}

QNetworkReply *AnswerBounds::reply() const
{
    return static_cast<QNetworkReply *>(parent());
}

void AnswerBounds::onReadyRead()
{
    // The body is read only once it is whole, so all of it is still there to count.
    if (reply()->bytesAvailable() > maxBytes)
        giveUp(QStringLiteral("answer larger than %1").arg(sizeText(maxBytes)));
}

void AnswerBounds::onWholeTimeout()
{
    giveUp(QStringLiteral("no whole answer within %1 s").arg(wholeMs / 1000.0));
}

void AnswerBounds::giveUp(const QString &reason)
{
    if (reply()->isFinished())
        return;
    // Kept first: abort() reports the end at once.
    givenUp = reason;
    reply()->abort();
}
