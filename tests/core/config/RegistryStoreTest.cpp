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

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(RegistryStore, WritingToAMissingKeyCreatesItInTheExportFormat) {
    IsolatedEnvironment env;
    EXPECT_EQ(ProgramRegistryKey("Flags"), "Software\\Vellmark\\Tandor\\Flags");
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
}

TEST(RegistryStore, TypeRulesOfStoredValues) {
    IsolatedEnvironment env;
    const QString path = RegistryStorePath(Hive::CurrentUser);
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "Seed", QVariant(1)));  // creates the folder
    WriteAll(path,
             "Windows Registry Editor Version 5.00\r\n\r\n"
             "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\Types]\r\n"
             "\"Number\"=dword:ffffffff\r\n"
             "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
             "\"Multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00\r\n"
             "\"Binary\"=hex:01,02,00,00,ff\r\n"
             "\"Short\"=hex:05\r\n"
             "\"Wrapped\"=hex(2):61,00,\\\r\n  62,00,00,00\r\n"
             "\"Cut\"=hex(1):61,00,00,00,62,00,00,00\r\n"
             "\"Deleted\"=-\r\n"
             "@=\"default text\"\r\n");
    const struct {
        const char* name;
        QVariant value;
    } rows[] = {{"Number", -1},  {"Expand", "%HOME%"}, {"Multi", "one"},          {"Binary", 0x0201},        {"Short", 5},
                {"Wrapped", "ab"}, {"Cut", "a"},       {"Deleted", "gone"}, {"*", "default text"}, {"(Standard)", "default text"}};
    for (const auto& r : rows) EXPECT_EQ(ReadUserRegistryValue("Types", r.name, "gone"), r.value) << r.name;
    EXPECT_EQ(ReadUserRegistryValue("Nope", "Number", 7), QVariant(7));
    // Writing another value keeps the forms this program does not write itself.
    ASSERT_TRUE(WriteUserRegistryValue("Types", "New", QVariant(QString("n"))));
    EXPECT_EQ(ReadUserRegistryValue("Types", "Multi", ""), QVariant(QString("one")));
    EXPECT_EQ(ReadUserRegistryValue("Types", "Expand", ""), QVariant(QString("%HOME%")));
}

TEST(RegistryStore, WritingWithoutAValueDeletesIt) {
    IsolatedEnvironment env;
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastErrorDate", QVariant(QString("today"))));
    EXPECT_TRUE(WriteUserRegistryValue("Flags", "LastErrorDate"));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorDate", "none"), QVariant(QString("none")));
    EXPECT_FALSE(WriteUserRegistryValue("Flags", "LastErrorDate"));  // nothing left to delete
    EXPECT_FALSE(WriteUserRegistryValue("NoSuchKey", "X"));
}

TEST(RegistryStore, DefaultValueAndTextsThatNeedTheHexForm) {
    IsolatedEnvironment env;
    ASSERT_TRUE(WriteUserRegistryValue("", "*", QVariant(QString("top"))));
    EXPECT_EQ(ReadUserRegistryValue("", "(Standard)", ""), QVariant(QString("top")));
    ASSERT_TRUE(WriteUserRegistryValue("", "(Standard)", QVariant(42)));  // kept as its text
    EXPECT_EQ(ReadUserRegistryValue("", "*", ""), QVariant(QString("42")));
    ASSERT_TRUE(WriteUserRegistryValue("", "*", QVariant(QString(300, 'x'))));
    EXPECT_EQ(ReadUserRegistryValue("", "*", "").toString().size(), 255);

    const QString lines = QString::fromUtf8("line 1\r\nline 2 é");
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastErrorMsg", QVariant(lines)));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", ""), QVariant(lines));
    EXPECT_FALSE(WriteUserRegistryValue("Flags", "Huge", QVariant(qint64(1) << 40)));
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "Rounded", QVariant(2.6)));
    EXPECT_EQ(ReadUserRegistryValue("Flags", "Rounded", 0), QVariant(3));
}

TEST(RegistryStore, ReadsFilesSavedAsUtf16) {
    IsolatedEnvironment env;
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "Seed", QVariant(1)));
    const QString text = "Windows Registry Editor Version 5.00\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\CurrentVersion]\r\n"
                         "\"ShortcutFolder\"=\"C:\\\\Links\"\r\n";
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    WriteAll(RegistryStorePath(Hive::CurrentUser), bytes);
    EXPECT_EQ(ReadUserRegistryValue("CurrentVersion", "ShortcutFolder", ""), QVariant(QString("C:\\Links")));
}

TEST(RegistryStore, CanWriteMachineKeyIsTheSuccessOfTheWriteAndLeavesTheValueEmpty) {
    IsolatedEnvironment env;
    EXPECT_TRUE(CanWriteMachineKey());
    EXPECT_EQ(ReadMachineRegistryValue("", "*", "unset"), QVariant(QString()));

    TempTree t;
    t.File("blocker", "a file where a folder would have to be");
    SetRegistryStorePathForTests(Hive::LocalMachine, t.Path("blocker/system.reg"));
    EXPECT_FALSE(CanWriteMachineKey());
    EXPECT_FALSE(WriteMachineRegistryValue("Flags", "X", QVariant(1)));
    EXPECT_EQ(ReadMachineRegistryValue("Flags", "X", 5), QVariant(5));
}

}  // namespace
