#include "ui/main/RunErrorsList.h"

#include "i18n/TextLookup.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

RunErrorsList::RunErrorsList(const QStringList& errors, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("RunErrorsList"));
    setWindowTitle(FormatMsg(1224));
    setAccessibleName(windowTitle());
    list_ = new QPlainTextEdit(this);
    list_->setObjectName(QStringLiteral("txtErrors"));
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setPlainText(errors.join(QLatin1Char('\n')));
    list_->setAccessibleName(windowTitle());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(720, 360);
}

QString RunErrorsList::Text() const { return list_->toPlainText(); }
