#pragma once
// The start-up steps of the program, shared by the program block and the tests.

// Creates, in this order, the main window (MainForm), the data module (dm1),
// the new-table dialog (fmNewTable), the restructure dialog (fmEditTable) and
// the About box (AboutBox). Needs the QApplication and the application object.
void CreateForms();

// Replaces the German texts of the design by the English captions and hints.
void SetEnglishTexts();

// Destroys what CreateForms made and empties the globals of the main window.
void DestroyForms();
