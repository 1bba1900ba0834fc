<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl">
<context>
    <name>Arguments</name>
    <message>
        <source>Updates the firmware of a Velmora base station without a window.

Commands:
  find    lists the base stations on this network: address, MAC, version, and whether it is up to date
  update  updates one base station, as the window&apos;s &quot;Update Firmware&quot; does

Without --image, update takes the firmware image %1 from %2.
The search broadcasts on UDP port 23456: a firewall on this computer must let the answers in.

Exit codes: 0 done, 1 the update failed or was not started, 2 already up to date, 3 no base station found or it does not answer, 64 a mistake in the command line, 130 interrupted.</source>
        <translation>Werkt de firmware van een Velmora basisstation bij zonder venster.

Opdrachten:
  find    toont de basisstations op dit netwerk: adres, MAC, versie, en of het de laatste versie heeft
  update  werkt één basisstation bij, zoals &quot;Update Firmware&quot; in het venster

Zonder --image neemt update het firmwarebestand %1 uit %2.
Het zoeken is een broadcast op UDP-poort 23456: een firewall op deze computer moet de antwoorden doorlaten.

Afsluitcodes: 0 klaar, 1 de update is mislukt of niet gestart, 2 al de laatste versie, 3 geen basisstation gevonden of het antwoordt niet, 64 een fout in de opdrachtregel, 130 onderbroken.</translation>
    </message>
    <message>
        <source>find or update</source>
        <translation>find of update</translation>
    </message>
    <message>
        <source>update: the base station at this IPv4 address, without a search.</source>
        <translation>update: het basisstation op dit IPv4-adres, zonder te zoeken.</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>ADRES</translation>
    </message>
    <message>
        <source>update: this firmware image instead of the delivered one; whatever version the base station then reports counts as success.</source>
        <translation>update: dit firmwarebestand in plaats van het meegeleverde; elke versie die het basisstation daarna meldt, geldt als geslaagd.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>BESTAND</translation>
    </message>
    <message>
        <source>update: no reboot of the base station before the upload.</source>
        <translation>update: het basisstation niet herstarten voor de upload.</translation>
    </message>
    <message>
        <source>update: answers yes to the question whether the bracelet is switched on, connected to a charger and within 3 meters of the base station.</source>
        <translation>update: beantwoordt de vraag of de armband aan staat, verbonden is met de oplader en binnen 3 meter van het basisstation ligt met ja.</translation>
    </message>
    <message>
        <source>One JSON object per line on standard output instead of text.</source>
        <translation>Eén JSON-object per regel op de standaarduitvoer in plaats van tekst.</translation>
    </message>
    <message>
        <source>&quot;vmfwupd-cli --help&quot; lists the commands and options.</source>
        <translation>&quot;vmfwupd-cli --help&quot; toont de opdrachten en opties.</translation>
    </message>
    <message>
        <source>One command at a time: find or update.</source>
        <translation>Eén opdracht tegelijk: find of update.</translation>
    </message>
    <message>
        <source>Name a command: find or update.</source>
        <translation>Geef een opdracht: find of update.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no command: find or update.</source>
        <translation>&quot;%1&quot; is geen opdracht: find of update.</translation>
    </message>
    <message>
        <source>--%1 is an option of update, not of find.</source>
        <translation>--%1 is een optie van update, niet van find.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv4 address of four numbers with dots between, such as 192.168.1.20.</source>
        <translation>&quot;%1&quot; is geen IPv4-adres van vier getallen met punten ertussen, zoals 192.168.1.20.</translation>
    </message>
</context>
<context>
    <name>Discovery</name>
    <message>
        <source>Discovery Complete</source>
        <translation>Klaar met zoeken</translation>
    </message>
    <message>
        <source>No base stations found</source>
        <translation>Geen basisstation gevonden</translation>
    </message>
    <message>
        <source>Starting Discovery for Velmora Units</source>
        <translation>Zoek Velmora basis station </translation>
    </message>
