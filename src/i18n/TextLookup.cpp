#include "i18n/TextLookup.h"

#include "config/ProgramSettings.h"
#include "platform/IniFile.h"
#include "platform/IniFileIo.h"
#include "platform/IniFileLines.h"
#include "platform/SystemInfo.h"

#include <cstdio>
#include <memory>

namespace {

clsLocalizeControls::DuplicateSink& Sink()
{
    static clsLocalizeControls::DuplicateSink sink;
    return sink;
}

void ReportDuplicate(const QString& keyName, const QString& filePath)
{
    const QString text = QStringLiteral("Item ") + keyName +
                         QStringLiteral(" exists twice in language file!");
    if (Sink()) {
        Sink()(text, filePath);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(filePath), qUtf8Printable(text));
}

// Key names compare without letter case, as the INI reader compares them.
QString NormalKey(const QString& key)
{
    return key.toUpper();
}

// A reference (":" followed by another key) is followed once; a missing target is empty.
QString Resolve(const QHash<QString, QString>& table, const QString& key)
{
    const QString value = table.value(NormalKey(key));
    if (value.startsWith(QLatin1Char(':')))
        return table.value(NormalKey(value.mid(1)));
    return value;
}

// Fills the placeholders of a language text. The text's own "%n" are replaced, lowest n first
// where several fit (so "%10" is taken by argument 1 followed by "0"); the inserted argument
// texts are never scanned again, so a file name holding "%2" or "\n" reaches the user unchanged.
QString FillPlaceholders(const QString& text, const QStringList& args)
{
    if (args.isEmpty())
        return text;
    QStringList placeholders;
    placeholders.reserve(args.size());
    for (qsizetype n = 1; n <= args.size(); ++n)
        placeholders << QLatin1Char('%') + QString::number(n);

    QString out;
    out.reserve(text.size() + 32);
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype percent = text.indexOf(QLatin1Char('%'), i);
        if (percent < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, percent - i);
        qsizetype matched = -1;
        for (qsizetype n = 0; n < placeholders.size(); ++n) {
            if (QStringView(text).mid(percent).startsWith(placeholders[n])) {
                matched = n;
                break;
            }
        }
        if (matched < 0) {
            out += QLatin1Char('%');
            i = percent + 1;
        } else {
            out += args[matched];
            i = percent + placeholders[matched].size();
        }
    }
    return out;
}

QString Format(const QString& languageName, const QHash<QString, QString>& table,
               const QString& key, const QStringList& args)
{
    if (languageName.isEmpty())
        return QString();
    const auto it = table.constFind(NormalKey(key));
    if (it == table.constEnd())
        return QString();
    QString text = it.value();
    text.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return FillPlaceholders(text, args);
}

// One entry line of the section "" as the INI reader understands it.
struct KeyLine {
    QString name;
    QString value;  // cleaned as the reader cleans it, cut to the value buffer
};

// The entries of the section "" in file order, each line counted, as the platform's list call
// gives the key names: a key written twice appears twice, which is how a duplicate is noticed
// at all; the reader's value of a key is its first line. Entries before the first header belong
// to that section; a later repetition of the section adds nothing, as for every other reader of
// these files. The names share one buffer of 32,767 characters, each with its separator; names
// that do not fit are not loaded. One pass over the text keeps a large file fast to load.
QList<KeyLine> KeyLinesOfEmptySection(const QString& text)
{
    QList<KeyLine> lines;
    bool inSection = false;   // inside the first section ""
    bool seenSection = false; // the section "" has begun (and maybe ended)
    bool anyHeader = false;
    qsizetype used = 0;
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = all.size();
        const IniLines::Line line = IniLines::Classify(all.mid(start, end - start));
        start = end + 1;
        if (line.kind == IniLines::Kind::Section) {
            anyHeader = true;
            const bool empty = line.name.isEmpty();
            inSection = empty && !seenSection;
            if (empty)
                seenSection = true;
            continue;
        }
        if (line.kind != IniLines::Kind::Key)
            continue;
        if (!anyHeader && !seenSection) {
            seenSection = true;
            inSection = true;
        }
        if (!inSection)
            continue;
        if (used + line.name.size() + 1 > IniFile::MaxStringChars - 1)
            break;
        used += line.name.size() + 1;
        lines.push_back({line.name.toString(),
                         IniLines::CleanValue(line.value).left(IniFile::MaxStringChars)});
    }
    return lines;
}

