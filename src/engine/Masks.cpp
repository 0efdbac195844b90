#include "engine/Masks.h"

namespace {

// The length of the bracket list starting at p (the '[' included, the ']' included), or 0 when
// the '[' is not closed and therefore stands for itself.
qsizetype BracketLength(QStringView pattern, qsizetype p) {
    qsizetype q = p + 1;
    if (q < pattern.size() && pattern[q] == u'!') ++q;
    for (; q < pattern.size(); ++q)
        if (pattern[q] == u']') return q - p + 1;
    return 0;
}

bool InList(QStringView list, QChar c) {
    for (qsizetype k = 0; k < list.size(); ++k) {
        if (k + 2 < list.size() && list[k + 1] == u'-') {
            if (list[k] <= c && c <= list[k + 2]) return true;
            k += 2;
        } else if (list[k] == c) {
            return true;
        }
    }
    return false;
}

// Matches the one-character token at p against c; len receives the token's length.
bool MatchToken(QStringView pattern, qsizetype p, QChar c, qsizetype& len) {
    const QChar t = pattern[p];
    len = 1;
    if (t == u'?') return true;
    if (t == u'#') return c >= u'0' && c <= u'9';
    if (t == u'[') {
        const qsizetype b = BracketLength(pattern, p);
        if (b > 0) {
            len = b;
            const bool negate = pattern[p + 1] == u'!';
            const qsizetype first = p + (negate ? 2 : 1);
            const bool in = InList(pattern.mid(first, p + b - 1 - first), c);
            return negate ? !in : in;
        }
    }
    return t == c;
}

// "[]" is an empty list: it stands for no character at all.
bool IsEmptyList(QStringView pattern, qsizetype p) {
    return p + 1 < pattern.size() && pattern[p] == u'[' && pattern[p + 1] == u']';
}

}  // namespace

QString UpperName(const QString& name) {
    const qsizetype n = name.size();
    const QChar* s = name.constData();
    qsizetype i = 0;
    // Most names are ASCII and many are already upper case: share the string then.
    while (i < n) {
        const char16_t u = s[i].unicode();
        if (u >= 0x80 || (u >= u'a' && u <= u'z')) break;
        ++i;
    }
    if (i == n) return name;
    QString out(name);
    QChar* d = out.data();
    for (; i < n; ++i) {
        const char16_t u = d[i].unicode();
        if (u < 0x80) {
            if (u >= u'a' && u <= u'z') d[i] = QChar(static_cast<char16_t>(u - 32));
        } else if (!QChar::isSurrogate(u)) {
            d[i] = QChar(static_cast<char16_t>(QChar::toUpper(u)));
        }
    }
    return out;
}

QStringList SplitMasks(const QString& text) { return UpperName(text).split(u';'); }

MaskSet BuildMaskSet(const QString& includeText, const QString& excludeText) {
    MaskSet set;
    set.Lists[0] = SplitMasks(includeText);
    set.Lists[1] = SplitMasks(excludeText);
    return set;
}

bool MatchesMask(QStringView name, QStringView pattern) {
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    const qsizetype plen = pattern.size();
    while (n < name.size()) {
        if (p < plen && pattern[p] == u'*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < plen && IsEmptyList(pattern, p)) {
            p += 2;
            continue;
        }
        qsizetype len = 0;
        if (p < plen && MatchToken(pattern, p, name[n], len)) {
            p += len;
            ++n;
            continue;
        }
        if (starP >= 0) {
            // Let the last "*" take one more character and try again from there.
            p = starP;
            n = ++starN;
            continue;
        }
        return false;
    }
    while (p < plen && (pattern[p] == u'*' || IsEmptyList(pattern, p))) p += pattern[p] == u'*' ? 1 : 2;
    return p == plen;
}

bool MatchesMaskSet(QStringView upperName, const MaskSet& masks) {
    bool included = false;
    for (const QString& m : masks.Lists[0]) {
        if (MatchesMask(upperName, m)) {
            included = true;
            break;
        }
    }
    if (!included) return false;
    for (const QString& m : masks.Lists[1])
        if (MatchesMask(upperName, m)) return false;
    return true;
}

bool MatchesDeleteMasks(QStringView upperName, const QStringList& deleteMasks) {
    for (const QString& m : deleteMasks)
        if (MatchesMask(upperName, m)) return true;
    return false;
}

bool MatchesNoName(const QStringList& masks) {
    for (const QString& m : masks)
        if (!m.isEmpty()) return false;
    return true;
}

bool PassesEveryName(const MaskSet& masks) {
    return masks.Lists[0].contains(QStringLiteral("*")) && MatchesNoName(masks.Lists[1]);
}
