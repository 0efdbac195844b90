#pragma once
// "-regclasses": makes the desktop open a profile (*.tdp) with Tandor for this user. The profile
// type goes into the user's shared-mime-info database, the program's menu entry is made sure of,
// and Tandor becomes the type's default application.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Runs a helper program and returns its exit status (-1: it could not be started); error
// receives what it wrote on standard error. Handed in so that a test sees the calls.
using ToolRunner = std::function<int(const QString& program, const QStringList& arguments, QString* error)>;
// Runs the program from PATH and waits for it (at most half a minute).
int RunTool(const QString& program, const QStringList& arguments, QString* error);

struct FileTypeRegistration {
    QString dataHome;             // $XDG_DATA_HOME (UserDataHome())
    QStringList systemDataFolders;  // $XDG_DATA_DIRS (SystemDataFolders())
    QString programPath;          // the program, by absolute path
    QString iconSource;           // the program's scalable icon; may be empty
    QByteArray mimePackage;       // the shared-mime-info package of the profile type (XML)
};

struct FileTypeRegistrationResult {
    QStringList done;  // what was done, one line each, in order
    QString failure;   // empty: every step was done; else the step that failed and why
};

// Every step is tried in order and stops at the first failure, which the result names; the steps
// before it stay done (each is harmless alone: a type nobody opens yet, a menu entry).
FileTypeRegistrationResult RegisterProfileFileType(const FileTypeRegistration& where, const ToolRunner& run = RunTool);
