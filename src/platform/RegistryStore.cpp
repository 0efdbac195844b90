#include "platform/RegistryStore.h"

#include "platform/IniFileIo.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

// The store is a text file in the registry export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Vellmark\Tandor\Flags]
//   "Runs"=dword:0000000a
//   "LastErrorMsg"="text with \"quotes\" and \\ backslashes"
//   @=""
//
// Values other than plain text and 32-bit numbers (hex(2) expandable text, hex(7) multi-text,
// binary) are read with the platform's type rules and written back untouched.

namespace {

constexpr int kRegSz = 1;
constexpr int kRegExpandSz = 2;
constexpr int kRegMultiSz = 7;
constexpr int kDefaultValueChars = 255;

struct StoredValue {
    bool isDefault = false;
    QString name;
    QString data;  // the text after "=", continuation lines joined
};

struct StoredKey {
    QString path;  // as in the header, e.g. "HKEY_CURRENT_USER\Software\Vellmark\Tandor"
    QList<StoredValue> values;
};

QString HiveRoot(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case Hive::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Hive::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    }
    return {};
}

QString NormaliseKeyPath(QString path) {
    path = path.trimmed();
    while (path.contains(QLatin1String("\\\\"))) path.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    while (path.startsWith(QLatin1Char('\\'))) path.remove(0, 1);
    while (path.endsWith(QLatin1Char('\\'))) path.chop(1);
    return path;
}

QString FullKeyPath(Hive hive, const QString& keyPath) {
    const QString rel = NormaliseKeyPath(keyPath);
    return rel.isEmpty() ? HiveRoot(hive) : HiveRoot(hive) + QLatin1Char('\\') + rel;
}

bool IsDefaultName(const QString& name) {
    return name == QLatin1String("*") || name.compare(QLatin1String("(Standard)"), Qt::CaseInsensitive) == 0;
}

// Reads a quoted text starting at `pos` (at the opening quote); returns the position after the
// closing quote, or -1 when there is none.
qsizetype ReadQuoted(const QString& text, qsizetype pos, QString& out) {
    out.clear();
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            out += text[++i];
        } else if (c == QLatin1Char('"')) {
            return i + 1;
        } else {
            out += c;
        }
    }
    return -1;
}

QString Quote(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

QList<StoredKey> Parse(const QString& text) {
    QList<StoredKey> keys;
    const QStringList raw = text.split(QLatin1Char('\n'));
    StoredKey* current = nullptr;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QString line = raw[i].trimmed();
        // A value may continue on the next lines when a line ends with a backslash.
        while (line.endsWith(QLatin1Char('\\')) && !line.startsWith(QLatin1Char('[')) && i + 1 < raw.size()) {
            line.chop(1);
            line += raw[++i].trimmed();
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            keys.append({(close > 0 ? line.mid(1, close - 1) : line.mid(1)).trimmed(), {}});
            current = &keys.last();
            continue;
        }
        if (!current) continue;  // the format line, or values outside any key
        StoredValue value;
        qsizetype afterName = -1;
        if (line.startsWith(QLatin1Char('@'))) {
            value.isDefault = true;
            afterName = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            afterName = ReadQuoted(line, 0, value.name);
        }
        if (afterName < 0) continue;
        const QString rest = line.mid(afterName).trimmed();
        if (!rest.startsWith(QLatin1Char('='))) continue;
        value.data = rest.mid(1).trimmed();
        current->values.append(value);
    }
    return keys;
}

QString Serialise(const QList<StoredKey>& keys) {
    const QString eol = QStringLiteral("\r\n");
    QString out = QStringLiteral("Windows Registry Editor Version 5.00") + eol + eol;
    for (const StoredKey& key : keys) {
        out += QLatin1Char('[') + key.path + QLatin1Char(']') + eol;
        for (const StoredValue& v : key.values) {
            out += (v.isDefault ? QStringLiteral("@") : Quote(v.name)) + QLatin1Char('=') + v.data + eol;
        }
        out += eol;
    }
    return out;
}

QList<StoredKey> Load(Hive hive) {
    const IniFileIo::RawFile raw = IniFileIo::ReadFile(RegistryStorePath(hive));
    return Parse(IniFileIo::DecodeText(raw.bytes));
}

StoredKey* FindKey(QList<StoredKey>& keys, const QString& fullPath) {
    for (StoredKey& k : keys) {
        if (NormaliseKeyPath(k.path).compare(fullPath, Qt::CaseInsensitive) == 0) return &k;
    }
    return nullptr;
}

qsizetype FindValue(const StoredKey& key, bool isDefault, const QString& name) {
    for (qsizetype i = 0; i < key.values.size(); ++i) {
        const StoredValue& v = key.values[i];
        if (isDefault ? v.isDefault : (!v.isDefault && v.name.compare(name, Qt::CaseInsensitive) == 0)) return i;
    }
    return -1;
}

QByteArray HexBytes(QStringView list) {
    QByteArray out;
    for (const QStringView part : list.split(QLatin1Char(','))) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xFF) break;
        out.append(static_cast<char>(byte));
    }
    return out;
}

QString CutAtZero(const QString& text) {
    const qsizetype zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

QString Utf16Text(const QByteArray& bytes) {
    QString out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == 0) break;
        out += QChar(unit);
    }
    return out;
}

QString HexUtf16(const QString& text) {
    QStringList parts;
    for (const QChar c : text) {
        parts << QStringLiteral("%1").arg(c.unicode() & 0xFF, 2, 16, QLatin1Char('0'))
              << QStringLiteral("%1").arg(c.unicode() >> 8, 2, 16, QLatin1Char('0'));
    }
    parts << QStringLiteral("00") << QStringLiteral("00");
    return QStringLiteral("hex(1):") + parts.join(QLatin1Char(','));
}

