// The controls of the options dialogs as a user changes them, and the settings as the settings
// file holds them: what the options tests compare before and after a dialog closes.
#pragma once

#include "settings/Settings.h"
#include "settings/SettingsIo.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>
#include <type_traits>

namespace tavelkor {

// Every setting as the settings file holds it.
class SnapshotStore : public SettingsStore {
public:
    QString Read(const QString& section, const QString& key,
                 const QString& fallback) const override {
        return values.value(section + u'/' + key, fallback);
    }
    void Write(const QString& section, const QString& key, const QString& value) override {
        values.insert(section + u'/' + key, value);
    }
    QMap<QString, QString> values;
};

inline QMap<QString, QString> Snapshot(const Settings& settings) {
    SnapshotStore store;
    SaveSettings(store, settings);
    return store.values;
}

// The keys whose values differ, for the failure messages.
inline QString Changed(const QMap<QString, QString>& before, const QMap<QString, QString>& after) {
    QStringList keys;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.value(it.key()) != it.value())
            keys.append(it.key());
    }
    return keys.join(u' ');
}

// Whether a user can change the control now: a box, an unchosen radio button, a list of more
// than one entry or a text box, shown and enabled.
inline bool Changeable(QWidget* dialog, QWidget* widget) {
    if (!widget->isVisibleTo(dialog) || !widget->isEnabled())
        return false;
    auto* radio = qobject_cast<QRadioButton*>(widget);
    auto* combo = qobject_cast<QComboBox*>(widget);
    auto* line = qobject_cast<QLineEdit*>(widget);
    return qobject_cast<QCheckBox*>(widget) || (radio && !radio->isChecked()) ||
           (combo && combo->count() > 1) ||
           (line && !line->isReadOnly() && !qobject_cast<QComboBox*>(widget->parent()));
}

// What a control shows: ticked or not, the entry chosen, the text.
inline QString StateOf(const QWidget* control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->isChecked() ? QStringLiteral("ticked") : QStringLiteral("not ticked");
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (const auto* line = qobject_cast<const QLineEdit*>(control))
        return line->text();
    return QString();
}

// Changes a control as a user does: a click on a box or radio button, the next entry of a list
// (the first after the last), a new text typed into a text box.
inline void Change(QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QTest::keyClick(combo,
                        combo->currentIndex() + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Home);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        // A number for a box that holds one, letters for the others.
        bool number = false;
        line->text().toDouble(&number);
        line->setFocus();
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(line, number ? QStringLiteral("0.5") : QStringLiteral("qzx"));
    } else {
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier,
                          QPoint(4, control->height() / 2));
    }
}

// Settings whose every yes-or-no setting is on, so that the controls a switch shows or enables
// can be reached.
inline void SwitchEverythingOn(Settings& settings) {
    Settings defaults;
    VisitSettings(settings, defaults, [](auto, auto, auto& value, auto&, auto&&...) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>)
            value = true;
    });
}

// An options page opened on `settings`, shown, with its OK button.
struct OpenedPage {
    std::unique_ptr<QDialog> Dialog;
    QPushButton* Ok = nullptr;
};
using PageOpener = std::function<OpenedPage(Settings& settings)>;

// Opens a `Dialog(settings, extra...)` with its warnings silenced.
template <class Dialog, class... Extra>
PageOpener OpenerOf(Extra... extra) {
    return [=](Settings& settings) {
        auto dialog = std::make_unique<Dialog>(settings, extra...);
        dialog->Warn = [](const QString&) {};
        dialog->show();
        QPushButton* ok = dialog->ComOK();
        return OpenedPage{std::move(dialog), ok};
    };
}

// Changes each control of the page alone, on settings `prepare` makes, and closes the page with
// OK: OK must store something, and the page opened again on what the settings file then holds
// must show the control as it was left. Gives every key the page's controls stored; adds what
// went wrong to `faults`.
inline QStringList StoredKeysOfPage(const PageOpener& open,
                                    const std::function<void(Settings&)>& prepare,
                                    QStringList& faults) {
    Settings first;
    prepare(first);
    const OpenedPage listing = open(first);
    const QList<QWidget*> widgets = listing.Dialog->findChildren<QWidget*>();
    QStringList keys;
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        if (!Changeable(listing.Dialog.get(), widgets[i]))
            continue;
        const QString what = QString::fromLatin1(widgets[i]->metaObject()->className()) + u' ' +
                             widgets[i]->property("text").toString();
        Settings settings;
        prepare(settings);
        const auto before = Snapshot(settings);
        const OpenedPage page = open(settings);
        QWidget* control = page.Dialog->findChildren<QWidget*>().value(i);
        // A list may take a few entries before OK takes one (the same extension twice).
        const auto* list = qobject_cast<QComboBox*>(control);
        for (int tries = 0; page.Dialog->isVisible() && tries < (list ? list->count() - 1 : 1);
             ++tries) {
            Change(control);
            QTest::mouseClick(page.Ok, Qt::LeftButton);
        }
        // Refused still (the other side's extension is the only other entry): the page's other
        // lists change too.
        for (QComboBox* other : page.Dialog->findChildren<QComboBox*>()) {
            if (other != control && page.Dialog->isVisible() &&
                Changeable(page.Dialog.get(), other)) {
                Change(other);
                QTest::mouseClick(page.Ok, Qt::LeftButton);
            }
        }
        if (page.Dialog->isVisible()) {
            faults.append(u"OK refused "_qs + what);
            continue;
        }
        const QString shown = StateOf(control);
        const auto after = Snapshot(settings);
        const QString changed = Changed(before, after);
        if (changed.isEmpty())
            faults.append(u"OK stored nothing of "_qs + what);
        keys += changed.split(u' ', Qt::SkipEmptyParts);
        SnapshotStore file;
        file.values = after;
        Settings loaded;
        LoadSettings(file, loaded);
        const OpenedPage again = open(loaded);
        const QString reloaded = StateOf(again.Dialog->findChildren<QWidget*>().value(i));
        if (reloaded != shown)
            faults.append(what + u" shows "_qs + reloaded + u" after storing "_qs + shown +
                          u" in "_qs + changed);
    }
    keys.removeDuplicates();
    keys.sort();
    return keys;
}

} // namespace tavelkor
