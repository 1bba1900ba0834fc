#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QResource>
#include <QtTest>

class tst_pictures : public QObject
{
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void stickerDrawnAtButtonSize();
    void pathOutsideBundleResolvesToNothing_data();
    void pathOutsideBundleResolvesToNothing();
};

void tst_pictures::picture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<bool>("round");

    QTest::newRow("wide logo") << ":/velmoralogo.png" << QSize(1299, 241) << true << false;
    QTest::newRow("large sticker") << ":/VelmoraOwlR.png" << QSize(1107, 1107) << true << true;
    QTest::newRow("maker word mark") << ":/OrvaneLogo.png" << QSize(108, 40) << false << false;
    QTest::newRow("owl sticker") << ":/OwlSticker.png" << QSize(275, 275) << true << true;
}

void tst_pictures::picture()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);
    QFETCH(bool, round);

    const QResource resource(path);
    QVERIFY2(resource.isValid(), "not in the image bundle");
    QVERIFY2(resource.compressionAlgorithm() == QResource::NoCompression, "stored compressed");

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.size(), size);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), alpha);

    if (round) {
        // A badge on a square of its own colour would show as a box on the flat owl button.
        const int last = size.width() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            QVERIFY2(qAlpha(image.pixel(corner)) == 0, "badge corner is not transparent");
        QCOMPARE(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
    }
}

void tst_pictures::stickerDrawnAtButtonSize()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/OwlSticker.png"));
    const QPixmap pixmap = icon.pixmap(QSize(96, 96));
    QVERIFY2(!pixmap.isNull(), "the owl button would show no picture");
    QCOMPARE(pixmap.size(), QSize(96, 96));
}

void tst_pictures::pathOutsideBundleResolvesToNothing_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("style sheet button image") << ":/dqrx/graphics/QRX_Button_yes.png";
    QTest::newRow("wrong case") << ":/owlsticker.png";
    QTest::newRow("language folder") << ":/en/OwlSticker.png";
}

void tst_pictures::pathOutsideBundleResolvesToNothing()
{
    QFETCH(QString, path);

    QVERIFY2(!QFile::exists(path), "path unexpectedly resolves");
    QVERIFY2(QImage(path).isNull(), "an image was read");
    QIcon icon;
    icon.addFile(path);
    QVERIFY2(icon.pixmap(QSize(96, 96)).isNull(), "an icon was drawn");
}

QTEST_MAIN(tst_pictures)
#include "tst_pictures.moc"
