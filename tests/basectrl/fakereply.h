#ifndef FAKEREPLY_H
#define FAKEREPLY_H

#include <QNetworkReply>

#include <cstring>

// A reply that has already finished with a given body (and error), for driving the
// controller's reply slots with bodies no station sends.
class FakeReply : public QNetworkReply
{
public:
    explicit FakeReply(const QByteArray &body, NetworkError code = NoError)
        : body(body)
    {
        setOpenMode(QIODevice::ReadOnly);
        if (code != NoError)
            setError(code, QStringLiteral("fake failure"));
        setFinished(true);
    }

    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return body.size() - offset + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, qint64(body.size()) - offset);
        std::memcpy(data, body.constData() + offset, size_t(n));
        offset += n;
        return n;
    }

private:
    QByteArray body;
    qint64 offset = 0;
};

#endif // FAKEREPLY_H
