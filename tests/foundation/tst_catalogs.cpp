#include <QCoreApplication>
#include <QRegularExpression>
#include <QResource>
#include <QTranslator>
#include <QtTest>

namespace {

// Every key of the three catalog contexts with what each catalog shows for it. nullptr: the catalog has no
// translation (the key is missing or left unfinished), so the source text itself is shown.
struct CatalogRow
{
    const char *context;
    const char *source;
    const char *english;
    const char *dutch;
};

const CatalogRow catalogRows[] = {
    {"Discovery", "Discovery Complete", nullptr, "Klaar met zoeken"},
    {"Discovery", "No base stations found", nullptr, "Geen basisstation gevonden"},
    {"Discovery", "Starting Discovery for Velmora Units", nullptr, "Zoek Velmora basis station "},
    {"IpBaseCtrl", "CRC error in file",
     "CRC error in uploaded file. Please close this application and start again",
     "CRC fout in uploaded bestand. Sluit deze applicatie aub en begin opnieuw"},
    {"IpBaseCtrl", "Erase", nullptr, "Wissen"},
    {"IpBaseCtrl", "Erasing Flash (1/5)", "Erasing Flash", "Wissen Flash"},
    {"IpBaseCtrl", "ERROR", nullptr, "FOUT"},
    {"IpBaseCtrl", "Error", nullptr, "Fout"},
    {"IpBaseCtrl", "FILE", nullptr, "Bestand"},
    {"IpBaseCtrl", "Idle", nullptr, "Klaar."},
    {"IpBaseCtrl", "Rebooting (5/5)", "Rebooting", "Rebooting"},
    {"IpBaseCtrl", "Success", nullptr, "Succes"},
    {"IpBaseCtrl", "Upgrade %1 %2% complete", nullptr, "Upgrade %1/%2% compleet"},
    {"IpBaseCtrl", "Upgrade done", nullptr, "Upgrade Klaar"},
    {"IpBaseCtrl", "Upgrade Success", nullptr, "Upgrade Geslaagd"},
    {"IpBaseCtrl", "Upload", nullptr, "Upload"},
    {"IpBaseCtrl", "Upload Complete", nullptr, "Upload Compleet"},
    {"IpBaseCtrl", "Upload Error", nullptr, "Upload Fout"},
    {"IpBaseCtrl", "Upload Error occurred. Pls Try Again", nullptr, "Fout bij upload. Probeer het nog eens."},
    {"IpBaseCtrl", "Verification Success", nullptr, "Verificatie geslaagd"},
    {"IpBaseCtrl", "Verification Success. New Firmware Available",
     "Upload ok, upgrade will start",
     "Upload ok, upgrade wordt gestart"},
    {"IpBaseCtrl", "Verify Erased (2/5)", "Verify Erase", "Verificatie Wissen"},
    {"IpBaseCtrl", "Verify Flash (2/5)", "Verify Erase", "Verificatie Wissen"},
    {"IpBaseCtrl", "Verify Write (4/5)", "Verfiy Write", "Verificatie Schrijven"},
    {"IpBaseCtrl", "Writing", nullptr, "Schrijven"},
    {"IpBaseCtrl", "Writing Flash (3/5)", "Writing Flash", "Schrijven Flash"},
    {"MainWindow", "Browse", nullptr, "Open"},
    {"MainWindow", "CRC error in file",
     "CRC error in uploaded file. Please close this application and start again.",
     "CRC foutin uploaded bestand. Sluit deze applicatie aub en begin opnieuw."},
    {"MainWindow", "Device", nullptr, "Basis Station"},
    {"MainWindow", "Erasing Flash (1/5)", nullptr, "Wissen Flash (1/5)"},
    {"MainWindow", "ERROR", nullptr, "FOUT"},
    {"MainWindow", "FILE", nullptr, "Bestand"},
    {"MainWindow", "Find my Velmora", nullptr, "Zoek mijn Velmora"},
    {"MainWindow", "Firmware File", nullptr, "Firmware Bestand"},
    {"MainWindow", "Idle", nullptr, "Klaar"},
    {"MainWindow", "Ip Address", nullptr, "IP Adres"},
    {"MainWindow", "Mac Address", nullptr, "Mac Adres"},
    {"MainWindow", "Velmora BaseStation", nullptr, "Velmora BasisStation"},
    {"MainWindow", "Velmora Firmware File", nullptr, "Velmora Firmware Bestand"},
    {"MainWindow", "Velmora Firmware Update", nullptr, "Velmora Firmware Update"},
    {"MainWindow", "Progress", nullptr, "Voortgang"},
    {"MainWindow", "Rebooting (5/5)", nullptr, "Rebooting (5/5)"},
    {"MainWindow", "Search", nullptr, "Zoek"},
    {"MainWindow", "Select Firmware File", nullptr, "Selecteer Firmware bestand"},
    {"MainWindow", "Set Default Configuration", nullptr, "Zet default configuratie"},
    {"MainWindow", "Software Version", nullptr, "Software Versie"},
    {"MainWindow", "Success", nullptr, "Succes"},
    {"MainWindow", "Success All Done", nullptr, "Succes"},
    {"MainWindow", "Success, all done", nullptr, "Success. Upgrade is klaar"},
    {"MainWindow", "The basestation %1 could not be reached",
     nullptr,
     "Het basis station %1 kan niet worden bereikt."},
    {"MainWindow", "The bracelet is switched on, connected to a charger and within 3 meters of the base station.",
     nullptr,
     "The armband is aangezet, verbonden met de oplader en binnen 3 meter bereik van het basisstation."},
    {"MainWindow", "The firmware file %1 was not found", nullptr, "Het firmware bestand %1 is niet gevonden"},
    {"MainWindow", "This Velmora is up to date", nullptr, "De Velmora heeft de laatste versie"},
    {"MainWindow", "Update Firmware", nullptr, "Update Firmware"},
    {"MainWindow", "Upgrade in Progress. Do not power off the base station!",
     nullptr,
     "Upgrade bezig. Basisstation niet uitzetten aub."},
    {"MainWindow", "Upgrade Success", nullptr, "Upgrade Geslaagd"},
    {"MainWindow", "Upload Complete", nullptr, "Upload Kompleet"},
    {"MainWindow", "Verification Success", nullptr, "Verificatie geslaagd"},
    {"MainWindow", "Verification Success. New Firmware Available",
     "Firmware successfully uploaded. Upgrade will start.",
     "Upload geverifieerd. Upgrade wordt gestart."},
    {"MainWindow", "Verify Erased (2/5)", nullptr, "Verificatie Wissen (2/5)"},
    {"MainWindow", "Verify Flash (2/5)", nullptr, "Verificatie Wissen (2/5)"},
    {"MainWindow", "Verify Write (4/5)", nullptr, "Verificatie Schrijven (4/5)"},
    {"MainWindow", "Wait", "Wait", "Wachten aub"},
    {"MainWindow", "wait", nullptr, "Wachten aub"},
    {"MainWindow", "wait for base", nullptr, "Wacht op basis station"},
    {"MainWindow", "Writing Flash (3/5)", nullptr, "Schrijven Flash (3/5)"},
    // What a screen reader says of the window's controls and values.
    {"MainWindow", "Velmora owl", nullptr, "Velmora uil"},
    {"MainWindow", "Opens debug mode after several presses", nullptr, "Opent na enkele keren drukken de debugmodus"},
    {"MainWindow", "Step progress", nullptr, "Voortgang stap"},
    {"MainWindow", "Progress of the current step of the update", nullptr,
     "Voortgang van de huidige stap van de update"},
    {"MainWindow", "Total progress", nullptr, "Totale voortgang"},
    {"MainWindow", "Progress of the whole update", nullptr, "Voortgang van de hele update"},
    {"MainWindow", "Address of the base station to update", nullptr, "Adres van het basisstation dat wordt bijgewerkt"},
    {"MainWindow", "MAC address of the base station", nullptr, "MAC adres van het basisstation"},
    {"MainWindow", "Software version of the base station", nullptr, "Software versie van het basisstation"},
    {"MainWindow", "Language of the window", nullptr, "Taal van het venster"},
    {"MainWindow", "Confirm this to show the Update Firmware button", nullptr,
     "Bevestig dit om de knop Update Firmware te tonen"},
    // The box after a search that nobody answered.
    {"MainWindow", "No base station answered the search.", nullptr,
     "Geen basisstation heeft op de zoekopdracht geantwoord."},
    {"MainWindow",
     "Check that the base station is switched on and that its network cable is plugged into the router, and that "
     "this computer is on the same home network (not a guest network, and no VPN in between).\n\nA firewall on this "
     "computer must let the answers of the base station in (UDP port 23456). To allow them, run one of these two "
     "commands:\n%1\n%2",
     nullptr,
     "Controleer of het basisstation aan staat en of de netwerkkabel goed in de router zit, en of deze computer op "
     "hetzelfde thuisnetwerk zit (niet op een gastnetwerk, en zonder VPN ertussen).\n\nEen firewall op deze computer "
     "moet de antwoorden van het basisstation doorlaten (UDP-poort 23456). Dat staat u toe met een van deze twee "
     "opdrachten:\n%1\n%2"},
    {"MainWindow", "Then press \"%1\" again.", nullptr, "Druk daarna opnieuw op \"%1\"."},
};

// Looked up by the code but translated by neither catalog.
const char *const untranslatedTexts[][2] = {
    {"IpBaseCtrl", "Upgrade %1"},
    {"IpBaseCtrl", "Upload %1/%2 bytes"},
    {"MainWindow", "Velmora Updater"},
    {"MainWindow", "Velmora Updater Help"},
    {"MainWindow", "No Pre-Reboot"},
    {"MainWindow", "Info"},
    {"MainWindow", "EN"},
    {"MainWindow", "NL"},
};

const char *const helpKey = "Information Text Placeholder";
const QString version = QStringLiteral("143 20210125 V14.3");

} // namespace