</context>
<context>
    <name>IpBaseCtrl</name>
    <message>
        <source>CRC error in file</source>
        <translation>CRC fout in uploaded bestand. Sluit deze applicatie aub en begin opnieuw</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>Wissen</translation>
    </message>
    <message>
        <source>Erasing Flash (1/5)</source>
        <translation>Wissen Flash</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>FOUT</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fout</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>Bestand</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>Klaar.</translation>
    </message>
    <message>
        <source>Rebooting (5/5)</source>
        <translation>Rebooting</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Succes</translation>
    </message>
    <message>
        <source>Upgrade %1 %2% complete</source>
        <translation>Upgrade %1/%2% compleet</translation>
    </message>
    <message>
        <source>Upgrade done</source>
        <translation>Upgrade Klaar</translation>
    </message>
    <message>
        <source>Upgrade Success</source>
        <translation>Upgrade Geslaagd</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Upload Complete</source>
        <translation>Upload Compleet</translation>
    </message>
    <message>
        <source>Upload Error</source>
        <translation>Upload Fout</translation>
    </message>
    <message>
        <source>Upload Error occurred. Pls Try Again</source>
        <translation>Fout bij upload. Probeer het nog eens.</translation>
    </message>
    <message>
        <source>Verification Success</source>
        <translation>Verificatie geslaagd</translation>
    </message>
    <message>
        <source>Verification Success. New Firmware Available</source>
        <translation>Upload ok, upgrade wordt gestart</translation>
    </message>
    <message>
        <source>Verify Erased (2/5)</source>
        <translation>Verificatie Wissen</translation>
    </message>
    <message>
        <source>Verify Flash (2/5)</source>
        <translation>Verificatie Wissen</translation>
    </message>
    <message>
        <source>Verify Write (4/5)</source>
        <translation>Verificatie Schrijven</translation>
    </message>
    <message>
        <source>Writing</source>
        <translation>Schrijven</translation>
    </message>
    <message>
        <source>Writing Flash (3/5)</source>
        <translation>Schrijven Flash</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Browse</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>CRC error in file</source>
        <translation>CRC foutin uploaded bestand. Sluit deze applicatie aub en begin opnieuw.</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Basis Station</translation>
    </message>
    <message>
        <source>Erasing Flash (1/5)</source>
        <translation>Wissen Flash (1/5)</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>FOUT</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>Bestand</translation>
    </message>
    <message>
        <source>Find my Velmora</source>
        <translation>Zoek mijn Velmora</translation>
    </message>
    <message>
        <source>Firmware File</source>
        <translation>Firmware Bestand</translation>
    </message>
    <message>
        <source>Idle</source>
        <translation>Klaar</translation>
    </message>
    <message>
        <source>Information Text Placeholder</source>
        <translation>Met deze applicatie werkt u de software van uw Velmora basisstation en armband bij. De update verandert niets aan de algoritmes voor aanvalsdetectie; hij geeft u alleen toegang tot het nieuwe Velmora portaal.

1. Om uw Velmora te vinden, moet het basisstation met een Ethernet kabel op uw router aangesloten zijn, en moet de computer met deze applicatie (draadloos) met hetzelfde netwerk verbonden zijn. Klik daarna op de knop &apos;Zoek mijn Velmora&apos;.

Wordt uw Velmora niet gevonden? Controleer dan de vorige stap, sluit de applicatie &apos;Velmora Updater&apos;, open hem opnieuw en probeer het nog eens. Lukt het dan nog steeds niet, zet dan even de firewall van uw computer uit of start uw computer opnieuw op, en probeer het opnieuw.

2. Zodra uw Velmora gevonden is, toont het venster het MAC adres, de huidige softwareversie en het toegekende IP adres. Zorg dat de armband aan staat en op de oplader ligt, binnen 3 meter van het basisstation. Na de update werkt het basisstation de armband waar nodig draadloos bij.

3. Klik op de knop &apos;Update firmware&apos;. De update duurt enkele minuten, en u krijgt een melding zodra uw Velmora up-to-date is. De nieuwe softwareversie is dan 143 20210125 V14.3.

