#include "FilePropertiesDlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString FormatTime(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QString();
}

QString FormatSize(qint64 nBytes)
{
    return QStringLiteral("%1 MB (%2 bytes)")
        .arg(static_cast<double>(nBytes) / 1048576.0, 0, 'f', 2)
        .arg(nBytes);
}

// "rw-r--r--" for the owner, the group and others.
QString FormatPermissions(QFileDevice::Permissions permissions)
{
    const struct
    {
        QFileDevice::Permission flag;
        QChar letter;
    } bits[] = {
        {QFileDevice::ReadOwner, u'r'}, {QFileDevice::WriteOwner, u'w'}, {QFileDevice::ExeOwner, u'x'},
        {QFileDevice::ReadGroup, u'r'}, {QFileDevice::WriteGroup, u'w'}, {QFileDevice::ExeGroup, u'x'},
        {QFileDevice::ReadOther, u'r'}, {QFileDevice::WriteOther, u'w'}, {QFileDevice::ExeOther, u'x'},
    };
    QString text;
    for (const auto& bit : bits)
        text += (permissions & bit.flag) ? bit.letter : QLatin1Char('-');
    return text;
}

} // namespace

CFilePropertiesDlg::CFilePropertiesDlg(const QString& strPath, const AudioDetails& audio,
                                       QWidget* parent)
    : QDialog(parent)
    , m_pForm(new QFormLayout)
{
    const QFileInfo info(strPath);
    setWindowTitle(QStringLiteral("%1 Properties").arg(info.fileName()));

    AddField(QStringLiteral("Name:"), info.fileName());
    AddField(QStringLiteral("Folder:"), QDir::toNativeSeparators(info.absolutePath()));
    if (info.exists()) {
        AddField(QStringLiteral("Size:"), FormatSize(info.size()));
        AddField(QStringLiteral("Created:"), FormatTime(info.birthTime()));
        AddField(QStringLiteral("Modified:"), FormatTime(info.lastModified()));
        AddField(QStringLiteral("Accessed:"), FormatTime(info.lastRead()));
        AddField(QStringLiteral("Owner:"), info.owner());
        AddField(QStringLiteral("Permissions:"), FormatPermissions(info.permissions()));
    } else {
        AddField(QStringLiteral("Size:"), QStringLiteral("File NOT Found!"));
    }
    AddField(QStringLiteral("Type:"), audio.strType);
    AddField(QStringLiteral("Duration:"), audio.strDuration);
    AddField(QStringLiteral("Frequency:"), audio.strFrequency);
    AddField(QStringLiteral("Channel:"), audio.strChannels);
    if (!audio.strProblem.isEmpty())
        AddField(QStringLiteral("Problem:"), audio.strProblem);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_pForm);
    layout->addWidget(buttons);
    resize(480, sizeHint().height());
}

void CFilePropertiesDlg::AddField(const QString& strLabel, const QString& strValue)
{
    // Read-only edits let the user select and copy a value.
    auto* value = new QLineEdit(strValue);
    value->setReadOnly(true);
    value->setFrame(false);
    value->setCursorPosition(0);
    m_pForm->addRow(strLabel, value);
}

QString CFilePropertiesDlg::FieldText(const QString& strLabel) const
{
    for (int nRow = 0; nRow < m_pForm->rowCount(); ++nRow) {
        auto* label = qobject_cast<QLabel*>(m_pForm->itemAt(nRow, QFormLayout::LabelRole)->widget());
        if (label && label->text() == strLabel) {
            if (auto* value = qobject_cast<QLineEdit*>(m_pForm->itemAt(nRow, QFormLayout::FieldRole)->widget()))
                return value->text();
        }
    }
    return {};
}
