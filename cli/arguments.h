#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the owner asked of vmfwupd-cli, read from its command line.
class Arguments
{
    Q_DECLARE_TR_FUNCTIONS(Arguments)

public:
    enum class Command { Find, Update, Help, Version };

    // Takes the whole command line, the program's name first. False on a mistake: `text` then says what is wrong.
    bool read(const QStringList &arguments);

    Command command = Command::Help;
    // Empty: the station is searched for.
    QString station;
    // Empty: the delivered image beside the program.
    QString image;
    bool preReboot = true;
    // The bracelet question is answered yes beforehand.
    bool yes = false;
    bool json = false;
    // The help text, or what is wrong with the command line.
    QString text;
};
