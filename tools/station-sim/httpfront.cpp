#include "httpfront.h"

#include "connections.h"
#include "requestlog.h"
#include "station.h"
#include "stationpages.h"

#include <httplib.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include <zlib.h>

namespace {
constexpr auto StartWait = std::chrono::seconds(2);
constexpr auto StopWait = std::chrono::seconds(3);
constexpr auto StopPoll = std::chrono::milliseconds(5);
constexpr const char *JsonType = "application/json";
constexpr const char *HtmlType = "text/html";
// What a --gzip-bomb answer decodes to: twice the most an updater takes of an answer.
constexpr int GzipBombBytes = 2 << 20;
constexpr size_t EndlessPiece = size_t(64) << 10;
// How often an answer in pieces looks whether its client is still there between two pieces.
constexpr auto HangUpPoll = std::chrono::milliseconds(100);

// Set by a handler whose answer announces a restart; the logger, which the server
// calls once the answer is on the wire, then hands the reboot to the supervisor.
thread_local bool rebootAfterResponse = false;
// Set by the handler of the start-upgrade command; the station's clock may take it down only once that is out.
thread_local bool startAfterResponse = false;
// Set by a handler whose answer gets a log entry of its own once it is on the wire.
thread_local QJsonObject logAfterResponse;

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

QByteArray gzipped(const QByteArray &data)
{
    z_stream stream{};
    // Window bits past 15 ask for the gzip wrapper instead of zlib's.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS + 16, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return {};
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    // zlib only reads its input.
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const bool whole = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return whole ? out : QByteArray();
}
} // namespace

HttpFront::HttpFront(const Options &options, Station &station, RequestLog &log)
    : options(options)
    , station(station)
    , log(log)
{
}

HttpFront::~HttpFront()
{
    stop();
}

int HttpFront::bind(const QString &host, int port, QString &error)
{
    server = std::make_unique<httplib::Server>();
    server->set_tcp_nodelay(true);
    server->set_keep_alive_max_count(100);
    addRoutes(*server);
    const std::string address = host.toStdString();
    if (port == 0)
        boundPort = server->bind_to_any_port(address);
    else
        boundPort = server->bind_to_port(address, port) ? port : -1;
    if (boundPort <= 0) {
        error = QStringLiteral("cannot listen on %1:%2").arg(host).arg(port);
        server.reset();
        boundPort = -1;
    }
    return boundPort;
}

void HttpFront::start()
{
    listenerDone = std::make_shared<std::atomic<bool>>(false);
    listener = std::thread([srv = server.get(), done = listenerDone] {
        srv->listen_after_bind();
        *done = true;
    });
}

void HttpFront::stop()
{
    if (!server)
        return;
    // stop() is ignored until the accept loop runs.
    const auto startDeadline = std::chrono::steady_clock::now() + StartWait;
    while (!server->is_running() && !*listenerDone && std::chrono::steady_clock::now() < startDeadline)
        std::this_thread::sleep_for(StopPoll);
    server->stop();
    // Cut first, so that held requests never get an answer out.
    cutConnections(boundPort);
    {
        std::lock_guard<std::mutex> lock(holdMutex);
        releaseHeld = true;
    }
    holdRelease.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + StopWait;
    while (!*listenerDone && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(StopPoll);
        cutConnections(boundPort);
    }
    if (*listenerDone) {
        listener.join();
        server.reset();
    } else {
        // A worker is stuck in the library; leave it to the end of the process.
        listener.detach();
        (void)server.release();
    }
    std::lock_guard<std::mutex> lock(holdMutex);
    releaseHeld = false;
    restarting = false;
}

bool HttpFront::restartBegun()
{
    std::lock_guard<std::mutex> lock(holdMutex);
    return restarting;
}

bool HttpFront::restartBegins()
{
    std::lock_guard<std::mutex> lock(holdMutex);
    restarting = true;
    holdRelease.notify_all();
    return heldUploads > 0;
}

