#pragma once

#include <QCoreApplication>

// High-DPI scaling on, before the application object exists, as Qt requires. Qt 6 always scales.
inline void enableHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) // Qt 6 has the attribute only as a deprecated no-op
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
}
