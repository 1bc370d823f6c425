#include "ui/platform.h"

#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>

namespace ui {

void QtMessageBox::showWarning(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void RegisterWindowFonts() {
    static const char* const kFiles[] = {
        "/usr/share/wine/fonts/tahoma.ttf",
        "/usr/share/wine/fonts/tahomabd.ttf",
        "/usr/share/wine/fonts/ms_sans_serif.ttf",
    };
    for (const char* file : kFiles) {
        if (QFile::exists(QString::fromLatin1(file))) {
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
    }
}

} // namespace ui
