// Vek: photogrammetric rectification of a single photograph of a plane object.
#include <QApplication>
#include <QScreen>

#include "app/u_about.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

int main(int argc, char* argv[]) {
    MapDesignFonts();
    QApplication app(argc, argv);
    InstallToolkitTranslation();
    TFormPrincipale* main = CreateApplicationWindows();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        main->move(screen->availableGeometry().center() - main->rect().center());
    main->show();
    FormAbout->show();
    FormAbout->raise();
    const int rc = app.exec();
    DestroyApplicationWindows();
    return rc;
}