Heeft u hulp nodig? Neem alstublieft contact op met onze helpdesk:
helpdesk@velmora.example
+31 (0)20 555 0100</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation>IP Adres</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>Mac Adres</translation>
    </message>
    <message>
        <source>Velmora BaseStation</source>
        <translation>Velmora BasisStation</translation>
    </message>
    <message>
        <source>Velmora Firmware File</source>
        <translation>Velmora Firmware Bestand</translation>
    </message>
    <message>
        <source>Velmora Firmware Update</source>
        <translation>Velmora Firmware Update</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Voortgang</translation>
    </message>
    <message>
        <source>Rebooting (5/5)</source>
        <translation>Rebooting (5/5)</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Zoek</translation>
    </message>
    <message>
        <source>Select Firmware File</source>
        <translation>Selecteer Firmware bestand</translation>
    </message>
    <message>
        <source>Set Default Configuration</source>
        <translation>Zet default configuratie</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>Software Versie</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Succes</translation>
    </message>
    <message>
        <source>Success All Done</source>
        <translation>Succes</translation>
    </message>
    <message>
        <source>Success, all done</source>
        <translation>Success. Upgrade is klaar</translation>
    </message>
    <message>
        <source>The basestation %1 could not be reached</source>
        <translation>Het basis station %1 kan niet worden bereikt.</translation>
    </message>
    <message>
        <source>The bracelet is switched on, connected to a charger and within 3 meters of the base station.</source>
        <translation>The armband is aangezet, verbonden met de oplader en binnen 3 meter bereik van het basisstation.</translation>
    </message>
    <message>
        <source>The firmware file %1 was not found</source>
        <translation>Het firmware bestand %1 is niet gevonden</translation>
    </message>
    <message>
        <source>This Velmora is up to date</source>
        <translation>De Velmora heeft de laatste versie</translation>
    </message>
    <message>
        <source>Update Firmware</source>
        <translation>Update Firmware</translation>
    </message>
    <message>
        <source>Upgrade in Progress. Do not power off the base station!</source>
        <translation>Upgrade bezig. Basisstation niet uitzetten aub.</translation>
    </message>
    <message>
        <source>Upgrade Success</source>
        <translation>Upgrade Geslaagd</translation>
    </message>
    <message>
        <source>Upload Complete</source>
        <translation>Upload Kompleet</translation>
    </message>
    <message>
        <source>Verification Success</source>
        <translation>Verificatie geslaagd</translation>
    </message>
    <message>
        <source>Verification Success. New Firmware Available</source>
        <translation>Upload geverifieerd. Upgrade wordt gestart.</translation>
    </message>
    <message>
        <source>Verify Erased (2/5)</source>
        <translation>Verificatie Wissen (2/5)</translation>
    </message>
    <message>
        <source>Verify Flash (2/5)</source>
        <translation>Verificatie Wissen (2/5)</translation>
    </message>
    <message>
        <source>Verify Write (4/5)</source>
        <translation>Verificatie Schrijven (4/5)</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wachten aub</translation>
    </message>
    <message>
        <source>wait</source>
        <translation>Wachten aub</translation>
    </message>
    <message>
        <source>wait for base</source>
        <translation>Wacht op basis station</translation>
    </message>
    <message>
        <source>Writing Flash (3/5)</source>
        <translation>Schrijven Flash (3/5)</translation>
    </message>
    <message>
        <source>Software version of the base station</source>
        <translation>Software versie van het basisstation</translation>
    </message>
    <message>
        <source>Confirm this to show the Update Firmware button</source>
        <translation>Bevestig dit om de knop Update Firmware te tonen</translation>
    </message>
    <message>
        <source>Address of the base station to update</source>
        <translation>Adres van het basisstation dat wordt bijgewerkt</translation>
    </message>
    <message>
        <source>Language of the window</source>
        <translation>Taal van het venster</translation>
    </message>
    <message>
        <source>Velmora owl</source>
        <translation>Velmora uil</translation>
    </message>
    <message>
        <source>Opens debug mode after several presses</source>
        <translation>Opent na enkele keren drukken de debugmodus</translation>
    </message>
    <message>
        <source>MAC address of the base station</source>
        <translation>MAC adres van het basisstation</translation>
    </message>
    <message>
        <source>Step progress</source>
        <translation>Voortgang stap</translation>
    </message>
    <message>
        <source>Progress of the current step of the update</source>
        <translation>Voortgang van de huidige stap van de update</translation>
    </message>
    <message>
        <source>Total progress</source>
        <translation>Totale voortgang</translation>
    </message>
    <message>
        <source>Progress of the whole update</source>
        <translation>Voortgang van de hele update</translation>
    </message>
    <message>
        <source>The base station did not come back after its restart.</source>
        <translation>Het basisstation is na de herstart niet meer bereikbaar.</translation>
    </message>
    <message>
        <source>Nothing was uploaded, so its firmware is unchanged. Check that the base station has power and that its network cable to the router is plugged in, then search for it again with &quot;%1&quot;.</source>
        <translation>Er is niets geüpload, de firmware is dus niet veranderd. Controleer of het basisstation stroom heeft en of de netwerkkabel naar de router goed vastzit, en zoek het daarna opnieuw met &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>The base station reported an error: %1</source>
        <translation>Het basisstation meldt een fout: %1</translation>
    </message>
    <message>
        <source>The update did not finish. Keep the base station switched on and try the update again.</source>
        <translation>De update is niet afgerond. Laat het basisstation aan staan en probeer de update opnieuw.</translation>
    </message>
    <message>
        <source>The update is still in progress. Closing the updater now can leave the base station without working firmware.</source>
        <translation>De update is nog bezig. Als u de updater nu sluit, kan het basisstation zonder werkende firmware achterblijven.</translation>
    </message>
    <message>
        <source>Close anyway?</source>
        <translation>Toch sluiten?</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nee</translation>
    </message>
    <message>
        <source>The base station stopped answering during the update.</source>
        <translation>Het basisstation reageert niet meer tijdens de update.</translation>
    </message>
    <message>
        <source>It may still be busy with the update, so leave it switched on. In ten minutes, search for it again with &quot;%1&quot;. If it does not show up, check that its network cable to the router is plugged in and search once more; if it still does not show up, contact the helpdesk (see Info).</source>
        <translation>Misschien is het nog met de update bezig, laat het dus aan staan. Zoek het over tien minuten opnieuw met &quot;%1&quot;. Verschijnt het niet, controleer dan of de netwerkkabel naar de router goed vastzit en zoek nog een keer; verschijnt het dan nog steeds niet, neem dan contact op met de helpdesk (zie Info).</translation>
    </message>
    <message>
        <source>The base station did not start the upgrade.</source>
        <translation>Het basisstation is niet met de upgrade begonnen.</translation>
    </message>
    <message>
        <source>Its firmware is unchanged. Keep the base station switched on and try the update again.</source>
        <translation>De firmware is niet veranderd. Laat het basisstation aan staan en probeer de update opnieuw.</translation>
    </message>
    <message>
        <source>The base station has not come back after the update.</source>
        <translation>Het basisstation is na de update niet meer bereikbaar.</translation>
    </message>
    <message>
        <source>Check that the base station has power and that its network cable to the router is plugged in, then search for it again with &quot;%1&quot;.</source>
        <translation>Controleer of het basisstation stroom heeft en of de netwerkkabel naar de router goed vastzit, en zoek het daarna opnieuw met &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>The base station restarted but still runs version %1.</source>
        <translation>Het basisstation is herstart maar draait nog steeds versie %1.</translation>
    </message>
    <message>
        <source>The update did not take, so its firmware is unchanged. Keep the base station switched on and try the update again.</source>
        <translation>De update is niet gelukt, de firmware is dus niet veranderd. Laat het basisstation aan staan en probeer de update opnieuw.</translation>
    </message>
    <message>
        <source>Updating the firmware of the Velmora base station</source>
        <translation>De firmware van het Velmora basisstation wordt bijgewerkt</translation>
    </message>
    <message>
        <source>No base station answered the search.</source>
        <translation>Geen basisstation heeft op de zoekopdracht geantwoord.</translation>
    </message>
    <message>
        <source>Check that the base station is switched on and that its network cable is plugged into the router, and that this computer is on the same home network (not a guest network, and no VPN in between).