class tst_catalogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void lookup_data();
    void lookup();
    void untranslated_data();
    void untranslated();
    void placeholdersFilledAfterLookup_data();
    void placeholdersFilledAfterLookup();
    void translatedTextFindsNoSecondEntry_data();
    void translatedTextFindsNoSecondEntry();
    void helpText_data();
    void helpText();

    void catalogsNamedForTheirLanguage();
    void catalogsStoredUncompressed();
    void unknownLanguageLoadsNothing();

private:
    void use(const QString &code);

    QTranslator english;
    QTranslator dutch;
};

void tst_catalogs::initTestCase()
{
    // The same call the language switch makes: base name plus code, from the resource root.
    QVERIFY2(english.load(QStringLiteral("vmfwupd_en"), QStringLiteral(":/")), "English catalog not in the bundle");
    QVERIFY2(dutch.load(QStringLiteral("vmfwupd_nl"), QStringLiteral(":/")), "Dutch catalog not in the bundle");
    QVERIFY2(!english.isEmpty() && !dutch.isEmpty(), "a catalog loaded without any translation");
}

void tst_catalogs::cleanup()
{
    QCoreApplication::removeTranslator(&english);
    QCoreApplication::removeTranslator(&dutch);
}

void tst_catalogs::use(const QString &code)
{
    cleanup();
    QVERIFY2(QCoreApplication::installTranslator(code == QLatin1String("nl") ? &dutch : &english),
             "installing the translator failed");
}

