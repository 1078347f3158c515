#include "tables/u_tabpunti.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <climits>

#include "app/u_forms.h"
#include "app/u_pannello.h"
#include "app/u_principale.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"

namespace {

const char* const kPending = "newPoint";

long long IntOf(const QString& text) { return ParseInt(text.toStdString()); }

bool IsReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

void NotePending(QLineEdit* x) { x->setProperty(kPending, true); }

// Without a pending point nothing is taken: false, and main panel 6 says why.
bool TakePending(QLineEdit* x) {
    if (x->property(kPending).toBool()) {
        x->setProperty(kPending, false);
        return true;
    }
    FormPrincipale->StatusBar1->SetPanel(
        MainPanel::Result, " nessun nuovo punto cliccato dopo l'ultimo registrato: non registrato");
    return false;
}

// The next point's name: the leading digits of this one counted on.
void CountOnName(QLineEdit* name) {
    const long long n = IntOf(name->text());
    name->setText(QString::number(n < LLONG_MAX ? n + 1 : n));
}

class ReturnFilter : public QObject {
public:
    ReturnFilter(QWidget* area, std::initializer_list<PointTableWindow*> tables)
        : QObject(area), tables_(tables) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !IsReturn(static_cast<QKeyEvent*>(event)))
            return QObject::eventFilter(watched, event);
        for (PointTableWindow* table : tables_)
            if (table->Collimating()) {
                table->Registrapunto1Click();
                return true;
            }
        return false;
    }

private:
    QVector<PointTableWindow*> tables_;
};

}  // namespace

PointTableWindow::PointTableWindow(const QString& objectName, const QString& caption,
                                   const Design& design, QWidget* parent)
    : ToolWindow(objectName, caption, parent), toolInOwnPanel_(design.toolInOwnPanel) {
    resize(design.size);
    StringGrid1 = MakeTableGrid(Body(), 3, design.rows, design.widths, false);
    StringGrid1->SetRowSelect(true);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* panel = new QWidget(Body());
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    Edit1 = MakeEdit("Edit1", panel);
    Edit2 = MakeEdit("Edit2", panel);
    Edit3 = MakeEdit("Edit3", panel);
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) row->addWidget(e);
    // Coordinates typed by hand are a pending point as much as clicked ones.
    for (QLineEdit* e : {Edit2, Edit3})
        connect(e, &QLineEdit::textEdited, Edit2, [x = Edit2] { NotePending(x); });
    Body()->layout()->addWidget(panel);
    StatusBar1 = AddStatusBar(design.panels);
    setFocusProxy(Edit1);

    AddCommand("Inizia collimazione", "Iniziacollimazione1", this,
               &PointTableWindow::Iniziacollimazione1Click);
    AddCommand("Registra punto", "Registrapunto1", this, &PointTableWindow::Registrapunto1Click);
    AddCommand("Elimina punto", "Eliminapunto1", this, &PointTableWindow::Eliminapunto1Click);
    AddCommand("Edita punto", "Editapunto1", this, &PointTableWindow::Editapunto1Click);
    AddCommand("Reset tabella", "Resettabella1", this, &PointTableWindow::Resettabella1Click);
    connect(StringGrid1, &StringGrid::MouseDown, this, &PointTableWindow::StringGrid1MouseDown);
}

void PointTableWindow::TakeClickedPoint(const QString& x, const QString& y) {
    Edit2->setText(x);
    Edit3->setText(y);
    NotePending(Edit2);
}

bool PointTableWindow::Collimating() const {
    return MethodChosen() && CollimationMode()->Checked();
}

void PointTableWindow::RedrawPoints() {
    StringGrid1->Repaint();
    RestorePicture();
    DrawPoints();
}

void PointTableWindow::Registrapunto1Click() {
    if (!Ready(" ")) return;
    const bool edita = FormPrincipale->rb_edita->Checked();
    if (Collimating() && !edita) {
        if (!TakePending(Edit2)) return;
        if (Edit1->text().isEmpty()) Edit1->setText("?");
        AppendPending(FieldText(Edit1));
        RedrawPoints();
        CountOnName(Edit1);
    } else if (Collimating() && edita) {
        // The edits go over the pressed row; row 0 holds the titles, so
        // without a pressed row nothing is written.
        const long long k = IntOf(StatusBar1->Panel(1));
        if (k >= 1 && k <= INT_MAX) {
            StringGrid1->SetCells(0, int(k), Edit1->text());
            StringGrid1->SetCells(1, int(k), Edit2->text());
            StringGrid1->SetCells(2, int(k), Edit3->text());
        }
        RedrawPoints();
        FormPrincipale->rb_edita->SetChecked(false);
    }
    Edit1->setFocus();
}

void PointTableWindow::ChooseTool(RadioButton* tool, const QString& text) {
    if (!Ready("")) return;
    tool->SetChecked(true);
    if (toolInOwnPanel_) StatusBar1->SetPanel(0, text);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::EditTool, text);
}

void PointTableWindow::Eliminapunto1Click() {
    ChooseTool(FormPrincipale->rb_elimina, " elimina punto");
}

void PointTableWindow::Editapunto1Click() { ChooseTool(FormPrincipale->rb_edita, " edita punto"); }

void PointTableWindow::StringGrid1MouseDown(Qt::MouseButton) {
    const int k = StringGrid1->Selection().top;
    if (FormPrincipale->rb_elimina->Checked() && MethodChosen()) {
        StatusBar1->SetPanel(1, QString::number(k));
        // A press below the table deletes nothing: the row routine would
        // take the last point (or the only one) in its place.
        if (k >= 1 && k <= CountPoints(*StringGrid1)) {
            DeleteTableRow(*StringGrid1, k);
            RestorePicture();
            DrawPoints();
        }
        FormPrincipale->rb_elimina->SetChecked(false);
    }
    if (FormPrincipale->rb_edita->Checked()) {
        StatusBar1->SetPanel(1, QString::number(k));
        Edit1->setText(StringGrid1->Cells(0, k));
        Edit2->setText(StringGrid1->Cells(1, k));
        Edit3->setText(StringGrid1->Cells(2, k));
    }
    FormPrincipale->StatusBar1->SetPanel(MainPanel::EditTool, "");
}

void PointTableWindow::keyPressEvent(QKeyEvent* event) {
    if (!IsReturn(event)) return ToolWindow::keyPressEvent(event);
    Registrapunto1Click();
}

void ReturnRegistersPoints(QWidget* area, std::initializer_list<PointTableWindow*> tables) {
    area->installEventFilter(new ReturnFilter(area, tables));
}
