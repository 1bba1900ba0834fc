#pragma once

#include "options.h"

#include <QByteArray>
#include <QVector>

#include <atomic>
#include <mutex>
#include <thread>

class RequestLog;

// Answers "DECT ULE Discovery Ping" datagrams on UDP port 23456 like one or more stations.
class DiscoveryResponder {
public:
    static constexpr quint16 Port = 23456;

    DiscoveryResponder(const Options &options, RequestLog &log);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder &) = delete;
    DiscoveryResponder &operator=(const DiscoveryResponder &) = delete;

    bool start(QString &error);
    void stop();
    // From now on the acknowledgements announce this address and MAC (a station back from a reboot).
    void announce(const QString &unitIp, const QString &mac);

    // The acknowledgement of station number `index` (0-based) as the station sends it.
    static QByteArray acknowledgement(const Options &options, int index);
    // Every datagram one ping is answered with, in sending order.
    static QVector<QByteArray> answers(const Options &options);

private:
    void run();
    void answer(quint32 senderIp);

    Options options; // a copy: announce() changes it while the station runs
    std::mutex optionsMutex;
    RequestLog &log;
    int fd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
