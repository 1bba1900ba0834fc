#include "mainwindow.h"

#include "clickingbuttonaccessible.h"
#include "desktoplanguage.h"
#include "discovery.h"
#include "discoverydatagram.h"
#include "ipbasectrl.h"
#include "stylesheets.h"
#include "ui_mainwindow.h"
#include "updaterun.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QJsonDocument>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// Debug mode opens on the click after this many clicks on the owl.
constexpr int debugClickThreshold = 4;
constexpr int helpBoxMinWidth = 1000;

void applyStyleSheet(std::initializer_list<QWidget *> widgets, const char *sheet)
{
    for (QWidget *widget : widgets)
        widget->setStyleSheet(QString::fromLatin1(sheet));
}

void setAllVisible(std::initializer_list<QWidget *> widgets, bool visible)
{
    for (QWidget *widget : widgets)
        widget->setVisible(visible);
}

// What QMessageBox::critical shows, but never read as markup: the texts carry a station's address from its
// acknowledgement, or a file name that debug mode lets the user pick freely.
void showCritical(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // The static helper makes the accept button the default when it is given none.
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    // Before the form exists: Qt keeps the first accessible interface it makes for a widget.
    QAccessible::installFactory(&ClickingButtonAccessible::create);
    ui->setupUi(this);
    QMainWindow::setStyleSheet(QString::fromLatin1(StyleSheets::window));
    releaseDate = QStringLiteral("2021-01-26");
    ui->mainToolBar->hide();
    setWindowTitle(QStringLiteral("Velmora Updater ") + releaseDate);
    ui->lineEditFirmware->setText(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                  + QLatin1String(UpdateRun::deliveredImage));

    QFont font = ui->pushButtonBrowse->font();
    font.setPointSize(12);
    QApplication::setFont(font);
    font.setPointSize(16);
    ui->labelWarning->setFont(font);

    ui->labelWarning->setWordWrap(true);
    ui->labelStatus->setWordWrap(true);
    ui->labelFound->setWordWrap(true);

    run = new UpdateRun(this);
    run->setImage(ui->lineEditFirmware->text());

    applyStyleSheet({ui->pushButtonEN, ui->pushButtonNL, ui->pushButtonBrowse, ui->pushButtonUpdate,
                   ui->pushButtonDevSearch, ui->pushButtonDefaultCfg, ui->pushButtonInfo},
                  StyleSheets::button);
    applyStyleSheet({ui->comboBoxIp}, StyleSheets::addressBox);
    applyStyleSheet({ui->labelMacAddr, ui->labelDeviceStatus, ui->labelModFwVersion}, StyleSheets::valueLabel);
    applyStyleSheet({ui->progressBar, ui->progressBarTotal}, StyleSheets::progressBar);
    applyStyleSheet({ui->pushButtonOwl}, StyleSheets::owlButton);
    applyStyleSheet({ui->labelMacId, ui->labelSwVer, ui->labelIpAd, ui->labelFw, ui->labelModClose, ui->labelProg,
                   ui->labelWarning, ui->labelStatus},
                  StyleSheets::captionLabel);
    applyStyleSheet({ui->statusBar}, StyleSheets::statusBar);

    // Version, MAC and status texts come from the network: never let a label read them as rich text.
    for (QLabel *label : {ui->labelMacAddr, ui->labelDeviceStatus, ui->labelStatus})
        label->setTextFormat(Qt::PlainText);

    ui->labelModClose->setWordWrap(true);

    setAllVisible({ui->labelModFwVersion, ui->pushButtonDefaultCfg, ui->pushButtonBrowse, ui->lineEditFirmware,
                ui->labelFw, ui->checkBoxNoReboot, ui->labelAddressHint},
               false);

    ui->buttonGroupLang->setId(ui->pushButtonEN, 0);
    ui->buttonGroupLang->setId(ui->pushButtonNL, 1);

    showDeviceInfo(false);
    showModuleCheck(false);
    checkModule(false);

    Discovery *discovery = run->discovery();
    connect(ui->pushButtonBrowse, &QPushButton::clicked, this, &MainWindow::fileBrowse);
    connect(ui->pushButtonUpdate, &QPushButton::clicked, this, &MainWindow::updateFirmware);
    connect(ui->pushButtonDevSearch, &QPushButton::clicked, discovery, &Discovery::start);
    connect(ui->pushButtonDefaultCfg, &QPushButton::clicked, this, &MainWindow::setDefaultConfig);
    connect(ui->checkBoxModClose, &QCheckBox::clicked, this, &MainWindow::checkModule);
    connect(ui->pushButtonInfo, &QPushButton::clicked, this, &MainWindow::showInfo);
    connect(ui->pushButtonOwl, &QPushButton::clicked, this, &MainWindow::enableCustom);
    connect(ui->buttonGroupLang, &QButtonGroup::idClicked, this, &MainWindow::switchLang);
    connect(discovery, &Discovery::discoverReady, this, &MainWindow::discoverReady);
    connect(run, &UpdateRun::statusText, this, &MainWindow::statusUpd);
    connect(run, &UpdateRun::progress, this, &MainWindow::progressUpd);
    connect(run, &UpdateRun::stationVersion, this, &MainWindow::stationVersion);
    connect(run, &UpdateRun::stationMac, this, &MainWindow::stationMac);
    connect(run, &UpdateRun::versionDecided, this, &MainWindow::versionDecided);
    connect(discovery, &Discovery::nothingFound, this, &MainWindow::noStationFound);
    connect(run, &UpdateRun::controlsEnabled, this, &MainWindow::enableControls);
    connect(run, &UpdateRun::confirmationWithdrawn, this, [this] { showModuleCheck(false); });
    connect(run, &UpdateRun::addressFollowed, this, &MainWindow::addressFollowed);
    connect(run, &UpdateRun::failed, this, &MainWindow::runFailed);
    // The owner's choices: each tick of the run reads them.
    connect(ui->comboBoxIp, &QComboBox::currentTextChanged, this, &MainWindow::addressEdited);
    connect(ui->lineEditFirmware, &QLineEdit::textChanged, run, &UpdateRun::setImage);
    connect(ui->checkBoxNoReboot, &QCheckBox::toggled, run, [this](bool noReboot) { run->setPreReboot(!noReboot); });

    debugClicks = 0;

    // The desktop's language, Dutch or English.
    const int language = desktopLanguage() == QLatin1String("nl") ? 1 : 0;
    ui->buttonGroupLang->button(language)->setChecked(true);
    switchLang(language);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::fileBrowse()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Select Firmware File"));
    if (path.isEmpty())
        return;
    ui->lineEditFirmware->setText(QDir(QStringLiteral(".")).relativeFilePath(path));
}

