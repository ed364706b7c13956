#include "DesktopInteraction.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include "DesktopEntry.h"
#include "DesktopProgram.h"

namespace {

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

DesktopInteraction::DesktopInteraction(QString strOpener, int nOpenerWaitMs)
    : m_strOpener(std::move(strOpener))
    , m_nOpenerWaitMs(nOpenerWaitMs)
{
}

int DesktopInteraction::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                   unsigned type)
{
    QMessageBox box(IconOf(type), caption, text, QMessageBox::NoButton, parent);
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Ok:
        return IDOK;
    default:
        return IDCANCEL;
    }
}

QStringList DesktopInteraction::GetOpenFileNames(QWidget* parent, const QString& caption,
                                                 const QString& folder, const QString& filter,
                                                 const QString& defaultSuffix)
{
    // The static helper has no default suffix, so the dialog is built here.
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString DesktopInteraction::GetExistingDirectory(QWidget* parent, const QString& caption,
                                                 const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, caption, folder);
}

int DesktopInteraction::ExecDialog(QDialog* dialog)
{
    return dialog->exec();
}

bool DesktopInteraction::OpenWithDefault(const QString& pathOrUrl)
{
    // Qt's own opener reports only that a launcher started; the opener's
    // exit status says whether anything could open the item.
    const QString target =
        QFileInfo::exists(pathOrUrl) ? pathOrUrl : QUrl::fromUserInput(pathOrUrl).toString();
    const DesktopProgramResult opened = RunDesktopProgram(m_strOpener, {target}, m_nOpenerWaitMs);
    // An opener still running after the wait has started what it opens.
    return opened.bStarted && (!opened.bFinished || opened.nExitCode == 0);
}

bool DesktopInteraction::OpenWithWebPageHandler(const QString& address)
{
    const DesktopProgramResult query = RunDesktopProgram(
        QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")},
        m_nOpenerWaitMs);
    if (!query.bFinished || query.nExitCode != 0)
        return false;
    const QStringList command = DesktopEntryCommand(QString::fromUtf8(query.output).trimmed(), address);
    return !command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1));
}

bool DesktopInteraction::ShowFileProperties(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(service).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                       service, QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    return bus.call(call, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage;
}
