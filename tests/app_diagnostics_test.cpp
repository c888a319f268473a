// The main window's way into the diagnostics: its button lies in a free corner, covers and
// moves none of the templates' controls, and a real click on it opens the window.
#include "UiTestSupport.h"

#include <QTest>
#include <QToolButton>

#include <map>

#include "app/Tarvello.h"
#include "app/TarvelloDlg.h"
#include "device/LineTrace.h"
#include "diag/DiagnosticsWindow.h"

namespace {

// Every control with a numeric id, by id, in the main window's coordinates.
std::map<QString, QRect> Controls(CTarvelloDlg& dlg) {
    std::map<QString, QRect> rects;
    for (QWidget* w : dlg.findChildren<QWidget*>()) {
        bool numeric = false;
        w->objectName().toInt(&numeric);
        if (numeric && w->isVisibleTo(&dlg)) {
            rects[w->objectName() + "@" + QString::number(reinterpret_cast<quintptr>(w))] =
                QRect(w->mapTo(&dlg, QPoint(0, 0)), w->size());
        }
    }
    return rects;
}

TEST(AppDiagnostics, TheButtonCoversNoControlAndOpensTheWindow) {
    uitest::App();
    CTarvelloDlg dlg(nullptr, 0);
    dlg.show();
    const std::map<QString, QRect> before = Controls(dlg);
    ASSERT_FALSE(before.empty());
    QToolButton* button = GiveDiagnostics(dlg, false);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "诊断");
    const QRect where = button->geometry();
    EXPECT_TRUE(dlg.rect().contains(where));
    for (const auto& [id, rect] : before) {
        EXPECT_FALSE(rect.intersects(where)) << id.toStdString();
    }
    EXPECT_EQ(Controls(dlg), before) << "no control moved";
    // A real click at its centre reaches the button and opens the window.
    EXPECT_EQ(dlg.childAt(where.center()), button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    EXPECT_TRUE(uitest::WaitFor([&] { return DiagnosticsOf(&dlg)->isVisible(); }, 2000));
    DiagnosticsOf(&dlg)->close();
    SetLineTraceEnabled(false);
}

} // namespace
