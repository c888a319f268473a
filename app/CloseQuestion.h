// The question the main window asks before it closes in the middle of a run: an open, an
// adjustment, a reading or a paper check. With nothing running it closes without asking.
#pragma once

#include <QString>

#include "pages/BackgroundRun.h"

namespace tarvello::app {

// What runs now: an adjustment wins over a handler's run, which is labelled by its kind.
tarvello::ui::RunKind RunningWork(bool adjusting, tarvello::ui::RunKind activeRun);
// The question for what runs ("正在进行自动调节。停止并关闭吗?"), empty for Other: nothing to ask.
QString CloseQuestion(tarvello::ui::RunKind running);

} // namespace tarvello::app
