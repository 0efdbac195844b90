#include "platform/IniFile.h"

#include "platform/IniFileIo.h"
#include "platform/IniFileLines.h"

namespace IniFile {

namespace {

bool IsWritableName(const QString& name, bool isSection) {
    for (const QChar c : name) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) return false;
        if (!isSection && c == QLatin1Char('=')) return false;
        if (isSection && c == QLatin1Char(']')) return false;
    }
    return isSection || !name.trimmed().isEmpty();
}

QByteArray Encode(const QString& text, bool withBom) {
    QByteArray out = withBom ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    out += text.toUtf8();
    return out;
}

// The file's lines without their line ends.
QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString SetKey(const QString& text, const QString& section, const QString& key, const QString& value) {
    QStringList lines = SplitLines(text);
    const QString eol = IniFileIo::LineEndOf(text);
    const QString wantedSection = IniLines::Fold(section);
    const QString wantedKey = IniLines::Fold(key);
    const QString encoded = EncodeValue(value);

    // Section "" is the part before the first header.
    bool inTarget = wantedSection.isEmpty();
    bool found = inTarget;
    qsizetype lastContent = -1;
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const IniLines::Line line = IniLines::Classify(lines[i]);
        if (line.kind == IniLines::Kind::Section) {
            if (inTarget) break;  // only the first section of that name counts
            if (!found && IniLines::Fold(line.name) == wantedSection) {
                inTarget = found = true;
                lastContent = i;
            }
            continue;
        }
        if (!inTarget) continue;
        if (line.kind == IniLines::Kind::Key && IniLines::Fold(line.name) == wantedKey) {
            keyLine = i;
            break;
        }
        if (line.kind != IniLines::Kind::Blank) lastContent = i;
    }

    if (keyLine >= 0) {
        // Keep the key exactly as it stands (its case, its blanks); only the value changes.
        const QString& old = lines[keyLine];
        const qsizetype eq = old.indexOf(QLatin1Char('='));
        lines[keyLine] = (eq >= 0 ? old.left(eq) : old) + QLatin1Char('=') + encoded;
    } else if (found) {
        lines.insert(lastContent + 1, key + QLatin1Char('=') + encoded);
    } else {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + encoded;
    }
    return lines.join(eol) + eol;
}

}  // namespace

QString EncodeValue(const QString& value) {
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (IniLines::CleanValue(v) != v) return QLatin1Char('"') + v + QLatin1Char('"');
    return v;
}

bool WriteString(const QString& path, const QString& section, const QString& key,
                 const QString& value) {
    if (!IsWritableName(section, true) || !IsWritableName(key, false)) return false;
    return IniFileIo::UpdateLocked(path, [&](const IniFileIo::RawFile& old) -> std::optional<QByteArray> {
        bool bom = false;
        const QString text = IniFileIo::DecodeText(old.bytes, &bom);
        QByteArray updated = Encode(SetKey(text, section, key, value), bom);
        if (old.exists && updated == old.bytes) return std::nullopt;  // nothing changes
        return updated;
    });
}

bool WriteWholeFile(const QString& path, const QList<Section>& sections) {
    const QString eol = QStringLiteral("\r\n");
    QString text;
    for (const Section& s : sections) {
        if (!IsWritableName(s.name, true)) return false;
        text += QLatin1Char('[') + s.name + QLatin1Char(']') + eol;
        for (const auto& [key, value] : s.keys) {
            if (!IsWritableName(key, false)) return false;
            text += key + QLatin1Char('=') + EncodeValue(value) + eol;
        }
    }
    return IniFileIo::ReplaceLocked(path, Encode(text, false));
}

}  // namespace IniFile
