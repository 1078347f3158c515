#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <cerrno>
#include <functional>
#include <utility>
#include <vector>

#include "export/u_georeferenzia.h"
#include "platform/fileio.h"
#include "platform/filewrite.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_tabimm.h"
#include "tests/gui_fixture.h"
#include "view/u_limiti.h"

using Dialogs = VekRun;

// Each member must be the control that carries its name, so that a handler
// reading Edit14 reads what the user sees as Edit14.
TEST_F(Dialogs, NamedMembersAreTheControlsOfThatName) {
    const TFormLimiti* a = FormLimiti;
    const TFormGeoreferenzia* g = FormGeoreferenzia;
    const TFormRapporto* r = FormRapporto;
    const std::vector<std::pair<const QWidget*, std::vector<QLineEdit*>>> windows = {
        {a,
         {a->Edit1, a->Edit2, a->Edit3, a->Edit4, a->Edit5, a->Edit6, a->Edit7, a->Edit8, a->Edit9,
          a->Edit10, a->Edit11, a->Edit12}},
        {g, {g->Edit1, g->Edit2, g->Edit3, g->Edit4, g->Edit5, g->Edit6}},
        {r, {r->Edit1, r->Edit2, r->Edit3, r->Edit4, r->Edit5, r->Edit6, r->Edit7, r->Edit8}},
        {r,
         {r->Edit11, r->Edit12, r->Edit13, r->Edit14, r->Edit15, r->Edit16, r->Edit17, r->Edit18}},
    };
    for (const auto& [window, edits] : windows) {
        const int first = edits.front()->objectName().mid(4).toInt();
        for (size_t i = 0; i < edits.size(); ++i) {
            const QString name = QString("Edit%1").arg(first + int(i));
            EXPECT_EQ(window->findChild<QLineEdit*>(name), edits[i])
                << window->objectName().toStdString() << " " << name.toStdString();
        }
    }
    EXPECT_EQ(a->Label3->text(), "Xfin");
    EXPECT_EQ(g->SaveDialog1.DefaultExt, "bpw");
    EXPECT_EQ(r->Label8->text(), "dimensione immagine corretta (pi) :");
    for (const QAction* c : {r->Misuralarghezza1, r->Misuraaltezza1, r->Anteprima1, r->Vek1})
        EXPECT_TRUE(r->Menu()->actions().contains(c)) << c->objectName().toStdString();
    EXPECT_EQ(FormScala->Menu()->actions().last(), FormScala->Chiudi1);
}

TEST_F(Dialogs, ReadersReturnEachEditInItsField) {
    const QStringList texts = {"1.5", "2.5", "3.5", "4.5", "5.5", "6.5", "7.5", "8.5"};
    QLineEdit* area[] = {FormLimiti->Edit1, FormLimiti->Edit2, FormLimiti->Edit3,
                         FormLimiti->Edit4};
    for (int i = 0; i < 4; ++i) area[i]->setText(texts[i]);
    const AreaInputs in = FormLimiti->ReadArea();
    EXPECT_EQ(
        std::vector<double>({double(in.Xin), double(in.Yin), double(in.Xfin), double(in.Yfin)}),
        std::vector<double>({1.5, 2.5, 3.5, 4.5}));

    FormScala->Edit1->setText("0.01");
    FormScala->Edit2->setText("254");
    const ScaleInputs s = FormScala->ReadScale();
    EXPECT_DOUBLE_EQ(double(s.pixelSize), 0.01);
    EXPECT_DOUBLE_EQ(double(s.resolution), 254);

    const TFormRapporto* r = FormRapporto;
    QLineEdit* ratio[] = {r->Edit1, r->Edit2, r->Edit3, r->Edit4,
                          r->Edit5, r->Edit6, r->Edit7, r->Edit8};
    for (int i = 0; i < 8; ++i) ratio[i]->setText(texts[i]);
    const RatioInputs q = r->ReadRatio();
    EXPECT_EQ(std::vector<double>({double(q.objectWidth), double(q.measuredWidth),
                                   double(q.objectHeight), double(q.measuredHeight), double(q.fx),
                                   double(q.pixelSize), double(q.resolution), double(q.fy)}),
              std::vector<double>({1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5}));
}

// Messages, questions and file dialogs open above the stay-on-top tool
// windows, centred on the main window, with the keyboard focus; each is
// looked at and closed as soon as it shows.
TEST_F(Dialogs, OpenAboveTheToolWindowsCentredOnTheMainWindow) {
    main_->setGeometry(100, 100, 900, 700);
    FormTabImm->show();
    const std::pair<const char*, std::function<void()>> dialogs[] = {
        {"error", [] { ShowErrorBox(FormTabImm, "prova"); }},
        {"question", [] { EXPECT_FALSE(AskYesNo(FormTabImm, "prova?")); }},
        {"file", [] { FileDialog(FileDialog::Save).Execute(FormTabImm); }}};
    DialogSeam::SetAutomatic(false);
    for (const auto& [name, open] : dialogs) {
        QWidget* seen = nullptr;
        bool onTop = false, focused = false;
        QPoint offset;
        QTimer::singleShot(0, [&] {
            seen = QApplication::activeModalWidget();
            if (!seen) return;
            onTop = seen->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            focused = seen->focusWidget() != nullptr;
            offset = seen->frameGeometry().center() - main_->frameGeometry().center();
            // Escape answers No and cancels, as a user would.
            QTest::keyClick(seen, Qt::Key_Escape);
        });
        open();
        ASSERT_NE(seen, nullptr) << name;
        EXPECT_TRUE(onTop) << name;
        EXPECT_TRUE(focused) << name;
        EXPECT_LE(offset.manhattanLength(), 4) << name;  // halves of odd sizes
    }
    DialogSeam::SetAutomatic(true);
}

// The toolkit's own buttons and dialogs speak Italian, and so do the reasons
// of a failed write, the system's words kept for the rare ones.
TEST_F(Dialogs, ToolkitAndWriteFailuresSpeakItalian) {
    QTranslator* italian = InstallToolkitTranslation();
    ASSERT_NE(italian, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&S\u00EC");
    QCoreApplication::removeTranslator(italian);
    delete italian;

    const std::pair<int, const char*> reasons[] = {
        {ENOSPC, "il disco è pieno"},       {EFBIG, "il file è troppo grande per il disco"},
        {EACCES, "permesso negato"},        {EROFS, "il disco è di sola lettura"},
        {ENOENT, "la cartella non esiste"}, {EISDIR, "al suo posto c'è una cartella"}};
    for (const auto& [error, text] : reasons)
        EXPECT_EQ(WriteFailureReason({FileWriteStatus::WriteError, "system", error}), text);
    EXPECT_EQ(WriteFailureReason({FileWriteStatus::WriteError, "Too many links", EMLINK}),
              "Too many links");
    EXPECT_EQ(WriteFailureReason(WriteFileAtomic("/nessuna/cartella/x.txt", "x")),
              "la cartella non esiste");
}