void HttpFront::addRoutes(httplib::Server &srv)
{
    using namespace httplib;
    srv.set_pre_routing_handler([this](const Request &req, Response &) {
        // A worker serves many requests; a flag left from an answer that never got out must not fire later.
        rebootAfterResponse = false;
        startAfterResponse = false;
        logAfterResponse = QJsonObject();
        if (station.isDown()) {
            goneDown(req);
            return Server::HandlerResponse::Handled;
        }
        // Going down for a restart, the station still takes connections but answers nothing but an upload.
        if (!options.silent && (req.method == "POST" || !restartBegun()))
            return Server::HandlerResponse::Unhandled;
        holdSilently(req);
        return Server::HandlerResponse::Handled;
    });
    srv.set_logger([this](const Request &, const Response &) {
        if (!logAfterResponse.isEmpty()) {
            log.write(logAfterResponse);
            logAfterResponse = QJsonObject();
        }
        if (rebootAfterResponse) {
            rebootAfterResponse = false;
            station.requestReboot();
        }
        if (startAfterResponse) {
            startAfterResponse = false;
            station.startAnswered();
        }
    });
    srv.Get("/getJson.json", [this](const Request &req, Response &res) { handleCommand(req, res); });
    srv.Get("/debug", [this](const Request &req, Response &res) { handleDebug(req, res); });
    srv.Get("/firmware.html", [this](const Request &req, Response &res) { handleFirmwarePage(req, res); });
    srv.Get("/firmwareupg", [this](const Request &req, Response &res) { handleUpgradePage(req, res); });
    srv.Post("/file_upload_base", [this](const Request &req, Response &res, const ContentReader &reader) {
        handleUpload(req, res, reader);
    });
    srv.Get(".*", [this](const Request &req, Response &res) { handleOther(req, res); });
    srv.Post(".*", [this](const Request &req, Response &res) { handleOther(req, res); });
}

QJsonObject HttpFront::logEntry(const httplib::Request &req) const
{
    QJsonObject entry{{QStringLiteral("method"), text(req.method)},
                      {QStringLiteral("target"), text(req.target)},
                      {QStringLiteral("path"), text(req.path)}};
    if (req.has_param("jsonString")) {
        const std::string value = req.get_param_value("jsonString");
        entry.insert(QStringLiteral("jsonString"), text(value));
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(value));
        entry.insert(QStringLiteral("json"), doc.isObject() ? QJsonValue(doc.object())
                                             : doc.isArray() ? QJsonValue(doc.array())
                                                             : QJsonValue());
    }
    return entry;
}

void HttpFront::send(const httplib::Request &req, httplib::Response &res, int status, const QByteArray &body,
                     const char *contentType)
{
    res.status = status;
    const QString path = text(req.path);
    if (options.endless.contains(path)) {
        // The usual body first: a client that keeps everything holds the whole answer, and then more.
        auto head = std::make_shared<QByteArray>(body);
        res.set_header("Connection", "close");
        res.set_content_provider(contentType, [head](size_t offset, httplib::DataSink &sink) {
            static const std::string spaces(EndlessPiece, ' ');
            if (offset < size_t(head->size()))
                return sink.write(head->constData() + offset, size_t(head->size()) - offset);
            return sink.write(spaces.data(), spaces.size());
        });
        return;
    }
    auto data = std::make_shared<QByteArray>(body);
    const bool bomb = options.gzipBomb.contains(path);
    if (bomb) {
        *data = gzipped(body + QByteArray(std::max(0, GzipBombBytes - int(body.size())), ' '));
        res.set_header("Content-Encoding", "gzip");
    }
    const bool drip = options.drip.contains(path);
    const size_t total = size_t(data->size());
    const size_t pieces = drip ? total : std::min(size_t(options.pieces), total);
    // A whole body of a textual type the library compresses by itself for a client that takes it; a body given
    // by a provider goes out as it is.
    if (pieces <= 1 && !bomb) {
        res.set_content(data->constData(), total, contentType);
        return;
    }
    const auto gap = drip ? std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(options.dripSeconds))
                          : std::chrono::milliseconds(options.pieceMs);
    res.set_content_provider(total, contentType,
                             [this, data, pieces, gap, total, localPort = req.local_port,
                              remotePort = req.remote_port](size_t offset, size_t, httplib::DataSink &sink) {
                                 size_t piece = 0;
                                 while ((piece + 1) * total / pieces <= offset)
                                     ++piece;
                                 if (offset > 0 && !pause(gap, localPort, remotePort))
                                     return false;
                                 const size_t end = (piece + 1) * total / pieces;
                                 return sink.write(data->constData() + offset, end - offset);
                             });
}