void tst_catalogs::lookup_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("shown");

    for (const CatalogRow &row : catalogRows) {
        const QString source = QString::fromUtf8(row.source);
        const char *const en = row.english ? row.english : row.source;
        const char *const nl = row.dutch ? row.dutch : row.source;
        QTest::addRow("en %s: %s", row.context, row.source)
            << "en" << QString::fromUtf8(row.context) << source << QString::fromUtf8(en);
        QTest::addRow("nl %s: %s", row.context, row.source)
            << "nl" << QString::fromUtf8(row.context) << source << QString::fromUtf8(nl);
    }
}

void tst_catalogs::lookup()
{
    QFETCH(QString, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, shown);

    use(language);
    QCOMPARE(QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData()), shown);
}

void tst_catalogs::untranslated_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");

    for (const char *const language : {"en", "nl"}) {
        for (const auto &text : untranslatedTexts) {
            QTest::addRow("%s %s: %s", language, text[0], text[1])
                << QString::fromLatin1(language) << QString::fromUtf8(text[0]) << QString::fromUtf8(text[1]);
        }
    }
}

void tst_catalogs::untranslated()
{
    QFETCH(QString, language);
    QFETCH(QString, context);
    QFETCH(QString, source);

    use(language);
    QCOMPARE(QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData()), source);
}

