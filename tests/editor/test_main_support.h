#pragma once
// A started editor for the tests: the windows created and the English texts
// set as at start-up, message boxes and file dialogs answered by the test, the
// decimal mark set explicitly. RoadTest also shows the main window and types
// keys into whatever holds the focus, as a user does.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <vector>

#include "editor/Main.h"
#include "editor/data_module.h"
#include "editor/edit_table.h"
#include "editor/new_table.h"
#include "editor/startup.h"
#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"

using Rows = std::vector<std::vector<std::string>>;

// Lines joined with CR LF, each line ended by it.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}
// A table file: the two opening lines, then body.
inline std::string TableFile(std::initializer_list<std::string> body) {
    return Lines({"/* Quimbly Table Format 0.9 */", "quiTables[quiTables.length] = new Array("}) +
           Lines(body);
}
// A user's pick of entry index in a drop-down list (its change event runs).
inline void Pick(TComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}
// Sets the rows below the headings of a table dialog's grid.
inline void SetRows(TStringGrid& g, const Rows& rows) {
    g.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            g.SetCells(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
}
// The rows of a dialog's grid from first on (the headings are row 0), cells joined by "|".
inline QStringList GridRows(TStringGrid& g, int first = 1) {
    QStringList rows;
    for (int r = first; r < g.RowCount(); ++r) {
        std::string row;
        for (int c = 0; c < g.ColCount(); ++c) row += (c ? "|" : "") + g.Cells(c, r);
        rows << QString::fromStdString(row);
    }
    return rows;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldMark_ = FormatSettings.DecimalSeparator;
        FormatSettings.DecimalSeparator = ',';
        Application->SetTitle("QMT Editor");
        oldMessage_ = Application->SetMessageBoxHandler(CollectInto(messages));
        oldError_ = Application->SetErrorBoxHandler(CollectInto(errors));
        oldQuestion_ = Application->SetQuestionHandler([this](const QString&, const QString& text) {
            questions << text;
            return answerYes;
        });
        CreateForms();
        SetEnglishTexts();
        MainForm->OpenDialogExecute = [this](QString& name) { return Answer(openAnswers, name); };
        MainForm->SaveDialogExecute = [this](QString& name) {
            proposed << name;
            return Answer(saveAnswers, name);
        };
    }
    void TearDown() override {
        DestroyForms();
        Application->SetMessageBoxHandler(oldMessage_);
        Application->SetErrorBoxHandler(oldError_);
        Application->SetQuestionHandler(oldQuestion_);
        FormatSettings.DecimalSeparator = oldMark_;
    }

    QString PathOf(const QString& name) const { return dir.filePath(name); }
    void WriteFile(const QString& name, const std::string& bytes) {
        QFile f(PathOf(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string ReadFile(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }
    // Writes a file and opens it through the Open button; no message may come.
    void OpenFile(const QString& name, const std::string& bytes) {
        WriteFile(name, bytes);
        openAnswers = {PathOf(name)};
        MainForm->sbOpen->Click();
        ASSERT_TRUE(messages.isEmpty() && errors.isEmpty()) << messages.join("\n").toStdString();
    }

    // Runs command while the modal dialog it shows is answered: fill runs
    // inside the dialog, then the dialog closes with result (1 = OK).
    void WithDialog(QDialog* dialog, const std::function<void()>& fill, int result,
                    const std::function<void()>& command) {
        QTimer::singleShot(0, dialog, [dialog, fill, result] {
            if (fill) fill();
            dialog->done(result);
        });
        command();
    }
    // New with the given rows (name, kind, length): the count typed into the
    // dialog's count edit, then the cells of its grid written.
    void NewTable(const Rows& rows) {
        WithDialog(
            fmNewTable,
            [&] {
                fmNewTable->leFieldCount->setText(QString::number(rows.size()));
                SetRows(fmNewTable->sgFields->Grid(), rows);
            },
            1, [] { MainForm->sbNew->Click(); });
    }
    // Runs the restructure with the dialog driven by steps; result 1 = OK.
    void Restructure(const std::function<void()>& steps, int result = 1) {
        WithDialog(fmEditTable, steps, result, [] { MainForm->sbEditTable->Click(); });
    }

    static QStringList SortItems() {
        QStringList items;
        for (int i = 0; i < MainForm->cbSort->ItemCount(); ++i) items << MainForm->cbSort->Item(i);
        return items;
    }
    // The values of one column in view order, through the grid's text hooks.
    static QStringList Column(const char* name) {
        QStringList values;
        TField& f = ActiveTable->FieldByName(name);
        for (ActiveTable->First(); !ActiveTable->Eof(); ActiveTable->Next())
            values << QString::fromStdString(f.DisplayText());
        return values;
    }
    // Whether the commands that act on a table are switched on, all of them alike.
    static std::string TableCommands() {
        TMainForm& m = *MainForm;
        std::string s;
        for (bool b : {m.sbSave->isEnabled(), m.FileSaveItem->isEnabled(), m.sbSaveAs->isEnabled(),
                       m.FileSaveAsItem->isEnabled(), m.sbEditTable->isEnabled(),
                       m.TabStructureItem->isEnabled(), m.cbSort->isEnabled(),
                       m.sbDirAsc->isEnabled(), m.sbDirDesc->isEnabled()})
            s += b ? '1' : '0';
        return s;
    }
    // The commands, the grid (shown, fed with the active table through dsQMT),
    // the navigator and the active table, in one line.
    static std::string View() {
        TMainForm& m = *MainForm;
        std::string s = TableCommands() + (m.dbgQMT->isHidden() ? " grid hidden" : " grid shown");
        const bool fedRight =
            m.dbgQMT->DataSource() == dm1->dsQMT && dm1->dsQMT->DataSet() == ActiveTable;
        s += !m.dbgQMT->DataSource() ? " unfed" : fedRight ? " fed" : " fed wrongly";
        s += m.DBNTable->isHidden() ? ", navigator hidden, " : ", navigator shown, ";
        if (!ActiveTable) return s + "no table";
        return s + ActiveTable->Name() + (ActiveTable->Active() ? " open" : " closed");
    }
    // The sort index, the sort box's entry and the direction button down.
    static std::string Sorting() {
        return ActiveTable->IndexName() + " " + std::to_string(MainForm->cbSort->ItemIndex()) +
               (MainForm->sbDirDesc->Down() ? " desc" : "") +
               (MainForm->sbDirAsc->Down() ? " asc" : "");
    }
    QString TitleAndFile() const { return MainForm->windowTitle() + " | " + CurrentFileName; }
    QString OpenedAs(const QString& name) const {
        return PathOf(name) + " - QMT Editor 1.0.1 | " + PathOf(name);
    }

    QTemporaryDir dir;
    QStringList messages, errors, questions, proposed;
    QStringList openAnswers, saveAnswers;  // one answer per dialog run; "" = cancelled
    bool answerYes = true;

  private:
    static TApplication::MessageHandler CollectInto(QStringList& boxes) {
        return [&boxes](const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        };
    }
    static bool Answer(QStringList& answers, QString& name) {
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (!answer.isEmpty()) name = answer;
        return !answer.isEmpty();
    }
    char oldMark_ = '.';
    TApplication::MessageHandler oldMessage_, oldError_;
    TApplication::QuestionHandler oldQuestion_;
};

class RoadTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MainForm->show();
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    }
    // Waits until the window itself holds the focus. A dialog counts as active
    // while the main window it belongs to is, and the main window while its
    // closed dialog still holds the focus.
    static bool WaitForFocus(QWidget* window) {
        return QTest::qWaitFor(
            [window] { return QGuiApplication::focusWindow() == window->windowHandle(); });
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
        ASSERT_TRUE(WaitForFocus(MainForm));
        MainForm->dbgQMT->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(MainForm->dbgQMT->hasFocus());
    }
    // Types one record's cells, Tab between them.
    static void TypeRecord(const QStringList& cells) {
        for (int i = 0; i < cells.size(); ++i) {
            if (i > 0) Key(Qt::Key_Tab);
            if (!cells[i].isEmpty()) Type(cells[i]);
        }
    }
    // Selects a cell of the restructure dialog's grid as a click does.
    static void SelectEditCell(int col, int row) { fmEditTable->sgFields->Grid().MoveTo(col, row); }
    static QStringList EditRows() { return GridRows(fmEditTable->sgFields->Grid()); }
};
