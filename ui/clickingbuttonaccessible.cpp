#include "clickingbuttonaccessible.h"

#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>

namespace {

QAccessible::Role roleOf(QAbstractButton *button)
{
    return qobject_cast<QCheckBox *>(button) ? QAccessible::CheckBox : QAccessible::Button;
}

// The button text as read out: mnemonic markers dropped, a doubled '&' read as one.
QString withoutMnemonic(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && ++i == text.size())
            break;
        plain += text.at(i);
    }
    return plain;
}

QKeySequence shortcutOf(QAbstractButton *button)
{
    const QKeySequence shortcut = button->shortcut();
    return shortcut.isEmpty() ? QKeySequence::mnemonic(button->text()) : shortcut;
}

} // namespace

ClickingButtonAccessible::ClickingButtonAccessible(QAbstractButton *button)
    : QAccessibleWidget(button, roleOf(button))
{
}

QAccessibleInterface *ClickingButtonAccessible::create(const QString &className, QObject *object)
{
    auto *button = qobject_cast<QAbstractButton *>(object);
    if (!button)
        return nullptr;
    if (className == QLatin1String("QCheckBox")
        || (className == QLatin1String("QPushButton") && button->isCheckable()))
        return new ClickingButtonAccessible(button);
    return nullptr;
}

QAbstractButton *ClickingButtonAccessible::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

QString ClickingButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return withoutMnemonic(button()->text());
    if (t == QAccessible::Accelerator)
        return shortcutOf(button()).toString(QKeySequence::NativeText);
    return QAccessibleWidget::text(t);
}

QAccessible::State ClickingButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    QAbstractButton *b = button();
    auto *box = qobject_cast<QCheckBox *>(b);
    state.checkable = b->isCheckable();
    state.checked = b->isChecked();
    state.checkStateMixed = box && box->checkState() == Qt::PartiallyChecked;
    state.pressed = b->isDown();
    if (auto *push = qobject_cast<QPushButton *>(b))
        state.defaultButton = push->isDefault();
    return state;
}

QStringList ClickingButtonAccessible::actionNames() const
{
    QStringList names;
    if (widget()->isEnabled())
        names << (button()->isCheckable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
}

void ClickingButtonAccessible::doAction(const QString &actionName)
{
    if (!widget()->isEnabled())
        return;
    if (actionName == toggleAction() || actionName == pressAction())
        button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList ClickingButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction() || actionName == pressAction()) {
        const QKeySequence shortcut = shortcutOf(button());
        if (!shortcut.isEmpty())
            return {shortcut.toString(QKeySequence::NativeText)};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
