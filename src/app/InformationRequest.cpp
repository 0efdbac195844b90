#include "app/InformationRequest.h"

#include "app/Startup.h"
#include "i18n/TextLookup.h"

#include <QStringList>

#include <cstdio>

namespace {
// The switch texts the program looks for; a "--" word holding one of them is that switch.
constexpr const char* kSwitchTexts[] = {"-update", "-regclasses", "-wizard", "-auto", "-dontask", "-hide"};

// The usage is one text per line in the language file, the keys from kFirstUsageKey on in the
// order of kUsage. The file's reader trims a text's blanks, so the indentation and the blank
// lines between the sections are the program's.
constexpr int kFirstUsageKey = 96000;
struct UsageLine {
    bool startsSection;
    bool indented;
};
constexpr UsageLine kUsage[] = {
    {false, false}, {false, false},                                                       // synopsis
    {true, false},                                                                        // description
    {true, false},  {false, true}, {false, true}, {false, true}, {false, true}, {false, true},
    {false, true},  {false, true}, {false, true},                                         // switches
    {true, false},  {false, true}, {false, true}, {false, true},                          // exit statuses
    {true, false},  {false, true}, {false, true}, {false, true},                          // files
};

InformationRequest Classify(const QString& word) {
    if (word.compare(QLatin1String("--help"), Qt::CaseInsensitive) == 0 ||
        word.compare(QLatin1String("-h"), Qt::CaseInsensitive) == 0)
        return InformationRequest::Help;
    if (word.compare(QLatin1String("--version"), Qt::CaseInsensitive) == 0) return InformationRequest::Version;
    if (!word.startsWith(QLatin1String("--"))) return InformationRequest::None;
    for (const char* sw : kSwitchTexts)
        if (word.contains(QLatin1String(sw), Qt::CaseInsensitive)) return InformationRequest::None;
    return InformationRequest::UnknownOption;
}

QString UsageText(const QString& languageName) {
    const clsLocalizeControls texts(languageName);
    QString usage;
    int key = kFirstUsageKey;
    for (const UsageLine& line : kUsage) {
        if (line.startsSection) usage += QLatin1Char('\n');
        if (line.indented) usage += QStringLiteral("  ");
        usage += texts.FormatMsg(QString::number(key++), {QStringLiteral("tandor")}) + QLatin1Char('\n');
    }
    return usage;
}
}  // namespace

InformationRequest RequestedInformation(const QString& switchText) {
    const QStringList words = switchText.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        const InformationRequest request = Classify(word);
        if (request != InformationRequest::None) return request;
    }
    return InformationRequest::None;
}

int AnswerInformationRequest(InformationRequest request, const QString& languageName) {
    switch (request) {
    case InformationRequest::None: break;
    case InformationRequest::Help: std::fputs(qPrintable(UsageText(languageName)), stdout); return ExitDone;
    case InformationRequest::Version:
        std::printf("Tandor %d.%d.%d\n", TANDOR_VERSION_MAJOR, TANDOR_VERSION_MINOR, TANDOR_VERSION_PATCH);
        return ExitDone;
    case InformationRequest::UnknownOption: std::fputs(qPrintable(UsageText(languageName)), stderr); return ExitNothingRan;
    }
    return ExitDone;
}

QString TerminalLanguageName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty()) continue;
        return value.startsWith(QLatin1String("de")) ? QStringLiteral("Deutsch") : QStringLiteral("English");
    }
    return QStringLiteral("English");
}