A firewall on this computer must let the answers of the base station in (UDP port 23456). To allow them, run one of these two commands:
%1
%2</source>
        <translation>Controleer of het basisstation aan staat en of de netwerkkabel goed in de router zit, en of deze computer op hetzelfde thuisnetwerk zit (niet op een gastnetwerk, en zonder VPN ertussen).

Een firewall op deze computer moet de antwoorden van het basisstation doorlaten (UDP-poort 23456). Dat staat u toe met een van deze twee opdrachten:
%1
%2</translation>
    </message>
    <message>
        <source>Then press &quot;%1&quot; again.</source>
        <translation>Druk daarna opnieuw op &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Enter the address…</source>
        <translation>Adres invoeren…</translation>
    </message>
    <message>
        <source>The address is in your router&apos;s list of devices, for example 192.168.1.20</source>
        <translation>Het adres staat in de lijst met apparaten van uw router, bijvoorbeeld 192.168.1.20</translation>
    </message>
    <message>
        <source>That is not an address of the form 192.168.1.20</source>
        <translation>Dat is geen adres van de vorm 192.168.1.20</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Gebruik: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[opties]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Opties:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Argumenten:</translation>
    </message>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>Toont hulp bij de opties.</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Toont hulp, ook bij de opties van Qt.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Toont de versie.</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Onbekende optie &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Onbekende opties: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Waarde ontbreekt na &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Onverwachte waarde na &apos;%1&apos;.</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Details tonen...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Details verbergen...</translation>
    </message>
