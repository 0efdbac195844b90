// The shipped language files against the key table and the keys the code uses: what a
// translator's slip would break (an empty text, a lost placeholder, a missing example).

#include "i18n/TextLookup.h"

#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

// tests/core/i18n/<this file> -> the repository.
QString SourceRoot() { return QStringLiteral(TANDOR_SOURCE_DIR); }

QStringList Lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')) : QStringList();
}

// A language file's entries by key in upper case; a line without '=' has a null value.
QMap<QString, QString> Entries(const QString& language) {
    QMap<QString, QString> entries;
    for (const QString& raw : Lines(SourceRoot() + "/data/" + language + ".lang")) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        entries.insert(line.left(eq).trimmed().toUpper(), eq < 0 ? QString() : line.mid(eq + 1).trimmed());
    }
    return entries;
}

// The placeholders a text uses, so that a translation asks for the same values.
QSet<QString> Placeholders(const QString& text) {
    static const QRegularExpression re(QStringLiteral("%(\\d+)"));
    QSet<QString> found;
    for (auto it = re.globalMatch(text); it.hasNext();) found.insert(it.next().captured(1));
    return found;
}

// Keys named in the sources (FormatMsg, FormatToolTip, "key" properties), each with its first user.
QMap<QString, QString> KeysUsedBySources() {
    static const QRegularExpression code(QStringLiteral(
        "Format(?:Msg|ToolTip)\\(\\s*(?:(?:QStringLiteral|QLatin1String|QString)\\(\\s*\"([^\"]+)\"\\s*\\)|(\\d+)\\s*[,)])"
        "|setProperty\\(\\s*\"key\"\\s*,\\s*(\\d+)\\s*\\)"));
    static const QRegularExpression ui(QStringLiteral(
        "<property name=\"key\"[^>]*>\\s*<(?:number|string)>\\s*([^<\\s]+)\\s*</(?:number|string)>"));
    QMap<QString, QString> used;
    QDirIterator it(SourceRoot() + "/src", {"*.cpp", "*.h", "*.ui"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString text = Lines(path).join(QLatin1Char('\n'));
        for (auto match = (path.endsWith(".ui") ? ui : code).globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const QString key = (m.captured(1) + m.captured(2) + m.captured(3)).toUpper();
            if (key != QLatin1String("0") && !used.contains(key)) used.insert(key, QDir(SourceRoot()).relativeFilePath(path));
        }
    }
    return used;
}

const QStringList kLanguages{QStringLiteral("English"), QStringLiteral("Deutsch")};

// The shipped files as the program reads them from its own folder; the example profiles a
// language names are shipped beside it.
TEST(LanguageFiles, HoldEveryKeyOfTheTableAndOfTheSourcesWithTheSamePlaceholders) {
    IsolatedEnvironment env;
    const QString savedProgramFolder = ProgramFolder();
    SetProgramFolderForTests(SourceRoot() + "/data");
    QStringList duplicates;
    clsLocalizeControls::SetDuplicateSink([&](const QString& text, const QString&) { duplicates << text; });
    QMap<QString, QMap<QString, QString>> files;  // language -> key -> value
    for (const QString& language : kLanguages) {
        files[language] = Entries(language);
        ASSERT_GT(files[language].size(), 300) << qPrintable(language);
        for (auto it = files[language].cbegin(); it != files[language].cend(); ++it)
            EXPECT_FALSE(it.value().isNull()) << qPrintable(language) << ": " << qPrintable(it.key()) << " has no '='";
        const clsLocalizeControls texts(language);
        const QString example = texts.FormatMsg(QStringLiteral("4230"), {QStringLiteral("1")});
        ASSERT_TRUE(example.startsWith(QLatin1String("%AppDir%/"))) << qPrintable(example);
        EXPECT_TRUE(QFileInfo::exists(SourceRoot() + "/data/" + example.mid(QStringLiteral("%AppDir%/").size()))) << qPrintable(example);
    }
    clsLocalizeControls::SetDuplicateSink({});
    EXPECT_EQ(duplicates, QStringList());

    // Columns of the table: key, window, element, English text, English tooltip.
    QSet<QString> tableKeys;
    for (const QString& line : Lines(SourceRoot() + "/src/i18n/KeyTable.tsv")) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList row = line.split(QLatin1Char('\t'));
        const QString key = row.value(0).toUpper();
        tableKeys.insert(key);
        for (const QString& language : kLanguages)
            EXPECT_TRUE(files[language].contains(key)) << qPrintable(language) << " lacks key " << qPrintable(key) << " ("
                                                       << qPrintable(row.value(1) + ' ' + row.value(2)) << ")";
        EXPECT_EQ(Placeholders(files["English"].value(key)), Placeholders(files["Deutsch"].value(key)))
            << "placeholders differ for key " << qPrintable(key);
    }
    ASSERT_GT(tableKeys.size(), 300);
    const QMap<QString, QString> used = KeysUsedBySources();
    ASSERT_GT(used.size(), 100);
    for (const QString& language : kLanguages) {
        for (auto it = used.cbegin(); it != used.cend(); ++it)
            EXPECT_TRUE(files[language].contains(it.key()))
                << qPrintable(language) << " lacks key " << qPrintable(it.key()) << " used in " << qPrintable(it.value());
    }
    SetProgramFolderForTests(savedProgramFolder);
}

}  // namespace
