#pragma once

#include "options.h"

#include <QByteArray>
#include <QJsonObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
class ContentReader;
} // namespace httplib

class Station;
class RequestLog;

// The station's web server. One server object lives per boot: a reboot stops it
// (the port closes) and the supervisor binds a new one to the same port.
class HttpFront {
public:
    HttpFront(const Options &options, Station &station, RequestLog &log);
    ~HttpFront();
    HttpFront(const HttpFront &) = delete;
    HttpFront &operator=(const HttpFront &) = delete;

    // Returns the bound port, or -1 with the reason in error.
    int bind(const QString &host, int port, QString &error);
    void start();
    // Closes the port and every open connection; waits a bounded time for the workers.
    void stop();
    // A restart begins: the uploads it holds unanswered are closed, while the station is still up. True when
    // there were any.
    bool restartBegins();

private:
    void addRoutes(httplib::Server &srv);
    void handleCommand(const httplib::Request &req, httplib::Response &res);
    void handleDebug(const httplib::Request &req, httplib::Response &res);
    void handleFirmwarePage(const httplib::Request &req, httplib::Response &res);
    void handleUpgradePage(const httplib::Request &req, httplib::Response &res);
    void handleUpload(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader);
    void handleOther(const httplib::Request &req, httplib::Response &res);
    void holdSilently(const httplib::Request &req);
    // The station went down for good: the request is logged and its connection cut unanswered.
    void goneDown(const httplib::Request &req);
    bool restartBegun();
    // Waits until the deadline, or without one until the server stops (or, for an upload, a restart begins);
    // false when that came first.
    bool holdUntil(std::optional<std::chrono::steady_clock::time_point> deadline, bool untilRestart = false);
    int statusFor(const httplib::Request &req, int usual) const;

    QJsonObject logEntry(const httplib::Request &req) const;
    // Answers as --pieces, --endless, --drip and --gzip-bomb say for the request's path.
    void send(const httplib::Request &req, httplib::Response &res, int status, const QByteArray &body,
              const char *contentType);
    // Waits between two pieces of an answer; false when the server stops or the client hung up meanwhile.
    bool pause(std::chrono::steady_clock::duration length, int localPort, int remotePort);

    const Options &options;
    Station &station;
    RequestLog &log;
    int boundPort = -1;
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
    std::shared_ptr<std::atomic<bool>> listenerDone;

    // Held answers (--silent, --upload-answer-delay) and answers in pieces end when the server stops.
    std::mutex holdMutex;
    std::condition_variable holdRelease;
    bool releaseHeld = false;
    bool restarting = false;
    int heldUploads = 0;
};
