#ifndef COMMANDTEXT_H
#define COMMANDTEXT_H

#include <QString>

// A text as it goes between the quotes of a JSON command that travels in the
// query of a URL: JSON-escaped, and with the characters that would end or alter
// the query ("%", "&", "#", "+", "=") percent-encoded ahead, so that the station's
// decoded query value is the whole command. Other characters stay as they are;
// the URL library encodes them (quotes, spaces, non-ASCII) the usual way.
QString commandStringValue(const QString &text);

// The image's file name as it goes between the quotes of the upload's Content-Disposition
// header, which is how the station stores it and how the start-upgrade command must name it.
// A double quote or a line break would end the quoted name or the header, other control
// characters have no place in a header, and a backslash means an escape to some readers:
// these go percent-encoded (as browsers write a double quote), so that every reader takes
// the same characters. Other names go as they are.
QString uploadFileName(const QString &fileName);

#endif // COMMANDTEXT_H