bool HttpFront::pause(std::chrono::steady_clock::duration length, int localPort, int remotePort)
{
    const auto until = std::chrono::steady_clock::now() + length;
    std::unique_lock<std::mutex> lock(holdMutex);
    for (;;) {
        if (releaseHeld || clientHungUp(localPort, remotePort))
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        holdRelease.wait_until(lock, std::min(until, now + HangUpPoll), [this] { return releaseHeld; });
    }
}

void HttpFront::handleCommand(const httplib::Request &req, httplib::Response &res)
{
    const QJsonObject entry = logEntry(req);
    const QJsonObject command = entry.value(QStringLiteral("json")).toObject();
    const int cmdType = command.value(QStringLiteral("cmdType")).toInt(-1);
    int status = 200;
    QByteArray body;
    if (cmdType == 2) {
        switch (command.value(QStringLiteral("sysParamType")).toInt(-1)) {
        case 6:
            body = StationPages::version(station.version(), options.answerWithoutMac ? QString() : station.mac());
            break;
        case 27:
            body = StationPages::defaultConfiguration();
            break;
        case 28:
            body = StationPages::configuration(station.mac());
            break;
        default:
            status = 400;
            body = StationPages::commandError(QStringLiteral("unknown sysParamType"));
        }
    } else if (cmdType == 1) {
        const int paramId = command.value(QStringLiteral("paramId")).toInt(-1);
        if (paramId == 25) {
            const QString name = command.value(QStringLiteral("paramValue")).toString();
            body = StationPages::upgradeStart(name, station.startUpgrade(name));
            startAfterResponse = true;
        } else if (paramId == 26) {
            bool reboot = false;
            body = StationPages::upgradeStatus(station.poll(reboot));
            if (station.isDown()) {
                goneDown(req);
                return;
            }
            rebootAfterResponse = reboot;
        } else {
            status = 400;
            body = StationPages::commandError(QStringLiteral("unknown paramId"));
        }
    } else {
        status = 400;
        body = StationPages::commandError(QStringLiteral("jsonString is not a command"));
    }
    log.write(entry);
    if (options.notJson)
        send(req, res, statusFor(req, status), StationPages::notJson(body), "text/plain");
    else
        send(req, res, statusFor(req, status), body, JsonType);
}

void HttpFront::handleDebug(const httplib::Request &req, httplib::Response &res)
{
    const bool reboot = req.get_param_value("reboot") == "1";
    log.write(logEntry(req));
    send(req, res, statusFor(req, 200), StationPages::debugPage(reboot), HtmlType);
    rebootAfterResponse = reboot;
}

void HttpFront::handleFirmwarePage(const httplib::Request &req, httplib::Response &res)
{
    if (!station.olderGeneration()) {
        handleOther(req, res);
        return;
    }
    UploadedFile file;
    const bool haveFile = station.hasUpload(file);
    log.write(logEntry(req));
    send(req, res, statusFor(req, 200), StationPages::firmwarePage(haveFile ? &file : nullptr, options.wrongSize),
         HtmlType);
}

void HttpFront::handleUpgradePage(const httplib::Request &req, httplib::Response &res)
{
    if (!station.olderGeneration()) {
        handleOther(req, res);
        return;
    }
    bool reboot = false; // the older generation waits for the updater's reboot request
    const FlashStatus status = station.poll(reboot);
    if (station.isDown()) {
        goneDown(req);
        return;
    }
    log.write(logEntry(req));
    send(req, res, statusFor(req, 200), StationPages::upgradePage(status), HtmlType);
}

