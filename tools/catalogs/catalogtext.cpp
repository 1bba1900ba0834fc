#include "catalogtext.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

// A stretch of the catalog text, [begin, end), always whole lines.
struct Span
{
    int begin = 0;
    int end = 0;
};

struct Entry
{
    CatalogKey key;
    Span span;
    int context = 0;
};

struct Catalog
{
    QString language;
    QVector<Span> contexts;
    QVector<Entry> entries;
};

// Widens [begin, end) to the lines it touches, the line feed after it included.
Span wholeLines(const QString &text, qint64 begin, qint64 end)
{
    Span span;
    span.begin = begin > 0 ? int(text.lastIndexOf(QLatin1Char('\n'), int(begin) - 1)) + 1 : 0;
    const auto lineEnd = text.indexOf(QLatin1Char('\n'), int(end));
    span.end = int(lineEnd < 0 ? text.size() : lineEnd + 1);
    return span;
}

bool parse(const QString &ts, Catalog *catalog, QString *error)
{
    QXmlStreamReader reader(ts);
    qint64 tokenStart = 0;
    qint64 contextStart = 0;
    qint64 entryStart = 0;
    QString context;
    CatalogKey key;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.name();
        if (reader.isStartElement()) {
            if (name == QLatin1String("TS")) {
                catalog->language = reader.attributes().value(QLatin1String("language")).toString();
            } else if (name == QLatin1String("context")) {
                contextStart = tokenStart;
                context.clear();
            } else if (name == QLatin1String("name")) {
                context = reader.readElementText();
            } else if (name == QLatin1String("message")) {
                entryStart = tokenStart;
                key = {context, QString()};
            } else if (name == QLatin1String("source")) {
                key.source = reader.readElementText();
            }
        } else if (reader.isEndElement()) {
            if (name == QLatin1String("message")) {
                catalog->entries.append(
                    {key, wholeLines(ts, entryStart, reader.characterOffset()), int(catalog->contexts.size())});
            } else if (name == QLatin1String("context")) {
                catalog->contexts.append(wholeLines(ts, contextStart, reader.characterOffset()));
            }
        }
        // Where the next token starts: the reader only tells where the current one ends.
        tokenStart = reader.characterOffset();
    }
    if (reader.hasError()) {
        *error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
        return false;
    }
    return true;
}

} // namespace

QString catalogLanguage(const QString &ts, QString *error)
{
    Catalog catalog;
    if (!parse(ts, &catalog, error))
        return QString();
    if (catalog.language.isEmpty())
        *error = QStringLiteral("the catalog does not say its language (TS language attribute)");
    return catalog.language;
}

QVector<CatalogKey> catalogKeys(const QString &ts, QString *error)
{
    Catalog catalog;
    if (!parse(ts, &catalog, error))
        return {};
    QVector<CatalogKey> keys;
    for (const Entry &entry : qAsConst(catalog.entries))
        keys.append(entry.key);
    return keys;
}

QString withoutEntries(const QString &ts, const QSet<CatalogKey> &drop, QString *error)
{
    Catalog catalog;
    if (!parse(ts, &catalog, error))
        return QString();
    QVector<int> kept(catalog.contexts.size(), 0);
    for (const Entry &entry : qAsConst(catalog.entries)) {
        if (!drop.contains(entry.key))
            ++kept[entry.context];
    }
    // Cut from the end so that the spans still ahead keep their offsets.
    QString result = ts;
    auto entry = catalog.entries.size() - 1;
    for (auto context = catalog.contexts.size() - 1; context >= 0; --context) {
        const Span span = catalog.contexts.at(context);
        if (kept.at(context) == 0) {
            result.remove(span.begin, span.end - span.begin);
            while (entry >= 0 && catalog.entries.at(entry).context == context)
                --entry;
            continue;
        }
        for (; entry >= 0 && catalog.entries.at(entry).context == context; --entry) {
            const Entry &cut = catalog.entries.at(entry);
            if (drop.contains(cut.key))
                result.remove(cut.span.begin, cut.span.end - cut.span.begin);
        }
    }
    return result;
}

Omissions readOmissions(const QString &text, QString *error)
{
    static const QRegularExpression line(QStringLiteral("^(\\S+)\\s+(\\S+)\\s+\"(.*)\"\\s*$"));
    Omissions omissions;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch match = line.match(trimmed);
        if (!match.hasMatch()) {
            *error = QStringLiteral("line %1: expected LANGUAGES CONTEXT \"SOURCE\": %2").arg(i + 1).arg(trimmed);
            return {};
        }
        const CatalogKey key{match.captured(2), match.captured(3)};
        const QStringList languages = match.captured(1).split(QLatin1Char(','));
        for (const QString &language : languages)
            omissions[language].insert(key);
    }
    return omissions;
}
