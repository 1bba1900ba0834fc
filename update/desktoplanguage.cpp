#include "desktoplanguage.h"

#include <QStringList>

QString desktopLanguage(const QLocale &locale)
{
    const QStringList languages = locale.uiLanguages();
    const bool dutch = !languages.isEmpty() && QLocale(languages.constFirst()).language() == QLocale::Dutch;
    return dutch ? QStringLiteral("nl") : QStringLiteral("en");
}
