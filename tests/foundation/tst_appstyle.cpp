#include "stylesheets.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// The application-wide sheet colours every message box and push button of the program, also those the window
// does not style itself. Checked on rendered pixels, as a user would see them.
class tst_AppStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void buttonColours_data();
    void buttonColours();
    void messageBoxBackground();
    void sheetIsTheDocumentedOne();
};

namespace {

QColor centreColour(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, 6);
}

} // namespace

void tst_AppStyle::initTestCase()
{
    qApp->setStyleSheet(QString::fromLatin1(StyleSheets::application));
}

void tst_AppStyle::buttonColours_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QColor>("background");

    QTest::newRow("enabled button") << true << QColor(QRgb(0x394c81));
    QTest::newRow("disabled button") << false << QColor(QRgb(0xDDE4F6));
}

void tst_AppStyle::buttonColours()
{
    QFETCH(bool, enabled);
    QFETCH(QColor, background);

    QPushButton button;
    button.resize(160, 40);
    button.setEnabled(enabled);
    // Away from the text and the 3 px border, the middle of the top half shows the background.
    QCOMPARE(centreColour(&button).name(), background.name());
}

void tst_AppStyle::messageBoxBackground()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("text"), QMessageBox::Ok);
    box.ensurePolished();
    const QImage image = box.grab().toImage();
    QCOMPARE(image.pixelColor(2, 2).name(), QColor(QRgb(0xE0E7F6)).name());
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    QVERIFY(ok);
    QCOMPARE(centreColour(ok).name(), QColor(QRgb(0x394c81)).name());
}

void tst_AppStyle::sheetIsTheDocumentedOne()
{
    const QString sheet = QString::fromLatin1(StyleSheets::application);
    QCOMPARE(sheet.size(), 365);
    QVERIFY2(sheet.startsWith(QLatin1String("QMessageBox{background-color: #E0E7F6;color : blue;}")),
             "message boxes get the window's background and blue text");
    QVERIFY2(QFile(QStringLiteral(":/dqrx/graphics/QRX_Button_yes.png")).exists() == false,
             "the image the Yes rule names is not embedded: the rule draws nothing");
}

QTEST_MAIN(tst_AppStyle)
#include "tst_appstyle.moc"
