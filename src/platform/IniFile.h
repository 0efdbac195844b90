#pragma once
// Private-profile INI files: the settings file, profile files and language files.
//
// Rules: section and key names compare without letter case and without surrounding blanks;
// a key is written with its exact text ("IgnoreLockedFiles " keeps its blank); a value is the
// text after the first "=", trimmed, with one pair of enclosing quotes removed; an integer read
// takes the leading decimal number; string reads and name lists are cut at 32,767 characters.
// CR LF and LF files are read alike; text is UTF-8, a line that is not valid UTF-8 is read as
// Windows-1252. A single-key write changes the bytes of the line it changes and of no other.
// Writes are atomic (temporary file, rename) and serialised by an advisory lock, so two program
// instances never lose each other's keys.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace IniFile {

constexpr int MaxStringChars = 32767;

// A parsed file, for readers that ask for many keys (profiles, language files).
class Document {
public:
    Document() = default;
    // Reads the whole file; a missing or unreadable file gives an empty document.
    static Document Load(const QString& path);
    // Parses text that is already in memory.
    static Document FromText(const QString& text);

    // Section names in file order, each counted once (first occurrence), cut so that the names
    // plus one separator each fit into bufferChars characters, as the platform's list call does.
    QStringList SectionNames(int bufferChars = MaxStringChars) const;
    // Key names of a section in file order, cut the same way.
    QStringList KeyNames(const QString& section, int bufferChars = MaxStringChars) const;
    bool HasSection(const QString& section) const;
    // The first line with this key in the first section of this name wins.
    QString GetString(const QString& section, const QString& key, const QString& def,
                      int maxChars = MaxStringChars) const;
    int GetInt(const QString& section, const QString& key, int def) const;
    // The cleaned value, or nothing when the section or key is missing.
    std::optional<QString> Find(const QString& section, const QString& key) const;

    struct Data;
private:
    std::shared_ptr<const Data> d_;
};

// The leading decimal number of a value ("-5", "+3", "12abc" give -5, 3, 12); the default when
// the text does not start with a number (also for an empty text). Out-of-range numbers clamp.
int LeadingInt(QStringView text, int def);

// The text written after "=" for a value: as it is, except that a value which a read would
// change (surrounding blanks, enclosing quotes) is put in quotes so that it reads back exactly,
// and line breaks, which would end the line, become blanks.
QString EncodeValue(const QString& value);

// Single-key calls, each reading the file anew (the settings file is written one key at a time).
QString GetString(const QString& path, const QString& section, const QString& key,
                  const QString& def, int maxChars = MaxStringChars);
int GetInt(const QString& path, const QString& section, const QString& key, int def);
QStringList GetSectionNames(const QString& path, int bufferChars = MaxStringChars);

// Replaces the value of the key's existing line, or appends "key=value" at the end of its
// section, creating the section at the end of the file. Returns false when the file cannot be
// written; the old file is then untouched.
bool WriteString(const QString& path, const QString& section, const QString& key,
                 const QString& value);

// Several single-key writes as one change of the file: every key or, when the file cannot be
// written, none. Keys go in the order given, each by the rule of WriteString.
struct KeyValue {
    QString section;
    QString key;
    QString value;
};
bool WriteStrings(const QString& path, const QList<KeyValue>& keys);

// Writes a whole file at once (profiles are rewritten whole): sections in order, keys in order.
struct Section {
    QString name;
    QList<QPair<QString, QString>> keys;
};
// Returns false when the file cannot be written; errno then tells why.
bool WriteWholeFile(const QString& path, const QList<Section>& sections);

}  // namespace IniFile
