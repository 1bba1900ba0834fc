// A text that neither catalog accounts for, for the test catalogs-name-a-new-text only (nothing compiles this).
#pragma once
#include <QtGlobal>

static const char *const newText = QT_TRANSLATE_NOOP("MainWindow", "A text no catalog accounts for");
