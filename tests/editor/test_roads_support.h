#pragma once
// Whole roads through the editor as a user walks them: the main window shown
// and active, keys typed into whatever holds the focus, the table dialogs
// answered through their own controls.

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "editor/field_grid_editing.h"
#include "platform/ui/labeled_edit.h"
#include "test_main_support.h"

class RoadTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MainForm->show();
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    }
    // Types text key by key into the widget that has the focus.
    static void Type(const QString& text) {
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    // Brings the main window back to the front (a closed dialog may still
    // count as the active window) and puts the focus into the table grid.
    static void FocusGrid() {
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
        MainForm->dbgQMT->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(MainForm->dbgQMT->hasFocus());
    }
    // Types one record's cells, Tab between them; Down then leaves the record
    // (and appends the next one when it was the last).
    static void TypeRecord(const QStringList& cells) {
        for (int i = 0; i < cells.size(); ++i) {
            if (i > 0) Key(Qt::Key_Tab);
            if (!cells[i].isEmpty()) Type(cells[i]);
        }
    }

    // New with count columns set through the dialog's count edit; fill then
    // writes the cells of the dialog's grid.
    void NewByDialog(int count, const std::vector<std::vector<std::string>>& rows, int result = 1) {
        WithDialog(
            fmNewTable,
            [&] {
                fmNewTable->leFieldCount->setText(QString::number(count));
                TStringGrid& g = fmNewTable->sgFields->Grid();
                for (size_t r = 0; r < rows.size(); ++r)
                    for (size_t c = 0; c < rows[r].size(); ++c)
                        g.SetCells(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
            },
            result, [] { MainForm->sbNew->Click(); });
    }

    // Picks entry index of a picker as the user does (the change event runs).
    static void Pick(TComboBox* box, int index) {
        box->SetItemIndex(index);
        if (box->OnChange) box->OnChange();
    }
    // Selects a cell of the restructure dialog's grid as a click does.
    static void SelectEditCell(int col, int row) { fmEditTable->sgFields->Grid().MoveTo(col, row); }

    // Runs the restructure with the dialog driven by steps; result 1 = OK.
    void Restructure(const std::function<void()>& steps, int result = 1) {
        WithDialog(fmEditTable, steps, result, [] { MainForm->sbEditTable->Click(); });
    }
    // The dialog's rows as "old|new|kind|length", as it holds them now.
    static QStringList EditRows() {
        QStringList rows;
        TStringGrid& g = fmEditTable->sgFields->Grid();
        for (int r = 1; r < g.RowCount(); ++r)
            rows << QString::fromStdString(g.Cells(0, r) + "|" + g.Cells(1, r) + "|" +
                                           g.Cells(2, r) + "|" + g.Cells(3, r));
        return rows;
    }
};
