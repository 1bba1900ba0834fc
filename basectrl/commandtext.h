#ifndef COMMANDTEXT_H
#define COMMANDTEXT_H

#include <QString>

// A text as it goes between the quotes of a JSON command that travels in the
// query of a URL: JSON-escaped, and with the characters that would end or alter
// the query ("%", "&", "#", "+", "=") percent-encoded ahead, so that the station's
// decoded query value is the whole command. Other characters stay as they are;
// the URL library encodes them (quotes, spaces, non-ASCII) the usual way.
QString commandStringValue(const QString &text);

#endif // COMMANDTEXT_H
