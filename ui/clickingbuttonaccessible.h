#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// What a screen reader sees of a check box or a checkable push button. Qt's own interface carries out the
// "Toggle" action with toggle(), which flips the state without clicked(): whatever listens to the click (the
// bracelet box showing the update controls, a language button switching the language) never hears of it.
// Here "Toggle" and "Press" click the button, as the mouse and the space bar do.
class ClickingButtonAccessible : public QAccessibleWidget
{
public:
    explicit ClickingButtonAccessible(QAbstractButton *button);

    // For QAccessible::installFactory: takes over check boxes and the push buttons checkable when first asked.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QAbstractButton *button() const;
};
