#include "replyreaders.h"

#include <QtTest>

Q_DECLARE_METATYPE(V11PageState)

namespace {

// A page whose first `offset` bytes are padding, then `text`.
QByteArray at(int offset, const QByteArray &text)
{
    return QByteArray(offset, ' ') + text;
}

} // namespace

class tst_ReplyReaders : public QObject
{
    Q_OBJECT

private slots:
    void textValue_data();
    void textValue();
    void intValue_data();
    void intValue();
    void uploadPage_data();
    void uploadPage();
    void v11Page_data();
    void v11Page();
    void statusStep_data();
    void statusStep();
};

void tst_ReplyReaders::textValue_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("string") << QByteArray(R"({"k":"143 V14.2","x":1})") << "143 V14.2";
    QTest::newRow("non-ASCII") << QByteArray(R"({"k":"Wissen \u00fc ü"})") << "Wissen ü ü";
    QTest::newRow("empty string") << QByteArray(R"({"k":""})") << "";
    QTest::newRow("missing key") << QByteArray(R"({"K":"v"})") << "";
    QTest::newRow("number") << QByteArray(R"({"k":14})") << "";
    QTest::newRow("bool") << QByteArray(R"({"k":true})") << "";
    QTest::newRow("null") << QByteArray(R"({"k":null})") << "";
    QTest::newRow("object") << QByteArray(R"({"k":{"k":"v"}})") << "";
    QTest::newRow("array value") << QByteArray(R"({"k":["v"]})") << "";
    QTest::newRow("nested only") << QByteArray(R"({"a":{"k":"v"}})") << "";
    QTest::newRow("top-level array") << QByteArray(R"([{"k":"v"}])") << "";
    QTest::newRow("empty object") << QByteArray("{}") << "";
    QTest::newRow("empty body") << QByteArray() << "";
    QTest::newRow("html") << QByteArray("<html>k</html>") << "";
    QTest::newRow("trailing junk") << QByteArray(R"({"k":"v"} x)") << "";
    QTest::newRow("truncated") << QByteArray(R"({"k":"v")") << "";
}

void tst_ReplyReaders::textValue()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QCOMPARE(jsonTextValue(body, QStringLiteral("k")), expected);
}

void tst_ReplyReaders::intValue_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QByteArray(R"({"k":40})") << 40;
    QTest::newRow("zero") << QByteArray(R"({"k":0})") << 0;
    QTest::newRow("negative") << QByteArray(R"({"k":-3})") << -3;
    QTest::newRow("large") << QByteArray(R"({"k":2147483647})") << 2147483647;
    QTest::newRow("numeric string") << QByteArray(R"({"k":"40"})") << 0;
    QTest::newRow("bool") << QByteArray(R"({"k":true})") << 0;
    QTest::newRow("null") << QByteArray(R"({"k":null})") << 0;
    QTest::newRow("missing key") << QByteArray(R"({"x":40})") << 0;
    QTest::newRow("top-level array") << QByteArray("[40]") << 0;
    QTest::newRow("empty body") << QByteArray() << 0;
    QTest::newRow("not JSON") << QByteArray("40") << 0;
}

void tst_ReplyReaders::intValue()
{
    QFETCH(QByteArray, body);
    QFETCH(int, expected);
    QCOMPARE(jsonIntValue(body, QStringLiteral("k")), expected);
}

void tst_ReplyReaders::uploadPage_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("size");

    const QByteArray phrase("Firmware File is available, size is");
    QTest::newRow("station page")
        << "<html><body>" + phrase + " 8392704<br>Ready</body></html>" << true << 8392704;
    QTest::newRow("br before the phrase")
        << "<h1>Firmware</h1><br>" + phrase + " 8392704<br>Ready" << true << 8392704;
    QTest::newRow("spaces around size") << "x" + phrase + "   12 \t<br>" << true << 12;
    QTest::newRow("other separator") << "x" + phrase + ":77<br>" << true << 77;
    QTest::newRow("no separator") << "x" + phrase + "77<br>" << true << 7;
    QTest::newRow("no br, page goes on") << "x" + phrase + " 12</body>" << true << 0;
    QTest::newRow("no br, size at end") << "x" + phrase + " 12" << true << 12;
    QTest::newRow("phrase at end") << "x" + phrase << true << 0;
    QTest::newRow("not a number") << "x" + phrase + " twelve<br>" << true << 0;
    QTest::newRow("over 32 bits") << "x" + phrase + " 2147483648<br>" << true << 0;
    QTest::newRow("negative") << "x" + phrase + " -5<br>" << true << -5;
    QTest::newRow("NUL ends the text")
        << "x" + phrase + QByteArray(" 12\0 34<br>", 11) << true << 12;
    QTest::newRow("first phrase counts")
        << "x" + phrase + " 1<br>" + phrase + " 2<br>" << true << 1;
    QTest::newRow("at position 0") << phrase + " 12<br>" << false << 0;
    QTest::newRow("at 0 and again later") << phrase + " 1<br>x" + phrase + " 2<br>" << false << 0;
    QTest::newRow("absent") << QByteArray("<html>Firmware File is missing</html>") << false << 0;
    QTest::newRow("other case") << "x" + phrase.toLower() + " 12<br>" << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
}

