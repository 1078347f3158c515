// The controls of the main window that hold the working state: the hidden
// panel's radio groups, progress flags and edits, and the status bar. The
// main window is one of these; units that only reset or read the state see
// these controls without the rest of the main window.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/statusbar.h"

// Panels of the main status bar.
namespace MainPanel {
constexpr int PointerX = 0;   // pointer column, or object X
constexpr int PointerY = 1;   // pointer row, or object Y
constexpr int Method = 2;     // the method chosen
constexpr int ViewTool = 3;   // " zoom attivo" / " pan attivo"
constexpr int EditTool = 4;   // the table edit tool
constexpr int Operation = 5;  // the pointer operation under way
constexpr int Result = 6;     // table refusals and results (the distance)
}  // namespace MainPanel

struct StatePanel {
    StatusBar *StatusBar1 = nullptr;
    // ' controlli 1 ' .. ' controlli 4 '
    RadioButton *rb_an = nullptr, *rb_geom = nullptr;
    RadioButton *rb_zoom = nullptr, *rb_pan = nullptr;
    RadioButton *rb_edita = nullptr, *rb_elimina = nullptr;
    RadioButton *rb_collima = nullptr, *rb_limiti_1 = nullptr, *rb_limiti_2 = nullptr,
                *rb_limiti_3 = nullptr, *rb_limiti_4 = nullptr, *rb_dxf = nullptr,
                *rb_distanza_1 = nullptr, *rb_distanza_2 = nullptr, *rb_linee_or = nullptr,
                *rb_linee_vert = nullptr, *rb_scala_x = nullptr, *rb_scala_y = nullptr;
    // ' controlli 5 ': progress flags
    CheckBox *cb_imm = nullptr, *cb_fot = nullptr, *cb_area = nullptr, *cb_scala = nullptr,
             *cb_corr = nullptr, *cb_fughe = nullptr;
    // ' controlli 6 ' and 'controlli 7'
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr,
              *Edit5 = nullptr, *Edit6 = nullptr;
};
