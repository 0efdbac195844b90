// The shipped language files against the key table and against the keys the code uses: a key
// that a window or a message needs and a language file lacks shows an empty text to the user.

#include "i18n/TextLookup.h"

#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

// tests/core/i18n/<this file> -> the repository.
QString SourceRoot() { return QDir::cleanPath(QStringLiteral(__FILE__ "/../../../..")); }

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

struct LangEntry {
    QString key;
    QString value;
    int line = 0;
};

// The entries of a language file line by line, as written (comments and blank lines skipped).
QList<LangEntry> ReadEntries(const QString& path)
{
    QList<LangEntry> entries;
    const QStringList lines = ReadText(path).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        entries.push_back({line.left(eq).trimmed(), eq < 0 ? QString() : line.mid(eq + 1).trimmed(), i + 1});
    }
    return entries;
}

struct TableRow {
    QString key, window, element, text, toolTip;
};

QList<TableRow> ReadTable()
{
    QList<TableRow> rows;
    const QStringList lines = ReadText(SourceRoot() + QStringLiteral("/src/i18n/KeyTable.tsv")).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        rows.push_back({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
    }
    return rows;
}

// The placeholders a text uses ("%1", "%2" ...), so that a translation asks for the same values.
QSet<QString> Placeholders(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("%(\\d+)"));
    QSet<QString> found;
    auto it = re.globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(1));
    return found;
}

// Keys named in the sources: FormatMsg / FormatToolTip with a literal key, "key" properties of
// .ui files and keys set on controls in code.
QMap<QString, QString> KeysUsedBySources()
{
    static const QRegularExpression callNumber(
        QStringLiteral("Format(?:Msg|ToolTip)\\(\\s*(\\d+)\\s*[,)]"));
    static const QRegularExpression callText(
        QStringLiteral("Format(?:Msg|ToolTip)\\(\\s*(?:QStringLiteral|QLatin1String|QString)\\(\\s*\"([^\"]+)\"\\s*\\)"));
    static const QRegularExpression uiKey(QStringLiteral(
        "<property name=\"key\"[^>]*>\\s*<(?:number|string)>\\s*([^<\\s]+)\\s*</(?:number|string)>"));
    static const QRegularExpression codeKey(QStringLiteral("setProperty\\(\\s*\"key\"\\s*,\\s*(\\d+)\\s*\\)"));

    QMap<QString, QString> used;  // key -> first file that uses it
    QDirIterator it(SourceRoot() + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString text = ReadText(path);
        const QString relative = QDir(SourceRoot()).relativeFilePath(path);
        const bool ui = path.endsWith(QLatin1String(".ui"));
        const std::vector<const QRegularExpression*> patterns =
            ui ? std::vector<const QRegularExpression*>{&uiKey}
               : std::vector<const QRegularExpression*>{&callNumber, &callText, &codeKey};
        for (const QRegularExpression* re : patterns) {
            auto match = re->globalMatch(text);
            while (match.hasNext()) {
                const QString key = match.next().captured(1);
                if (key == QLatin1String("0"))
                    continue;
                if (!used.contains(key.toUpper()))
                    used.insert(key.toUpper(), relative);
            }
        }
    }
    return used;
}

const QStringList& Languages()
{
    static const QStringList files{QStringLiteral("English"), QStringLiteral("Deutsch")};
    return files;
}

QString LangPath(const QString& language)
{
    return SourceRoot() + QStringLiteral("/data/") + language + QStringLiteral(".lang");
}

// The shipped files as the program reads them from its own folder.
class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramFolder_ = ProgramFolder();
        SetProgramFolderForTests(SourceRoot() + QStringLiteral("/data"));
    }
    void TearDown() override
    {
        clsLocalizeControls::SetDuplicateSink({});
        SetProgramFolderForTests(savedProgramFolder_);
    }
    IsolatedEnvironment env_;
    QString savedProgramFolder_;
};

