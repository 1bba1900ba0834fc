// vmfwupd-catalogs: refreshes the translation sources from the code, or checks that they match it.
//
// lupdate alone would add an entry for every text the code looks up, also for those a catalog must not hold:
// texts shown as written in both languages, and older keys that only the Dutch catalog answers. So lupdate
// writes temporary copies, the entries that the omission list names for a catalog's language are cut out of
// its copy, and the result is what the catalog must be: "refresh" writes it over the catalog, "check" reports
// every way the catalog differs from it and fails.

#include "catalogtext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int lupdateTimeoutMs = 120000;

bool readText(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    *text = QString::fromUtf8(bytes.constData(), bytes.size());
    return true;
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()
           && file.flush();
}

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
}

QString quoted(const CatalogKey &key)
{
    return QStringLiteral("%1 \"%2\"").arg(key.context, key.source);
}

bool runLupdate(const QString &lupdate, const QStringList &sources, const QStringList &catalogs)
{
    // -no-obsolete: a text the code no longer looks up leaves the catalog (run-time texts are named in
    // resources/runtimetexts.h). The guessing heuristics stay off: they would copy translations between
    // contexts whose texts must differ.
    QStringList arguments{QStringLiteral("-silent"),
                          QStringLiteral("-locations"),
                          QStringLiteral("none"),
                          QStringLiteral("-no-obsolete"),
                          QStringLiteral("-disable-heuristic"),
                          QStringLiteral("sametext"),
                          QStringLiteral("-disable-heuristic"),
                          QStringLiteral("similartext"),
                          QStringLiteral("-disable-heuristic"),
                          QStringLiteral("number")};
    arguments << sources << QStringLiteral("-ts") << catalogs;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(lupdate, arguments);
    const bool finished = process.waitForFinished(lupdateTimeoutMs);
    const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    say(QStringLiteral("lupdate failed (%1): %2").arg(process.errorString(), output));
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return false;
}

