#include "i18n/forms/LocalizeControls.h"

#include "i18n/TextLookup.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kKeyProperty = "key";
// Marks an accessible name that localisation put there itself, so that a later language
// change may replace it; a name given by the window's own code is never touched.
const char* const kAutoNameProperty = "autoAccessibleName";

QString KeyText(const QVariant& value)
{
    if (!value.isValid())
        return QString();
    return value.toString().trimmed();
}

bool Localisable(const QString& key)
{
    return !key.isEmpty() && key != QLatin1String("0");
}

// The caption as a screen reader should say it: without the "&" that marks the access key.
QString WithoutMnemonic(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;  // "&&" is a literal "&"; "&x" shows x underlined
        }
        out += caption[i];
    }
    return out;
}

bool HasWord(const QString& text)
{
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            return true;
    }
    return false;
}

QString CaptionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* m = qobject_cast<QMenu*>(w))
        return m->title();
    if (w->isWindow() || qobject_cast<QToolBar*>(w) || qobject_cast<QDockWidget*>(w))
        return w->windowTitle();
    return QString();
}

bool IsTextEntry(QWidget* w)
{
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w);
}

bool HasBuddyLabel(QWidget* w)
{
    const auto labels = w->window()->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (label->buddy() == w)
            return true;
    }
    return false;
}

// Controls must have a name that assistive technology can read; object names are not.
void UpdateAccessibleName(QWidget* w)
{
    const bool ours = w->property(kAutoNameProperty).toBool();
    if (!w->accessibleName().isEmpty() && !ours)
        return;
    QString name;
    if (IsTextEntry(w)) {
        // Its contents are not its name; a buddy label names it already.
        if (HasBuddyLabel(w))
            return;
        name = w->toolTip();
    } else {
        name = WithoutMnemonic(CaptionOf(w));
        // "..." or an arrow says nothing when read aloud; the tooltip says what the button does.
        if (!HasWord(name) && !w->toolTip().trimmed().isEmpty())
            name = w->toolTip();
    }
    if (name.trimmed().isEmpty())
        return;
    w->setAccessibleName(name);
    w->setProperty(kAutoNameProperty, true);
}

// Qt gives a label's words to the text box it labels, but not to a list: a list with a label
// (the zoom factors) would stand unnamed on the accessibility bus.
void NameLabelledList(QLabel* label)
{
    auto* list = qobject_cast<QAbstractItemView*>(label->buddy());
    if (!list || (!list->accessibleName().isEmpty() && !list->property(kAutoNameProperty).toBool()))
        return;
    list->setAccessibleName(WithoutMnemonic(label->text()));
    list->setProperty(kAutoNameProperty, true);
}

void ApplyText(QObject* o, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(o)) {
        action->setText(text);
        return;
    }
    auto* w = qobject_cast<QWidget*>(o);
    if (!w)
        return;
    if (auto* menu = qobject_cast<QMenu*>(w))
        menu->setTitle(text);
    else if (w->isWindow() || qobject_cast<QToolBar*>(w) || qobject_cast<QDockWidget*>(w))
        w->setWindowTitle(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    // Other controls have no caption; their tooltip is all there is.
}

void ApplyToolTip(QObject* o, const QString& tip)
{
    if (auto* action = qobject_cast<QAction*>(o))
        action->setToolTip(tip);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setToolTip(tip);
}

QString TabKey(QTabWidget* tabs, int index)
{
    const QString fromPage = KeyText(tabs->widget(index)->property(kKeyProperty));
    if (!fromPage.isEmpty())
        return fromPage;
    return KeyText(tabs->tabBar()->tabData(index));
}

QString TabKey(QTabBar* bar, int index)
{
    const QString fromData = KeyText(bar->tabData(index));
    if (!fromData.isEmpty())
        return fromData;
    const QVariantList keys = bar->property("tabKeys").toList();
    return index < keys.size() ? KeyText(keys[index]) : QString();
}

void LocalizeTabs(QTabWidget* tabs, const clsLocalizeControls& texts)
{
    for (int i = 0; i < tabs->count(); ++i) {
        const QString key = TabKey(tabs, i);
        if (!Localisable(key))
            continue;
        tabs->setTabToolTip(i, texts.ControlToolTip(key));
        const QString text = texts.ControlText(key);
        if (!text.isEmpty())
            tabs->setTabText(i, text);
    }
}

void LocalizeTabs(QTabBar* bar, const clsLocalizeControls& texts)
{
    for (int i = 0; i < bar->count(); ++i) {
        const QString key = TabKey(bar, i);
        if (!Localisable(key))
            continue;
        bar->setTabToolTip(i, texts.ControlToolTip(key));
        const QString text = texts.ControlText(key);
        if (!text.isEmpty())
            bar->setTabText(i, text);
    }
}

void LocalizeItems(QComboBox* combo, const clsLocalizeControls& texts)
{
    for (int i = 0; i < combo->count(); ++i) {
        const QString item = combo->itemText(i);
        if (texts.HasText(item))
            combo->setItemText(i, texts.Text(item));
    }
}

}  // namespace

bool LocalizeControl(QObject* control, const clsLocalizeControls& texts)
{
    if (!control || texts.LanguageName().isEmpty())
        return false;
    const QString key = KeyText(control->property(kKeyProperty));
    if (!Localisable(key))
        return false;
    ApplyToolTip(control, texts.ControlToolTip(key));
    const QString text = texts.ControlText(key);
    if (!text.isEmpty())
        ApplyText(control, text);
    if (auto* w = qobject_cast<QWidget*>(control))
        UpdateAccessibleName(w);
    if (auto* label = qobject_cast<QLabel*>(control))
        NameLabelledList(label);
    return true;
}

bool LocalizeControl(QObject* control)
{
    return LocalizeControl(control, Localizer());
}

void LocalizeControls(QWidget* window, const clsLocalizeControls& texts)
{
    if (!window || texts.LanguageName().isEmpty())
        return;
    LocalizeControl(window, texts);

    const QList<QObject*> all = window->findChildren<QObject*>();
    // A tab's key sits on its page; the page and the tab widget's own bar are not controls.
    QSet<QObject*> handledByTabs;
    for (QObject* o : all) {
        if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
            handledByTabs.insert(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i)
                handledByTabs.insert(tabs->widget(i));
        }
    }
    for (QObject* o : all) {
        if (handledByTabs.contains(o))
            continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(o))
            LocalizeTabs(tabs, texts);
        else if (auto* bar = qobject_cast<QTabBar*>(o))
            LocalizeTabs(bar, texts);
        else if (auto* combo = qobject_cast<QComboBox*>(o))
            LocalizeItems(combo, texts);
        else
            LocalizeControl(o, texts);
    }
}

void LocalizeControls(QWidget* window)
{
    LocalizeControls(window, Localizer());
}