TEST_F(LanguageFiles, LoadWithoutDuplicatesAndHoldNoLineWithoutEqualsSign)
{
    QStringList duplicates;
    clsLocalizeControls::SetDuplicateSink([&duplicates](const QString& text, const QString&) { duplicates << text; });
    for (const QString& language : Languages()) {
        const QList<LangEntry> entries = ReadEntries(LangPath(language));
        ASSERT_GT(entries.size(), 300) << qPrintable(language);
        for (const LangEntry& e : entries)
            EXPECT_FALSE(e.value.isNull()) << qPrintable(language) << " line " << e.line << " has no '='";
        const clsLocalizeControls texts(language);
        EXPECT_TRUE(texts.HasText(QStringLiteral("homepage"))) << qPrintable(language);
    }
    EXPECT_EQ(duplicates, QStringList());
}

TEST_F(LanguageFiles, HoldEveryKeyOfTheTableWithTheSamePlaceholdersAndTheDesignTextsInEnglish)
{
    const QList<TableRow> table = ReadTable();
    ASSERT_GT(table.size(), 300);
    QMap<QString, QMap<QString, QString>> files;  // language -> key -> value
    for (const QString& language : Languages()) {
        for (const LangEntry& e : ReadEntries(LangPath(language)))
            files[language].insert(e.key.toUpper(), e.value);
    }
    const clsLocalizeControls english(QStringLiteral("English"));
    QSet<QString> tableKeys;
    for (const TableRow& row : table) {
        const QString key = row.key.toUpper();
        EXPECT_FALSE(tableKeys.contains(key)) << "key " << qPrintable(row.key) << " twice in the table";
        tableKeys.insert(key);
        for (const QString& language : Languages()) {
            EXPECT_TRUE(files[language].contains(key))
                << qPrintable(language) << " lacks key " << qPrintable(row.key) << " (" << qPrintable(row.window)
                << " " << qPrintable(row.element) << ")";
        }
        EXPECT_EQ(Placeholders(files[QStringLiteral("English")].value(key)), Placeholders(files[QStringLiteral("Deutsch")].value(key)))
            << "placeholders differ for key " << qPrintable(row.key);
        EXPECT_EQ(english.Text(row.key), row.text) << "key " << qPrintable(row.key);
        EXPECT_EQ(english.ControlToolTip(row.key), row.toolTip) << "tooltip of key " << qPrintable(row.key);
    }
    // Nothing in a language file that the table does not know: a stray key is a typo.
    for (const QString& language : Languages()) {
        for (auto it = files[language].cbegin(); it != files[language].cend(); ++it)
            EXPECT_TRUE(tableKeys.contains(it.key())) << qPrintable(language) << " key " << qPrintable(it.key()) << " is not in the table";
    }
}

TEST_F(LanguageFiles, HoldEveryKeyTheSourcesUseAndNameTheShippedExamples)
{
    const QMap<QString, QString> used = KeysUsedBySources();
    ASSERT_FALSE(used.isEmpty());
    for (const QString& language : Languages()) {
        QSet<QString> present;
        for (const LangEntry& e : ReadEntries(LangPath(language)))
            present.insert(e.key.toUpper());
        for (auto it = used.cbegin(); it != used.cend(); ++it) {
            EXPECT_TRUE(present.contains(it.key()))
                << qPrintable(language) << " lacks key " << qPrintable(it.key()) << " used in " << qPrintable(it.value());
        }
        const clsLocalizeControls texts(language);
        const QString path = texts.FormatMsg(QStringLiteral("4230"), {QStringLiteral("1")});
        ASSERT_TRUE(path.startsWith(QLatin1String("%AppDir%/"))) << qPrintable(path);
        EXPECT_TRUE(QFileInfo::exists(SourceRoot() + QStringLiteral("/data/") + path.mid(QStringLiteral("%AppDir%/").size())))
            << qPrintable(path);
        EXPECT_FALSE(texts.FormatMsg(QStringLiteral("4220"), {QStringLiteral("1")}).contains(QLatin1String("%1")));
    }
}

}  // namespace
