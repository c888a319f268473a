#include "pages/PageBase.h"

#include <QTabWidget>

#include "res/DialogLayout.h"
#include "res/TemplateText.h"

CPropertyPage::CPropertyPage(int templateId, QWidget* parent) : QWidget(parent) {
    m_pTemplate = tarvello::res::FindTemplate(templateId);
    if (m_pTemplate) {
        const tarvello::res::BaseUnits base = tarvello::res::BuildDialog(*m_pTemplate, this);
        m_strCaption = tarvello::res::TemplateText(m_pTemplate->caption);
        setFixedSize(tarvello::res::DialogPixelSize(*m_pTemplate, base));
    }
}

QWidget* CPropertyPage::Item(int id) const {
    return tarvello::res::FindControlWidget(this, id);
}

QWidget* CPropertyPage::Sheet() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<QTabWidget*>(w))
            return w;
    }
    return nullptr;
}
