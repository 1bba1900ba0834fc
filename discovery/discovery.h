#pragma once

#include <QObject>
#include <QString>
#include <QVector>

class QTimer;
class QUdpSocket;

// Finds the base stations on the computer's IPv4 networks: broadcasts the ping and hands on the unit texts of
// the first batch of acknowledgements.
class Discovery : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 discoveryPort = 23456;
    static constexpr int readTimeoutMs = 5000;

    explicit Discovery(QObject *parent);

    // The run going on, or the last one, was started by searchQuietly().
    bool isQuiet() const { return quiet; }

signals:
    void discoverReady(QVector<QString> units);
    void statusUpd(QString txt);
    // A run ended at its time-out, without any answer.
    void nothingFound();

public slots:
    void start();
    // A run the updater starts by itself: the same pings and answers, but no status texts.
    void searchQuietly();
    void processPendingDatagrams();
    void readTimeOut();

private:
    QVector<QString> units;
    QUdpSocket *udpSocket;
    QTimer *timeoutTimer;
    bool quiet = false;

    void search();
};
