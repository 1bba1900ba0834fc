#pragma once

#include <QString>

class IpBaseCtrl;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class UpdateRun;

// Steps one UpdateRun in a test with its timer stopped: the test calls each tick itself and waits for the
// station's answers in between, so a whole run takes seconds, not minutes.
class RunTicker
{
public:
    RunTicker();
    ~RunTicker();
    RunTicker(const RunTicker &) = delete;
    RunTicker &operator=(const RunTicker &) = delete;

    UpdateRun *run() const { return updateRun; }
    IpBaseCtrl *controller() const;
    // Stopped from the start; a test that wants the run's own pace starts it.
    QTimer *workflowTimer() const;

    enum Wait { Settle, NoSettle };
    // One workflow tick; by default then waits (bounded) for the answers to its requests (see settle).
    bool tick(Wait wait = Settle);
    // Waits until every request of the controller has been answered or has failed, an upload only until its
    // whole body has left: the run never reads the station's answer to it, which may come much later.
    bool settle(int timeoutMs = 10000);

    // The workflow state the last tick reported in its debug line; -1 before the first tick.
    int state() const;
    // The four request flags of the last tick's debug line, e.g. "startUpg false checkUpl true ...".
    QString requestFlags() const;

    // What a station's answer to the search carries: its MAC and, from character 49 on, its address.
    static QString unitText(const QString &mac, const QString &address);

protected:
    // The run to step, which the derived driver owns; its timer stops here.
    void attach(UpdateRun *run);

private:
    QNetworkAccessManager *manager() const;
    static bool bodySent(QNetworkReply *reply);

    UpdateRun *updateRun = nullptr;
};
