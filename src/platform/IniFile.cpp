#include "platform/IniFile.h"

#include "platform/IniFileIo.h"
#include "platform/IniFileLines.h"

#include <QHash>

#include <climits>

namespace IniFile {

struct Document::Data {
    struct Key {
        QString name;   // trimmed, as written
        QString value;  // trimmed, one pair of quotes removed
    };
    struct Sec {
        QString name;
        QList<Key> keys;
        QHash<QString, qsizetype> index;  // folded key name -> first key
    };
    QList<Sec> sections;                    // first occurrence of each name, in file order
    QHash<QString, qsizetype> index;        // folded section name -> section
};

namespace {

// One pass over the text: each line is looked at once, names go into hash tables, so that a
// language file of thousands of keys loads in a few milliseconds.
std::shared_ptr<Document::Data> Parse(const QString& text) {
    auto data = std::make_shared<Document::Data>();
    Document::Data::Sec* current = nullptr;
    bool currentIsDuplicate = false;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && p[end] != QLatin1Char('\n')) ++end;
        const IniLines::Line line = IniLines::Classify(QStringView(p + start, end - start));
        start = end + 1;
        switch (line.kind) {
        case IniLines::Kind::Section: {
            const QString folded = IniLines::Fold(line.name);
            const auto it = data->index.constFind(folded);
            if (it != data->index.constEnd()) {
                // A repeated section adds nothing: lookups find the first one, as they
                // always did, and the list of names shows it once.
                current = &data->sections[*it];
                currentIsDuplicate = true;
            } else {
                data->index.insert(folded, data->sections.size());
                data->sections.append({line.name.toString(), {}, {}});
                current = &data->sections.last();
                currentIsDuplicate = false;
            }
            break;
        }
        case IniLines::Kind::Key: {
            if (!current) {
                // Entries before the first header belong to the section "" (language files).
                data->index.insert(QString(), data->sections.size());
                data->sections.append({QString(), {}, {}});
                current = &data->sections.last();
                currentIsDuplicate = false;
            }
            if (currentIsDuplicate) break;
            const QString folded = IniLines::Fold(line.name);
            if (current->index.contains(folded)) break;  // the first line of a key wins
            current->index.insert(folded, current->keys.size());
            current->keys.append({line.name.toString(), IniLines::CleanValue(line.value)});
            break;
        }
        case IniLines::Kind::Blank:
        case IniLines::Kind::Comment:
            break;
        }
    }
    return data;
}

QStringList CutToBuffer(const QStringList& names, int bufferChars) {
    // The platform's list call puts every name with a terminating zero into one buffer that
    // itself ends with a second zero; names that do not fit are not seen.
    QStringList out;
    qsizetype used = 0;
    for (const QString& name : names) {
        if (used + name.size() + 1 > bufferChars - 1) break;
        used += name.size() + 1;
        out << name;
    }
    return out;
}

}  // namespace

Document Document::Load(const QString& path) {
    Document doc;
    const IniFileIo::RawFile raw = IniFileIo::ReadFile(path);
    doc.d_ = Parse(IniFileIo::DecodeText(raw.bytes));
    return doc;
}

Document Document::FromText(const QString& text) {
    Document doc;
    doc.d_ = Parse(text);
    return doc;
}

QStringList Document::SectionNames(int bufferChars) const {
    if (!d_) return {};
    QStringList names;
    names.reserve(d_->sections.size());
    for (const Data::Sec& s : d_->sections) names << s.name;
    return CutToBuffer(names, bufferChars);
}

QStringList Document::KeyNames(const QString& section, int bufferChars) const {
    if (!d_) return {};
    const auto it = d_->index.constFind(IniLines::Fold(section));
    if (it == d_->index.constEnd()) return {};
    QStringList names;
    for (const Data::Key& k : d_->sections[*it].keys) names << k.name;
    return CutToBuffer(names, bufferChars);
}

bool Document::HasSection(const QString& section) const {
    return d_ && d_->index.contains(IniLines::Fold(section));
}

std::optional<QString> Document::Find(const QString& section, const QString& key) const {
    if (!d_) return std::nullopt;
    const auto s = d_->index.constFind(IniLines::Fold(section));
    if (s == d_->index.constEnd()) return std::nullopt;
    const Data::Sec& sec = d_->sections[*s];
    const auto k = sec.index.constFind(IniLines::Fold(key));
    if (k == sec.index.constEnd()) return std::nullopt;
    return sec.keys[*k].value;
}

QString Document::GetString(const QString& section, const QString& key, const QString& def,
                            int maxChars) const {
    const std::optional<QString> value = Find(section, key);
    return (value ? *value : def).left(qMax(0, maxChars));
}

int Document::GetInt(const QString& section, const QString& key, int def) const {
    const std::optional<QString> value = Find(section, key);
    if (!value) return def;
    return LeadingInt(*value, def);
}

int LeadingInt(QStringView text, int def) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    long long value = 0;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        // Clamp instead of wrapping: a huge number in a hand-edited file means "very large".
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i].unicode() - '0');
        ++i;
    }
    if (i == firstDigit) return def;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

QString GetString(const QString& path, const QString& section, const QString& key,
                  const QString& def, int maxChars) {
    return Document::Load(path).GetString(section, key, def, maxChars);
}

int GetInt(const QString& path, const QString& section, const QString& key, int def) {
    return Document::Load(path).GetInt(section, key, def);
}

QStringList GetSectionNames(const QString& path, int bufferChars) {
    return Document::Load(path).SectionNames(bufferChars);
}

}  // namespace IniFile