</context>
<context>
    <name>Reporter</name>
    <message>
        <source>Then run this command again.</source>
        <translation>Geef daarna deze opdracht opnieuw.</translation>
    </message>
    <message>
        <source>does not answer</source>
        <translation>antwoordt niet</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>laatste versie</translation>
    </message>
    <message>
        <source>update available</source>
        <translation>update beschikbaar</translation>
    </message>
    <message>
        <source>Rebooting the base station</source>
        <translation>Het basisstation wordt herstart</translation>
    </message>
    <message>
        <source>Starting the update without a reboot first</source>
        <translation>De update begint zonder eerst te herstarten</translation>
    </message>
    <message>
        <source>Uploading the firmware image</source>
        <translation>Het firmwarebestand wordt geüpload</translation>
    </message>
    <message>
        <source>Checking the uploaded image</source>
        <translation>Het geüploade bestand wordt gecontroleerd</translation>
    </message>
    <message>
        <source>Starting the upgrade: keep the base station switched on until the update is over</source>
        <translation>De upgrade begint: laat het basisstation aan staan tot de update klaar is</translation>
    </message>
    <message>
        <source>Waiting for the base station to restart</source>
        <translation>Wachten tot het basisstation herstart is</translation>
    </message>
    <message>
        <source>Asking the base station for its new version</source>
        <translation>Het basisstation wordt om zijn nieuwe versie gevraagd</translation>
    </message>
    <message>
        <source>Waiting for the base station %1/%2</source>
        <translation>Wachten op het basisstation %1/%2</translation>
    </message>
    <message>
        <source>Uploading %1 %</source>
        <translation>Uploaden %1 %</translation>
    </message>
    <message>
        <source>Success: the base station now runs %1</source>
        <translation>Geslaagd: het basisstation draait nu %1</translation>
    </message>
    <message>
        <source>Already up to date: the base station runs %1. Nothing was changed.</source>
        <translation>Al de laatste versie: het basisstation draait %1. Er is niets veranderd.</translation>
    </message>
    <message>
        <source>Details of the update:</source>
        <translation>Verloop van de update:</translation>
    </message>
    <message>
        <source>If you know the address of the base station (your router lists it), &quot;%1&quot; updates it without a search.</source>
        <translation>Kent u het adres van het basisstation (uw router vermeldt het), dan werkt &quot;%1&quot; het bij zonder te zoeken.</translation>
    </message>
