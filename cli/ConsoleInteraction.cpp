#include "ConsoleInteraction.h"

int ConsoleInteraction::MessageBox(QWidget*, const QString&, const QString&, unsigned)
{
    return IDOK;
}

QStringList ConsoleInteraction::GetOpenFileNames(QWidget*, const QString&, const QString&,
                                                 const QString&, const QString&)
{
    return {};
}

QString ConsoleInteraction::GetExistingDirectory(QWidget*, const QString&, const QString&)
{
    return {};
}

int ConsoleInteraction::ExecDialog(QDialog*)
{
    return 0;
}

bool ConsoleInteraction::OpenWithDefault(const QString&)
{
    return false;
}

bool ConsoleInteraction::OpenWithWebPageHandler(const QString&)
{
    return false;
}

bool ConsoleInteraction::ShowFileProperties(const QString&)
{
    return false;
}
