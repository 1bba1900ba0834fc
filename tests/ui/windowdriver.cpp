#include "windowdriver.h"

#include "discovery.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int debugClicksNeeded = 5;

} // namespace

WindowDriver::WindowDriver()
{
    attach(mainWindow.findChild<UpdateRun *>());
    mainWindow.show();
}

QString WindowDriver::statusBarText() const
{
    return find<QStatusBar>("statusBar")->currentMessage();
}

QString WindowDriver::stepText() const
{
    return find<QLabel>("labelStatus")->text();
}

int WindowDriver::barValue() const
{
    return find<QProgressBar>("progressBar")->value();
}

int WindowDriver::totalValue() const
{
    return find<QProgressBar>("progressBarTotal")->value();
}

QString WindowDriver::warningText() const
{
    return find<QLabel>("labelWarning")->text();
}

QString WindowDriver::versionText() const
{
    return find<QLabel>("labelDeviceStatus")->text();
}

QString WindowDriver::addressText() const
{
    return find<QComboBox>("comboBoxIp")->currentText();
}

bool WindowDriver::controlsEnabled() const
{
    for (const char *name : {"pushButtonBrowse", "pushButtonDevSearch", "pushButtonDefaultCfg", "pushButtonUpdate",
                             "lineEditFirmware", "comboBoxIp", "checkBoxNoReboot", "checkBoxModClose"}) {
        if (!find<QWidget>(name)->isEnabled())
            return false;
    }
    return true;
}

bool WindowDriver::confirmationOffered() const
{
    return find<QCheckBox>("checkBoxModClose")->isVisible();
}

QMessageBox *WindowDriver::endBox() const
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

QString WindowDriver::boxText() const
{
    return endBox() ? endBox()->text() : QString();
}

QString WindowDriver::boxDetails() const
{
    return endBox() ? endBox()->detailedText() : QString();
}

void WindowDriver::closeBox()
{
    if (QMessageBox *box = endBox())
        box->done(QMessageBox::Ok);
}

void WindowDriver::clickOwl(int times)
{
    auto *owl = find<QPushButton>("pushButtonOwl");
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(owl, Qt::LeftButton);
}

QStringList WindowDriver::alertParts(QWidget *box)
{
    QStringList parts;
    const QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(box);
    if (!alert || alert->role() != QAccessible::AlertMessage)
        return parts;
    for (int i = 0; i < alert->childCount(); ++i)
        parts << alert->child(i)->text(QAccessible::Name);
    return parts;
}

void WindowDriver::offerStation(const QString &address, const QString &mac)
{
    offerStations({unitText(mac, address)});
}

void WindowDriver::offerStations(const QVector<QString> &units)
{
    // As the search hands them over: to the run first, which keeps their MACs, then to the window.
    emit run()->discovery()->discoverReady(units);
}

bool WindowDriver::typeAddress(const QString &address)
{
    emit run()->discovery()->nothingFound();
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    const QList<QAbstractButton *> buttons = box ? box->buttons() : QList<QAbstractButton *>();
    const auto enter = std::find_if(buttons.cbegin(), buttons.cend(), [](const QAbstractButton *button) {
        return button->text() == QCoreApplication::translate("MainWindow", "Enter the address…");
    });
    if (enter == buttons.cend())
        return false;
    QTest::mouseClick(*enter, Qt::LeftButton);
    QTest::keyClicks(find<QComboBox>("comboBoxIp")->lineEdit(), address);
    return true;
}

void WindowDriver::switchLanguage(const QString &code)
{
    QTest::mouseClick(find<QPushButton>(qPrintable(QStringLiteral("pushButton") + code.toUpper())), Qt::LeftButton);
}

void WindowDriver::chooseImage(const QString &path)
{
    auto *image = find<QLineEdit>("lineEditFirmware");
    if (image->text() == path)
        return;
    if (!image->isVisible())
        clickOwl(debugClicksNeeded);
    image->setText(path);
}

void WindowDriver::setNoReboot(bool noReboot)
{
    auto *box = find<QCheckBox>("checkBoxNoReboot");
    if (box->isChecked() == noReboot)
        return;
    if (!box->isVisible())
        clickOwl(debugClicksNeeded);
    box->setChecked(noReboot);
}

bool WindowDriver::startUpdate()
{
    auto *confirm = find<QCheckBox>("checkBoxModClose");
    QTest::mouseClick(confirm, Qt::LeftButton, {}, QPoint(confirm->width() - 8, confirm->height() / 2));
    QTest::mouseClick(find<QPushButton>("pushButtonUpdate"), Qt::LeftButton);
    return confirm->isChecked();
}

void WindowDriver::closeNextMessageBox(MessageBoxSeen *seen, Close how)
{
    auto *watcher = new QTimer;
    watcher->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(watcher, &QTimer::timeout, watcher, [watcher, seen, tries, how] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        // A key goes where the focus is: the box is shown a little before it has the focus.
        const bool ready = box && (how == Done || box->isAncestorOf(QApplication::focusWidget()));
        if (!ready && ++*tries < 500)
            return;
        watcher->deleteLater();
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->textFormat = box->textFormat();
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *button : buttons)
            seen->buttons << button->text();
        seen->defaultButtonSet = box->defaultButton() != nullptr;
        seen->layoutMinimumWidth = box->layout() ? box->layout()->minimumSize().width() : 0;
        if (how == PressEnter && ready) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            seen->closedByEnter = !box->isVisible();
        }
        if (box->isVisible())
            box->done(how == AnswerYes ? QMessageBox::Yes : QMessageBox::Ok);
    });
    watcher->start();
}
