#pragma once
// How one line of an INI file is understood; shared by the reader and the single-key writer so
// that both agree on where sections and keys are.

#include <QString>
#include <QStringView>

namespace IniLines {

enum class Kind { Blank, Comment, Section, Key };

struct Line {
    Kind kind = Kind::Blank;
    QStringView name;   // section or key name, trimmed
    QStringView value;  // for keys: the text after the first "=", not yet cleaned
};

// A line without its line end. "[name]" (or "[name" without the bracket) starts a section,
// a line starting with ";" is a comment, anything else is a key with or without "=".
inline Line Classify(QStringView raw) {
    if (!raw.isEmpty() && raw.back() == QLatin1Char('\r')) raw.chop(1);
    const QStringView t = raw.trimmed();
    Line line;
    if (t.isEmpty()) return line;
    if (t.front() == QLatin1Char('[')) {
        const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
        line.kind = Kind::Section;
        line.name = (close > 0 ? t.mid(1, close - 1) : t.mid(1)).trimmed();
        return line;
    }
    if (t.front() == QLatin1Char(';')) {
        line.kind = Kind::Comment;
        return line;
    }
    line.kind = Kind::Key;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) {
        line.name = t;
    } else {
        line.name = t.left(eq).trimmed();
        line.value = t.mid(eq + 1);
    }
    return line;
}

// Names compare without letter case and without surrounding blanks.
inline QString Fold(QStringView name) { return name.trimmed().toString().toCaseFolded(); }

// The value as a read returns it: trimmed, one pair of enclosing quotes (double or single) removed.
inline QString CleanValue(QStringView value) {
    QStringView v = value.trimmed();
    if (v.size() >= 2 && v.front() == v.back() &&
        (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))) {
        v = v.mid(1, v.size() - 2);
    }
    return v.toString();
}

}  // namespace IniLines
