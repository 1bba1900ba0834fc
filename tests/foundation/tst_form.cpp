#include "ui_mainwindow.h"

#include <QtTest>

// The form as built by setupUi alone, before the window's constructor styles and hides anything.
class tst_Form : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void widgetPlacement_data();
    void widgetPlacement();
    void creationOrder();
    void sizeLimits_data();
    void sizeLimits();
    void texts_data();
    void texts();
    void textsSurviveRetranslate();
    void languageGroupIsExclusive();
    void progressRanges();
    void owlButton();

private:
    // Row, column and the layout that holds the item in the grid cell: the grid itself or a nested box.
    struct Cell {
        int row = -1;
        int column = -1;
        QString layout;
    };
    Cell cellOf(QLayoutItem *item) const;
    Cell cellOf(const QString &objectName) const;

    QMainWindow *window = nullptr;
    Ui_MainWindow *ui = nullptr;
};

void tst_Form::init()
{
    window = new QMainWindow;
    ui = new Ui_MainWindow;
    ui->setupUi(window);
}

void tst_Form::cleanup()
{
    delete ui;
    delete window;
}

tst_Form::Cell tst_Form::cellOf(QLayoutItem *item) const
{
    Cell cell;
    const int index = ui->gridLayout->indexOf(item);
    if (index < 0)
        return cell;
    int rowSpan = 0;
    int columnSpan = 0;
    ui->gridLayout->getItemPosition(index, &cell.row, &cell.column, &rowSpan, &columnSpan);
    if (rowSpan != 1 || columnSpan != 1)
        cell.row = cell.column = -2;
    return cell;
}

tst_Form::Cell tst_Form::cellOf(const QString &objectName) const
{
    auto *widget = window->findChild<QWidget *>(objectName);
    if (!widget)
        return {};
    const int direct = ui->gridLayout->indexOf(widget);
    if (direct >= 0) {
        Cell cell = cellOf(ui->gridLayout->itemAt(direct));
        cell.layout = ui->gridLayout->objectName();
        return cell;
    }
    for (QBoxLayout *box :
         std::initializer_list<QBoxLayout *>{ui->horizontalLayout, ui->horizontalLayout_2, ui->horizontalLayout_3}) {
        if (box->indexOf(widget) >= 0) {
            Cell cell = cellOf(box);
            cell.layout = box->objectName();
            return cell;
        }
    }
    return {};
}

void tst_Form::widgetPlacement_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("layout");

    const QString grid = QStringLiteral("gridLayout");
    const QString languages = QStringLiteral("horizontalLayout");
    const QString version = QStringLiteral("horizontalLayout_3");
    QTest::newRow("pushButtonEN") << "QPushButton" << 0 << 0 << languages;
    QTest::newRow("pushButtonNL") << "QPushButton" << 0 << 0 << languages;
    QTest::newRow("pushButtonDevSearch") << "QPushButton" << 0 << 1 << grid;
    QTest::newRow("pushButtonInfo") << "QPushButton" << 0 << 2 << grid;
    QTest::newRow("label") << "QLabel" << 1 << 0 << grid;
    QTest::newRow("labelFound") << "QLabel" << 1 << 1 << grid;
    QTest::newRow("labelMacId") << "QLabel" << 2 << 0 << grid;
    QTest::newRow("labelMacAddr") << "QLabel" << 2 << 1 << grid;
    QTest::newRow("labelSwVer") << "QLabel" << 3 << 0 << grid;
    QTest::newRow("labelDeviceStatus") << "QLabel" << 3 << 1 << version;
    QTest::newRow("labelModFwVersion") << "QLabel" << 3 << 1 << version;
    QTest::newRow("labelIpAd") << "QLabel" << 4 << 0 << grid;
    QTest::newRow("labelAddressHint") << "QLabel" << 5 << 1 << "horizontalLayout_2";
    QTest::newRow("comboBoxIp") << "QComboBox" << 4 << 1 << grid;
    QTest::newRow("labelFw") << "QLabel" << 6 << 0 << grid;
    QTest::newRow("lineEditFirmware") << "QLineEdit" << 6 << 1 << grid;
    QTest::newRow("pushButtonBrowse") << "QPushButton" << 6 << 2 << grid;
    QTest::newRow("checkBoxModClose") << "QCheckBox" << 7 << 0 << grid;
    QTest::newRow("labelModClose") << "QLabel" << 7 << 1 << grid;
    QTest::newRow("pushButtonUpdate") << "QPushButton" << 8 << 1 << grid;
    QTest::newRow("checkBoxNoReboot") << "QCheckBox" << 8 << 2 << grid;
    QTest::newRow("pushButtonDefaultCfg") << "QPushButton" << 9 << 1 << grid;
    QTest::newRow("labelProg") << "QLabel" << 11 << 0 << grid;
    QTest::newRow("progressBar") << "QProgressBar" << 11 << 1 << grid;
    QTest::newRow("progressBarTotal") << "QProgressBar" << 12 << 1 << grid;
    QTest::newRow("labelStatus") << "QLabel" << 13 << 1 << grid;
    QTest::newRow("label_5") << "QLabel" << 14 << 1 << grid;
    QTest::newRow("labelWarning") << "QLabel" << 15 << 1 << grid;
    QTest::newRow("pushButtonOwl") << "QPushButton" << 15 << 2 << grid;
}

