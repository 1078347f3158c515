#include "rectify/u_corretta.h"

#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "app/u_stato.h"

void CloseRectifiedImage() {
    if (!FormPrincipale->cb_corr->Checked()) {
        ShowNotice(NoticeNo::NoRectified);
        return;
    }
    ResetGeoreference();
    ResetDxfPoints();
}
