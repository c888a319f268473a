#include "res/AccessibleList.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include <mutex>

namespace tarvello::res {

namespace {

class CAccessibleList : public QAccessibleWidget {
  public:
    explicit CAccessibleList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
    }

    QString text(QAccessible::Text t) const override {
        const QComboBox* list = List();
        if (t == QAccessible::Name && !list->accessibleName().isEmpty())
            return list->accessibleName();
        if (t == QAccessible::Name || t == QAccessible::Value)
            return list->currentText();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == List()->view() ? 0 : -1;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return;
        QComboBox* list = List();
        if (list->view()->isVisible())
            list->hidePopup();
        else
            list->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* List() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* ListFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto* list = qobject_cast<QComboBox*>(object);
    // A list with an edit field keeps Qt's own interface (the templates have none).
    return list && !list->isEditable() ? new CAccessibleList(list) : nullptr;
}

} // namespace

void InstallListAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(&ListFactory); });
}

} // namespace tarvello::res
