#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

// Readers of the translation sources (.ts) as lupdate writes them, and of the list of texts that a catalog
// leaves out on purpose. Each returns what it read or, when the text cannot be read, sets *error.

struct CatalogKey
{
    QString context;
    QString source;

    bool operator==(const CatalogKey &other) const
    {
        return context == other.context && source == other.source;
    }
};

inline size_t qHash(const CatalogKey &key, size_t seed = 0)
{
    return qHash(key.context, seed) ^ qHash(key.source, seed);
}

// Catalog language ("en", "nl") to the texts that catalog must not hold.
using Omissions = QHash<QString, QSet<CatalogKey>>;

// The language attribute of the catalog's TS element.
QString catalogLanguage(const QString &ts, QString *error);

// Every entry of the catalog, in the order the file holds them.
QVector<CatalogKey> catalogKeys(const QString &ts, QString *error);

// The catalog text with the entries of `drop` cut out; everything else stays as it was, byte for byte. A context
// left without entries goes too, as lupdate writes none.
QString withoutEntries(const QString &ts, const QSet<CatalogKey> &drop, QString *error);

// Lines `LANGUAGES CONTEXT "SOURCE"`, LANGUAGES a comma-separated list such as "en,nl"; the source text runs to
// the last double quote of the line. Empty lines and lines starting with '#' are skipped.
Omissions readOmissions(const QString &text, QString *error);