void tst_catalogs::placeholdersFilledAfterLookup_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("argument1");
    QTest::addColumn<QString>("argument2");
    QTest::addColumn<QString>("shown");

    QTest::newRow("en upload bytes") << "en" << "IpBaseCtrl" << "Upload %1/%2 bytes" << "512" << "4096"
                                     << "Upload 512/4096 bytes";
    QTest::newRow("nl upload bytes") << "nl" << "IpBaseCtrl" << "Upload %1/%2 bytes" << "512" << "4096"
                                     << "Upload 512/4096 bytes";
    QTest::newRow("nl upgrade percent") << "nl" << "IpBaseCtrl" << "Upgrade %1 %2% complete" << "Wissen" << "40"
                                        << "Upgrade Wissen/40% compleet";
    QTest::newRow("en unreachable station") << "en" << "MainWindow" << "The basestation %1 could not be reached"
                                            << "192.168.1.20" << ""
                                            << "The basestation 192.168.1.20 could not be reached";
    QTest::newRow("nl unreachable station") << "nl" << "MainWindow" << "The basestation %1 could not be reached"
                                            << "192.168.1.20" << ""
                                            << "Het basis station 192.168.1.20 kan niet worden bereikt.";
    QTest::newRow("nl missing image file") << "nl" << "MainWindow" << "The firmware file %1 was not found"
                                           << "/opt/vmlinuz20210125_v143" << ""
                                           << "Het firmware bestand /opt/vmlinuz20210125_v143 is niet gevonden";
}

void tst_catalogs::placeholdersFilledAfterLookup()
{
    QFETCH(QString, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, argument1);
    QFETCH(QString, argument2);
    QFETCH(QString, shown);

    use(language);
    QString text = QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData());
    text = text.arg(argument1);
    if (!argument2.isEmpty())
        text = text.arg(argument2);
    QCOMPARE(text, shown);
}

void tst_catalogs::translatedTextFindsNoSecondEntry_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("translated");

    for (const CatalogRow &row : catalogRows) {
        if (qstrcmp(row.context, "IpBaseCtrl") != 0)
            continue;
        if (row.english)
            QTest::addRow("en %s", row.source) << "en" << QString::fromUtf8(row.english);
        if (row.dutch)
            QTest::addRow("nl %s", row.source) << "nl" << QString::fromUtf8(row.dutch);
    }
}

// The window looks up the controller's texts once more in its own context; a text that the controller has
// already translated must come through that second lookup unchanged.
void tst_catalogs::translatedTextFindsNoSecondEntry()
{
    QFETCH(QString, language);
    QFETCH(QString, translated);

    use(language);
    QCOMPARE(QCoreApplication::translate("MainWindow", translated.toUtf8().constData()), translated);
}

void tst_catalogs::helpText_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("findButton");
    QTest::addColumn<QString>("updateButton");
    QTest::addColumn<QString>("closingLine");

    QTest::newRow("en") << "en" << QString::fromUtf8("'Find my Velmora'")
                        << QString::fromUtf8("\u2018Update firmware\u2019")
                        << "Need help? Please contact our helpdesk:";
    QTest::newRow("nl") << "nl" << QString::fromUtf8("'Zoek mijn Velmora'") << QString::fromUtf8("'Update firmware'")
                        << "Heeft u hulp nodig? Neem alstublieft contact op met onze helpdesk:";
}

