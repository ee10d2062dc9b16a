#pragma once
// The text the grid shows for a value of the shown table and the value that
// text typed into a cell becomes. Truth values show as "true" and "false";
// typed truth values and numbers that do not convert become null, never an
// error. Every other kind goes through the field's own text conversion.

#include "platform/core/ansi.h"

class TField;

// The shown text, also the text a cell's editor starts with: "true", "false"
// or empty for a truth value, else the field's own text form.
AnsiString FieldValueText(const TField& field);

// Stores typed text. Truth values: "true", "t", "1" or "false", "f", "0" in any
// case, whole and untrimmed, else null. Numbers: the locale's number syntax,
// else null. Other kinds take the text as typed (an integer column may refuse it).
void SetFieldValueFromText(TField& field, const AnsiString& text);