</context>
<context>
    <name>UpdateCommand</name>
    <message>
        <source>y</source>
        <translation>j</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>Standard input is no terminal, so nobody can be asked whether the bracelet is switched on, connected to a charger and within 3 meters of the base station. Make sure that it is, then give --yes.</source>
        <translation>De standaardinvoer is geen terminal, dus niemand kan gevraagd worden of de armband aan staat, verbonden is met de oplader en binnen 3 meter van het basisstation ligt. Zorg dat dat zo is en geef dan --yes.</translation>
    </message>
    <message>
        <source>The firmware image %1 cannot be read (%2).</source>
        <translation>Het firmwarebestand %1 kan niet worden gelezen (%2).</translation>
    </message>
    <message>
        <source>Put it beside the program, in %1, or name another image with --image.</source>
        <translation>Zet het naast het programma, in %1, of noem een ander bestand met --image.</translation>
    </message>
    <message>
        <source>Searching for base stations</source>
        <translation>Zoeken naar basisstations</translation>
    </message>
    <message>
        <source>Several base stations answered the search: name the one to update with --station ADDRESS.</source>
        <translation>Meerdere basisstations hebben op de zoekopdracht geantwoord: noem het basisstation dat bijgewerkt moet worden met --station ADRES.</translation>
    </message>
    <message>
        <source>[y/N] </source>
        <translation>[j/N] </translation>
    </message>
    <message>
        <source>The update was not started: nothing was sent to the base station.</source>
        <translation>De update is niet gestart: er is niets naar het basisstation gestuurd.</translation>
    </message>
    <message>
        <source>Switch the bracelet on and put it on its charger within 3 meters of the base station, then run the command again.</source>
        <translation>Zet de armband aan en leg hem op de oplader binnen 3 meter van het basisstation, en geef daarna de opdracht opnieuw.</translation>
    </message>
    <message>
        <source>The firmware image %1 is gone.</source>
        <translation>Het firmwarebestand %1 is verdwenen.</translation>
    </message>
    <message>
        <source>The base station answered at %1 (it was at %2): the update follows it there.</source>
        <translation>Het basisstation antwoordde op %1 (het was op %2): de update volgt het daarheen.</translation>
    </message>
    <message>
        <source>The base station %1 does not answer.</source>
        <translation>Het basisstation %1 antwoordt niet.</translation>
    </message>
    <message>
        <source>Check that it is switched on and that its network cable is plugged into the router, and that the address is right.</source>
        <translation>Controleer of het aan staat en of de netwerkkabel goed in de router zit, en of het adres klopt.</translation>
    </message>
    <message>
        <source>Interrupted before the update began: nothing was changed.</source>
        <translation>Onderbroken voordat de update begon: er is niets veranderd.</translation>
    </message>
    <message>
        <source>Interrupted before the upgrade started: the firmware of the base station is unchanged.</source>
        <translation>Onderbroken voordat de upgrade begon: de firmware van het basisstation is niet veranderd.</translation>
    </message>
    <message>
        <source>Run the update again to bring it up to date.</source>
        <translation>Start de update opnieuw om het bij te werken.</translation>
    </message>
    <message>
        <source>Left while the base station is upgrading its firmware.</source>
        <translation>Gestopt terwijl het basisstation zijn firmware bijwerkt.</translation>
    </message>
    <message>
        <source>Leave it switched on: it finishes by itself. In ten minutes, &quot;vmfwupd-cli find&quot; tells which version it runs.</source>
        <translation>Laat het aan staan: het maakt de upgrade zelf af. Over tien minuten toont &quot;vmfwupd-cli find&quot; welke versie het draait.</translation>
    </message>
    <message>
        <source>The base station is upgrading its firmware and must stay switched on. The update goes on; interrupt again within 5 seconds to leave anyway.</source>
        <translation>Het basisstation werkt zijn firmware bij en moet aan blijven staan. De update gaat door; onderbreek binnen 5 seconden nogmaals om toch te stoppen.</translation>
    </message>
</context>
</TS>