std::unique_ptr<clsLocalizeControls>& SharedInstance()
{
    static std::unique_ptr<clsLocalizeControls> instance;
    return instance;
}

}  // namespace

clsLocalizeControls::clsLocalizeControls(const QString& languageName)
    : languageName_(languageName)
{
    if (languageName_.isEmpty())
        return;
    filePath_ = ProgramFolder() + QLatin1Char('/') + languageName_ + QStringLiteral(".lang");

    const IniFileIo::RawFile raw = IniFileIo::ReadFile(filePath_);
    const QList<KeyLine> lines = KeyLinesOfEmptySection(IniFileIo::DecodeText(raw.bytes));
    texts_.reserve(lines.size());
    toolTips_.reserve(lines.size());
    QHash<QString, QString> firstValues;  // the reader's value of a key is that of its first line
    firstValues.reserve(lines.size());
    for (const KeyLine& line : lines) {
        const QString& name = line.name;
        if (name.isEmpty())
            continue;
        const QString key = NormalKey(name);
        QString value = line.value;
        const auto first = firstValues.constFind(key);
        if (first == firstValues.constEnd())
            firstValues.insert(key, value);
        else
            value = first.value();
        const QStringList parts = value.split(QLatin1Char('|'));
        // The first occurrence of a key stays in force; each refused addition is reported.
        if (!parts.value(0).isEmpty()) {
            if (texts_.contains(key))
                ReportDuplicate(name, filePath_);
            else
                texts_.insert(key, parts.value(0));
        }
        if (!parts.value(1).isEmpty()) {
            if (toolTips_.contains(key))
                ReportDuplicate(name, filePath_);
            else
                toolTips_.insert(key, parts.value(1));
        }
    }
}

QString clsLocalizeControls::FormatMsg(const QString& key, const QStringList& args) const
{
    return Format(languageName_, texts_, key, args);
}

QString clsLocalizeControls::FormatToolTip(const QString& key, const QStringList& args) const
{
    return Format(languageName_, toolTips_, key, args);
}

QString clsLocalizeControls::ControlText(const QString& key) const
{
    return Resolve(texts_, key);
}

QString clsLocalizeControls::ControlToolTip(const QString& key) const
{
    return Resolve(toolTips_, key);
}

QString clsLocalizeControls::Text(const QString& key) const
{
    return texts_.value(NormalKey(key));
}

bool clsLocalizeControls::HasText(const QString& key) const
{
    return texts_.contains(NormalKey(key));
}

bool clsLocalizeControls::HasToolTip(const QString& key) const
{
    return toolTips_.contains(NormalKey(key));
}

void clsLocalizeControls::SetDuplicateSink(DuplicateSink sink)
{
    Sink() = std::move(sink);
}

clsLocalizeControls& Localizer()
{
    auto& instance = SharedInstance();
    if (!instance) {
        // Start-up asks for a language when none is set; whoever needs a text before that (or
        // when the question was left unanswered) reads the English file.
        QString name = Settings().LanguageName;
        if (name.isEmpty())
            name = QStringLiteral("English");
        instance = std::make_unique<clsLocalizeControls>(name);
    }
    return *instance;
}

void ReloadLocalizer()
{
    SharedInstance().reset();
}

QString FormatMsg(const QString& key, const QStringList& args)
{
    return Localizer().FormatMsg(key, args);
}

QString FormatMsg(int key, const QStringList& args)
{
    return Localizer().FormatMsg(QString::number(key), args);
}

QString FormatToolTip(const QString& key, const QStringList& args)
{
    return Localizer().FormatToolTip(key, args);
}
