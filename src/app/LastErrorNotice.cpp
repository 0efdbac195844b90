#include "app/LastErrorNotice.h"

#include "app/AppMessages.h"
#include "config/Registry.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"

QString LastErrorNoticeText(const QString& lastErrorDate, const QString& lastErrorMsg) {
    const QString blanks(20, QLatin1Char(' '));
    const QString separator = blanks + QChar(0x2014) + blanks;
    return FormatMsg(AppMessage::LastUnattendedRunError, {lastErrorDate}) + QLatin1Char('\n') + separator + QLatin1Char('\n') +
           lastErrorMsg + QLatin1Char('\n') + separator;
}

void ShowLastErrorNotice(const QString& lastErrorDate) {
    const QString flags = QStringLiteral("Flags");
    const QString message =
        ReadUserRegistryValue(flags, QStringLiteral("LastErrorMsg"), QString()).toString();
    const uint32_t answer = Host().ShowMsg(LastErrorNoticeText(lastErrorDate, message),
                                           MsgBox::CheckBoxFlag | MsgBox::Exclamation);
    if (answer & MsgBox::CheckBoxFlag) {
        WriteUserRegistryValue(flags, QStringLiteral("LastErrorDate"), QVariant(QString()));
        WriteUserRegistryValue(flags, QStringLiteral("LastErrorMsg"), QVariant(QString()));
    }
}
