#include "platform/IniFile.h"

#include "platform/IniFileIo.h"
#include "platform/IniFileLines.h"

#include <cerrno>

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

// One line of the file as it stands: its bytes, and its own line end ("\r\n", "\n", or none
// for a last line without one). A single-key write keeps both of every line it does not change,
// so a line in an old code page keeps its bytes.
struct RawLine {
    QByteArray text;
    QByteArray end;
};

QList<RawLine> SplitRawLines(const QByteArray& bytes) {
    QList<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.append({bytes.mid(start), QByteArray()});
            break;
        }
        const bool cr = lf > start && bytes.at(lf - 1) == '\r';
        lines.append({bytes.mid(start, lf - start - (cr ? 1 : 0)),
                      cr ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n")});
        start = lf + 1;
    }
    return lines;
}

// The file's line-end style: that of its first line; CR LF for a file without any.
QByteArray LineEndOf(const QList<RawLine>& lines) {
    if (!lines.isEmpty() && !lines.first().end.isEmpty()) return lines.first().end;
    return QByteArrayLiteral("\r\n");
}

QByteArray SetKey(const QByteArray& bytes, const QString& section, const QString& key, const QString& value) {
    QList<RawLine> lines = SplitRawLines(bytes);
    const QByteArray eol = LineEndOf(lines);
    const QString wantedSection = IniLines::Fold(section);
    const QString wantedKey = IniLines::Fold(key);
    const QByteArray encoded = EncodeValue(value).toUtf8();

    // Section "" is the part before the first header.
    bool inTarget = wantedSection.isEmpty();
    bool found = inTarget;
    qsizetype lastContent = -1;
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = IniFileIo::DecodeLine(lines[i].text);
        const IniLines::Line line = IniLines::Classify(text);
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

    // A line that gets a successor needs a line end of its own.
    auto endLine = [&](qsizetype i) {
        if (i >= 0 && lines[i].end.isEmpty()) lines[i].end = eol;
    };
    if (keyLine >= 0) {
        // Keep the key exactly as it stands (its case, its blanks, its bytes); only the value
        // changes. "=" is one byte in UTF-8 and in Windows-1252 alike.
        QByteArray& old = lines[keyLine].text;
        const qsizetype eq = old.indexOf('=');
        old = (eq >= 0 ? old.left(eq) : old) + '=' + encoded;
    } else if (found) {
        endLine(lastContent);
        lines.insert(lastContent + 1, {key.toUtf8() + '=' + encoded, eol});
    } else {
        endLine(lines.size() - 1);
        lines.append({'[' + section.toUtf8() + ']', eol});
        lines.append({key.toUtf8() + '=' + encoded, eol});
    }
    QByteArray out;
    out.reserve(bytes.size() + encoded.size() + key.size() + section.size() + 8);
    for (const RawLine& line : lines) out += line.text + line.end;
    return out;
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
    return WriteStrings(path, {{section, key, value}});
}

bool WriteStrings(const QString& path, const QList<KeyValue>& keys) {
    for (const KeyValue& k : keys)
        if (!IsWritableName(k.section, true) || !IsWritableName(k.key, false)) return false;
    return IniFileIo::UpdateLocked(path, [&](const IniFileIo::RawFile& old) -> std::optional<QByteArray> {
        QByteArray bytes = old.bytes;
        QByteArray bom;
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            bom = bytes.left(3);
            bytes.remove(0, 3);
        } else if (bytes.startsWith("\xFF\xFE")) {
            // A UTF-16 file (from the original platform's registry editor) becomes UTF-8.
            bytes = IniFileIo::DecodeText(bytes).toUtf8();
        }
        for (const KeyValue& k : keys) bytes = SetKey(bytes, k.section, k.key, k.value);
        const QByteArray updated = bom + bytes;
        if (old.exists && updated == old.bytes) return std::nullopt;  // nothing changes
        return updated;
    });
}

bool WriteWholeFile(const QString& path, const QList<Section>& sections) {
    const QString eol = QStringLiteral("\r\n");
    QString text;
    for (const Section& s : sections) {
        if (!IsWritableName(s.name, true)) {
            errno = EINVAL;
            return false;
        }
        text += QLatin1Char('[') + s.name + QLatin1Char(']') + eol;
        for (const auto& [key, value] : s.keys) {
            if (!IsWritableName(key, false)) {
                errno = EINVAL;
                return false;
            }
            text += key + QLatin1Char('=') + EncodeValue(value) + eol;
        }
    }
    return IniFileIo::ReplaceLocked(path, Encode(text, false));
}

}  // namespace IniFile