void HttpFront::handleUpload(const httplib::Request &req, httplib::Response &res,
                             const httplib::ContentReader &reader)
{
    // From the request's head on the station reports the file as arriving.
    station.uploadBegins();
    UploadedFile file;
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    int parts = 0;
    bool dropped = false;
    const int64_t dropAfter = options.dropUploadAfter;
    // Only the first part is the firmware; the station skips anything after it.
    auto receive = [&](const char *data, size_t length) {
        if (parts > 1)
            return true;
        int64_t take = int64_t(length);
        if (dropAfter >= 0)
            take = std::min(take, dropAfter - file.size);
        sha256.addData(data, int(take));
        file.size += take;
        if (dropAfter >= 0 && file.size >= dropAfter) {
            dropped = true;
            return false;
        }
        return true;
    };
    bool ok = false;
    if (req.is_multipart_form_data()) {
        ok = reader(
            [&](const httplib::MultipartFormData &part) {
                if (++parts == 1) {
                    file.name = text(part.name);
                    file.filename = text(part.filename);
                    file.partContentType = text(part.content_type);
                }
                return true;
            },
            receive);
    } else {
        parts = 1;
        ok = reader(receive);
    }
    const auto lastByte = std::chrono::steady_clock::now();
    file.complete = ok && !dropped && parts > 0;
    station.storeUpload(file);

    QJsonObject entry = logEntry(req);
    entry.insert(QStringLiteral("upload"),
                 QJsonObject{{QStringLiteral("contentType"), text(req.get_header_value("Content-Type"))},
                             {QStringLiteral("name"), file.name},
                             {QStringLiteral("filename"), file.filename},
                             {QStringLiteral("partContentType"), file.partContentType},
                             {QStringLiteral("size"), double(file.size)},
                             {QStringLiteral("sha256"), QString::fromLatin1(sha256.result().toHex())},
                             {QStringLiteral("complete"), file.complete}});
    log.write(entry);
    // Cut only now, so that whoever sees the cut finds the station's state and log already updated.
    if (dropped) {
        cutConnections(req.local_port, req.remote_port);
        return;
    }
    if (options.resetUpload && file.complete) {
        cutConnections(req.local_port, req.remote_port, true);
        return;
    }
    const int status = file.complete ? options.uploadStatus : 400;
    if (options.uploadAnswerDelay >= 0) {
        std::optional<std::chrono::steady_clock::time_point> answerAt;
        if (!std::isinf(options.uploadAnswerDelay))
            answerAt = lastByte + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(options.uploadAnswerDelay));
        if (!holdUntil(answerAt, true)) {
            // No answer: the station closes the connection as its restart begins.
            cutConnections(req.local_port, req.remote_port);
            return;
        }
        logAfterResponse = logEntry(req);
        logAfterResponse.insert(QStringLiteral("answered"), true);
        logAfterResponse.insert(QStringLiteral("status"), status);
    }
    send(req, res, status, StationPages::uploadAnswer(file.complete), HtmlType);
}

void HttpFront::handleOther(const httplib::Request &req, httplib::Response &res)
{
    log.write(logEntry(req));
    send(req, res, statusFor(req, 404), StationPages::notFoundPage(), HtmlType);
}

void HttpFront::goneDown(const httplib::Request &req)
{
    log.write(logEntry(req));
    cutConnections(req.local_port, req.remote_port);
}

void HttpFront::holdSilently(const httplib::Request &req)
{
    log.write(logEntry(req));
    holdUntil(std::nullopt);
}

bool HttpFront::holdUntil(std::optional<std::chrono::steady_clock::time_point> deadline, bool untilRestart)
{
    std::unique_lock<std::mutex> lock(holdMutex);
    const auto released = [this, untilRestart] { return releaseHeld || (untilRestart && restarting); };
    if (untilRestart)
        ++heldUploads;
    const bool reached = deadline ? !holdRelease.wait_until(lock, *deadline, released)
                                  : (holdRelease.wait(lock, released), false);
    if (untilRestart)
        --heldUploads;
    return reached;
}

int HttpFront::statusFor(const httplib::Request &req, int usual) const
{
    return options.status != 0 && req.method == "GET" ? options.status : usual;
}