void tst_catalogs::helpText()
{
    QFETCH(QString, language);
    QFETCH(QString, findButton);
    QFETCH(QString, updateButton);
    QFETCH(QString, closingLine);

    use(language);
    const QString help = QCoreApplication::translate("MainWindow", helpKey);
    QVERIFY2(help != QLatin1String(helpKey), "the catalog has no help text");
    QVERIFY2(!help.contains(QLatin1Char('\r')), "lines must be broken with a line feed alone");
    QVERIFY2(!help.endsWith(QLatin1Char('\n')), "the help text must not end with a line feed");
    QVERIFY2(!help.contains(QLatin1String("\n\n\n")), "parts are separated by exactly one empty line");
    QVERIFY2(help == help.trimmed(), "no blanks around the help text");

    const QStringList parts = help.split(QStringLiteral("\n\n"));
    QCOMPARE(parts.size(), 6);
    for (const QString &part : parts)
        QVERIFY2(part == part.trimmed() && !part.isEmpty(), qPrintable("stray blanks in part: " + part));

    QVERIFY2(!parts.at(0).contains(QRegularExpression(QStringLiteral("^\\d\\."))), "introduction is not a step");
    QVERIFY2(parts.at(1).startsWith(QLatin1String("1. ")), "part 2 is step 1.");
    QVERIFY2(!parts.at(2).contains(QRegularExpression(QStringLiteral("^\\d\\."))), "part 3 has no step number");
    QVERIFY2(parts.at(3).startsWith(QLatin1String("2. ")), "part 4 is step 2.");
    QVERIFY2(parts.at(4).startsWith(QLatin1String("3. ")), "part 5 is step 3.");

    QVERIFY2(parts.at(1).contains(findButton), "step 1 names the search button");
    QVERIFY2(parts.at(2).contains(QLatin1String("'Velmora Updater'")), "part 3 names the application");
    QVERIFY2(parts.at(3).contains(QLatin1String("3 meter")), "step 2 gives the bracelet's distance");
    QVERIFY2(parts.at(4).contains(updateButton), "step 3 quotes the update button");
    QVERIFY2(parts.at(4).contains(version), "step 3 gives the new version exactly");
    QCOMPARE(help.count(version), 1);

    const QStringList closing = parts.at(5).split(QLatin1Char('\n'));
    QCOMPARE(closing.size(), 3);
    QCOMPARE(closing.at(0), closingLine);
    QVERIFY2(QRegularExpression(QStringLiteral("^[a-z.]+@[a-z.]+\\.example$")).match(closing.at(1)).hasMatch(),
             qPrintable("helpdesk address must be at a reserved example domain: " + closing.at(1)));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\+[0-9 ()]* 555 [0-9]{4}$")).match(closing.at(2)).hasMatch(),
             qPrintable("helpdesk number must be plainly fictional: " + closing.at(2)));
}

void tst_catalogs::catalogsNamedForTheirLanguage()
{
    // lupdate refuses to refresh a catalog that does not say its language.
    QCOMPARE(english.language(), QStringLiteral("en"));
    QCOMPARE(dutch.language(), QStringLiteral("nl"));
}

void tst_catalogs::catalogsStoredUncompressed()
{
    for (const char *const path : {":/vmfwupd_en.qm", ":/vmfwupd_nl.qm"}) {
        const QResource catalog(QString::fromLatin1(path));
        QVERIFY2(catalog.isValid(), path);
        QVERIFY2(catalog.compressionAlgorithm() == QResource::NoCompression, path);
    }
}

void tst_catalogs::unknownLanguageLoadsNothing()
{
    // QTranslator strips "_de" and retries with "vmfwupd": that must not find a catalog either.
    QTranslator other;
    QVERIFY2(!other.load(QStringLiteral("vmfwupd_de"), QStringLiteral(":/")), "a catalog answered for \"de\"");
}

QTEST_GUILESS_MAIN(tst_catalogs)
#include "tst_catalogs.moc"
