<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl">
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
</TS>
