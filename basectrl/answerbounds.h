#ifndef ANSWERBOUNDS_H
#define ANSWERBOUNDS_H

#include <QObject>
#include <QString>

class QNetworkReply;

// Guards the answer of one request, as a child of its reply. No answer of a station is larger than a few KiB, and a
// whole one takes it a moment; whatever else answers at its address must neither fill the computer's memory nor
// hold one of Qt's few connections to it for ever. So an answer whose body, as Qt hands it over decoded, grows past
// the size limit, or (where a time limit is given) that has not arrived whole within it, is given up: the reply is
// aborted, with the reason kept for its report.
class AnswerBounds : public QObject
{
    Q_OBJECT

public:
    // wholeMs 0: no time limit.
    AnswerBounds(QNetworkReply *reply, qint64 maxBytes, int wholeMs = 0);

    // Why the reply failed: the reason its bounds gave it up, else Qt's own error text.
    static QString errorText(const QNetworkReply *reply);

private:
    QNetworkReply *reply() const;
    void onReadyRead();
    void onWholeTimeout();
    void giveUp(const QString &reason);

    qint64 maxBytes;
    int wholeMs;
    QString givenUp;
};

#endif // ANSWERBOUNDS_H
