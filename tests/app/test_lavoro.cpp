// Work entered by hand is never thrown away without a question: closing the
// photograph, loading over a table, leaving the program. Nothing is asked
// when nothing would be lost.
#include <QAction>
#include <QMdiSubWindow>
#include <functional>

#include "app/u_principale.h"
#include "tables/u_tabimm.h"
#include "tests/tables/tabimm_fixture.h"

using HandWork = TableRun;

TEST_F(HandWork, AskedOnlyWhileUnsavedAndNoKeepsIt) {
    OpenPicture();
    Command("Iniziacollimazione1");
    Collimate(40, 30);
    auto closePhotograph = [] { ImageWindow->parentWidget()->close(); };

    const std::pair<const char*, std::function<void()>> discards[] = {
        {"close", closePhotograph},
        {"load", [this] { main_->Action("Carica4")->trigger(); }},
        {"quit", [this] { main_->Action("Esci2")->trigger(); }}};
    for (const auto& [name, discard] : discards) {
        DialogSeam::Questions().clear();
        DialogSeam::PresetAnswer(false);
        DialogSeam::PresetFileName(PathOf("other.imm"));
        discard();
        DialogSeam::ClearPresets();
        ASSERT_EQ(DialogSeam::Questions().size(), 1) << name;
        EXPECT_TRUE(DialogSeam::Questions()[0].contains("tabella immagine")) << name;
        ASSERT_NE(ImageWindow, nullptr) << name;
        EXPECT_EQ(Cell(1, 1), "40") << name;
        EXPECT_TRUE(main_->isVisible()) << name;
    }

    // Saved, or loaded and left as loaded: nothing to lose, nothing asked.
    DialogSeam::Questions().clear();
    DialogSeam::PresetFileName(PathOf("punti.imm"));
    main_->Action("Salva5")->trigger();
    closePhotograph();
    EXPECT_EQ(ImageWindow, nullptr);
    OpenPicture();
    DialogSeam::PresetFileName(PathOf("punti.imm"));
    main_->Action("Carica4")->trigger();
    EXPECT_EQ(Cell(1, 1), "40");
    closePhotograph();
    EXPECT_EQ(ImageWindow, nullptr);
    EXPECT_TRUE(DialogSeam::Questions().isEmpty());
}
