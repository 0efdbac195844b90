#pragma once
// Real folder trees in temporary folders for tests: files with chosen contents and
// modification times, folders, and reading back what is there.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

class TempTree {
public:
    TempTree();
    // Absolute path of a relative path inside the tree ("" is the tree's own folder).
    QString Path(const QString& relative = QString()) const;
    // Creates the file (and its folders) with the given contents; sets the modification time
    // when one is given.
    QString File(const QString& relative, const QByteArray& contents,
                 const QDateTime& modified = QDateTime());
    QString Folder(const QString& relative);
    bool Exists(const QString& relative) const;
    QByteArray Read(const QString& relative) const;
    QDateTime Modified(const QString& relative) const;
    void SetModified(const QString& relative, const QDateTime& modified);
    // All files and folders below the tree, relative, sorted; folders end with '/'.
    QStringList List() const;

private:
    QTemporaryDir dir_;
};

// Points the settings folder, the registry store and the clock of the program into a
// temporary folder for the lifetime of the object, and resets the shared records.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    QString ConfigHome() const { return configHome_.path(); }

private:
    QTemporaryDir configHome_;
    QByteArray oldXdg_;
    bool hadXdg_ = false;
};
