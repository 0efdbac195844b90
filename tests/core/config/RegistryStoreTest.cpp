#include "config/Registry.h"
#include "platform/RegistryStore.h"

#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(RegistryStore, ValuesAreWrittenInTheExportFormatReadBackAndDeleted) {
    IsolatedEnvironment env;
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastErrorMsg", QVariant(QString("a \"b\" c:\\d"))));
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "Runs", QVariant(10)));
    EXPECT_EQ(ReadAll(RegistryStorePath(Hive::CurrentUser)),
              QByteArray("Windows Registry Editor Version 5.00\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\Flags]\r\n"
                         "@=\"\"\r\n"
                         "\"LastErrorMsg\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
                         "\"Runs\"=dword:0000000a\r\n\r\n"));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", "x").toString(), "a \"b\" c:\\d");
    EXPECT_EQ(ReadUserRegistryValue("flags", "runs", "x"), QVariant(10));
    // A text with line breaks goes in the hex form and comes back whole.
    const QString lines = QString::fromUtf8("line 1\r\nline 2 é");
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastErrorMsg", QVariant(lines)));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", ""), QVariant(lines));
    // Writing without a value deletes it.
    EXPECT_TRUE(WriteUserRegistryValue("Flags", "LastErrorMsg"));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", "none"), QVariant(QString("none")));
    EXPECT_FALSE(WriteUserRegistryValue("Flags", "LastErrorMsg"));  // nothing left to delete
}

}  // namespace
