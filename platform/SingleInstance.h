#pragma once

#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

// One running instance per user and name: the first holds a lock file in
// the user's runtime folder and listens on a local socket; a later start
// finds the lock, asks the first to come forward and ends.
class CSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is now the running instance. Otherwise the
    // running instance was asked to come forward (if it answers within a
    // short time) and this process should end.
    bool Acquire();

signals:
    // A later start asked this instance to bring its window forward.
    void ActivationRequested();

private:
    bool Listen();
    void AskRunningInstanceToActivate() const;

    QString m_strName;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
};
