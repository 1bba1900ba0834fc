// Catalog keys that no literal of the code names, listed for the lupdate target only (nothing compiles this):
// the status texts the station reports during an upgrade, the controller's texts that the window looks up a
// second time in its own context, older keys the catalogs still answer, and the buttons of a message box's details,
// which Qt looks up in its own context. Without them lupdate -no-obsolete
// would drop their translations.
#pragma once
#include <QtGlobal>

static const char *const runtimeTexts[][2] = {
    {"QMessageBox", QT_TRANSLATE_NOOP("QMessageBox", "Show Details...")},
    {"QMessageBox", QT_TRANSLATE_NOOP("QMessageBox", "Hide Details...")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Idle")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "FILE")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Verification Success. New Firmware Available")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Erasing Flash (1/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Verify Erased (2/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Verify Flash (2/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Writing Flash (3/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Verify Write (4/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Rebooting (5/5)")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Success")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "ERROR")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "CRC error in file")},
    {"IpBaseCtrl", QT_TRANSLATE_NOOP("IpBaseCtrl", "Upgrade %1 %2% complete")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "CRC error in file")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Device")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Erasing Flash (1/5)")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "ERROR")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "FILE")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Idle")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Rebooting (5/5)")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Search")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Success")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Success All Done")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Upgrade Success")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Upload Complete")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Verification Success")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Verification Success. New Firmware Available")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Verify Erased (2/5)")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Verify Flash (2/5)")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Verify Write (4/5)")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "wait")},
    {"MainWindow", QT_TRANSLATE_NOOP("MainWindow", "Writing Flash (3/5)")},
};
