#include "res/TemplateText.h"

#include <QCoreApplication>

namespace tarvello::res {

QString TemplateText(const char* text) {
    if (!text || !*text)
        return QString();
    return QCoreApplication::translate("Templates", text);
}

} // namespace tarvello::res
