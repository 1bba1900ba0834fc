#include "autopilot.h"

#include "statuswatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

#include <cstdio>

namespace {

constexpr int lookIntervalMs = 100;
// Layout requests and repaints are posted events: give them time to land before the screen is read.
constexpr int paintSettleMs = 400;

// The window's texts in the language it shows.
QString upToDate()
{
    return QCoreApplication::translate("MainWindow", "This Velmora is up to date");
}

QString successText()
{
    return QCoreApplication::translate("MainWindow", "Success, all done");
}

// Every line carries the seconds since the autopilot started, so that a run can be timed from its output.
void say(const QString &line)
{
    static QElapsedTimer sinceStart;
    if (!sinceStart.isValid())
        sinceStart.start();
    std::printf("%7.1f s  %s\n", double(sinceStart.elapsed()) / 1000.0, line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// The step number n of a label text ending in "(n/7)", 0 for any other text.
int stepOf(const QString &text)
{
    static const QRegularExpression suffix(QStringLiteral("\\((\\d)/7\\)$"));
    const QRegularExpressionMatch match = suffix.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

Autopilot::Autopilot(QMainWindow *window, const QString &screenshotDir, int timeLimitSeconds)
    : QObject(window)
    , window(window)
    , watcher(new StatusWatcher(window))
    , screenshotDir(screenshotDir)
    , timeLimitSeconds(timeLimitSeconds)
{
    connect(watcher, &StatusWatcher::stepTextChanged, this, &Autopilot::takeStepText);
    connect(watcher, &StatusWatcher::messageShown, this, &Autopilot::takeMessage);
    lookTimer.setInterval(lookIntervalMs);
    connect(&lookTimer, &QTimer::timeout, this, &Autopilot::look);
    deadline.setSingleShot(true);
    deadline.setInterval(timeLimitSeconds * 1000);
    connect(&deadline, &QTimer::timeout, this, [this] {
        const QString reason = QStringLiteral("no complete update within %1 s (stuck at: %2)")
                                   .arg(this->timeLimitSeconds)
                                   .arg(stageName());
        stage = Stage::Over;
        shoot(QStringLiteral("timeout"), [this, reason] { fail(reason); });
    });
}

template<class T>
T *Autopilot::widget(const char *objectName) const
{
    T *found = window->findChild<T *>(QString::fromLatin1(objectName));
    Q_ASSERT(found);
    return found;
}

void Autopilot::start()
{
    clock.start();
    deadline.start();
    lookTimer.start();
}

void Autopilot::look()
{
    closeMessageBox();
    switch (stage) {
    case Stage::WaitingForWindow:
        if (window->windowHandle() && window->windowHandle()->isExposed()) {
            stage = Stage::Searching;
            say(QStringLiteral("autopilot: pressing \"Find my Velmora\""));
            widget<QPushButton>("pushButtonDevSearch")->click();
        }
        break;
    case Stage::Searching: {
        const QString version = widget<QLabel>("labelDeviceStatus")->text();
        if (version.isEmpty())
            break;
        if (widget<QLabel>("labelWarning")->text() == upToDate()) {
            fail(QStringLiteral("the station already runs the delivered version (%1): nothing to update").arg(version));
            break;
        }
        if (!widget<QCheckBox>("checkBoxModClose")->isVisible())
            break;
        stage = Stage::Found;
        say(QStringLiteral("autopilot: found the station at %1: MAC %2, version %3")
                .arg(widget<QComboBox>("comboBoxIp")->currentText(),
                     widget<QLabel>("labelMacAddr")->text(), version));
        shoot(QStringLiteral("1-station-found"), [this] {
            say(QStringLiteral("autopilot: confirming that the bracelet is on its charger"));
            widget<QCheckBox>("checkBoxModClose")->click();
        });
        break;
    }
    case Stage::Found:
        if (!widget<QPushButton>("pushButtonUpdate")->isVisible())
            break;
        stage = Stage::Offered;
        shoot(QStringLiteral("2-update-offered"), [this] {
            say(QStringLiteral("autopilot: pressing \"Update Firmware\""));
            stage = Stage::Updating;
            widget<QPushButton>("pushButtonUpdate")->click();
        });
        break;
    case Stage::Restarted:
        if (widget<QLabel>("labelWarning")->text() != upToDate())
            break;
        stage = Stage::Over;
        say(QStringLiteral("autopilot: the station now runs %1").arg(widget<QLabel>("labelDeviceStatus")->text()));
        shoot(QStringLiteral("5-success"), [this] { succeed(); });
        break;
    case Stage::Offered:
    case Stage::Updating:
    case Stage::Over:
        break;
    }
}

void Autopilot::takeStepText(const QString &text)
{
    say(QStringLiteral("status: %1").arg(text));
    if (stage != Stage::Updating)
        return;
    const int step = stepOf(text);
    if (step == 7 && searchWhileRestarting && !searchPressed) {
        searchPressed = true;
        sayControls(QStringLiteral("while the station restarts"));
        say(QStringLiteral("autopilot: pressing \"Find my Velmora\""));
        widget<QPushButton>("pushButtonDevSearch")->click();
    }
    if (step == 2 && !uploadShot) {
        uploadShot = true;
        shoot(QStringLiteral("3-uploading"));
    } else if (step >= 3 && step <= 6 && !flashingShot) {
        flashingShot = true;
        shoot(QStringLiteral("4-flashing"));
    }
}

void Autopilot::takeMessage(const QString &text)
{
    say(QStringLiteral("message: %1").arg(text));
    if (stage == Stage::Over)
        return;
    if (text.contains(QLatin1String("Error"))
        || text == QCoreApplication::translate("IpBaseCtrl", "Upload Error occurred. Pls Try Again")) {
        stage = Stage::Over;
        shoot(QStringLiteral("error"), [this, text] { fail(QStringLiteral("the window reports: %1").arg(text)); });
    } else if (text == successText() && stage == Stage::Updating) {
        stage = Stage::Restarted;
        if (searchPressed)
            sayControls(QStringLiteral("with the success"));
        say(QStringLiteral("autopilot: waiting for the restarted station to report its new version"));
    }
}

void Autopilot::closeMessageBox()
{
    QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || boxSeen || enterAddress(box))
        return;
    // A box ends the autopilot's run: what it says, and what it keeps behind "Show Details...", is printed and
    // shown in a screenshot before it is closed.
    boxSeen = true;
    const QString text = box->text();
    say(QStringLiteral("message box: %1").arg(text));
    if (!box->detailedText().isEmpty())
        say(QStringLiteral("its details:\n%1").arg(box->detailedText()));
    const bool expected = stage == Stage::Over;
    stage = Stage::Over;
    shoot(QStringLiteral("message-box"), [this, box, text, expected] {
        if (box)
            box->done(QMessageBox::Ok);
        if (!expected)
            fail(QStringLiteral("the window showed a message box: %1").arg(text));
    });
}

bool Autopilot::enterAddress(QMessageBox *box)
{
    if (stage != Stage::Searching || typedAddress.isEmpty())
        return false;
    const QList<QAbstractButton *> buttons = box->buttons();
    const auto enter = std::find_if(buttons.cbegin(), buttons.cend(), [](const QAbstractButton *button) {
        return button->text() == QCoreApplication::translate("MainWindow", "Enter the address…");
    });
    if (enter == buttons.cend())
        return false;
    say(QStringLiteral("message box: %1").arg(box->text()));
    say(QStringLiteral("autopilot: pressing \"%1\" and typing %2").arg((*enter)->text(), typedAddress));
    (*enter)->click();
    if (auto *line = widget<QComboBox>("comboBoxIp")->lineEdit())
        line->insert(typedAddress);
    shoot(QStringLiteral("0-address-typed"));
    return true;
}

void Autopilot::sayControls(const QString &when)
{
    const auto state = [this](const char *name) {
        return widget<QWidget>(name)->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled");
    };
    say(QStringLiteral("autopilot: %1: \"Find my Velmora\" %2, address box %3, \"Update Firmware\" %4")
            .arg(when, state("pushButtonDevSearch"), state("comboBoxIp"), state("pushButtonUpdate")));
}

void Autopilot::shoot(const QString &name, const std::function<void()> &then)
{
    QTimer::singleShot(paintSettleMs, this, [this, name, then] {
        window->repaint();
        const QString path = QDir(screenshotDir).filePath(name + QStringLiteral(".png"));
        QScreen *screen = window->screen();
        const QPixmap shot = screen ? screen->grabWindow(window->winId()) : QPixmap();
        if (shot.isNull() || !shot.save(path)) {
            say(QStringLiteral("autopilot: could not save the screenshot %1").arg(path));
        } else {
            saved << path;
            say(QStringLiteral("autopilot: screenshot %1 (%2x%3)").arg(path).arg(shot.width()).arg(shot.height()));
        }
        if (then)
            then();
    });
}

void Autopilot::fail(const QString &reason)
{
    if (done)
        return;
    done = true;
    lookTimer.stop();
    deadline.stop();
    stage = Stage::Over;
    say(QStringLiteral("autopilot: FAILED after %1 s: %2").arg(clock.elapsed() / 1000).arg(reason));
    emit finished(1);
}

void Autopilot::succeed()
{
    if (done)
        return;
    done = true;
    lookTimer.stop();
    deadline.stop();
    say(QStringLiteral("autopilot: update complete in %1 s").arg(clock.elapsed() / 1000));
    emit finished(0);
}

QString Autopilot::stageName() const
{
    switch (stage) {
    case Stage::WaitingForWindow:
        return QStringLiteral("waiting for the window to appear");
    case Stage::Searching:
        return QStringLiteral("searching for the station");
    case Stage::Found:
        return QStringLiteral("station found, update not offered");
    case Stage::Offered:
        return QStringLiteral("update offered");
    case Stage::Updating:
        return QStringLiteral("update running, last status: \"%1\"")
            .arg(watcher->stepTexts().isEmpty() ? QString() : watcher->stepTexts().constLast());
    case Stage::Restarted:
        return QStringLiteral("updated, waiting for the new version");
    case Stage::Over:
        return QStringLiteral("finished");
    }
    return QString();
}
