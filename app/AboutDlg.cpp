#include "app/AboutDlg.h"

#include <QPushButton>

#include "res/ControlIds.h"
#include "res/DialogLayout.h"
#include "res/TemplateText.h"
#include "res/Templates.h"

using namespace tarvello::res;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const DialogTemplate* dlg = FindTemplate(kIddAbout);
    const BaseUnits base = BuildDialog(*dlg, this);
    setWindowTitle(TemplateText(dlg->caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(DialogPixelSize(*dlg, base));
    if (auto* ok = Control<QPushButton>(this, ids::about::kOkButton))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