// The stored form of a value, with the platform's type rules: the text types give their text
// up to the first zero character (a multi-text only its first entry); every other type gives
// a 32-bit number from its first four bytes.
std::optional<QVariant> Decode(const QString& data) {
    if (data.startsWith(QLatin1Char('"'))) {
        QString text;
        if (ReadQuoted(data, 0, text) < 0) return std::nullopt;
        return QVariant(CutAtZero(text));
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        bool ok = false;
        const uint number = QStringView(data).mid(6).trimmed().toUInt(&ok, 16);
        if (!ok) return std::nullopt;
        return QVariant(static_cast<int>(number));
    }
    if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
        const qsizetype colon = data.indexOf(QLatin1Char(':'));
        if (colon < 0) return std::nullopt;
        int type = 3;  // "hex:" is binary
        const QStringView tag = QStringView(data).left(colon);
        if (tag.size() > 3) {
            if (!tag.startsWith(QLatin1String("hex(")) || !tag.endsWith(QLatin1Char(')'))) return std::nullopt;
            bool ok = false;
            type = tag.mid(4, tag.size() - 5).toInt(&ok, 16);
            if (!ok) return std::nullopt;
        }
        const QByteArray bytes = HexBytes(QStringView(data).mid(colon + 1));
        if (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz) return QVariant(Utf16Text(bytes));
        quint32 number = 0;
        for (int i = 0; i < 4 && i < bytes.size(); ++i) {
            number |= static_cast<quint32>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        }
        return QVariant(static_cast<int>(number));
    }
    return std::nullopt;  // "-" (a deletion mark) or something unreadable
}

bool NeedsHexText(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0) return true;
    }
    return false;
}

QString EncodeText(const QString& text) { return NeedsHexText(text) ? HexUtf16(text) : Quote(text); }

// A number for the store: 32-bit, anything else is refused.
std::optional<qint32> ToDword(const QVariant& value) {
    bool ok = false;
    qint64 number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d)) return std::nullopt;
        if (d < -2147483648.0 || d > 4294967295.0) return std::nullopt;
        number = std::llround(d);
        ok = true;
        break;
    }
    case QMetaType::Bool:
        number = value.toBool() ? 1 : 0;
        ok = true;
        break;
    default:
        number = value.toLongLong(&ok);
        break;
    }
    if (!ok || number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<quint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(static_cast<quint32>(number));
}

QString DwordText(qint32 number) {
    return QStringLiteral("dword:%1").arg(static_cast<quint32>(number), 8, 16, QLatin1Char('0'));
}

bool EnsureFolder(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    return QDir().mkpath(folder);
}

}  // namespace

QVariant ReadRegistryValue(Hive hive, const QString& keyPath, const QString& valueName, const QVariant& def) {
    QList<StoredKey> keys = Load(hive);
    const StoredKey* key = FindKey(keys, FullKeyPath(hive, keyPath));
    if (!key) return def;
    const bool isDefault = IsDefaultName(valueName);
    const qsizetype index = FindValue(*key, isDefault, valueName);
    if (index < 0) return def;
    const std::optional<QVariant> value = Decode(key->values[index].data);
    if (!value) return def;
    if (isDefault) {
        // The key's default value is only ever read as text.
        if (value->typeId() != QMetaType::QString) return def;
        return QVariant(value->toString().left(kDefaultValueChars));
    }
    return *value;
}

bool WriteRegistryValue(Hive hive, const QString& keyPath, const QString& valueName,
                        const std::optional<QVariant>& value) {
    const QString path = RegistryStorePath(hive);
    if (path.isEmpty()) return false;
    const bool isDefault = IsDefaultName(valueName);

    // The stored text of the new value, decided before the file is touched.
    QString data;
    if (value) {
        if (value->typeId() == QMetaType::QString) {
            data = EncodeText(value->toString());
        } else if (isDefault) {
            // A number as the key's default value is kept as its decimal text.
            const std::optional<qint32> number = ToDword(*value);
            if (!number) return false;
            data = Quote(QString::number(*number));
        } else {
            const std::optional<qint32> number = ToDword(*value);
            if (!number) return false;
            data = DwordText(*number);
        }
    }
    if (!EnsureFolder(path)) return false;

    bool changed = false;
    const QString fullPath = FullKeyPath(hive, keyPath);
    const bool written = IniFileIo::UpdateLocked(path, [&](const IniFileIo::RawFile& old) -> std::optional<QByteArray> {
        QList<StoredKey> keys = Parse(IniFileIo::DecodeText(old.bytes));
        StoredKey* key = FindKey(keys, fullPath);
        if (!value) {
            if (!key) return std::nullopt;
            const qsizetype index = FindValue(*key, isDefault, valueName);
            if (index < 0) return std::nullopt;
            key->values.removeAt(index);
        } else {
            if (!key) {
                // A new key comes with an empty default value, as the platform creates it.
                keys.append({fullPath, {StoredValue{true, QString(), Quote(QString())}}});
                key = &keys.last();
            }
            const qsizetype index = FindValue(*key, isDefault, valueName);
            if (index >= 0) {
                key->values[index].data = data;
            } else if (isDefault) {
                key->values.prepend({true, QString(), data});
            } else {
                key->values.append({false, valueName, data});
            }
        }
        changed = true;
        return Serialise(keys).toUtf8();
    });
    // Deleting a value that is not there fails, as it does on the platform.
    return written && changed;
}