void MainWindow::discoverReady(QVector<QString> units)
{
    // The run's own search looks for the station being updated; the list stays.
    if (run->discovery()->isQuiet())
        return;
    showDeviceInfo(true);
    QString mac;
    QStringList addresses;
    for (const QString &unit : units) {
        qDebug() << "unitlist IP=" << unit;
        const QString address = unitTextAddress(unit);
        if (!isDottedIpv4(address)) {
            qDebug() << "unit skipped, its address is not a dotted IPv4 address:" << unit;
            continue;
        }
        mac = unitTextMac(unit);
        addresses << address;
    }
    if (!addresses.isEmpty()) {
        addressEntry = false;
        ui->comboBoxIp->clear();
        ui->comboBoxIp->addItems(addresses);
        ui->comboBoxIp->setCurrentIndex(0);
    }
    run->askVersion();
    ui->labelMacAddr->setText(mac);
}

void MainWindow::noStationFound()
{
    // The run's own search: the run's details keep its outcome.
    if (run->discovery()->isQuiet())
        return;
    auto *box = new QMessageBox(QMessageBox::Information, tr("Velmora BaseStation"),
                                UpdateRun::nothingFoundText() + QLatin1String("\n\n")
                                    + tr("Then press \"%1\" again.").arg(ui->pushButtonDevSearch->text()),
                                QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    // The owner may want to copy a command out of it.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setDefaultButton(QMessageBox::Ok);
    // A firewall that drops the answers to the search lets the window's own requests through: an owner who knows
    // the address (the router lists it) can go on without a search.
    QPushButton *enter = box->addButton(tr("Enter the address…"), QMessageBox::ActionRole);
    connect(enter, &QPushButton::clicked, this, &MainWindow::enterAddress);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::enterAddress()
{
    addressEntry = true;
    showDeviceInfo(true);
    showAddressHint();
    ui->comboBoxIp->setFocus();
    ui->comboBoxIp->lineEdit()->selectAll();
}

void MainWindow::addressEdited(QString text)
{
    run->setAddress(addressAccepted() ? text : QString());
    showAddressHint();
}

void MainWindow::updateFirmware()
{
    const UpdateRun::Request request =
        addressAccepted() ? run->requestUpdate() : UpdateRun::Request::StationNotAnswered;
    switch (request) {
    case UpdateRun::Request::StationNotAnswered:
        showCritical(tr("Velmora BaseStation"),
                     tr("The basestation %1 could not be reached").arg(ui->comboBoxIp->currentText()));
        break;
    case UpdateRun::Request::ImageMissing:
        showCritical(tr("Velmora Firmware File"), tr("The firmware file %1 was not found").arg(run->image()));
        break;
    case UpdateRun::Request::Taken:
        break;
    }
}

void MainWindow::btnTest()
{
    run->controller()->requestFwUpgStatus(run->address());
}

void MainWindow::setDefaultConfig()
{
    run->controller()->requestSetDefaultConfig(run->address());
}

void MainWindow::checkModule(bool en)
{
    setAllVisible({ui->pushButtonUpdate, ui->labelProg, ui->progressBar, ui->progressBarTotal, ui->labelStatus}, en);
}

void MainWindow::showInfo()
{
    QMessageBox box;
    box.setWindowTitle(tr("Velmora Updater Help"));
    box.setText(tr("Information Text Placeholder"));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setIcon(QMessageBox::Information);
    box.setStyleSheet(QString::fromLatin1(StyleSheets::captionLabel));
    // A message box sizes itself to its text; a wide empty row gives the help text room to breathe.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        grid->addItem(new QSpacerItem(helpBoxMinWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

void MainWindow::statusUpd(QString txt)
{
    ui->statusBar->showMessage(txt);
}

void MainWindow::cfgJsonUpd(QByteArray data)
{
    // A slot nothing is connected to: it parses what it is given and keeps none of it.
    const QJsonDocument config = QJsonDocument::fromJson(data);
    Q_UNUSED(config)
}

void MainWindow::progressUpd(int p, int q, QString label)
{
    ui->progressBar->setValue(p);
    ui->progressBarTotal->setValue(p + 100 * q);
    ui->labelStatus->setText(UpdateRun::stepText(label, q));
}

void MainWindow::stationVersion(QString version)
{
    ui->labelDeviceStatus->setText(version);
}

void MainWindow::stationMac(QString mac)
{
    ui->labelMacAddr->setText(mac);
}

void MainWindow::versionDecided(bool upToDate)
{
    if (upToDate)
        ui->labelWarning->setText(tr("This Velmora is up to date"));
    else
        showModuleCheck(true);
}

void MainWindow::enableCustom()
{
    if (run->state() == UpdateRun::Idle)
        ++debugClicks;
    if (debugClicks <= debugClickThreshold)
        return;
    showDeviceInfo(true);
    showModuleCheck(true);
    setAllVisible({ui->pushButtonDefaultCfg, ui->pushButtonBrowse, ui->lineEditFirmware, ui->labelFw,
                ui->checkBoxNoReboot},
               true);
    ui->labelWarning->setText(QStringLiteral("You have entered debug mode. Hope you know what you are doing. "
                                             "Otherwise restart application please."));
    addressEdited(ui->comboBoxIp->currentText());
}

void MainWindow::switchLang(int id)
{
    const QString code = id == 0 ? QStringLiteral("en") : QStringLiteral("nl");
    const QString catalog = QStringLiteral("vmfwupd_") + code;
    // A catalog that does not load leaves the translator empty: the source texts show.
    if (!translator.load(catalog, QStringLiteral(":/")))
        qDebug() << "Catalog not loaded" << catalog;
    QCoreApplication::installTranslator(&translator);
    ui->retranslateUi(this);
    qDebug() << "Selected Lang" << id << " file " << catalog;
    setWindowTitle(windowTitle() + QLatin1Char(' ') + releaseDate);
    showAddressHint();
}

void MainWindow::showDeviceInfo(bool visible)
{
    setAllVisible({ui->labelMacId, ui->labelIpAd, ui->labelSwVer, ui->labelMacAddr, ui->labelDeviceStatus,
                ui->comboBoxIp},
               visible);
}

bool MainWindow::debugMode() const
{
    return debugClicks > debugClickThreshold;
}

bool MainWindow::addressAccepted() const
{
    const QString text = ui->comboBoxIp->currentText();
    return debugMode() || text.isEmpty() || isDottedIpv4(text);
}

void MainWindow::showAddressHint()
{
    const bool accepted = addressAccepted();
    const bool shown = addressEntry || !accepted;
    ui->labelAddressHint->setText(accepted
                                      ? tr("The address is in your router's list of devices, for example 192.168.1.20")
                                      : tr("That is not an address of the form 192.168.1.20"));
    ui->labelAddressHint->setVisible(shown);
    // Read out with the address box, which is where the keyboard is.
    ui->comboBoxIp->setAccessibleDescription(shown ? ui->labelAddressHint->text()
                                                   : tr("Address of the base station to update"));
}

void MainWindow::showModuleCheck(bool visible)
{
    setAllVisible({ui->labelModClose, ui->checkBoxModClose}, visible);
    if (!visible) {
        ui->checkBoxModClose->setChecked(false);
        checkModule(false);
    }
}

void MainWindow::enableControls(bool enable)
{
    const std::initializer_list<QWidget *> controls = {ui->pushButtonBrowse, ui->pushButtonDevSearch,
                                                       ui->pushButtonDefaultCfg, ui->pushButtonUpdate,
                                                       ui->lineEditFirmware, ui->comboBoxIp, ui->checkBoxNoReboot,
                                                       ui->checkBoxModClose};
    for (QWidget *control : controls)
        control->setEnabled(enable);
    ui->labelWarning->setText(enable ? QString() : tr("Upgrade in Progress. Do not power off the base station!"));
}

void MainWindow::addressFollowed(QString address, QString from)
{
    const int index = ui->comboBoxIp->currentIndex();
    if (index >= 0 && ui->comboBoxIp->itemText(index) == from)
        ui->comboBoxIp->setItemText(index, address);
    else
        ui->comboBoxIp->setEditText(address);
}

void MainWindow::runFailed(QString message, QString advice, QString details)
{
    // An error the station reported stands in the status line alone.
    if (advice.isEmpty())
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Velmora Firmware Update"),
                                message + QLatin1String("\n\n") + advice, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    // Qt shows it as plain, selectable text behind "Show Details...": for whoever helps the owner.
    box->setDetailedText(details);
    box->setDefaultButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Not exec(): no tick may run inside the one that ends the run, and the window goes on asking for the version.
    box->open();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (run->inProgress()) {
        QMessageBox box(QMessageBox::Warning, tr("Velmora Firmware Update"),
                        tr("The update is still in progress. Closing the updater now can leave the base station "
                           "without working firmware.")
                            + QLatin1String("\n\n") + tr("Close anyway?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(tr("&Yes"));
        box.button(QMessageBox::No)->setText(tr("&No"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        run->leave(QStringLiteral("the window was closed"));
    }
    QMainWindow::closeEvent(event);
}