void tst_Form::widgetPlacement()
{
    QFETCH(QString, className);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, layout);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto *widget = window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name + " is missing from the form"));
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY2(widget->parent() == ui->centralWidget, "every form widget is a child of the central widget");
    const Cell cell = cellOf(name);
    QCOMPARE(cell.layout, layout);
    QCOMPARE(cell.row, row);
    QCOMPARE(cell.column, column);
}

void tst_Form::creationOrder()
{
    // Creation order is the keyboard focus order; a reordered form would jumble tabbing.
    const QStringList expected = {
        "labelDeviceStatus", "labelModFwVersion", "label", "checkBoxModClose", "comboBoxIp", "labelIpAd",
        "labelFound", "pushButtonDefaultCfg", "checkBoxNoReboot", "pushButtonBrowse", "labelModClose",
        "pushButtonUpdate", "pushButtonInfo", "labelMacId", "labelSwVer", "label_5", "labelStatus",
        "labelAddressHint", "pushButtonEN", "pushButtonNL", "lineEditFirmware", "pushButtonOwl", "labelMacAddr",
        "progressBar", "progressBarTotal", "pushButtonDevSearch", "labelProg", "labelWarning", "labelFw"};
    QStringList actual;
    for (QObject *child : ui->centralWidget->children()) {
        if (child->isWidgetType())
            actual << child->objectName();
    }
    QCOMPARE(actual, expected);

    QCOMPARE(ui->horizontalLayout->itemAt(2)->spacerItem(), ui->horizontalSpacer);
    QCOMPARE(cellOf(ui->horizontalLayout_2).row, 5);
    QCOMPARE(ui->horizontalLayout_2->count(), 1);
    QCOMPARE(cellOf(ui->verticalSpacer).row, 10);
    QCOMPARE(ui->gridLayout->columnStretch(1), 1);
    QCOMPARE(ui->gridLayout->columnStretch(0), 0);
}

void tst_Form::sizeLimits_data()
{
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    const int unbounded = QWIDGETSIZE_MAX;
    QTest::newRow("MainWindow") << QSize(900, 200) << QSize(unbounded, unbounded);
    QTest::newRow("centralWidget") << QSize(800, 400) << QSize(unbounded, unbounded);
    QTest::newRow("label") << QSize(200, 0) << QSize(200, unbounded);
    QTest::newRow("pushButtonBrowse") << QSize(80, 0) << QSize(130, 80);
    QTest::newRow("labelModClose") << QSize(0, 50) << QSize(unbounded, unbounded);
    QTest::newRow("pushButtonInfo") << QSize(80, 40) << QSize(80, 80);
    QTest::newRow("label_5") << QSize(0, 0) << QSize(unbounded, 15);
    QTest::newRow("labelStatus") << QSize(300, 0) << QSize(unbounded, unbounded);
    QTest::newRow("pushButtonEN") << QSize(0, 0) << QSize(45, unbounded);
    QTest::newRow("pushButtonNL") << QSize(0, 0) << QSize(45, unbounded);
    QTest::newRow("pushButtonOwl") << QSize(128, 128) << QSize(130, 130);
    QTest::newRow("pushButtonDevSearch") << QSize(0, 40) << QSize(unbounded, unbounded);
    QTest::newRow("labelWarning") << QSize(500, 130) << QSize(unbounded, 130);
}

void tst_Form::sizeLimits()
{
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *widget = name == window->objectName() ? window : window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name + " is missing"));
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
}

