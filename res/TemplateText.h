// The texts of the templates as a person reads them: the translation of the installed language
// (context "Templates") where there is one, the template's own text otherwise.
#pragma once

#include <QString>

namespace tarvello::res {

// nullptr and "" give an empty text.
QString TemplateText(const char* text);

} // namespace tarvello::res
