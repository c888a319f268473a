// --screenshots: the history view of the window's records file (--records PATH to show another),
// with the newest record opened (records.png) and compared with the printer's earlier records
// (records-compare.png). Taken once the port is open, before the run's own actions add records.
#include <QDir>
#include <QPointer>
#include <QTableView>
#include <QTextBrowser>

#include <cstdio>
#include <memory>

#include "app/RecordsModel.h"
#include "app/RecordsWindow.h"
#include "app/ScreenshotSequence.h"
#include "app/TarvelloDlg.h"

namespace screenshots {

namespace {

bool SaveRecordsPicture(Sequence& seq, QWidget* window, const char* name) {
    const QString path = QDir(seq.dir).filePath(QLatin1String(name));
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    if (!ok)
        Fail(seq, QStringLiteral("could not save ") + path);
    return true;
}

} // namespace

void AddRecordsSteps(Sequence& seq) {
    auto window = std::make_shared<QPointer<CRecordsWindow>>();
    auto detailBefore = std::make_shared<QString>();
    seq.steps.push_back([&seq, window] {
        *window = OpenRecordsWindow(seq.dlg);
        (*window)->resize(1100, 620);
        return true;
    });
    seq.steps.push_back([&seq, window] { // the count, then the first page
        CRecordsWindow* w = *window;
        if (!w)
            return true;
        CRecordsModel* model = w->Model();
        if (model->rowCount() == 0)
            return seq.waited > 3000; // an empty file: its picture shows so
        if (!model->RowAt(0)) {
            model->data(model->index(0, 0), Qt::DisplayRole); // asks for the page
            return false;
        }
        w->Table()->setCurrentIndex(model->index(0, 0));
        return true;
    });
    seq.steps.push_back([&seq, window, detailBefore] {
        CRecordsWindow* w = *window;
        if (w && w->Model()->rowCount() > 0 && w->Detail()->toPlainText().isEmpty() &&
            seq.waited < 5000)
            return false;
        if (w) {
            SaveRecordsPicture(seq, w, "records.png");
            *detailBefore = w->Detail()->toPlainText();
            w->CompareWithPrevious();
        }
        return true;
    });
    seq.steps.push_back([&seq, window, detailBefore] {
        CRecordsWindow* w = *window;
        if (w && w->Model()->rowCount() > 0 && w->Detail()->toPlainText() == *detailBefore &&
            seq.waited < 5000)
            return false;
        if (w) {
            SaveRecordsPicture(seq, w, "records-compare.png");
            w->close();
        }
        return true;
    });
}

} // namespace screenshots
