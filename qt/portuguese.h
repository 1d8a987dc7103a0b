// Qt's own texts (standard dialog buttons, context menus) in Brazilian
// Portuguese, from the pt_BR translations installed with Qt, and the
// Brazilian locale for numbers and dates Qt formats itself.
#pragma once

class QCoreApplication;

namespace zrmqt {

// Installs the translations on the application; false when the files are
// missing (Qt's texts stay in English then).
bool InstallPortuguese(QCoreApplication& application);

}  // namespace zrmqt
