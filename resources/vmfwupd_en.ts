<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>find or update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update: the base station at this IPv4 address, without a search.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update: this firmware image instead of the delivered one; whatever version the base station then reports counts as success.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update: no reboot of the base station before the upload.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update: answers yes to the question whether the bracelet is switched on, connected to a charger and within 3 meters of the base station.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One JSON object per line on standard output instead of text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;vmfwupd-cli --help&quot; lists the commands and options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One command at a time: find or update.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name a command: find or update.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no command: find or update.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 is an option of update, not of find.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv4 address of four numbers with dots between, such as 192.168.1.20.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Discovery</name>
    <message>
        <source>Discovery Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No base stations found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starting Discovery for Velmora Units</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>IpBaseCtrl</name>
    <message>
        <source>CRC error in file</source>
        <translation>CRC error in uploaded file. Please close this application and start again</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erasing Flash (1/5)</source>
        <translation>Erasing Flash</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Idle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rebooting (5/5)</source>
        <translation>Rebooting</translation>
    </message>
    <message>
        <source>Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload Error occurred. Pls Try Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verification Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verification Success. New Firmware Available</source>
        <translation>Upload ok, upgrade will start</translation>
    </message>
    <message>
        <source>Verify Erased (2/5)</source>
        <translation>Verify Erase</translation>
    </message>
    <message>
        <source>Verify Flash (2/5)</source>
        <translation>Verify Erase</translation>
    </message>
    <message>
        <source>Verify Write (4/5)</source>
        <translation>Verfiy Write</translation>
    </message>
    <message>
        <source>Writing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing Flash (3/5)</source>
        <translation>Writing Flash</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CRC error in file</source>
        <translation>CRC error in uploaded file. Please close this application and start again.</translation>
    </message>
    <message>
        <source>Erasing Flash (1/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find my Velmora</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Idle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information Text Placeholder</source>
        <translation>This application updates the software of your Velmora base station and bracelet. The update does not change the seizure-detection algorithms; it only gives you access to the new Velmora portal.

1. To find your Velmora, the base station must be connected to your router with an Ethernet cable, and the computer running this application must be connected (wirelessly) to the same network. Then click the &apos;Find my Velmora&apos; button.

If your Velmora is not found, check the previous step, close the &apos;Velmora Updater&apos; application, open it again and try once more. If it is still not found, switch off the firewall of your computer for a moment, or restart your computer, and try again.

2. Once your Velmora is found, the window shows its MAC address, its current software version and the IP address it was given. Make sure the bracelet is switched on and lies on its charger, within 3 meters of the base station. After the update, the base station updates the bracelet wirelessly where needed.

3. Click the ‘Update firmware’ button. The update takes a few minutes, and you will be told when your Velmora is up to date. The new software version then reads 143 20210125 V14.3.

Need help? Please contact our helpdesk:
helpdesk@velmora.example
+31 (0)20 555 0100</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora BaseStation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora Firmware File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rebooting (5/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Firmware File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Default Configuration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Success, all done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The basestation %1 could not be reached</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The bracelet is switched on, connected to a charger and within 3 meters of the base station.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The firmware file %1 was not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This Velmora is up to date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade in Progress. Do not power off the base station!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verification Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verification Success. New Firmware Available</source>
        <translation>Firmware successfully uploaded. Upgrade will start.</translation>
    </message>
    <message>
        <source>Verify Erased (2/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Flash (2/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Write (4/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>wait for base</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing Flash (3/5)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software version of the base station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm this to show the Update Firmware button</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address of the base station to update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language of the window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora owl</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens debug mode after several presses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAC address of the base station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Step progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress of the current step of the update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress of the whole update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station did not come back after its restart.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was uploaded, so its firmware is unchanged. Check that the base station has power and that its network cable to the router is plugged in, then search for it again with &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station reported an error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update did not finish. Keep the base station switched on and try the update again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update is still in progress. Closing the updater now can leave the base station without working firmware.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close anyway?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station stopped answering during the update.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It may still be busy with the update, so leave it switched on. In ten minutes, search for it again with &quot;%1&quot;. If it does not show up, check that its network cable to the router is plugged in and search once more; if it still does not show up, contact the helpdesk (see Info).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station did not start the upgrade.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its firmware is unchanged. Keep the base station switched on and try the update again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station has not come back after the update.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that the base station has power and that its network cable to the router is plugged in, then search for it again with &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station restarted but still runs version %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update did not take, so its firmware is unchanged. Keep the base station switched on and try the update again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updating the firmware of the Velmora base station</source>
        <translation></translation>
    </message>
    <message>
        <source>No base station answered the search.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that the base station is switched on and that its network cable is plugged into the router, and that this computer is on the same home network (not a guest network, and no VPN in between).

A firewall on this computer must let the answers of the base station in (UDP port 23456). To allow them, run one of these two commands:
%1
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Then press &quot;%1&quot; again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the address…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The address is in your router&apos;s list of devices, for example 192.168.1.20</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That is not an address of the form 192.168.1.20</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[options]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Displays help on commandline options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Reporter</name>
    <message>
        <source>Then run this command again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>does not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>up to date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rebooting the base station</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starting the update without a reboot first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading the firmware image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking the uploaded image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starting the upgrade: keep the base station switched on until the update is over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the base station to restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Asking the base station for its new version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the base station %1/%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading %1 %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Success: the base station now runs %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Already up to date: the base station runs %1. Nothing was changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details of the update:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If you know the address of the base station (your router lists it), &quot;%1&quot; updates it without a search.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpdateCommand</name>
    <message>
        <source>y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard input is no terminal, so nobody can be asked whether the bracelet is switched on, connected to a charger and within 3 meters of the base station. Make sure that it is, then give --yes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The firmware image %1 cannot be read (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put it beside the program, in %1, or name another image with --image.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Searching for base stations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Several base stations answered the search: name the one to update with --station ADDRESS.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[y/N] </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update was not started: nothing was sent to the base station.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch the bracelet on and put it on its charger within 3 meters of the base station, then run the command again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The firmware image %1 is gone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station answered at %1 (it was at %2): the update follows it there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station %1 does not answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that it is switched on and that its network cable is plugged into the router, and that the address is right.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interrupted before the update began: nothing was changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interrupted before the upgrade started: the firmware of the base station is unchanged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the update again to bring it up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left while the base station is upgrading its firmware.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave it switched on: it finishes by itself. In ten minutes, &quot;vmfwupd-cli find&quot; tells which version it runs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The base station is upgrading its firmware and must stay switched on. The update goes on; interrupt again within 5 seconds to leave anyway.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