void tst_ReplyReaders::uploadPage()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, found);
    QFETCH(int, size);
    const std::optional<int> result = uploadPageSize(page);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, size);
}

void tst_ReplyReaders::v11Page_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<V11PageState>("expected");

    const QByteArray success("Success: Firmware Installed");
    QTest::newRow("success at 389") << at(389, success) << V11PageState::Installed;
    QTest::newRow("success at 388") << at(388, success) << V11PageState::Unknown;
    QTest::newRow("success at 0") << success << V11PageState::Unknown;
    QTest::newRow("success in head and later")
        << at(10, success) + at(400, success) << V11PageState::Installed;
    QTest::newRow("success in head, writing")
        << at(10, success) + " Erase Complete" << V11PageState::Writing;
    QTest::newRow("success wins over erase phrases")
        << at(5, "Starting erase Erase Complete") + at(400, success) << V11PageState::Installed;
    QTest::newRow("both erase phrases")
        << QByteArray("Starting erase ... Erase Complete") << V11PageState::Writing;
    QTest::newRow("erase complete") << at(600, "Erase Complete") << V11PageState::Writing;
    QTest::newRow("starting erase") << QByteArray("<p>Starting erase</p>") << V11PageState::Erasing;
    QTest::newRow("other case") << QByteArray("starting Erase, erase complete")
                                << V11PageState::Unknown;
    QTest::newRow("empty") << QByteArray() << V11PageState::Unknown;
}

void tst_ReplyReaders::v11Page()
{
    QFETCH(QByteArray, page);
    QFETCH(V11PageState, expected);
    QCOMPARE(v11PageState(page), expected);
}

void tst_ReplyReaders::statusStep_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("q");
    QTest::addColumn<bool>("rebooting");

    QTest::newRow("Idle") << "Idle" << 1 << false;
    QTest::newRow("FILE") << "FILE" << 1 << false;
    QTest::newRow("verified") << "Verification Success. New Firmware Available" << 1 << false;
    QTest::newRow("1/5") << "Erasing Flash (1/5)" << 2 << false;
    QTest::newRow("2/5 erased") << "Verify Erased (2/5)" << 3 << false;
    QTest::newRow("2/5 flash") << "Verify Flash (2/5)" << 3 << false;
    QTest::newRow("3/5") << "Writing Flash (3/5)" << 4 << false;
    QTest::newRow("4/5") << "Verify Write (4/5)" << 5 << false;
    QTest::newRow("5/5") << "Rebooting (5/5)" << 6 << true;
    QTest::newRow("Success") << "Success" << 1 << false;
    QTest::newRow("ERROR") << "ERROR" << 1 << false;
    QTest::newRow("CRC error") << "CRC error in file" << 1 << false;
    QTest::newRow("empty") << "" << 1 << false;
    QTest::newRow("rebooting with marker") << "Rebooting (1/5)" << 6 << true;
    QTest::newRow("lower-case rebooting") << "rebooting" << 1 << false;
    QTest::newRow("5/5 alone") << "Done (5/5)" << 1 << false;
    QTest::newRow("first marker in order wins") << "3/5 after 1/5" << 2 << false;
}

void tst_ReplyReaders::statusStep()
{
    QFETCH(QString, status);
    QFETCH(int, q);
    QFETCH(bool, rebooting);
    const UpgradeStep step = upgradeStep(status);
    QCOMPARE(step.q, q);
    QCOMPARE(step.rebooting, rebooting);
}

QTEST_APPLESS_MAIN(tst_ReplyReaders)
#include "tst_replyreaders.moc"
