// The property page of the main window's sheet: a widget built from a dialog template that is
// told when it becomes the active page and asked whether it may be left.
#pragma once

#include <QWidget>

namespace tarvello::res {
struct DialogTemplate;
}

class CPropertyPage : public QWidget {
    Q_OBJECT
  public:
    // Builds the controls of template templateId on the page.
    explicit CPropertyPage(int templateId, QWidget* parent = nullptr);

    // The tab caption (the template's caption).
    QString Caption() const { return m_strCaption; }
    // Called each time the page becomes the active page, the first display included.
    virtual bool OnSetActive() { return true; }
    // Called when the user leaves the page; false keeps the page active. The sheet then turns
    // back to the page and calls ShowKillActiveRefusal, which tells the user why.
    virtual bool OnKillActive() { return true; }
    virtual void ShowKillActiveRefusal() {}

    // The control with the numeric id, or nullptr.
    QWidget* Item(int id) const;
    template <typename T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }
    // The property sheet (tab widget) holding the page; nullptr before it is added to one.
    QWidget* Sheet() const;

    // The template's size: the sheet takes the size its pages need.
    QSize sizeHint() const override { return minimumSize(); }

  protected:
    const tarvello::res::DialogTemplate* m_pTemplate = nullptr;

  private:
    QString m_strCaption;
};
