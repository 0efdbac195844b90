#pragma once
// Real folder trees in temporary folders for tests: files with chosen contents and
// modification times, folders, and reading back what is there.

#include <QByteArray>
#include <QHash>
#include <QDateTime>
#include <QString>
#include <QStringList>
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
    // Builds a tree from relative paths: one ending with '/' is a folder, any other a file that
    // holds its own path.
    void Build(const QStringList& paths);
    // A symbolic link at relative pointing at target (taken as it stands), and a named pipe.
    QString Link(const QString& relative, const QString& target);
    QString Pipe(const QString& relative);
    bool Exists(const QString& relative) const;
    QByteArray Read(const QString& relative) const;
    QDateTime Modified(const QString& relative) const;
    void SetModified(const QString& relative, const QDateTime& modified);
    // All files and folders below the tree, relative, sorted; folders end with '/'.
    QStringList List() const;

private:
    QTemporaryDir dir_;
};

// Environment values set for one test and put back when the object goes.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();
    void Set(const char* name, const QByteArray& value);

private:
    QHash<QByteArray, QByteArray> saved_;  // a null value: the name was not set
};

// Points the settings folder, the state folder, the registry store and the clock of the program into a
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
    QByteArray oldXdgState_;
    bool hadXdgState_ = false;
};