// Says how the catalog differs from what the refresh makes of it; false when it does.
bool compare(const QString &name, const QString &committed, const QString &refreshed, const QString &listName,
             const QSet<CatalogKey> &left, const QString &language)
{
    if (committed == refreshed)
        return true;
    QString error;
    const QVector<CatalogKey> held = catalogKeys(committed, &error);
    const QVector<CatalogKey> wanted = catalogKeys(refreshed, &error);
    bool explained = false;
    for (const CatalogKey &key : wanted) {
        if (!held.contains(key)) {
            say(QStringLiteral("%1: the code looks up %2, which this catalog neither holds nor leaves out on "
                               "purpose (%3, language %4): not accounted for")
                    .arg(name, quoted(key), listName, language));
            explained = true;
        }
    }
    for (const CatalogKey &key : held) {
        if (wanted.contains(key))
            continue;
        if (left.contains(key))
            say(QStringLiteral("%1: holds %2, which %3 leaves out of it").arg(name, quoted(key), listName));
        else
            say(QStringLiteral("%1: holds %2, which the code no longer looks up (a text that only arrives at "
                               "run time belongs in resources/runtimetexts.h)")
                    .arg(name, quoted(key)));
        explained = true;
    }
    if (!explained)
        say(QStringLiteral("%1: differs in order or layout from what the refresh writes (run the build target "
                           "lupdate and review the diff)")
                .arg(name));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "refresh: rewrite the catalogs from the code, leaving out what the omission list names.\n"
        "check: fail, saying why, when a catalog differs from what refresh would write."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("refresh or check"));
    parser.addPositionalArgument(QStringLiteral("sources"), QStringLiteral("files and directories lupdate reads"),
                                 QStringLiteral("SOURCE..."));
    const QCommandLineOption lupdateOption(QStringLiteral("lupdate"), QStringLiteral("the lupdate program"),
                                           QStringLiteral("PATH"));
    const QCommandLineOption omissionsOption(QStringLiteral("omissions"),
                                             QStringLiteral("the list of texts catalogs leave out on purpose"),
                                             QStringLiteral("FILE"));
    const QCommandLineOption catalogOption(QStringLiteral("catalog"), QStringLiteral("a .ts catalog (repeatable)"),
                                           QStringLiteral("TS"));
    parser.addOptions({lupdateOption, omissionsOption, catalogOption});
    parser.process(app);

    QStringList sources = parser.positionalArguments();
    const QString mode = sources.isEmpty() ? QString() : sources.takeFirst();
    const QStringList catalogs = parser.values(catalogOption);
    if ((mode != QLatin1String("refresh") && mode != QLatin1String("check")) || sources.isEmpty()
        || catalogs.isEmpty() || !parser.isSet(lupdateOption) || !parser.isSet(omissionsOption)) {
        say(QStringLiteral("usage: vmfwupd-catalogs refresh|check --lupdate PATH --omissions FILE --catalog TS "
                           "[--catalog TS...] SOURCE..."));
        return 2;
    }

    const QString listName = parser.value(omissionsOption);
    QString listText;
    if (!readText(parser.value(omissionsOption), &listText)) {
        say(QStringLiteral("cannot read ") + parser.value(omissionsOption));
        return 2;
    }
    QString error;
    const Omissions omissions = readOmissions(listText, &error);
    if (!error.isEmpty()) {
        say(parser.value(omissionsOption) + QStringLiteral(": ") + error);
        return 2;
    }

    QTemporaryDir scratch;
    QStringList committed;
    QStringList copies;
    for (int i = 0; i < catalogs.size(); ++i) {
        QString text;
        if (!readText(catalogs.at(i), &text)) {
            say(QStringLiteral("cannot read ") + catalogs.at(i));
            return 2;
        }
        committed << text;
        copies << scratch.filePath(QString::number(i) + QLatin1Char('_') + QFileInfo(catalogs.at(i)).fileName());
        if (!scratch.isValid() || !writeText(copies.constLast(), text)) {
            say(QStringLiteral("cannot write a copy of %1 in %2").arg(catalogs.at(i), scratch.path()));
            return 2;
        }
    }
    if (!runLupdate(parser.value(lupdateOption), sources, copies))
        return 2;

    bool ok = true;
    for (int i = 0; i < catalogs.size(); ++i) {
        const QString name = QFileInfo(catalogs.at(i)).fileName();
        QString refreshed;
        error.clear();
        const QString language = catalogLanguage(committed.at(i), &error);
        if (error.isEmpty() && !readText(copies.at(i), &refreshed))
            error = QStringLiteral("lupdate wrote no catalog");
        const QSet<CatalogKey> left = omissions.value(language);
        const QString result = error.isEmpty() ? withoutEntries(refreshed, left, &error) : QString();
        if (!error.isEmpty()) {
            say(name + QStringLiteral(": ") + error);
            return 2;
        }
        // An omission the code no longer looks up would hide a text that comes back one day.
        const QVector<CatalogKey> looked = catalogKeys(refreshed, &error);
        for (const CatalogKey &key : left) {
            if (!looked.contains(key)) {
                say(QStringLiteral("%1: leaves %2 out of %3, but the code does not look it up")
                        .arg(listName, quoted(key), name));
                ok = false;
            }
        }
        if (mode == QLatin1String("check")) {
            ok = compare(name, committed.at(i), result, listName, left, language) && ok;
        } else if (result != committed.at(i)) {
            if (!writeText(catalogs.at(i), result)) {
                say(QStringLiteral("cannot write ") + catalogs.at(i));
                return 2;
            }
            say(QStringLiteral("%1: refreshed").arg(name));
        }
    }
    if (ok && mode == QLatin1String("check"))
        say(QStringLiteral("catalogs match the code: every text is held or left out on purpose"));
    return ok ? 0 : 1;
}