void tst_Form::texts_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("labelIpAd") << "Ip Address";
    QTest::newRow("pushButtonDefaultCfg") << "Set Default Configuration";
    QTest::newRow("checkBoxNoReboot") << "No Pre-Reboot";
    QTest::newRow("pushButtonBrowse") << "Browse";
    QTest::newRow("labelModClose")
        << "The bracelet is switched on, connected to a charger and within 3 meters of the base station.";
    QTest::newRow("pushButtonUpdate") << "Update Firmware";
    QTest::newRow("pushButtonInfo") << "Info";
    QTest::newRow("labelMacId") << "Mac Address";
    QTest::newRow("labelSwVer") << "Software Version";
    QTest::newRow("pushButtonEN") << "EN";
    QTest::newRow("pushButtonNL") << "NL";
    QTest::newRow("pushButtonDevSearch") << "Find my Velmora";
    QTest::newRow("labelProg") << "Progress";
    QTest::newRow("labelFw") << "Firmware File";
    QTest::newRow("label") << "";
    QTest::newRow("checkBoxModClose") << "";
    QTest::newRow("labelFound") << "";
    QTest::newRow("label_5") << "";
    QTest::newRow("labelStatus") << "";
    QTest::newRow("pushButtonOwl") << "";
    QTest::newRow("labelWarning") << "";
}

void tst_Form::texts()
{
    QFETCH(QString, text);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QObject *widget = window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name + " is missing"));

    // Scribble over the text first: retranslateUi must set it again, the empty ones included.
    widget->setProperty("text", QStringLiteral("scribbled"));
    ui->retranslateUi(window);
    QCOMPARE(widget->property("text").toString(), text);
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora Updater"));
}

void tst_Form::textsSurviveRetranslate()
{
    ui->labelDeviceStatus->setText(QStringLiteral("143 20201120 V14.2"));
    ui->labelMacAddr->setText(QStringLiteral("0A:1B:2C:3D:4E:5F"));
    ui->comboBoxIp->addItem(QStringLiteral("198.51.100.7"));
    ui->lineEditFirmware->setText(QStringLiteral("/opt/vmlinuz20210125_v143"));
    ui->retranslateUi(window);
    QCOMPARE(ui->labelDeviceStatus->text(), QStringLiteral("143 20201120 V14.2"));
    QCOMPARE(ui->labelMacAddr->text(), QStringLiteral("0A:1B:2C:3D:4E:5F"));
    QCOMPARE(ui->comboBoxIp->currentText(), QStringLiteral("198.51.100.7"));
    QCOMPARE(ui->lineEditFirmware->text(), QStringLiteral("/opt/vmlinuz20210125_v143"));
    QVERIFY2(ui->comboBoxIp->isEditable(), "an address can be typed into the address box");
}

void tst_Form::languageGroupIsExclusive()
{
    QVERIFY2(ui->buttonGroupLang->parent() == window, "the group belongs to the window");
    QCOMPARE(ui->buttonGroupLang->buttons(), (QList<QAbstractButton *>{ui->pushButtonEN, ui->pushButtonNL}));
    QVERIFY(ui->buttonGroupLang->exclusive());
    QVERIFY2(ui->pushButtonEN->isChecked() && !ui->pushButtonNL->isChecked(), "EN is the start language");

    window->show();
    QTest::mouseClick(ui->pushButtonNL, Qt::LeftButton);
    QVERIFY2(ui->pushButtonNL->isChecked() && !ui->pushButtonEN->isChecked(), "checking NL unchecks EN");
    QTest::mouseClick(ui->pushButtonNL, Qt::LeftButton);
    QVERIFY2(ui->pushButtonNL->isChecked(), "the checked language cannot be unchecked by a second click");
}

void tst_Form::progressRanges()
{
    QCOMPARE(ui->progressBar->minimum(), 0);
    QCOMPARE(ui->progressBar->maximum(), 100);
    QCOMPARE(ui->progressBarTotal->minimum(), 0);
    QCOMPARE(ui->progressBarTotal->maximum(), 700);
    QCOMPARE(ui->progressBar->value(), 0);
    QCOMPARE(ui->progressBarTotal->value(), 0);
    QVERIFY2(ui->progressBar->styleSheet().contains("background-color: #0f0f0f;"),
             "the form gives the bars their chunk colour");
}

void tst_Form::owlButton()
{
    QVERIFY(ui->pushButtonOwl->isFlat());
    QCOMPARE(ui->pushButtonOwl->iconSize(), QSize(96, 96));
    QCOMPARE(ui->pushButtonOwl->layoutDirection(), Qt::RightToLeft);
    QCOMPARE(ui->pushButtonOwl->sizePolicy().horizontalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(ui->pushButtonOwl->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QVERIFY2(!ui->pushButtonOwl->icon().isNull(), "the owl sticker is embedded and found at :/OwlSticker.png");
    // Weight 75 on Qt 5's scale is 700 on Qt 6's: both are QFont::Bold.
    QCOMPARE(int(ui->pushButtonUpdate->font().weight()), int(QFont::Bold));
    QCOMPARE(ui->labelWarning->font().pointSize(), 9);
    QCOMPARE(ui->label_5->font().pointSize(), 8);
}

QTEST_MAIN(tst_Form)
#include "tst_form.moc"
