#pragma once

#include <QLocale>
#include <QString>

// The language a front end starts in: "nl" on a Dutch desktop (its first language, as LANGUAGE, LC_ALL,
// LC_MESSAGES or LANG give it on Linux), "en" on every other. Its catalog is ":/vmfwupd_" followed by it.
QString desktopLanguage(const QLocale &locale = QLocale::system());
