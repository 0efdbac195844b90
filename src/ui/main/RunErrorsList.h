#pragma once
// The errors and skipped entries of the last command, one per line, in a window the user can
// read, scroll and copy from; the status bar's "Show errors..." opens it.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class RunErrorsList : public QDialog {
    Q_OBJECT
public:
    RunErrorsList(const QStringList& errors, QWidget* owner);
    QString Text() const;

private:
    QPlainTextEdit* list_ = nullptr;
};
